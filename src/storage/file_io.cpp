#include "storage/file_io.h"

#include "storage/file_io_platform.h"

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

std::string TempPathFor(const std::string& path) {
    return path + ".tmp";
}

namespace {

bool Fails(unsigned faults, EReplaceFault step) {
    return (faults & step) != 0;
}

bool WriteWholeFile(platform::COutFile& file, const std::string& bytes, unsigned faults) {
    bool ok = !Fails(faults, kFailWrite) && file.Write(bytes.data(), bytes.size());
    ok = ok && !Fails(faults, kFailFlush) && file.Flush();
    const bool closed = file.Close() && !Fails(faults, kFailClose);
    return ok && closed;
}

// Puts the complete temporary file in place of path; removes nothing.
EReplaceResult PlaceTemp(const std::string& temp, const std::string& path, unsigned faults) {
    bool placed = false;
    if (Fails(faults, kFailReplaceDropsTarget)) {
        RemoveFile(path);
    } else {
        placed = !Fails(faults, kFailReplace) && platform::SwapIn(temp, path);
    }
    // A replace can fail after moving the target away (Windows ReplaceFile does): the new bytes
    // then go into place by a plain move.
    if (!placed && FileIsMissing(path)) {
        placed = !Fails(faults, kFailMove) && platform::MoveIntoPlace(temp, path);
    }
    if (placed) {
        return EReplaceResult::Replaced;
    }
    return FileIsMissing(path) ? EReplaceResult::LeftInTemp : EReplaceResult::Unchanged;
}

} // namespace

EReplaceResult ReplaceFileContents(const std::string& path, const std::string& bytes,
                                   unsigned faults) {
    if (!platform::TargetAcceptsWrite(path)) {
        return EReplaceResult::Unchanged;
    }
    const std::string temp = TempPathFor(path);
    {
        platform::COutFile file;
        if (Fails(faults, kFailCreateTemp) || !file.Create(temp, false)) {
            return EReplaceResult::Unchanged;
        }
        if (!WriteWholeFile(file, bytes, faults)) {
            RemoveFile(temp);
            return EReplaceResult::Unchanged;
        }
    }
    const EReplaceResult result = PlaceTemp(temp, path, faults);
    if (result == EReplaceResult::Unchanged) {
        RemoveFile(temp);
    }
    return result;
}

EReplaceResult PromoteTempFile(const std::string& path) {
    return PlaceTemp(TempPathFor(path), path, 0);
}

bool CopyFileBytes(const std::string& from, const std::string& to) {
    CReadFile in;
    if (!in.Open(from)) {
        return false;
    }
    platform::COutFile out;
    if (!out.Create(to, true)) {
        return false;
    }
    bool ok = true;
    try {
        // Copied in pieces: a damaged file may be far larger than any data file.
        char buffer[64 * 1024];
        for (size_t got; ok && (got = in.Read(buffer, sizeof buffer)) != 0;) {
            ok = out.Write(buffer, got);
        }
    } catch (const CArchiveError&) {
        ok = false;
    }
    ok = ok && out.Flush();
    ok = out.Close() && ok;
    if (!ok) {
        RemoveFile(to);
    }
    return ok;
}
