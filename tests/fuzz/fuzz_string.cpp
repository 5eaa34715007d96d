// Counted strings: every prefix form, wide strings and lengths the input cannot hold; the text of
// any stored string, which is stored again as the same bytes.
#include "fuzz_check.h"

#include "base/stored_text.h"
#include "base/utf8.h"
#include "storage/archive.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemoryReader input(data, size);
    CDataArchive reader(input, CDataArchive::Mode::Load);
    std::vector<std::string> texts;
    try {
        // Each read takes at least one byte or throws, so this ends.
        for (;;) {
            texts.push_back(reader.ReadString());
            // A wide string reads as UTF-8 behind a mark: half as long again, and the mark.
            FUZZ_CHECK(texts.back().size() <= 2 * size + 3);
        }
    } catch (const CArchiveError&) {
    }

    // Any stored string reads as a text that is written back as the same bytes.
    for (const std::string& bytes : texts) {
        const std::string text = TextFromStored(bytes);
        FUZZ_CHECK(StoredFromText(text) == bytes);
        FUZZ_CHECK(IsKeptBytes(text) || IsValidUtf8(text));
        FUZZ_CHECK(IsValidUtf8(ShownText(text)));
    }

    CMemoryWriter output;
    CDataArchive writer(output, CDataArchive::Mode::Store);
    for (const std::string& text : texts) {
        writer.WriteString(text);
    }
    writer.Close();
    CMemoryReader written(output.Bytes());
    CDataArchive rereader(written, CDataArchive::Mode::Load);
    for (const std::string& text : texts) {
        FUZZ_CHECK(rereader.ReadString() == text);
    }
    bool ended = false;
    try {
        rereader.ReadString();
    } catch (const CArchiveError&) {
        ended = true;
    }
    FUZZ_CHECK(ended);
    return 0;
}
