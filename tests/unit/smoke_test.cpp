#include "storage/notes_file.h"

#include <gtest/gtest.h>

TEST(Smoke, EmptyNotesFileIsFiveZeroBytes) {
    EXPECT_EQ(SerializeNotes({}, ""), std::string(5, '\0'));
}
