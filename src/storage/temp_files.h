// Clears up after saves that were cut off, keeping whatever complete bytes they got down.
#pragma once

#include "storage/file_system.h"

#include <functional>
#include <string>
#include <vector>

// Settles what interrupted saves of the file at path left beside it (see IsTempFileOf): the
// newest complete one takes the place of a target that is missing or does not load, after
// keepAside kept the target's bytes; those that are not complete go; complete ones go once
// their target holds a complete file. A file that another program holds waits for a later
// start. folderEntries are the names in the folder of path, listed before.
void SettleTempFilesOf(IFileSystem& files, const std::string& path,
                       const std::vector<std::string>& folderEntries,
                       const std::function<bool(const std::string&)>& loads,
                       const std::function<EFileError(const std::string&)>& keepAside);
