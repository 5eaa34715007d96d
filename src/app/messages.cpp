// The texts of the balloons and message boxes about the data files, and how each is put together.
#include "app/messages.h"

#include "base/path.h"
#include "base/utf8.h"

const char* const kStartNoticeTitle = "Quillet could not read all its files";
const char* const kExitFailureCaption = "Unsuccessful saving data";
const char* const kExitFailureText =
    "Quillet could not save your notes.\r\nExit anyway and lose the changes made since the last "
    "save?";

std::string SaveFailureText(const SSaveReport& report) {
    const std::string file = NameOf(report.failedPath);
    const bool notes =
        report.failedFile == EDataFile::Notes || report.failedFile == EDataFile::NotesBackup;
    std::string text =
        notes ? "The notes could not be saved: " : "The settings could not be saved: ";
    switch (report.error) {
    case EFileError::DiskFull:
        return text + "the disk is full.";
    case EFileError::Busy:
        return text + "another program is using " + file + ".";
    case EFileError::Denied:
        return text + file + " is read-only or access to it is denied.";
    case EFileError::NoFolder:
    case EFileError::Missing:
        return text + "the folder of " + file + " cannot be found.";
    default:
        return text + "writing " + file + " failed.";
    }
}

std::string StartNoticeText(const SStartNotice& notice) {
    std::string text;
    auto tell = [&](const SLoadedFrom& from, const std::string& main, const std::string& backup,
                    const char* what) {
        if (from.source == ESource::Main ||
            (!from.mainUnreadable && from.source == ESource::Defaults)) {
            return; // loaded, or a first run
        }
        text += NameOf(main) + (from.mainUnreadable ? " could not be read; " : " was missing; ");
        text += from.source == ESource::Backup
                    ? "the " + std::string(what) + " of " + NameOf(backup) + " are used. "
                    : "Quillet started with new " + std::string(what) + ". ";
    };
    tell(notice.notes, notice.paths.notes, notice.paths.notesBackup, "notes");
    tell(notice.settings, notice.paths.settings, notice.paths.settingsBackup, "settings");
    for (const std::string& kept : notice.keptAs) {
        text += "Its bytes are kept in " + kept + ". ";
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

std::string MergeNoticeText(const SMergeNotice& notice) {
    std::string text;
    if (notice.recovered) {
        text = "Notes saved at the end of the last session were brought back.";
    }
    if (!notice.conflictCopies.empty()) {
        std::string names;
        for (const std::string& name : notice.conflictCopies) {
            names += (names.empty() ? "" : ", ") + name;
        }
        text +=
            std::string(text.empty() ? "" : " ") +
            "The notes of a copy that a sync program made beside them were merged in: " + names +
            ".";
    }
    return text;
}

std::string BusyAtStartText(const std::string& path) {
    return "Another program is using a file that Quillet needs:\r\n" + path +
           "\r\n\r\nQuillet has waited for it. Close the program that holds the file (a backup, "
           "sync or virus-scanning program), then choose Retry. Cancel ends Quillet without "
           "changing any file.";
}

std::string UnexpectedErrorText(bool loaded, bool saved, const std::string& recoveredPath) {
    return std::string("Quillet met an unexpected error and has to close.\r\n") +
           (!loaded ? "No file was changed."
            : saved ? "Your notes have been saved."
            : !recoveredPath.empty()
                ? "Your notes could not be saved in place; they are in " + recoveredPath + "."
                : "Your latest changes could not be saved.");
}

std::string TrayTipText(const SDataPaths& paths) {
    if (!paths.portable) {
        return "Quillet";
    }
    // The program's folder: the data folder's parent. A tip holds 127 characters; a long path
    // keeps its end, which names the place.
    std::string folder = FolderOf(paths.folder.substr(0, paths.folder.size() - 1));
    if (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    const std::string head = "Quillet (portable) - ";
    constexpr size_t kTipUnits = 127;
    const size_t room = kTipUnits - head.size();
    if (Utf16Length(folder) > room) {
        size_t at = folder.size();
        for (size_t prior; at > 0; at = prior) {
            prior = PriorUtf8(folder.data(), at);
            if (Utf16Length(folder.data() + prior, folder.size() - prior) > room - 3) {
                break;
            }
        }
        folder = "..." + folder.substr(at);
    }
    return head + folder;
}
