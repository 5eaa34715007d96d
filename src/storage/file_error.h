// The reasons a file operation fails, shared by every part that reads or writes files.
#pragma once

// Why a file operation failed, as far as a user can act on it.
enum class EFileError {
    None,
    Missing,  // nothing at the path
    Busy,     // another program holds the file and shares nothing (a sharing or lock violation)
    DiskFull, // no room left on the disk, or the user's quota is used up
    Denied,   // read-only, or not allowed
    NoFolder, // the folder of the path is not there
    TooLarge, // larger than any file the program reads whole
    Other,
};
