// The host build's stand-in for the system code page: Windows-1252.
#include "base/codepage.h"

const CCodePage& SystemCodePage() {
    return Windows1252CodePage();
}
