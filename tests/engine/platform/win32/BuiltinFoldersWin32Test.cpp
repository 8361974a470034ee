#include "engine/BuiltinFolders.h"
#include "foundation/VFileManager.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

// The built-in folders are the shell's: the Windows folder, the system folder below it, the programs
// folder, and the plug-in folders below the common programs folder.
TEST(BuiltinFoldersWin32, FoldersComeFromTheShell) {
    char windows[MAX_PATH + 1] = {};
    ASSERT_GT(::GetWindowsDirectoryA(windows, sizeof windows), 0u);
    std::string value;
    ASSERT_TRUE(BuiltinFolders::Lookup("OS_FOLDER", value));
    EXPECT_EQ(value, windows);
    ASSERT_TRUE(BuiltinFolders::Lookup("SYSTEM_FOLDER", value));
    EXPECT_TRUE(VFoundation::VFileManager::Instance()->DirectoryExistsAtPath(value.c_str())) << value;
    ASSERT_TRUE(BuiltinFolders::Lookup("PROGRAMFILES_FOLDER", value));
    EXPECT_EQ(value.substr(1), ":\\Program Files");
    ASSERT_TRUE(BuiltinFolders::Lookup("RTAS_FOLDER", value));
    EXPECT_TRUE(value.ends_with("\\Digidesign\\DAE\\Plug-Ins")) << value;
    ASSERT_TRUE(BuiltinFolders::Lookup("VST_FOLDER_DEFAULT", value));
    EXPECT_EQ(value, "C:\\Program Files\\VstPlugins");
    for (const char* name : {"TEMP_FOLDER", "DESKTOP_FOLDER", "DOCUMENTS_FOLDER", "STARTMENU_FOLDER"}) {
        ASSERT_TRUE(BuiltinFolders::Lookup(name, value)) << name;
        EXPECT_EQ(value.substr(1, 2), ":\\") << name << " " << value;
    }
    EXPECT_FALSE(BuiltinFolders::Lookup("NO_SUCH_FOLDER", value));
}
