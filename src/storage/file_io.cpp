// The portable file sequences: whole reads, the atomic replace, new files, copies and moves.
#include "storage/file_io.h"

#include "base/path.h"
#include "storage/file_io_platform.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <new>

uint64_t CReadFile::Remaining() const {
    return m_pos < m_size ? m_size - m_pos : 0;
}

const unsigned char* CReadFile::TakeContiguous(size_t& size) {
    size = 0;
    const uint64_t rest = Remaining();
    if (rest == 0 || rest > kWholeReadLimit) {
        return nullptr;
    }
    m_whole.reset(new (std::nothrow) unsigned char[static_cast<size_t>(rest)]);
    if (!m_whole) {
        return nullptr;
    }
    while (size < rest) {
        const size_t got = Read(m_whole.get() + size, static_cast<size_t>(rest) - size);
        if (got == 0) {
            break; // the file shrank; what was read is all there is
        }
        size += got;
    }
    return m_whole.get();
}

EFileError ReadWholeFile(const std::string& path, std::string& bytes, uint64_t limit) {
    bytes.clear();
    CReadFile in;
    if (!in.Open(path)) {
        return in.Error();
    }
    if (in.Remaining() > limit) {
        return EFileError::TooLarge;
    }
    try {
        bytes.resize(static_cast<size_t>(in.Remaining()));
        size_t done = 0;
        while (done < bytes.size()) {
            const size_t got = in.Read(&bytes[done], bytes.size() - done);
            if (got == 0) {
                break;
            }
            done += got;
        }
        bytes.resize(done); // the file shrank while it was read
        return EFileError::None;
    } catch (const CArchiveError&) {
        return EFileError::Other;
    } catch (const std::bad_alloc&) {
        return EFileError::TooLarge;
    }
}

namespace {

// Each write gets a temporary name no other write uses, so a later write never truncates the
// complete bytes an earlier failed one left.
std::string NewTempPath(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    char token[40];
    std::snprintf(token, sizeof token, ".%lx-%x.tmp", platform::ProcessId(), ++counter);
    return path + token;
}

bool Fails(unsigned faults, EReplaceFault step) {
    return (faults & step) != 0;
}

EFileError WriteWholeFile(platform::COutFile& file, const std::string& bytes, unsigned faults) {
    EFileError error =
        Fails(faults, kFailWrite) ? EFileError::Other : file.Write(bytes.data(), bytes.size());
    if (error == EFileError::None) {
        error = Fails(faults, kFailFlush) ? EFileError::Other : file.Flush();
    }
    EFileError closed = file.Close();
    if (Fails(faults, kFailClose)) {
        closed = EFileError::Other;
    }
    return error != EFileError::None ? error : closed;
}

// Puts the complete temporary file in place of path; removes nothing.
EReplaceResult PlaceTemp(const std::string& temp, const std::string& path, unsigned faults,
                         const std::string& replacedAs, EFileError& error) {
    error = EFileError::None;
    if (Fails(faults, kFailReplaceDropsTarget)) {
        RemoveFile(path);
        error = EFileError::Other;
    } else {
        error = Fails(faults, kFailReplace) ? EFileError::Other
                                            : platform::SwapIn(temp, path, replacedAs);
    }
    // A replace can fail after moving the target away (Windows ReplaceFile does): the new bytes
    // then go into place by a plain move.
    if (error != EFileError::None && FileIsMissing(path)) {
        error = Fails(faults, kFailMove) ? EFileError::Other : platform::MoveIntoPlace(temp, path);
    }
    if (error == EFileError::None) {
        return EReplaceResult::Replaced;
    }
    return FileIsMissing(path) ? EReplaceResult::LeftInTemp : EReplaceResult::Unchanged;
}

} // namespace

EReplaceResult ReplaceFileContents(const std::string& path, const std::string& bytes,
                                   unsigned faults, EFileError* error,
                                   const std::string& replacedAs, SFileStamp* written) {
    EFileError ignored;
    EFileError& why = error != nullptr ? *error : ignored;
    why = platform::TargetAcceptsWrite(path);
    if (why != EFileError::None) {
        return EReplaceResult::Unchanged;
    }
    const std::string temp = NewTempPath(path);
    {
        platform::COutFile file;
        why = Fails(faults, kFailCreateTemp) ? EFileError::Other : file.Create(temp, true);
        if (why != EFileError::None) {
            return EReplaceResult::Unchanged;
        }
        why = WriteWholeFile(file, bytes, faults);
        if (why != EFileError::None) {
            RemoveFile(temp);
            return EReplaceResult::Unchanged;
        }
    }
    if (written != nullptr) {
        // Nobody else knows the temporary file: its stamp is the new file's, without a race.
        *written = FileStampOf(temp);
    }
    const EReplaceResult result = PlaceTemp(temp, path, faults, replacedAs, why);
    if (result == EReplaceResult::Unchanged) {
        RemoveFile(temp);
    }
    return result;
}

EFileError CheckWritable(const std::string& path) {
    return platform::TargetAcceptsWrite(path);
}

EFileError WriteNewFile(const std::string& path, const std::string& bytes) {
    platform::COutFile out;
    EFileError error = out.Create(path, true);
    if (error != EFileError::None) {
        return error;
    }
    error = WriteWholeFile(out, bytes, 0);
    if (error != EFileError::None) {
        RemoveFile(path);
    }
    return error;
}

EFileError CopyFileBytes(const std::string& from, const std::string& to) {
    CReadFile in;
    if (!in.Open(from)) {
        return in.Error();
    }
    platform::COutFile out;
    EFileError error = out.Create(to, true);
    if (error != EFileError::None) {
        return error;
    }
    try {
        // Copied in pieces: a damaged file may be far larger than any data file.
        char buffer[64 * 1024];
        for (size_t got;
             error == EFileError::None && (got = in.Read(buffer, sizeof buffer)) != 0;) {
            error = out.Write(buffer, got);
        }
    } catch (const CArchiveError&) {
        error = EFileError::Other;
    }
    if (error == EFileError::None) {
        error = out.Flush();
    }
    const EFileError closed = out.Close();
    if (error == EFileError::None) {
        error = closed;
    }
    if (error != EFileError::None) {
        RemoveFile(to);
    }
    return error;
}

bool IsTempFileOf(const std::string& entry, const std::string& name) {
    return entry.size() >= name.size() + 4 && entry.compare(0, name.size() + 1, name + ".") == 0 &&
           entry.compare(entry.size() - 4, 4, ".tmp") == 0;
}

EFileError MoveToNewName(const std::string& from, const std::string& to) {
    if (!FileIsMissing(to)) {
        return EFileError::Denied;
    }
    return platform::MoveIntoPlace(from, to);
}

