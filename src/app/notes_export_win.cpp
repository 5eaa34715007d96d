// Save Data... and Load Data...: the file dialogs, the export formats and the import's checks.
#include "app/notes_export_win.h"

#include "base/path.h"
#include "base/time_format.h"
#include "base/utf8_win.h"
#include "storage/app_data_win.h"
#include "storage/export_formats.h"
#include "storage/file_io.h"
#include "storage/notes_file.h"
#include "win/common_dialogs_win.h"
#include "win/window_win.h"

namespace {

const char* const kBackupFilter = "Quillet File (*.qlt)|*.qlt|All Files (*.*)|*.*||";
// Save Data... also writes files for other programs; Load Data... reads its own only.
const char* const kSaveDataFilter =
    "Quillet File (*.qlt)|*.qlt|Calendar (*.ics)|*.ics|Text (*.md)|*.md|All Files (*.*)|*.*||";
const char* const kBackupExtension = "qlt";

} // namespace

std::string CNotesExport::Folder() const {
    return m_folder.empty() ? DocumentsFolder() : m_folder;
}

void CNotesExport::Remember(const std::string& path) {
    if (!FolderOf(path).empty()) {
        m_folder = FolderOf(path);
    }
}

bool CNotesExport::SaveData(HWND owner, const std::function<const SNotebook&()>& saved,
                            CTrayIcon& tray) {
    std::string path;
    int type = 1;
    // No default extension for the dialog: some dialogs add it whatever type is chosen. The
    // type's own is added here, with the question the dialog asks of a name that is taken.
    if (!AskFileName(true, owner, kSaveDataFilter, FormatTime(CurrentTime(), "%Y-%m-%d"), nullptr,
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, Folder(), path, &type)) {
        return true;
    }
    if (AddExportExtension(type, path) && FileStampOf(path).exists &&
        MessageBoxUtf8(owner, NameOf(path) + " already exists.\r\nDo you want to replace it?",
                       "Confirm Save As", MB_YESNO | MB_ICONWARNING) != IDYES) {
        return true;
    }
    Remember(path);
    const SNotebook& notes = saved();
    const EExportType format = ExportTypeFor(type, path);
    bool written = false;
    // A name with no UTF-8 form comes back empty, which names no file to write.
    if (!path.empty()) {
        written =
            format == EExportType::Quillet
                ? SaveNotes(notes.days, notes.everyDay, path)
                : ReplaceFileContents(path, format == EExportType::Calendar
                                                ? ExportCalendar(notes, CurrentTime())
                                                : ExportText(notes)) == EReplaceResult::Replaced;
    }
    if (!written) {
        MessageBoxUtf8(owner, "Program cann't save data to this file. Try again.",
                       "Unsuccessful saving backup file", MB_OK | MB_ICONERROR);
        return false;
    }
    tray.ShowInfo("Quillet", "The notes were saved to " + NameOf(path) + ".");
    return true;
}

CNotesExport::ELoad CNotesExport::LoadData(HWND owner, SNotebook& notes) {
    std::string path;
    if (!AskFileName(false, owner, kBackupFilter, "", kBackupExtension,
                     OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, Folder(), path)) {
        return ELoad::Kept;
    }
    Remember(path);
    // The notes come from the read that was checked: a second read could meet a file that
    // changed or vanished meanwhile and leave the notes half replaced.
    if (path.empty() || !LoadImport(notes, path)) {
        MessageBoxUtf8(owner, "Program cann't open this file. File wrong or corrupted. Try again.",
                       "Unsuccessful opening backup file", MB_OK | MB_ICONERROR);
        return ELoad::Failed;
    }
    if (MessageBoxUtf8(owner, "All current info will be remove from calendar...", "Load Data",
                       MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
        return ELoad::Kept;
    }
    return ELoad::Replaced;
}
