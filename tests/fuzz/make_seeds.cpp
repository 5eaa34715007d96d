// Writes the seed corpora: valid files in every string form that the readers accept.
// Usage: fuzz_make_seeds <corpus folder>
#include "storage/archive.h"
#include "storage/notes_file.h"
#include "storage/settings.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

enum class Form { Short, Wide, Long16, Long32, Long64 };

void PutLE(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i)));
    }
}

// A counted string with the given prefix form; the writer only ever makes the shortest one.
std::string Counted(const std::string& text, Form form) {
    std::string out;
    switch (form) {
    case Form::Short: {
        CMemoryWriter w;
        CDataArchive ar(w, CDataArchive::Mode::Store);
        ar.WriteString(text);
        ar.Close();
        return w.Bytes();
    }
    case Form::Wide:
        out = "\xFF\xFE\xFF";
        if (text.size() < 0xFF) {
            PutLE(out, text.size(), 1);
        } else {
            out += '\xFF';
            PutLE(out, text.size(), 2);
        }
        for (const char c : text) {
            PutLE(out, static_cast<unsigned char>(c), 2);
        }
        return out;
    case Form::Long16:
        out = "\xFF";
        PutLE(out, text.size(), 2);
        break;
    case Form::Long32:
        out = "\xFF\xFF\xFF";
        PutLE(out, text.size(), 4);
        break;
    case Form::Long64:
        out = "\xFF\xFF\xFF\xFF\xFF\xFF\xFF";
        PutLE(out, text.size(), 8);
        break;
    }
    return out + text;
}

std::string Int(int32_t value) {
    std::string out;
    PutLE(out, static_cast<uint32_t>(value), 4);
    return out;
}

std::string Text(size_t size, unsigned seed) {
    static const char kWords[] = "plan call Anna; buy milk, bread & eggs\r\nDentist 10:30 ";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        out.push_back(kWords[(i * 7 + seed) % (sizeof(kWords) - 1)]);
    }
    return out;
}

std::string DefaultSettingsFile() {
    SSettings s;
    SetDefaultSettings(s, SRect{0, 0, 300, 400}, SRect{0, 0, 1920, 1080});
    return SerializeSettings(s);
}

// The fixed 58 bytes of a default file, then the eleven variable items in the given forms.
std::string SettingsFile(Form form, const std::string& titleFace, const std::string& custom,
                         const std::string& reserved) {
    const std::string fixed = DefaultSettingsFile().substr(0, 58);
    std::string out = fixed;
    out += Counted(ScrambleText(titleFace, false), form);
    out += Int(-11) + std::string("\x01\x00", 2) + Int(0);
    out += Counted(ScrambleText("Tahoma", false), form);
    out += Counted(custom, form);
    out += Counted(ScrambleText(reserved, false), form);
    out += Counted(ScrambleText("Courier New", false), form);
    out += Int(-13) + std::string("\x01", 1);
    return out;
}

std::string NotesFile(const std::string& everyDay, const DayArray& days, Form form) {
    std::string out = Counted(everyDay, form) + Int(static_cast<int32_t>(days.size()));
    for (const SDay& day : days) {
        out += Counted(day.strDate, form) + Counted(day.strNote, form);
    }
    return out;
}

// The edit script that fuzz_edits reads before the notes file.
struct SSeedEdit {
    bool ascending;
    int pick; // index of an existing record whose key is taken, or -1 for the key below
    std::string key;
    std::string text;
};

std::string EditScript(const std::vector<SSeedEdit>& edits) {
    std::string out(1, static_cast<char>(edits.size()));
    for (const SSeedEdit& edit : edits) {
        out += static_cast<char>((edit.ascending ? 1 : 0) | (edit.pick >= 0 ? 2 : 0));
        if (edit.pick >= 0) {
            out += static_cast<char>(edit.pick);
        } else {
            out += static_cast<char>(edit.key.size()) + edit.key;
        }
        out += static_cast<char>(edit.text.size()) + edit.text;
    }
    return out;
}

bool Write(const std::string& folder, const std::string& name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    const std::string settings = root + "/fuzz_settings";
    const std::string notes = root + "/fuzz_notes";
    const std::string strings = root + "/fuzz_string";
    bool ok = true;

    std::string flagsAsTwo = DefaultSettingsFile();
    flagsAsTwo[4] = flagsAsTwo[7] = 2;
    ok &= Write(settings, "default.bin", DefaultSettingsFile());
    ok &= Write(settings, "flags_two_trailing_bytes.bin", flagsAsTwo + "trailing");
    ok &= Write(settings, "long_face_long_format.bin",
                SettingsFile(Form::Short, std::string(40, 'F'), Text(300, 1), "kept"));
    ok &= Write(settings, "wide_strings.bin",
                SettingsFile(Form::Wide, "Segoe UI", "%H:%M \xE9t\xE9", "r\xE9serv\xE9"));
    ok &= Write(settings, "long16_prefixes.bin", SettingsFile(Form::Long16, "Arial", "%d %B", ""));
    ok &= Write(settings, "long32_prefixes.bin", SettingsFile(Form::Long32, "Arial", "%A %d", "x"));
    ok &= Write(settings, "long64_prefixes.bin",
                SettingsFile(Form::Long64, "Arial", "%Y", std::string("\0z", 2)));

    const DayArray xHi{{"071226", "Hi"}};
    DayArray month;
    for (int d = 1; d <= 31; d += 3) {
        char key[7];
        std::snprintf(key, sizeof key, "%02d1226", d);
        month.push_back({key, Text(20 + static_cast<size_t>(d) * 11, static_cast<unsigned>(d))});
    }
    month.push_back({"151226", " \r\n "});          // blank: marks no day
    month.push_back({"040126", "Tab\tkeeps it"});   // out of order
    month.push_back({"071226", "second of a key"}); // duplicate key
    month.push_back({"1234", "short key"});         // parts beyond the end are empty
    month.push_back({"311299", "old \xC3\x84RGER \xC3\x89T\xC3\x89"}); // sorts after 26
    ok &= Write(notes, "empty.bin", SerializeNotes({}, ""));
    ok &= Write(notes, "x_hi.bin", SerializeNotes(xHi, "X"));
    ok &= Write(notes, "month_unsorted_duplicates.bin", SerializeNotes(month, "every day"));
    ok &= Write(notes, "negative_count.bin", Counted("e", Form::Short) + Int(-1));
    ok &= Write(notes, "note_300.bin", SerializeNotes({{"010126", Text(300, 5)}}, ""));
    ok &= Write(notes, "wide_strings.bin", NotesFile("X", month, Form::Wide));
    ok &= Write(notes, "long32_prefixes.bin", NotesFile("ev", xHi, Form::Long32));
    ok &= Write(notes, "long64_prefixes.bin", NotesFile("", xHi, Form::Long64));
    // Texts the code page lacks, stored as UTF-8 behind a mark.
    ok &= Write(notes, "every_script.bin",
                SerializeNotes({{"010126", "Caf\xC3\xA9 \xF0\x9F\x98\x80 \xE6\x97\xA5"},
                                {"020126", "\xC3\xAF\xC2\xBB\xC2\xBF looks like a mark"},
                                {"030126", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D e\xCC\x81"}},
                               "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"));

    const std::string edits = root + "/fuzz_edits";
    ok &= Write(edits, "month_edits.bin",
                EditScript({{true, -1, "071226", "changed"},
                            {true, 3, "", ""},
                            {false, -1, "010127", "new year"},
                            {true, -1, "151226", " \r\n"}}) +
                    SerializeNotes(month, "every day"));
    ok &= Write(edits, "x_hi_edits.bin",
                EditScript({{true, 0, "", "Hello"}}) + SerializeNotes(xHi, "X"));
    ok &= Write(edits, "empty_edits.bin",
                EditScript({{true, -1, "071226", "first"}, {true, -1, "0712", "short"}}) +
                    SerializeNotes({}, ""));
    ok &= Write(edits, "no_edits_wide.bin", EditScript({}) + NotesFile("X", month, Form::Wide));

    std::string allForms;
    for (const Form form : {Form::Short, Form::Wide, Form::Long16, Form::Long32, Form::Long64}) {
        allForms += Counted("abc", form) + Counted("", form);
    }
    ok &= Write(strings, "all_forms.bin", allForms);
    ok &= Write(strings, "prefix_edges.bin",
                Counted(std::string(254, 'a'), Form::Short) +
                    Counted(std::string(255, 'b'), Form::Short) +
                    Counted(std::string(300, 'w'), Form::Wide) +
                    Counted(std::string("zero\0inside", 11), Form::Short));
    // U+20AC maps to 0x80 in the code page; U+4E00 has none and is stored behind a mark.
    ok &= Write(strings, "wide_unmapped.bin", std::string("\xFF\xFE\xFF\x02\xAC\x20\x00\x4E", 8));
    ok &= Write(strings, "long32_canonical.bin", Counted(Text(65534, 3), Form::Short));
    // Behind a mark: UTF-8, UTF-8 of a code-page text (kept as read), and no UTF-8 at all.
    ok &= Write(strings, "marked.bin",
                Counted("\xEF\xBB\xBF\xF0\x9F\x98\x80", Form::Short) +
                    Counted("\xEF\xBB\xBF"
                            "caf\xC3\xA9",
                            Form::Short) +
                    Counted("\xEF\xBB\xBF\xC3", Form::Short));
    return ok ? 0 : 1;
}
