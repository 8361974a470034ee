#include "engine/BuiltinFolders.h"

#include <gtest/gtest.h>

#include <string>

TEST(BuiltinFoldersPosix, FixedFoldersAreTheSystemsOwn) {
    std::string value;
    ASSERT_TRUE(BuiltinFolders::Lookup("OS_FOLDER", value));
    EXPECT_EQ(value, "/usr");
    ASSERT_TRUE(BuiltinFolders::Lookup("SYSTEM_FOLDER", value));
    EXPECT_EQ(value, "/usr/lib");
    EXPECT_FALSE(BuiltinFolders::Lookup("NO_SUCH_FOLDER", value));
}
