#include "storage/file_io.h"

uint64_t CReadFile::Remaining() const {
    return m_pos < m_size ? m_size - m_pos : 0;
}

const unsigned char* CReadFile::TakeContiguous(size_t& size) {
    size = 0;
    const uint64_t rest = Remaining();
    if (rest == 0 || rest > kWholeReadLimit) {
        return nullptr;
    }
    m_whole.reset(new unsigned char[static_cast<size_t>(rest)]);
    while (size < rest) {
        const size_t got = Read(m_whole.get() + size, static_cast<size_t>(rest) - size);
        if (got == 0) {
            break; // the file shrank; what was read is all there is
        }
        size += got;
    }
    return m_whole.get();
}

std::string TempPathFor(const std::string& path) {
    return path + ".tmp";
}
