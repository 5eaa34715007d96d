// Code pages by their Windows number, converted by the system itself.
#pragma once

#include "base/codepage.h"

#include <memory>

// A code page by its Windows number, as the system converts it; null for one the system lacks,
// and for UTF-8 (65001), which Utf8CodePage() gives.
std::unique_ptr<CCodePage> MakeWindowsCodePage(unsigned id);
