// The window size file in the local folder: its text, and reading and keeping it.
#include "storage/window_size.h"

#include "storage/file_system.h"

#include <cstdio>

const char* const kWindowSizeName = "qlt_window.size";

namespace {

// Wider or taller than any screen is a damaged file.
constexpr int kLargestSide = 32767;
constexpr uint64_t kReadLimit = 64;

} // namespace

std::string SerializeWindowSize(SPoint size) {
    char text[32];
    std::snprintf(text, sizeof text, "%d %d\r\n", static_cast<int>(size.x),
                  static_cast<int>(size.y));
    return text;
}

bool ParseWindowSize(const std::string& text, SPoint& size) {
    int sides[2] = {};
    size_t at = 0;
    for (int i = 0; i < 2; ++i) {
        if (i == 1 && (at >= text.size() || text[at++] != ' ')) {
            return false;
        }
        const size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 6) {
            sides[i] = sides[i] * 10 + (text[at++] - '0');
        }
        if (at == start || sides[i] < 1 || sides[i] > kLargestSide) {
            return false;
        }
    }
    if (text.compare(at, std::string::npos, "\r\n") != 0 && at != text.size()) {
        return false;
    }
    size = SPoint{sides[0], sides[1]};
    return true;
}

SPoint ReadWindowSize(IFileSystem& files, const std::string& localFolder) {
    std::string text;
    SPoint size;
    if (localFolder.empty() ||
        files.Read(localFolder + kWindowSizeName, text, kReadLimit) != EFileError::None ||
        !ParseWindowSize(text, size)) {
        return SPoint{};
    }
    return size;
}

bool KeepWindowSize(IFileSystem& files, const std::string& localFolder, SPoint size) {
    return !localFolder.empty() && files.MakeFolder(localFolder) &&
           files.Replace(localFolder + kWindowSizeName, SerializeWindowSize(size)) ==
               EFileError::None;
}
