#include "foundation/VDiskInfo.h"
#include "foundation/VFileManager.h"
#include "foundation/VObjectArray.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>

// The file manager on Windows: the read-only attribute, "\" paths and drive roots.
using namespace VFoundation;
namespace fs = std::filesystem;
using KisTest::LogCapture;
using KisTest::ReadFile;
using KisTest::TempFolder;
using KisTest::WriteFile;

namespace {

VFileManager* Manager() {
    return VFileManager::Instance();
}

bool HasReadOnlyAttribute(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

size_t TemporaryFilesIn(const TempFolder& folder) {
    return static_cast<size_t>(std::count_if(fs::directory_iterator(folder.Path()), fs::directory_iterator(),
                                             [](const fs::directory_entry& entry) {
                                                 return entry.path().filename().string().starts_with(
                                                     VFileManager::kTemporaryPrefix);
                                             }));
}

} // namespace

TEST(FilePlatformWin32, CopyIsRefusedThroughTheReadOnlyAttributeUntilItIsCleared) {
    TempFolder folder;
    const std::string source = folder / "src", destination = folder / "dst";
    WriteFile(source, "new");
    WriteFile(destination, "old");
    ASSERT_TRUE(::SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        LogCapture log;
        EXPECT_FALSE(Manager()->CopyFileAtPath(source.c_str(), destination.c_str()));
    }
    EXPECT_EQ(ReadFile(destination), "old");
    EXPECT_EQ(TemporaryFilesIn(folder), 0u);

    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(destination.c_str(), 0777, false));
    EXPECT_FALSE(HasReadOnlyAttribute(destination));
    EXPECT_TRUE(Manager()->CopyFileAtPath(source.c_str(), destination.c_str()));
    EXPECT_EQ(ReadFile(destination), "new");
    EXPECT_EQ(TemporaryFilesIn(folder), 0u);
}

// Files only: Wine keeps no read-only attribute on folders.
TEST(FilePlatformWin32, ReadOnlyAttributeTravelsWithACopyAndRefusesRemoval) {
    TempFolder folder;
    const std::string file = folder / "file", copy = folder / "copy";
    WriteFile(file, "x");
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(file.c_str(), 0444, false));
    EXPECT_TRUE(HasReadOnlyAttribute(file));

    EXPECT_TRUE(Manager()->CopyFileAtPath(file.c_str(), copy.c_str()));
    EXPECT_TRUE(HasReadOnlyAttribute(copy));
    {
        LogCapture log;
        EXPECT_FALSE(Manager()->RemoveFileAtPath(file.c_str()));
        EXPECT_TRUE(log.Contains("VFileManager::RemoveFileAtPath - ERR: " + file + " is read only\n"));
    }
    EXPECT_TRUE(fs::exists(file));
    for (const std::string& path : {file, copy})
        EXPECT_TRUE(Manager()->ChangePermissionsAtPath(path.c_str(), 0200, false));
    EXPECT_TRUE(Manager()->RemoveFileAtPath(file.c_str()));
    EXPECT_TRUE(Manager()->RemoveFileAtPath(copy.c_str()));
}

TEST(FilePlatformWin32, PathsUseTheBackslashAndDriveRoots) {
    EXPECT_EQ(VFileManager::PathSeparator(), '\\');
    VString path("a/b\\c/");
    VFileManager::MakeNativePath(path);
    EXPECT_STREQ(path.GetText(), "a\\b\\c\\");
    EXPECT_TRUE(Manager()->IsRootPath("C:\\"));
    EXPECT_FALSE(Manager()->IsRootPath("C:\\windows"));
    VString parent;
    VString("C:\\a").GetParentPath(parent);
    EXPECT_STREQ(parent.GetText(), "C:\\");

    VObjectArray* roots = VFileManager::LogicalDriveRoots();
    ASSERT_NE(roots, nullptr);
    bool hasC = false;
    for (int i = 0; i < roots->GetCount(); ++i)
        hasC = hasC || std::string(static_cast<VString*>(roots->GetObjectAtIndex(i))->GetText()) == "C:\\";
    EXPECT_TRUE(hasC);
}

TEST(FilePlatformWin32, FolderChainsTakeBothSeparators) {
    TempFolder folder;
    const std::string chain = folder.Text() + "\\a/b//c";
    EXPECT_TRUE(Manager()->CreateFoldersAtPath(chain.c_str(), 0700));
    EXPECT_TRUE(fs::is_directory(folder.Path() / "a" / "b" / "c"));
}

TEST(FilePlatformWin32, DescribesTheDriveOfAPathNotYetMade) {
    TempFolder folder;
    const std::string path = folder.Text() + "\\not\\yet";
    VRef<VDiskInfo> disk = Manager()->DiskInfoForPath(path.c_str());
    ASSERT_TRUE(disk);
    const std::string root = disk->GetRootPath().GetText();
    ASSERT_EQ(root.size(), 3u) << root;
    EXPECT_EQ(root.substr(1), ":\\");
    EXPECT_EQ(::toupper(static_cast<unsigned char>(root[0])), ::toupper(static_cast<unsigned char>(path[0])));
    EXPECT_GT(disk->GetTotalBytes(), 0u);
    EXPECT_GE(disk->GetTotalBytes(), disk->GetFreeBytes());
    EXPECT_NE(disk->GetDiskType(), 0);
}
