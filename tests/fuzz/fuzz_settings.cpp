// Settings reader: any bytes it accepts must survive a write and a second read unchanged.
#include "fuzz_check.h"

#include "storage/archive.h"
#include "storage/settings.h"

#include <cstdint>
#include <string>

namespace {

bool SameFontHead(const SLogFont& a, const SLogFont& b) {
    return a.lfHeight == b.lfHeight && a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfWeight == b.lfWeight && a.Face() == b.Face();
}

bool SameStoredFields(const SSettings& a, const SSettings& b) {
    return a.nRoom == b.nRoom && a.bLockMoving == b.bLockMoving && a.bAlwaysTop == b.bAlwaysTop &&
           a.bMondayFirst == b.bMondayFirst && a.bWeekNumbers == b.bWeekNumbers &&
           a.nReserved1 == b.nReserved1 && a.nReserved2 == b.nReserved2 &&
           a.nReserved3 == b.nReserved3 && a.nFullView == b.nFullView && a.nColor == b.nColor &&
           a.nShape == b.nShape && a.nGradient == b.nGradient && a.nTimeFormat == b.nTimeFormat &&
           a.ptPos == b.ptPos && SameFontHead(a.lfTitle, b.lfTitle) &&
           SameFontHead(a.lfNotes, b.lfNotes) && a.lfCalendar.Face() == b.lfCalendar.Face() &&
           a.lfCalendar.lfHeight == b.lfCalendar.lfHeight &&
           a.lfCalendar.lfItalic == b.lfCalendar.lfItalic &&
           a.strCustomFormat == b.strCustomFormat && a.strReserved == b.strReserved;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SSettings first;
    CMemoryReader input(data, size);
    if (!ReadSettings(first, input)) {
        return 0;
    }
    // Faces are cut at 31 bytes and at a zero byte, so the field must stay terminated.
    FUZZ_CHECK(first.lfTitle.lfFaceName[SLogFont::kFaceSize - 1] == '\0');
    FUZZ_CHECK(first.lfNotes.lfFaceName[SLogFont::kFaceSize - 1] == '\0');
    FUZZ_CHECK(first.lfCalendar.lfFaceName[SLogFont::kFaceSize - 1] == '\0');

    const std::string bytes = SerializeSettings(first);
    // The writer's form is the shortest one; long prefixes only shrink, and a wide string comes
    // back as UTF-8 behind a mark, at most half as long again with the mark.
    FUZZ_CHECK(bytes.size() <= 2 * size);

    SSettings second;
    CMemoryReader again(bytes);
    FUZZ_CHECK(ReadSettings(second, again));
    FUZZ_CHECK(SameStoredFields(first, second));
    // Members that the file does not hold come back as the defaults both times.
    FUZZ_CHECK(first.lfTitle == second.lfTitle);
    FUZZ_CHECK(first.lfNotes == second.lfNotes);
    FUZZ_CHECK(first.lfCalendar == second.lfCalendar);
    FUZZ_CHECK(SerializeSettings(second) == bytes);
    return 0;
}
