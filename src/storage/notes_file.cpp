#include "storage/notes_file.h"

#include "storage/archive.h"
#include "storage/file_io.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace {

constexpr uint64_t kReserveCap = 1u << 16; // records

} // namespace

std::string SerializeNotes(const DayArray& days, const std::string& everyDay) {
    // Sized up front: a large file would otherwise be copied over and over as it grows.
    uint64_t size = CDataArchive::CountedSize(everyDay.size()) + 4;
    for (const SDay& day : days) {
        size += CDataArchive::CountedSize(day.strDate.size()) +
                CDataArchive::CountedSize(day.strNote.size());
    }
    CMemoryWriter out;
    out.Reserve(static_cast<size_t>(size));
    CDataArchive ar(out, CDataArchive::Mode::Store);
    ar.WriteString(everyDay);
    ar.WriteInt(static_cast<int32_t>(days.size()));
    for (const SDay& day : days) {
        ar.WriteString(day.strDate).WriteString(day.strNote);
    }
    ar.Close();
    return out.TakeBytes();
}

bool ReadNotes(DayArray& days, std::string& everyDay, IArchiveReader& stream) {
    try {
        CDataArchive ar(stream, CDataArchive::Mode::Load);
        everyDay = ar.ReadString();
        const int32_t count = ar.ReadInt();
        // Each record takes at least two bytes, so the file bounds what is reserved; past the
        // cap the array grows as records actually arrive.
        if (count > 0) {
            const uint64_t fit =
                std::min<uint64_t>(static_cast<uint64_t>(count), ar.Remaining() / 2);
            days.reserve(days.size() + static_cast<size_t>(std::min<uint64_t>(fit, kReserveCap)));
        }
        for (int32_t i = 0; i < count; ++i) {
            std::string date = ar.ReadString();
            std::string note = ar.ReadString();
            days.push_back(SDay{std::move(date), std::move(note)});
        }
        ar.Close();
        return true;
    } catch (const CArchiveError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false; // a file too large for the memory at hand counts as damaged
    } catch (const std::length_error&) {
        return false;
    }
}

bool SaveNotes(const DayArray& days, const std::string& everyDay, const std::string& path) {
    return ReplaceFileContents(path, SerializeNotes(days, everyDay)) == EReplaceResult::Replaced;
}

bool LoadNotes(DayArray& days, std::string& everyDay, const std::string& path) {
    days.clear();
    CReadFile file;
    if (!file.Open(path)) {
        return false;
    }
    return ReadNotes(days, everyDay, file);
}

bool NotesReadable(IArchiveReader& stream) {
    try {
        CDataArchive ar(stream, CDataArchive::Mode::Load);
        ar.SkipString();
        const int32_t count = ar.ReadInt();
        for (int32_t i = 0; i < count; ++i) {
            ar.SkipString();
            ar.SkipString();
        }
        return true;
    } catch (const CArchiveError&) {
        return false;
    }
}

bool NotesFileLoads(const std::string& path) {
    CReadFile file;
    return file.Open(path) && NotesReadable(file);
}
