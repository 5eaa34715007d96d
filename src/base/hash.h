// A fast hash of bytes, to tell whether they changed without keeping a copy of them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// A 64-bit hash that tells whether bytes changed without keeping a copy of them: FNV-1a over
// eight bytes at a time, mixed so that every byte reaches every bit. Held only in memory.
inline uint64_t HashBytes(const std::string& bytes) {
    const uint64_t prime = 1099511628211ull;
    uint64_t hash = 14695981039346656037ull ^ bytes.size();
    size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        hash = (hash ^ word) * prime;
        hash ^= hash >> 29;
    }
    for (; at < bytes.size(); ++at) {
        hash = (hash ^ static_cast<unsigned char>(bytes[at])) * prime;
    }
    return hash;
}
