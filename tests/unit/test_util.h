#pragma once

// Helpers shared by the unit tests: byte strings, scratch folders and the fixed clock moment.

#include "stored_files.h"
#include "base/time_format.h"
#include "storage/archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

namespace testutil {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

inline std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) {
            out += ' ';
        }
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

inline std::string Le32(uint32_t v) {
    return Bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}

inline std::string Le64(uint64_t v) {
    return Le32(static_cast<uint32_t>(v)) + Le32(static_cast<uint32_t>(v >> 32));
}

// Counted string in its shortest form, for building files by hand.
inline std::string Counted(const std::string& text) {
    if (text.size() >= 255) {
        ADD_FAILURE() << "Counted() is for short texts";
    }
    return std::string(1, static_cast<char>(text.size())) + text;
}

using ::ReadFileBytes;
using ::WriteFileBytes;

inline bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// A fresh folder per test, removed afterwards.
class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::temp_directory_path() /
                (std::string("quillet_unit_") + info->test_suite_name() + "_" + info->name());
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        ASSERT_TRUE(std::filesystem::create_directories(m_dir));
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    std::filesystem::path m_dir;
};

// Monday 7 December 2026, 14:05:09 local time, whatever the machine's time zone.
inline QTime FixedMoment() {
    return LocalMidnight(2026, 12, 7) + 14 * 3600 + 5 * 60 + 9;
}

} // namespace testutil
