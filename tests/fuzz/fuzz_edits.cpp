// Edits of a loaded notes file: a few day notes set the way the note rooms set them, then a save
// and a second load. Only the edited days may change, exactly as the plain rule changes them.
//
// Input: a count byte, then per edit a flags byte (bit 0 ascending, bit 1 key of an existing
// record, picked by the next byte) with a key (length byte, up to 7 bytes) unless it is picked,
// then a text (length byte, up to 15 bytes); the rest of the input is the notes file.
#include "fuzz_check.h"

#include "base/utf8.h"
#include "notes_round_trip.h"
#include "plain_notes.h"

#include "notes/day_notes.h"
#include "storage/archive.h"
#include "storage/notes_file.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct SEdit {
    bool ascending = true;
    bool pickKey = false;
    size_t pick = 0;
    SDay day;
};

class CCursor {
public:
    CCursor(const uint8_t* data, size_t size) : m_p(data), m_end(data + size) {}
    bool Byte(uint8_t& b) {
        if (m_p == m_end) {
            return false;
        }
        b = *m_p++;
        return true;
    }
    bool Text(size_t maxSize, std::string& text) {
        uint8_t size = 0;
        if (!Byte(size) || static_cast<size_t>(m_end - m_p) < size % (maxSize + 1)) {
            return false;
        }
        text.assign(reinterpret_cast<const char*>(m_p), size % (maxSize + 1));
        m_p += text.size();
        return true;
    }
    const uint8_t* Rest() const { return m_p; }
    size_t RestSize() const { return static_cast<size_t>(m_end - m_p); }

private:
    const uint8_t* m_p;
    const uint8_t* m_end;
};

std::vector<SEdit> ReadEdits(CCursor& in) {
    std::vector<SEdit> edits;
    uint8_t count = 0;
    in.Byte(count);
    for (count %= 17; count != 0; --count) {
        SEdit edit;
        uint8_t flags = 0;
        uint8_t pick = 0;
        if (!in.Byte(flags)) {
            break;
        }
        edit.ascending = (flags & 1) != 0;
        edit.pickKey = (flags & 2) != 0;
        if (edit.pickKey ? !in.Byte(pick) : !in.Text(7, edit.day.strDate)) {
            break;
        }
        edit.pick = pick;
        if (!in.Text(15, edit.day.strNote)) {
            break;
        }
        // What a window hands over is UTF-8.
        edit.day.strDate = RepairedUtf8(edit.day.strDate);
        edit.day.strNote = RepairedUtf8(edit.day.strNote);
        edits.push_back(edit);
    }
    return edits;
}

bool Edited(const std::vector<std::string>& keys, const SDay& day) {
    return std::find(keys.begin(), keys.end(), day.strDate) != keys.end();
}

DayArray Unedited(const DayArray& days, const std::vector<std::string>& keys) {
    DayArray out;
    for (const SDay& day : days) {
        if (!Edited(keys, day)) {
            out.push_back(day);
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CCursor in(data, size);
    std::vector<SEdit> edits = ReadEdits(in);
    DayArray loaded;
    std::string everyDay;
    CMemoryReader file(in.Rest(), in.RestSize());
    if (!ReadNotes(loaded, everyDay, file)) {
        return 0;
    }

    DayArray days = loaded;
    DayArray expected = loaded;
    std::vector<std::string> keys;
    for (SEdit& edit : edits) {
        if (edit.pickKey) {
            edit.day.strDate = days.empty() ? std::string() : days[edit.pick % days.size()].strDate;
        }
        SetDayNote(edit.day, days, edit.ascending);
        plain::SetDayNote(edit.day, expected, edit.ascending);
        FUZZ_CHECK(days == expected);
        keys.push_back(edit.day.strDate);
    }
    FUZZ_CHECK(Unedited(days, keys) == Unedited(loaded, keys));
    // Each edited day holds its last text once, or nothing when that text was blank.
    std::vector<std::string> checked;
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
        const std::string& key = edit->day.strDate;
        if (Edited(checked, edit->day)) {
            continue;
        }
        checked.push_back(key);
        const bool blank = IsBlankNote(edit->day.strNote);
        FUZZ_CHECK(
            static_cast<size_t>(std::count_if(days.begin(), days.end(), [&key](const SDay& d) {
                return d.strDate == key;
            })) == (blank ? 0u : 1u));
        FUZZ_CHECK(blank || GetDayNote(key, days) == edit->day.strNote);
    }

    CheckNotesRoundTrip(days, everyDay);
    return 0;
}
