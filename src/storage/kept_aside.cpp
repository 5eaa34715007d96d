// Naming, keeping and pruning the copies kept aside beside a file.
#include "storage/kept_aside.h"

#include "base/path.h"
#include "base/time_format.h"

#include <algorithm>
#include <vector>

namespace {

const char kUnreadable[] = ".unreadable-";
const char kMerged[] = ".merged-";

// The time part of a kept copy's name, which sorts in time order.
std::string TimeOfCopy(const std::string& name, const std::string& kind) {
    const size_t at = name.rfind(kind);
    return at == std::string::npos ? std::string() : name.substr(at + kind.size());
}

} // namespace

std::string CKeptAside::NewName(const std::string& path, const char* kind) {
    const std::string stamp = path + kind + FormatTime(m_clock.Now(), "%Y%m%d-%H%M%S");
    std::string name = stamp;
    for (int n = 2; m_files.Stamp(name).exists; ++n) {
        name = stamp + "-" + std::to_string(n);
    }
    return name;
}

void CKeptAside::Prune(const std::string& folder, const std::string& prefix,
                       const std::string& kind, const std::string& keep, uint64_t keptBytes) {
    std::vector<std::string> copies;
    for (const std::string& name : m_files.List(folder)) {
        if (name.compare(0, prefix.size(), prefix) == 0 && name.find(kind) != std::string::npos &&
            folder + name != keep) {
            copies.push_back(name);
        }
    }
    std::sort(copies.begin(), copies.end(), [&](const std::string& a, const std::string& b) {
        return TimeOfCopy(a, kind) < TimeOfCopy(b, kind);
    });
    size_t kept = 1;
    for (auto it = copies.rbegin(); it != copies.rend(); ++it) {
        const uint64_t size = m_files.Stamp(folder + *it).size;
        if (kept < kKeptCopies && keptBytes + size <= kKeptCopiesBytes) {
            ++kept;
            keptBytes += size;
        } else {
            m_files.Remove(folder + *it);
        }
    }
}

EFileError CKeptAside::KeepUnreadable(const std::string& path, const std::string* bytes,
                                      uint64_t size, std::string& keptAs) {
    const std::string folder = FolderOf(path);
    const std::string prefix = NameOf(path) + kUnreadable;
    // The same bytes kept before (the file is still the one that would not load) are kept once.
    for (const std::string& name : m_files.List(folder)) {
        std::string kept;
        if (bytes != nullptr && name.compare(0, prefix.size(), prefix) == 0 &&
            m_files.Stamp(folder + name).size == size &&
            m_files.Read(folder + name, kept, size) == EFileError::None && kept == *bytes) {
            keptAs = folder + name;
            return EFileError::None;
        }
    }
    const std::string copy = NewName(path, kUnreadable);
    const EFileError error =
        bytes != nullptr ? m_files.WriteNew(copy, *bytes) : m_files.Copy(path, copy);
    if (error != EFileError::None) {
        return error;
    }
    keptAs = copy;
    Prune(folder, prefix, kUnreadable, copy, size);
    return EFileError::None;
}

EFileError CKeptAside::MoveMerged(const std::string& path, std::string& movedTo) {
    const std::string target = NewName(path, kMerged);
    const EFileError error = m_files.Move(path, target);
    if (error != EFileError::None) {
        return error;
    }
    movedTo = target;
    // Copies of every name count together: each sync conflict leaves one of a name of its own.
    Prune(FolderOf(path), std::string(), kMerged, target, m_files.Stamp(target).size);
    return EFileError::None;
}
