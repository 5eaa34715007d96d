#include "storage/notes_file.h"

#include "storage/archive.h"
#include "storage/file_io.h"

std::string SerializeNotes(const DayArray& days, const std::string& everyDay) {
    CMemoryWriter out;
    CDataArchive ar(out, CDataArchive::Mode::Store);
    ar.WriteString(everyDay);
    ar.WriteInt(static_cast<int32_t>(days.size()));
    for (const SDay& day : days) {
        ar.WriteString(day.strDate).WriteString(day.strNote);
    }
    ar.Close();
    return out.Bytes();
}

bool ReadNotes(DayArray& days, std::string& everyDay, IArchiveStream& stream) {
    try {
        CDataArchive ar(stream, CDataArchive::Mode::Load);
        everyDay = ar.ReadString();
        const int32_t count = ar.ReadInt();
        for (int32_t i = 0; i < count; ++i) {
            SDay day;
            day.strDate = ar.ReadString();
            day.strNote = ar.ReadString();
            days.push_back(std::move(day));
        }
        ar.Close();
        return true;
    } catch (const CArchiveError&) {
        return false;
    }
}

bool SaveNotes(const DayArray& days, const std::string& everyDay, const std::string& path) {
    return ReplaceFileContents(path, SerializeNotes(days, everyDay));
}

bool LoadNotes(DayArray& days, std::string& everyDay, const std::string& path) {
    days.clear();
    CReadFile file;
    if (!file.Open(path)) {
        return false;
    }
    return ReadNotes(days, everyDay, file);
}
