// The trailing-backslash rules of directory texts: roots and empty texts keep
// their form, and a full field is never overrun.
#include <gtest/gtest.h>

#include <cstring>

#include "common/path_helpers.h"

namespace {

struct PathCase {
    const char* input;
    const char* added;    // after AddTrailingBackslash
    const char* removed;  // after RemoveTrailingBackslash
};

const PathCase kPathCases[] = {
    {"", "", ""},
    {"\\", "\\", "\\"},
    {"C:", "C:\\", "C:"},
    {"C:\\", "C:\\", "C:\\"},
    {"C:\\FAX", "C:\\FAX\\", "C:\\FAX"},
    {"C:\\FAX\\", "C:\\FAX\\", "C:\\FAX"},
    {"\\\\", "\\\\", "\\"},
    {"\\\\SERVER\\SHARE\\", "\\\\SERVER\\SHARE\\", "\\\\SERVER\\SHARE"},
    {"X", "X\\", "X"},
};

TEST(PathHelpers, TrailingBackslashRules) {
    for (const PathCase& c : kPathCases) {
        char added[32];
        std::strcpy(added, c.input);
        AddTrailingBackslash(added);
        EXPECT_STREQ(c.added, added) << "add to '" << c.input << "'";

        char removed[32];
        std::strcpy(removed, c.input);
        RemoveTrailingBackslash(removed);
        EXPECT_STREQ(c.removed, removed) << "remove from '" << c.input << "'";
    }
}

TEST(PathHelpers, AddKeepsAFullFieldTerminated) {
    char full[6] = "C:\\AB";  // five characters fill the field
    EXPECT_EQ(5u, AddTrailingBackslash(full));
    EXPECT_STREQ("C:\\AB", full);

    char roomForOne[7] = "C:\\AB";
    EXPECT_EQ(6u, AddTrailingBackslash(roomForOne));
    EXPECT_STREQ("C:\\AB\\", roomForOne);
}

}  // namespace
