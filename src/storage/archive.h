// The binary archive of the data files, over a file or memory, and its one error type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>

// The one error type of the data files: a damaged or short file, a failed read or write, or an
// operation against the archive's direction. Caught once around each whole file operation.
class CArchiveError : public std::runtime_error {
public:
    explicit CArchiveError(const char* what) : std::runtime_error(what) {}
};

// Runs a read of an archive: false when its bytes end early or are damaged, or when they claim
// more than the memory at hand (such a file counts as damaged).
template <typename Read> bool ReadOrFail(Read read) {
    try {
        return read();
    } catch (const CArchiveError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

// Bytes an archive loads from: a file or a piece of memory.
class IArchiveReader {
public:
    virtual ~IArchiveReader() = default;
    // Reads up to size bytes; returns how many were read (0 at the end). Throws on a read error.
    virtual size_t Read(void* data, size_t size) = 0;
    // Bytes that can still be read from the current position.
    virtual uint64_t Remaining() const = 0;
    // A reader held in memory hands over the rest of its bytes for reading in place; others
    // return nullptr.
    virtual const unsigned char* TakeContiguous(size_t& size) {
        size = 0;
        return nullptr;
    }
};

// Bytes an archive stores to.
class IArchiveWriter {
public:
    virtual ~IArchiveWriter() = default;
    // Writes all bytes or throws.
    virtual void Write(const void* data, size_t size) = 0;
};

// Reads from a block of memory that the caller keeps alive.
class CMemoryReader : public IArchiveReader {
public:
    CMemoryReader(const void* data, size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    explicit CMemoryReader(const std::string& bytes) : CMemoryReader(bytes.data(), bytes.size()) {}

    size_t Read(void* data, size_t size) override;
    uint64_t Remaining() const override { return m_size - m_pos; }
    const unsigned char* TakeContiguous(size_t& size) override;

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Collects written bytes in memory; a save serializes here first and then replaces the file.
class CMemoryWriter : public IArchiveWriter {
public:
    void Reserve(size_t size) { m_bytes.reserve(size); }
    void Write(const void* data, size_t size) override {
        m_bytes.append(static_cast<const char*>(data), size);
    }

    const std::string& Bytes() const { return m_bytes; }
    std::string TakeBytes() { return std::move(m_bytes); }

private:
    std::string m_bytes;
};

// Little-endian binary archive with a 4096-byte buffer over one stream and one direction. A
// direction that does not match the stream makes every operation fail.
class CDataArchive {
public:
    enum class Mode { Store, Load };
    static constexpr size_t kBufferSize = 4096;

    CDataArchive(IArchiveReader& in, Mode mode);
    CDataArchive(IArchiveWriter& out, Mode mode);
    CDataArchive(const CDataArchive&) = delete;
    CDataArchive& operator=(const CDataArchive&) = delete;

    CDataArchive& WriteInt(int32_t value);
    CDataArchive& WriteFlag(bool value);
    CDataArchive& WriteByte(uint8_t value);
    CDataArchive& WriteUInt64(uint64_t value);
    // A counted string of bytes, as they are.
    CDataArchive& WriteString(const std::string& bytes);
    // A counted string holding a text in its stored form.
    CDataArchive& WriteText(const std::string& text);

    int32_t ReadInt();
    bool ReadFlag();
    uint8_t ReadByte();
    uint64_t ReadUInt64();
    // The text of a counted string.
    std::string ReadText();
    // The bytes of a counted string; a string of the wide form gives the stored form of its text.
    std::string ReadString() {
        // Most texts are already in the window with a one- or three-byte length.
        if (m_reader != nullptr && m_in != m_inEnd) {
            const size_t window = static_cast<size_t>(m_inEnd - m_in);
            size_t prefix = 1;
            size_t length = m_in[0];
            if (length == 0xFF && window >= 3) {
                prefix = 3;
                length = m_in[1] | (m_in[2] << 8);
            }
            if (length < 0xFF || (prefix == 3 && length < 0xFFFE)) {
                if (length <= window - prefix) {
                    std::string text(reinterpret_cast<const char*>(m_in + prefix), length);
                    m_in += prefix + length;
                    return text;
                }
            }
        }
        return ReadStringSlow();
    }

    // Flushes pending output and detaches from the stream. Later operations throw.
    void Close();

    // Bytes a loading archive can still read.
    uint64_t Remaining() const;

    // Bytes that WriteString produces for a text of the given length.
    static uint64_t CountedSize(uint64_t length);

private:
    void RequireMode(Mode mode) const {
        if ((mode == Mode::Load ? m_reader == nullptr : m_writer == nullptr)) {
            ModeError(mode);
        }
    }
    [[noreturn]] void ModeError(Mode mode) const;
    std::string ReadStringSlow();
    // The length of the counted string that follows, checked against what the stream still holds.
    uint64_t ReadStringLength(uint64_t& charSize);
    void WriteBytes(const void* data, size_t size);
    void ReadBytes(void* data, size_t size);
    void Refill();
    void Flush();
    template <typename T> void WriteLE(T value);
    template <typename T> T ReadLE();

    // Only the one that matches the direction is set; both are null once closed.
    IArchiveReader* m_reader = nullptr;
    IArchiveWriter* m_writer = nullptr;
    bool m_closed = false;
    unsigned char m_buffer[kBufferSize];
    size_t m_pos = 0; // next byte to write in the buffer
    // The bytes ready for reading: part of the buffer, or a whole stream held in memory.
    const unsigned char* m_in = nullptr;
    const unsigned char* m_inEnd = nullptr;
};
