#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// The one error type of the data files: a damaged or short file, a failed read or write, or an
// operation against the archive's direction. Caught once around each whole file operation.
class CArchiveError : public std::runtime_error {
public:
    explicit CArchiveError(const char* what) : std::runtime_error(what) {}
};

// Bytes under an archive: a file or a piece of memory.
class IArchiveStream {
public:
    virtual ~IArchiveStream() = default;
    // Reads up to size bytes; returns how many were read (0 at the end). Throws on a read error.
    virtual size_t Read(void* data, size_t size) = 0;
    // Writes all bytes or throws.
    virtual void Write(const void* data, size_t size) = 0;
    // Bytes that a reader can still get from the current position.
    virtual uint64_t Remaining() const = 0;
};

// Reads from a block of memory that the caller keeps alive.
class CMemoryReader : public IArchiveStream {
public:
    CMemoryReader(const void* data, size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}
    explicit CMemoryReader(const std::string& bytes) : CMemoryReader(bytes.data(), bytes.size()) {}

    size_t Read(void* data, size_t size) override;
    void Write(const void* data, size_t size) override;
    uint64_t Remaining() const override { return m_size - m_pos; }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Collects written bytes in memory; a save serializes here first and then replaces the file.
class CMemoryWriter : public IArchiveStream {
public:
    size_t Read(void* data, size_t size) override;
    void Write(const void* data, size_t size) override {
        m_bytes.append(static_cast<const char*>(data), size);
    }
    uint64_t Remaining() const override { return 0; }

    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// Little-endian binary archive with a 4096-byte buffer over one stream and one direction.
class CDataArchive {
public:
    enum class Mode { Store, Load };
    static constexpr size_t kBufferSize = 4096;

    CDataArchive(IArchiveStream& stream, Mode mode);
    CDataArchive(const CDataArchive&) = delete;
    CDataArchive& operator=(const CDataArchive&) = delete;

    CDataArchive& WriteInt(int32_t value);
    CDataArchive& WriteFlag(bool value);
    CDataArchive& WriteByte(uint8_t value);
    CDataArchive& WriteString(const std::string& text);

    int32_t ReadInt();
    bool ReadFlag();
    uint8_t ReadByte();
    std::string ReadString();

    // Flushes pending output and detaches from the stream. Later operations throw.
    void Close();

private:
    void RequireMode(Mode mode) const;
    void WriteBytes(const void* data, size_t size);
    void ReadBytes(void* data, size_t size);
    uint64_t Remaining() const;
    void Flush();
    template <typename T> void WriteLE(T value);
    template <typename T> T ReadLE();

    IArchiveStream* m_stream;
    Mode m_mode;
    unsigned char m_buffer[kBufferSize];
    size_t m_pos = 0; // next byte to read or write in the buffer
    size_t m_end = 0; // end of the valid bytes when loading
};
