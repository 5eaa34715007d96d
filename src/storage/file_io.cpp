#include "storage/file_io.h"

void CReadFile::Write(const void*, size_t) {
    throw CArchiveError("file is open for reading");
}

uint64_t CReadFile::Remaining() const {
    return m_pos < m_size ? m_size - m_pos : 0;
}

std::string TempPathFor(const std::string& path) {
    return path + ".tmp";
}
