// The binary archive's reads and writes: little-endian numbers, flags and counted strings.
#include "storage/archive.h"

#include "base/stored_text.h"
#include "base/utf8.h"

#include <cstring>
#include <vector>

size_t CMemoryReader::Read(void* data, size_t size) {
    const size_t n = size < m_size - m_pos ? size : m_size - m_pos;
    if (n != 0) {
        std::memcpy(data, m_data + m_pos, n);
    }
    m_pos += n;
    return n;
}

const unsigned char* CMemoryReader::TakeContiguous(size_t& size) {
    size = m_size - m_pos;
    const unsigned char* rest = m_data + m_pos;
    m_pos = m_size;
    return rest;
}

CDataArchive::CDataArchive(IArchiveReader& in, Mode mode) {
    if (mode == Mode::Load) {
        m_reader = &in;
        size_t size = 0;
        m_in = in.TakeContiguous(size);
        m_inEnd = m_in != nullptr ? m_in + size : nullptr;
    }
}

CDataArchive::CDataArchive(IArchiveWriter& out, Mode mode) {
    if (mode == Mode::Store) {
        m_writer = &out;
    }
}

void CDataArchive::ModeError(Mode mode) const {
    if (m_closed) {
        throw CArchiveError("archive is closed");
    }
    throw CArchiveError(mode == Mode::Store ? "archive is not storing" : "archive is not loading");
}

void CDataArchive::Flush() {
    if (m_pos != 0) {
        m_writer->Write(m_buffer, m_pos);
        m_pos = 0;
    }
}

void CDataArchive::WriteBytes(const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (size != 0) {
        if (m_pos == kBufferSize) {
            Flush();
        }
        // Large blocks go past the buffer once it is empty.
        if (m_pos == 0 && size >= kBufferSize) {
            m_writer->Write(p, size);
            return;
        }
        const size_t n = size < kBufferSize - m_pos ? size : kBufferSize - m_pos;
        std::memcpy(m_buffer + m_pos, p, n);
        m_pos += n;
        p += n;
        size -= n;
    }
}

uint64_t CDataArchive::Remaining() const {
    RequireMode(Mode::Load);
    return static_cast<uint64_t>(m_inEnd - m_in) + m_reader->Remaining();
}

void CDataArchive::Refill() {
    const size_t got = m_reader->Read(m_buffer, kBufferSize);
    if (got == 0) {
        throw CArchiveError("unexpected end of file");
    }
    m_in = m_buffer;
    m_inEnd = m_buffer + got;
}

void CDataArchive::ReadBytes(void* data, size_t size) {
    unsigned char* p = static_cast<unsigned char*>(data);
    while (size != 0) {
        if (m_in == m_inEnd) {
            if (size >= kBufferSize) {
                // Large blocks are read straight into place.
                while (size != 0) {
                    const size_t got = m_reader->Read(p, size);
                    if (got == 0) {
                        throw CArchiveError("unexpected end of file");
                    }
                    p += got;
                    size -= got;
                }
                return;
            }
            Refill();
        }
        const size_t available = static_cast<size_t>(m_inEnd - m_in);
        const size_t n = size < available ? size : available;
        std::memcpy(p, m_in, n);
        m_in += n;
        p += n;
        size -= n;
    }
}

template <typename T> void CDataArchive::WriteLE(T value) {
    unsigned char bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i) {
        bytes[i] = static_cast<unsigned char>(static_cast<uint64_t>(value) >> (8 * i));
    }
    WriteBytes(bytes, sizeof(T));
}

template <typename T> T CDataArchive::ReadLE() {
    unsigned char bytes[sizeof(T)];
    if (static_cast<size_t>(m_inEnd - m_in) >= sizeof(T)) {
        std::memcpy(bytes, m_in, sizeof(T));
        m_in += sizeof(T);
    } else {
        ReadBytes(bytes, sizeof(T));
    }
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) {
        value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    }
    return static_cast<T>(value);
}

CDataArchive& CDataArchive::WriteInt(int32_t value) {
    RequireMode(Mode::Store);
    WriteLE<uint32_t>(static_cast<uint32_t>(value));
    return *this;
}

CDataArchive& CDataArchive::WriteFlag(bool value) {
    RequireMode(Mode::Store);
    WriteLE<uint8_t>(value ? 1 : 0);
    return *this;
}

CDataArchive& CDataArchive::WriteByte(uint8_t value) {
    RequireMode(Mode::Store);
    WriteLE<uint8_t>(value);
    return *this;
}

CDataArchive& CDataArchive::WriteUInt64(uint64_t value) {
    RequireMode(Mode::Store);
    WriteLE<uint64_t>(value);
    return *this;
}

CDataArchive& CDataArchive::WriteString(const std::string& text) {
    RequireMode(Mode::Store);
    const uint64_t n = text.size();
    if (n < 0xFF) {
        WriteLE<uint8_t>(static_cast<uint8_t>(n));
    } else {
        WriteLE<uint8_t>(0xFF);
        if (n < 0xFFFE) {
            WriteLE<uint16_t>(static_cast<uint16_t>(n));
        } else {
            WriteLE<uint16_t>(0xFFFF);
            if (n < 0xFFFFFFFFu) {
                WriteLE<uint32_t>(static_cast<uint32_t>(n));
            } else {
                WriteLE<uint32_t>(0xFFFFFFFFu);
                WriteLE<uint64_t>(n);
            }
        }
    }
    WriteBytes(text.data(), text.size());
    return *this;
}

CDataArchive& CDataArchive::WriteText(const std::string& text) {
    return WriteString(StoredFromText(text));
}

std::string CDataArchive::ReadText() {
    return TextFromStored(ReadString());
}

int32_t CDataArchive::ReadInt() {
    RequireMode(Mode::Load);
    return static_cast<int32_t>(ReadLE<uint32_t>());
}

bool CDataArchive::ReadFlag() {
    RequireMode(Mode::Load);
    return ReadLE<uint8_t>() != 0;
}

uint8_t CDataArchive::ReadByte() {
    RequireMode(Mode::Load);
    return ReadLE<uint8_t>();
}

uint64_t CDataArchive::ReadUInt64() {
    RequireMode(Mode::Load);
    return ReadLE<uint64_t>();
}

uint64_t CDataArchive::ReadStringLength(uint64_t& charSize) {
    RequireMode(Mode::Load);
    charSize = 1;
    uint64_t length = 0;
    uint8_t b = ReadLE<uint8_t>();
    if (b < 0xFF) {
        length = b;
    } else {
        uint16_t w = ReadLE<uint16_t>();
        bool haveLength = false;
        if (w == 0xFFFE) {
            charSize = 2;
            b = ReadLE<uint8_t>();
            if (b < 0xFF) {
                length = b;
                haveLength = true;
            } else {
                w = ReadLE<uint16_t>();
            }
        }
        if (!haveLength) {
            if (w < 0xFFFF) {
                length = w;
            } else {
                const uint32_t d = ReadLE<uint32_t>();
                if (d < 0xFFFFFFFFu) {
                    length = d;
                } else {
                    const uint64_t q = ReadLE<uint64_t>();
                    if (q > 0x7FFFFFFF) {
                        throw CArchiveError("string length out of range");
                    }
                    length = q;
                }
            }
        }
    }
    // A length the file cannot hold fails before any memory is reserved for it.
    if (length > Remaining() / charSize) {
        throw CArchiveError("string longer than the rest of the file");
    }
    return length;
}

std::string CDataArchive::ReadStringSlow() {
    uint64_t charSize = 1;
    const uint64_t length = ReadStringLength(charSize);
    if (charSize == 1) {
        if (length <= static_cast<uint64_t>(m_inEnd - m_in)) {
            std::string text(reinterpret_cast<const char*>(m_in), static_cast<size_t>(length));
            m_in += length;
            return text;
        }
        std::string text(static_cast<size_t>(length), '\0');
        ReadBytes(&text[0], text.size());
        return text;
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(length) * 2);
    ReadBytes(bytes.data(), bytes.size());
    std::u16string units(static_cast<size_t>(length), u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return StoredFromText(Utf16ToUtf8(units));
}

uint64_t CDataArchive::CountedSize(uint64_t length) {
    const uint64_t prefix = length < 0xFF ? 1 : length < 0xFFFE ? 3 : length < 0xFFFFFFFFu ? 7 : 15;
    return prefix + length;
}

void CDataArchive::Close() {
    if (m_writer != nullptr) {
        Flush();
    }
    m_reader = nullptr;
    m_writer = nullptr;
    m_in = m_inEnd = nullptr;
    m_closed = true;
}
