// The texts the main window shows about its files: balloons and message boxes.
#pragma once

// Portable, so that they are tested with the core.

#include "saving/save_policy.h"

#include <string>

extern const char* const kStartNoticeTitle; // "Quillet could not read all its files"
extern const char* const kExitFailureCaption;
extern const char* const kExitFailureText;

// "The notes could not be saved: the disk is full." and the like.
std::string SaveFailureText(const SSaveReport& report);
// Which copy the window shows of files that could not be read, and where their bytes are; empty
// when everything loaded.
std::string StartNoticeText(const SStartNotice& notice);
// Notes from a recovery file or from sync conflict copies that were merged in; empty for none.
std::string MergeNoticeText(const SMergeNotice& notice);
// A file that another program held past the start's wait.
std::string BusyAtStartText(const std::string& path);
// The tip of the icon in the notification area: a portable copy names itself and its folder,
// so that it is told from an installed copy running beside it.
std::string TrayTipText(const SDataPaths& paths);
// The unexpected error's box, by what became of the notes.
std::string UnexpectedErrorText(bool loaded, bool saved, const std::string& recoveredPath);
