#include "storage/archive.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using testutil::Bytes;
using testutil::Hex;
using testutil::Le32;
using testutil::Le64;

namespace {

std::string Written(const std::string& text) {
    CMemoryWriter out;
    CDataArchive ar(out, CDataArchive::Mode::Store);
    ar.WriteString(text);
    ar.Close();
    return out.Bytes();
}

std::string ReadOne(const std::string& bytes) {
    CMemoryReader in(bytes);
    CDataArchive ar(in, CDataArchive::Mode::Load);
    return ar.ReadString();
}

// Hands out at most a few bytes per call, as a slow file or pipe may.
class CTrickleReader : public IArchiveReader {
public:
    explicit CTrickleReader(std::string bytes) : m_bytes(std::move(bytes)) {}
    size_t Read(void* data, size_t size) override {
        const size_t n = std::min({size, m_bytes.size() - m_pos, size_t(1) + m_pos % 7});
        std::memcpy(data, m_bytes.data() + m_pos, n);
        m_pos += n;
        return n;
    }
    uint64_t Remaining() const override { return m_bytes.size() - m_pos; }

private:
    std::string m_bytes;
    size_t m_pos = 0;
};

// Records the largest block asked for, so a reader that trusts a length prefix is caught.
class CProbeReader : public CMemoryReader {
public:
    explicit CProbeReader(const std::string& bytes) : CMemoryReader(bytes) {}
    size_t Read(void* data, size_t size) override {
        m_largest = std::max(m_largest, size);
        return CMemoryReader::Read(data, size);
    }
    size_t m_largest = 0;
};

} // namespace

TEST(ArchiveString, LengthPrefixFormsAtTheirBoundaries) {
    struct Case {
        size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {0, Bytes({0x00})},
        {1, Bytes({0x01})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {300, Bytes({0xFF, 0x2C, 0x01})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {65535, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(c.length, 'q');
        for (size_t i = 0; i < text.size(); i += 97) {
            text[i] = static_cast<char>(i % 251);
        }
        const std::string bytes = Written(text);
        ASSERT_EQ(bytes.size(), c.prefix.size() + c.length);
        EXPECT_EQ(Hex(bytes.substr(0, c.prefix.size())), Hex(c.prefix));
        EXPECT_EQ(bytes.substr(c.prefix.size()), text);
        EXPECT_EQ(ReadOne(bytes), text);
    }
}

TEST(ArchiveString, EmbeddedZeroBytesKeepTheirFullLength) {
    const std::string text("a\0b\0\0c", 6);
    const std::string bytes = Written(text);
    EXPECT_EQ(bytes, Bytes({6}) + text);
    EXPECT_EQ(ReadOne(bytes), text);
}

TEST(ArchiveString, ReadsEveryNarrowLengthForm) {
    // Longer forms than needed are valid in a file and must be honoured.
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0x03, 0x00}) + "abc"), "abc");
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFF, 0xFF}) + Le32(3) + "abc"), "abc");
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + Le64(3) + "abc"), "abc");
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + Le64(0)), "");
}

TEST(ArchiveString, ReadsWideStringsAsTheirText) {
    const auto readText = [](const std::string& bytes) {
        CMemoryReader in(bytes);
        CDataArchive ar(in, CDataArchive::Mode::Load);
        return ar.ReadText();
    };
    // "Hi" + e-acute + euro sign, UTF-16LE, with the one-byte length.
    const std::string units = Bytes({'H', 0, 'i', 0, 0xE9, 0x00, 0xAC, 0x20});
    const std::string expected = "Hi\xC3\xA9\xE2\x82\xAC";
    EXPECT_EQ(readText(Bytes({0xFF, 0xFE, 0xFF, 0x04}) + units), expected);
    // The same with a 16-bit and with a 32-bit length after the wide tag.
    EXPECT_EQ(readText(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x04, 0x00}) + units), expected);
    EXPECT_EQ(readText(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}) + Le32(4) + units), expected);
    EXPECT_EQ(readText(Bytes({0xFF, 0xFE, 0xFF, 0x00})), "");
    // Characters no code page has, a surrogate pair among them, are kept.
    EXPECT_EQ(readText(Bytes({0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 0x2D, 0x4E, 'b', 0})), "a\xE4\xB8\xAD"
                                                                                     "b");
    EXPECT_EQ(readText(Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x3D, 0xD8, 0x00, 0xDE})),
              "\xF0\x9F\x98\x80");
}

TEST(ArchiveString, LengthBeyondTheRestOfTheFileFailsWithoutReadingIt) {
    const std::string tooLong[] = {
        Bytes({0x0A}) + "abc",
        Bytes({0xFF, 0x00, 0x01}) + "abc",
        // A 12-byte file announcing 2 GB.
        Bytes({0xFF, 0xFF, 0xFF}) + Le32(0x80000000u) + "abcde",
        Bytes({0xFF, 0xFF, 0xFF}) + Le32(0xFFFFFFFEu) + "abcde",
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + Le64(0x7FFFFFFF) + "abc",
        // Above the 64-bit form's limit, even though nothing follows.
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + Le64(0x80000000u),
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + Le64(~uint64_t(0)),
        // Wide: two units need four bytes, three are present.
        Bytes({0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}),
        Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}) + Le32(0x40000000u) + "abcd",
    };
    for (const std::string& bytes : tooLong) {
        SCOPED_TRACE(Hex(bytes));
        CProbeReader in(bytes);
        CDataArchive ar(in, CDataArchive::Mode::Load);
        EXPECT_THROW(ar.ReadString(), CArchiveError);
        EXPECT_LE(in.m_largest, CDataArchive::kBufferSize);
    }
}

TEST(ArchiveString, ExactFitAtTheEndOfTheFileIsAccepted) {
    EXPECT_EQ(ReadOne(Bytes({0x03}) + "abc"), "abc");
    EXPECT_EQ(ReadOne(Bytes({0xFF, 0xFE, 0xFF, 0x01, 'z', 0})), "z");
}

TEST(ArchiveValues, IntegersFlagsAndBytesAreLittleEndianAndPacked) {
    CMemoryWriter out;
    CDataArchive ar(out, CDataArchive::Mode::Store);
    ar.WriteInt(1).WriteInt(-2).WriteFlag(true).WriteFlag(false).WriteByte(0xAB);
    ar.WriteInt(INT32_MIN);
    ar.Close();
    EXPECT_EQ(Hex(out.Bytes()),
              Hex(Le32(1) + Le32(0xFFFFFFFEu) + Bytes({1, 0, 0xAB}) + Le32(0x80000000u)));

    const std::string in = Le32(0x12345678) + Bytes({2, 0x80, 0, 0xFE}) + Le32(0xFFFFFFFFu);
    CMemoryReader reader(in);
    CDataArchive load(reader, CDataArchive::Mode::Load);
    EXPECT_EQ(load.ReadInt(), 0x12345678);
    EXPECT_TRUE(load.ReadFlag()); // any non-zero byte is true
    EXPECT_TRUE(load.ReadFlag());
    EXPECT_FALSE(load.ReadFlag());
    EXPECT_EQ(load.ReadByte(), 0xFE);
    EXPECT_EQ(load.ReadInt(), -1);
    EXPECT_THROW(load.ReadByte(), CArchiveError);
}

TEST(ArchiveValues, ShortFixedValuesFail) {
    const std::string three = Bytes({1, 2, 3});
    CMemoryReader in(three);
    CDataArchive ar(in, CDataArchive::Mode::Load);
    EXPECT_THROW(ar.ReadInt(), CArchiveError);

    // A prefix that stops inside its 16-bit length.
    EXPECT_THROW(ReadOne(Bytes({0xFF, 0x05})), CArchiveError);
    EXPECT_THROW(ReadOne(""), CArchiveError);
}

TEST(ArchiveValues, OperationsAgainstTheDirectionOrAfterCloseFail) {
    CMemoryWriter out;
    CDataArchive store(out, CDataArchive::Mode::Store);
    EXPECT_THROW(store.ReadInt(), CArchiveError);
    EXPECT_THROW(store.ReadString(), CArchiveError);
    store.WriteInt(7);
    store.Close();
    EXPECT_THROW(store.WriteInt(8), CArchiveError);
    EXPECT_EQ(out.Bytes(), Le32(7));

    const std::string bytes = Le32(7);
    CMemoryReader in(bytes);
    CDataArchive load(in, CDataArchive::Mode::Load);
    EXPECT_THROW(load.WriteByte(1), CArchiveError);
    EXPECT_THROW(load.WriteString("x"), CArchiveError);
    EXPECT_EQ(load.ReadInt(), 7);
}

TEST(ArchiveBuffer, ValuesStraddlingTheBufferRoundTrip) {
    // Small values fill the buffer unevenly so that ints, strings and a block larger than the
    // buffer all cross its edge.
    std::vector<std::string> texts;
    CMemoryWriter out;
    CDataArchive ar(out, CDataArchive::Mode::Store);
    for (int i = 0; i < 1500; ++i) {
        ar.WriteInt(i * 7919).WriteByte(static_cast<uint8_t>(i));
        if (i % 100 == 3) {
            texts.push_back(std::string(static_cast<size_t>(i * 13 % 9000), char('a' + i % 26)));
            ar.WriteString(texts.back());
        }
    }
    ar.Close();

    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "memory" : "trickle");
        CMemoryReader whole(out.Bytes());
        CTrickleReader trickle(out.Bytes());
        IArchiveReader& stream = pass == 0 ? static_cast<IArchiveReader&>(whole) : trickle;
        CDataArchive load(stream, CDataArchive::Mode::Load);
        size_t t = 0;
        for (int i = 0; i < 1500; ++i) {
            ASSERT_EQ(load.ReadInt(), i * 7919);
            ASSERT_EQ(load.ReadByte(), static_cast<uint8_t>(i));
            if (i % 100 == 3) {
                ASSERT_EQ(load.ReadString(), texts[t++]);
            }
        }
        EXPECT_THROW(load.ReadByte(), CArchiveError);
    }
}
