// This computer's records of the notebook in its local folder: read, written, kept small.
#include "sync/computer_record.h"

#include "storage/notes_file.h"

#include <algorithm>

namespace {

// Enough for the versions a sync program may still be bringing to the other computer, and for
// the texts of a long time of everyday changes.
constexpr size_t kWrittenKept = 32;
constexpr size_t kTextsKept = 2048;
constexpr size_t kRecoveriesKept = 8;
const char kRecordName[] = "qlt_notes.written";
const char kSharedName[] = "qlt_notes.shared";
const char kLastWriteName[] = "qlt_notes.last";
const char kOwnStepsName[] = "qlt_notes.steps";

} // namespace

void CComputerRecord::Read() {
    m_written.clear();
    m_texts.clear();
    m_foreign.clear();
    m_lastHash = 0;
    m_lastTicks = 0;
    m_recoveries.clear();
    std::string bytes;
    if (m_folder.empty() ||
        m_files.Read(m_folder + kRecordName, bytes, 1u << 20) != EFileError::None) {
        return;
    }
    // "v" and a hash per version written here; "t", a hash of a text of a day and the time it
    // stopped being the file's; "f", one that came from elsewhere and the time it was there;
    // "l", the last version written here and the notes file's stamp after it; "r", a recovery
    // file's version and the version it was made from. A reader that knows only "v" lines
    // takes the others for texts it never meets.
    auto hex = [&](size_t at) {
        uint64_t value = 0;
        for (size_t i = 0; i < 16; ++i) {
            const char c = bytes[at + i];
            value = (value << 4) | static_cast<uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
        }
        return value;
    };
    for (size_t at = 0; at + 17 <= bytes.size();) {
        if (bytes[at] == 'v') {
            m_written.push_back(hex(at + 1));
            at += 18;
        } else if (at + 34 <= bytes.size()) {
            const uint64_t first = hex(at + 1);
            const uint64_t second = hex(at + 17);
            if (bytes[at] == 'l') {
                m_lastHash = first;
                m_lastTicks = static_cast<int64_t>(second);
            } else if (bytes[at] == 'r') {
                m_recoveries.emplace_back(first, second);
            } else {
                (bytes[at] == 'f' ? m_foreign : m_texts)[first] = static_cast<QTime>(second);
            }
            at += 34;
        } else {
            break;
        }
    }
}

bool CComputerRecord::WroteHere(uint64_t canonicalHash) const {
    return std::find(m_written.begin(), m_written.end(), canonicalHash) != m_written.end();
}

bool CComputerRecord::WroteAfter(uint64_t later, uint64_t earlier) const {
    const auto last = [&](uint64_t hash) {
        return std::find(m_written.rbegin(), m_written.rend(), hash);
    };
    const auto l = last(later);
    return l != m_written.rend() && l < last(earlier);
}

bool CComputerRecord::WroteSince(uint64_t canonicalHash) const {
    const auto at = std::find(m_written.rbegin(), m_written.rend(), canonicalHash);
    return at != m_written.rend() && at != m_written.rbegin();
}

std::shared_ptr<const std::string> CComputerRecord::ReadShared() const {
    std::string bytes;
    SNotebook notes;
    if (m_folder.empty() ||
        m_files.Read(m_folder + kSharedName, bytes, kDataFileReadLimit) != EFileError::None ||
        !ParseDataFileNotes(bytes, notes)) {
        return nullptr;
    }
    return CanonicalNotes(notes);
}

void CComputerRecord::KeepShared(const std::string& canonical) {
    if (!m_folder.empty() && m_files.MakeFolder(m_folder)) {
        m_files.Replace(m_folder + kSharedName, canonical);
    }
}

void CComputerRecord::ForgetShared() {
    if (!m_folder.empty()) {
        m_files.Remove(m_folder + kSharedName);
    }
}

void CComputerRecord::NoteWritten(const std::string& canonical, uint64_t canonicalHash,
                                  SFileStamp fileStamp, const CNotesLineage& lineage) {
    if (m_folder.empty()) {
        return;
    }
    m_written.push_back(canonicalHash);
    if (m_written.size() > kWrittenKept) {
        m_written.erase(m_written.begin());
    }
    // The record names the bytes only once they are there.
    const bool kept = m_files.MakeFolder(m_folder) &&
                      m_files.Replace(m_folder + kLastWriteName, canonical) == EFileError::None;
    m_lastHash = kept ? canonicalHash : 0;
    m_lastTicks = kept ? fileStamp.writeTicks : 0;
    const std::string steps = kept ? lineage.OwnSteps() : std::string();
    if (steps.empty() || m_files.Replace(m_folder + kOwnStepsName, steps) != EFileError::None) {
        m_files.Remove(m_folder + kOwnStepsName);
    }
    Write(lineage);
}

std::string CComputerRecord::ReadOwnSteps() const {
    std::string bytes;
    if (m_folder.empty() ||
        m_files.Read(m_folder + kOwnStepsName, bytes, 4u << 20) != EFileError::None) {
        bytes.clear();
    }
    return bytes;
}

bool CComputerRecord::FileIsLastWrite(const SFileStamp& fileStamp) const {
    return m_lastHash != 0 && fileStamp.exists && fileStamp.writeTicks == m_lastTicks;
}

std::shared_ptr<const std::string> CComputerRecord::ReadLastWrite(QTime& writeTime) const {
    std::string bytes;
    SNotebook notes;
    const std::string path = m_folder + kLastWriteName;
    if (m_folder.empty() || m_lastHash == 0 ||
        m_files.Read(path, bytes, kDataFileReadLimit) != EFileError::None ||
        !ParseDataFileNotes(bytes, notes)) {
        return nullptr;
    }
    writeTime = m_files.Stamp(path).writeTime;
    return CanonicalNotes(notes);
}

bool CComputerRecord::SharedAfterLastWrite() const {
    // Both files are this computer's, stamped by its own clock.
    const SFileStamp shared = m_files.Stamp(m_folder + kSharedName);
    const SFileStamp last = m_files.Stamp(m_folder + kLastWriteName);
    return shared.exists && (!last.exists || shared.writeTicks > last.writeTicks);
}

void CComputerRecord::ForgetLastWrite() {
    if (m_lastHash != 0) {
        m_files.Remove(m_folder + kLastWriteName);
        m_lastHash = 0;
    }
}

void CComputerRecord::NoteRecovery(uint64_t recoveryHash, uint64_t baseHash,
                                   const CNotesLineage& lineage) {
    if (m_folder.empty()) {
        return;
    }
    m_recoveries.emplace_back(recoveryHash, baseHash);
    if (m_recoveries.size() > kRecoveriesKept) {
        m_recoveries.erase(m_recoveries.begin());
    }
    Write(lineage);
}

uint64_t CComputerRecord::RecoveryBase(uint64_t recoveryHash) const {
    for (auto it = m_recoveries.rbegin(); it != m_recoveries.rend(); ++it) {
        if (it->first == recoveryHash) {
            return it->second;
        }
    }
    return 0;
}

void CComputerRecord::Write(const CNotesLineage& lineage) {
    if (m_folder.empty()) {
        return;
    }
    std::string bytes;
    auto hex = [&](uint64_t value) {
        static const char kDigits[] = "0123456789abcdef";
        for (int shift = 60; shift >= 0; shift -= 4) {
            bytes += kDigits[(value >> shift) & 15];
        }
    };
    for (uint64_t hash : m_written) {
        bytes += 'v';
        hex(hash);
        bytes += '\n';
    }
    auto pair = [&](char kind, uint64_t first, uint64_t second) {
        bytes += kind;
        hex(first);
        hex(second);
        bytes += '\n';
    };
    if (m_lastHash != 0) {
        pair('l', m_lastHash, static_cast<uint64_t>(m_lastTicks));
    }
    for (const auto& recovery : m_recoveries) {
        pair('r', recovery.first, recovery.second);
    }
    // The latest texts, when there are more than are kept.
    const QTime now = m_clock.Now();
    auto texts = [&](char kind, const std::unordered_map<uint64_t, QTime>& times, bool held) {
        std::vector<std::pair<QTime, uint64_t>> latest;
        for (const auto& text : times) {
            latest.emplace_back(held ? std::min(text.second, now) : text.second, text.first);
        }
        std::sort(latest.rbegin(), latest.rend());
        latest.resize(std::min(latest.size(), kTextsKept));
        for (const auto& text : latest) {
            pair(kind, text.second, static_cast<uint64_t>(text.first));
        }
    };
    const CNotesLineage::STextTimes times = lineage.TextTimes();
    texts('t', times.replaced, true); // still held: until now
    texts('f', times.foreign, false);
    if (m_files.MakeFolder(m_folder)) {
        m_files.Replace(m_folder + kRecordName, bytes);
    }
}
