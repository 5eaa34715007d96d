// The disk's file system and the system clock that the program runs on.
#include "storage/file_system.h"

#include <chrono>
#include <thread>

EFileError CDiskFileSystem::Replace(const std::string& path, const std::string& bytes,
                                    const std::string& replacedAs, SFileStamp* written) {
    EFileError error = EFileError::None;
    if (ReplaceFileContents(path, bytes, 0, &error, replacedAs, written) ==
        EReplaceResult::Replaced) {
        return EFileError::None;
    }
    return error == EFileError::None ? EFileError::Other : error;
}

void CSystemClock::Sleep(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
