// The part of the main window that exports the notes to files and imports them back.
#pragma once

#include "base/day_note.h"
#include "ui/tray_icon_win.h"

#include <windows.h>

#include <functional>
#include <string>

// Save Data... and Load Data...: the notes written to and read from files the user picks, each
// dialog opening in the folder the last one chose.
class CNotesExport {
public:
    // Asks for a file and writes to it, in the format its type or extension names, the notes
    // that saved() gives once the data files are saved; tells how it ended. False when nothing
    // could be written.
    bool SaveData(HWND owner, const std::function<const SNotebook&()>& saved, CTrayIcon& tray);
    enum class ELoad { Kept, Failed, Replaced };
    // Asks for a Quillet file and, once the user agrees that it replaces everything, gives its
    // notes.
    ELoad LoadData(HWND owner, SNotebook& notes);

private:
    std::string Folder() const;
    void Remember(const std::string& path);

    std::string m_folder;
};
