#pragma once

// A file system and a clock in memory, for the saving policy: files can be held by another
// program for a while, the disk can fill up, and another program can write behind the policy's
// back. Time passes only when the policy waits.

#include "storage/file_system.h"
#include "test_util.h"

#include <functional>
#include <map>
#include <utility>
#include <set>
#include <string>
#include <vector>

namespace testutil {

class CFakeClock : public IClock {
public:
    QTime Now() override { return FixedMoment() + static_cast<QTime>(ms / 1000); }
    void Sleep(unsigned wait) override { ms += wait; }

    uint64_t ms = 0;
};

class CFakeFiles : public IFileSystem {
public:
    explicit CFakeFiles(CFakeClock& clock) : m_clock(clock) {}

    // Another program's write: a new last write time, as a sync client's replace gives.
    void Put(const std::string& path, const std::string& bytes, QTime writeTime = 0) {
        m_files[path] = SFile{bytes, ++m_ticks, writeTime != 0 ? writeTime : m_clock.Now()};
    }
    bool Has(const std::string& path) const { return m_files.count(path) != 0; }
    std::string Get(const std::string& path) const {
        const auto it = m_files.find(path);
        return it == m_files.end() ? std::string() : it->second.bytes;
    }
    // Held by another program that shares nothing until the clock reaches the moment.
    void HoldUntil(const std::string& path, uint64_t ms) { m_heldUntil[path] = ms; }
    // Names of the files in a folder, sorted.
    std::vector<std::string> Names(const std::string& folder) { return List(folder); }

    std::function<void()> beforeReplace;
    std::string beforeReplacing;
    bool diskFull = false;
    std::set<std::string> denied;
    int writes = 0;

    EFileError Read(const std::string& path, std::string& bytes, uint64_t limit) override {
        bytes.clear();
        if (Held(path)) {
            return EFileError::Busy;
        }
        const auto it = m_files.find(path);
        if (it == m_files.end()) {
            return EFileError::Missing;
        }
        if (it->second.bytes.size() > limit) {
            return EFileError::TooLarge;
        }
        bytes = it->second.bytes;
        return EFileError::None;
    }
    SFileStamp Stamp(const std::string& path) override {
        SFileStamp stamp;
        const auto it = m_files.find(path);
        if (it != m_files.end()) {
            stamp.exists = true;
            stamp.size = it->second.bytes.size();
            stamp.writeTicks = it->second.ticks;
            stamp.writeTime = it->second.time;
        }
        return stamp;
    }
    EFileError CheckWritable(const std::string& path) override {
        if (Held(path)) {
            return EFileError::Busy;
        }
        if (denied.count(path) != 0) {
            return EFileError::Denied;
        }
        return m_folders.count(FolderOf(path)) != 0 ? EFileError::None : EFileError::NoFolder;
    }
    EFileError Replace(const std::string& path, const std::string& bytes,
                       const std::string& replacedAs = std::string(),
                       SFileStamp* written = nullptr) override {
        if (beforeReplace && path == beforeReplacing) {
            // Another program's write that lands between a check and the replace; it may set
            // itself again.
            const std::function<void()> write = std::exchange(beforeReplace, nullptr);
            write();
        }
        const EFileError error = CheckWritable(path);
        if (error != EFileError::None) {
            return error;
        }
        if (diskFull) {
            return EFileError::DiskFull;
        }
        ++writes;
        if (!replacedAs.empty() && Has(path)) {
            m_files[replacedAs] = m_files[path];
        }
        Put(path, bytes);
        if (written != nullptr) {
            *written = Stamp(path);
        }
        return EFileError::None;
    }
    EFileError WriteNew(const std::string& path, const std::string& bytes) override {
        if (Has(path)) {
            return EFileError::Denied;
        }
        return Replace(path, bytes);
    }
    EFileError Copy(const std::string& from, const std::string& to) override {
        std::string bytes;
        const EFileError error = Read(from, bytes, UINT64_MAX);
        return error != EFileError::None ? error : WriteNew(to, bytes);
    }
    EFileError Move(const std::string& from, const std::string& to) override {
        if (Held(from) || denied.count(from) != 0) {
            return EFileError::Busy;
        }
        if (Has(to)) {
            return EFileError::Denied;
        }
        const auto it = m_files.find(from);
        if (it == m_files.end()) {
            return EFileError::Missing;
        }
        m_files[to] = it->second;
        m_files.erase(it);
        return EFileError::None;
    }
    void Remove(const std::string& path) override {
        if (!Held(path) && denied.count(path) == 0) {
            m_files.erase(path);
        }
    }
    std::vector<std::string> List(const std::string& folder) override {
        std::string prefix = folder;
        if (!prefix.empty() && prefix.back() != '/') {
            prefix += '/';
        }
        std::vector<std::string> names;
        for (const auto& file : m_files) {
            if (file.first.compare(0, prefix.size(), prefix) == 0 &&
                file.first.find('/', prefix.size()) == std::string::npos) {
                names.push_back(file.first.substr(prefix.size()));
            }
        }
        return names;
    }
    bool MakeFolder(const std::string& path) override {
        m_folders.insert(path.back() == '/' ? path : path + '/');
        return true;
    }

private:
    struct SFile {
        std::string bytes;
        int64_t ticks = 0;
        QTime time = 0;
    };

    bool Held(const std::string& path) const {
        const auto it = m_heldUntil.find(path);
        return it != m_heldUntil.end() && m_clock.ms < it->second;
    }
    static std::string FolderOf(const std::string& path) {
        return path.substr(0, path.find_last_of('/') + 1);
    }

    CFakeClock& m_clock;
    std::map<std::string, SFile> m_files;
    std::set<std::string> m_folders;
    std::map<std::string, uint64_t> m_heldUntil;
    int64_t m_ticks = 0;
};

} // namespace testutil
