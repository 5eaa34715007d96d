#pragma once

#include <cstdint>
#include <string>

// A 64-bit FNV-1a hash: tells whether bytes changed without keeping a copy of them.
inline uint64_t HashBytes(const std::string& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}
