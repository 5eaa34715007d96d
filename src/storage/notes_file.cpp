// The notes file's records: writing, reading, the torn-file checks and the canonical bytes.
#include "storage/notes_file.h"

#include "base/stored_text.h"
#include "storage/archive.h"
#include "storage/file_io.h"
#include "storage/file_system.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// A file may make the notes take at most this many bytes of memory per byte of its own, or the
// floor for small files: a day with a one-letter note takes nine bytes on disk and 64 in
// memory, while 8 MB of empty records would otherwise take 275 MB.
constexpr uint64_t kMemoryPerFileByte = 8;
constexpr uint64_t kMemoryFloor = 1u << 16;

// The heap a string holds beyond its own object (texts up to 15 characters are kept inside).
uint64_t HeapBytes(const std::string& text) {
    return text.capacity() > 15 ? text.capacity() + 1 : 0;
}

// Takes what an archive writes as a comparison with bytes already made, keeping nothing.
class CComparingWriter : public IArchiveWriter {
public:
    explicit CComparingWriter(const std::string& bytes) : m_bytes(bytes) {}
    void Write(const void* data, size_t size) override {
        m_same = m_same && size <= m_bytes.size() - m_at &&
                 std::memcmp(m_bytes.data() + m_at, data, size) == 0;
        m_at += m_same ? size : 0;
    }
    bool Same() const { return m_same; }

private:
    const std::string& m_bytes;
    size_t m_at = 0;
    bool m_same = true;
};

// Ends early, false, once `going` says so.
template <typename Going>
void WriteNotes(IArchiveWriter& out, const DayArray& days, const std::string& everyDay,
                Going going) {
    CDataArchive ar(out, CDataArchive::Mode::Store);
    ar.WriteText(everyDay);
    ar.WriteInt(static_cast<int32_t>(days.size()));
    for (const SDay& day : days) {
        if (!going()) {
            return;
        }
        ar.WriteText(day.strDate).WriteText(day.strNote);
    }
    ar.Close();
}

} // namespace

uint64_t SerializedNotesSize(const DayArray& days, const std::string& everyDay) {
    uint64_t size = CDataArchive::CountedSize(StoredSize(everyDay)) + 4;
    for (const SDay& day : days) {
        size += CDataArchive::CountedSize(StoredSize(day.strDate)) +
                CDataArchive::CountedSize(StoredSize(day.strNote));
    }
    return size;
}

std::string SerializeNotes(const DayArray& days, const std::string& everyDay) {
    // Sized up front: a large file would otherwise be copied over and over as it grows.
    CMemoryWriter out;
    out.Reserve(static_cast<size_t>(SerializedNotesSize(days, everyDay)));
    WriteNotes(out, days, everyDay, [] { return true; });
    return out.TakeBytes();
}

bool SerializesTo(const DayArray& days, const std::string& everyDay, const std::string& bytes) {
    // Of the same size, bytes that never differed end where these do.
    if (SerializedNotesSize(days, everyDay) != bytes.size()) {
        return false;
    }
    CComparingWriter out(bytes);
    WriteNotes(out, days, everyDay, [&] { return out.Same(); });
    return out.Same();
}

namespace {

// What a write cut off by a power cut leaves: the rest of the file zero. No text typed into the
// program ends in a zero byte, and no record has neither key nor text.
bool EndsInZero(const std::string& text) {
    return !text.empty() && text.back() == '\0';
}

bool Torn(const std::string& date, const std::string& note) {
    return date.empty() && note.empty();
}

} // namespace

bool ReadNotes(DayArray& days, std::string& everyDay, IArchiveReader& stream, ENotesOrigin origin) {
    const bool dataFile = origin == ENotesOrigin::DataFolder;
    return ReadOrFail([&] {
        const uint64_t budget =
            std::max(kMemoryPerFileByte * std::min<uint64_t>(stream.Remaining(), UINT64_MAX / 8),
                     kMemoryFloor);
        CDataArchive ar(stream, CDataArchive::Mode::Load);
        everyDay = ar.ReadText();
        const int32_t count = ar.ReadInt();
        if (dataFile && EndsInZero(everyDay)) {
            return false;
        }
        if (count > kMaxNoteRecords) {
            return false;
        }
        // Each record takes at least two bytes of the file and one SDay of the budget; a count
        // within both is reserved whole, so the array never grows past the budget.
        uint64_t used = HeapBytes(everyDay);
        if (count > 0) {
            const uint64_t fit =
                std::min({static_cast<uint64_t>(count), ar.Remaining() / 2, budget / sizeof(SDay)});
            days.reserve(days.size() + static_cast<size_t>(fit));
        }
        for (int32_t i = 0; i < count; ++i) {
            std::string date = ar.ReadText();
            std::string note = ar.ReadText();
            used += sizeof(SDay) + HeapBytes(date) + HeapBytes(note);
            if (used > budget || (dataFile && (Torn(date, note) || EndsInZero(note)))) {
                return false;
            }
            days.push_back(SDay{std::move(date), std::move(note)});
        }
        if (dataFile && ar.Remaining() != 0) {
            bool zeros = true;
            while (zeros && ar.Remaining() != 0) {
                zeros = ar.ReadByte() == 0;
            }
            if (zeros) {
                return false;
            }
        }
        ar.Close();
        return true;
    });
}

bool ParseDataFileNotes(const std::string& bytes, SNotebook& notes) {
    notes = SNotebook();
    CMemoryReader reader(bytes);
    const bool read = ReadNotes(notes.days, notes.everyDay, reader, ENotesOrigin::DataFolder);
    MergeDuplicateDays(notes.days);
    return read;
}

std::shared_ptr<const std::string> CanonicalNotes(SNotebook& notes) {
    if (!IsDaysSorted(notes.days, true)) {
        SortDays(notes.days, true);
    }
    return std::make_shared<const std::string>(SerializeNotes(notes.days, notes.everyDay));
}

bool SaveNotes(const DayArray& days, const std::string& everyDay, const std::string& path) {
    return ReplaceFileContents(path, SerializeNotes(days, everyDay)) == EReplaceResult::Replaced;
}

namespace {

bool ReadNotesFile(DayArray& days, std::string& everyDay, const std::string& path,
                   ENotesOrigin origin) {
    days.clear();
    CReadFile file;
    if (!file.Open(path)) {
        return false;
    }
    return ReadNotes(days, everyDay, file, origin);
}

} // namespace

bool LoadNotes(DayArray& days, std::string& everyDay, const std::string& path) {
    return ReadNotesFile(days, everyDay, path, ENotesOrigin::Any);
}

namespace {

// The notes become the data file: what the start would take for a torn or unreadable one is
// refused here, or the next start would show the backup and keep the import aside.
bool TakeImport(SNotebook read, SNotebook& notes) {
    for (const SDay& day : read.days) {
        if (!IsRealDayKey(day.strDate)) {
            return false;
        }
    }
    MergeDuplicateDays(read.days);
    if (SerializedNotesSize(read.days, read.everyDay) > kDataFileReadLimit) {
        return false;
    }
    notes = std::move(read);
    return true;
}

} // namespace

bool LoadImport(SNotebook& notes, const std::string& path) {
    SNotebook read;
    return ReadNotesFile(read.days, read.everyDay, path, ENotesOrigin::DataFolder) &&
           TakeImport(std::move(read), notes);
}

bool ParseImport(const std::string& bytes, SNotebook& notes) {
    SNotebook read;
    CMemoryReader reader(bytes);
    return ReadNotes(read.days, read.everyDay, reader, ENotesOrigin::DataFolder) &&
           TakeImport(std::move(read), notes);
}
