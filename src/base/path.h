// The folder and the name of a path, with either kind of separator.
#pragma once

#include <string>

// The folder of a path with its separator at the end ('\' or '/'); empty for a bare name.
inline std::string FolderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// The last part of a path.
inline std::string NameOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
