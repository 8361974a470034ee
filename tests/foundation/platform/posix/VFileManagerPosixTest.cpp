#include "foundation/VDiskInfo.h"
#include "foundation/VFileManager.h"
#include "foundation/VObjectArray.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// The file manager's POSIX semantics: permission bits standing in for the read-only attribute, "/" as
// the root.
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

fs::perms Mode(const std::string& path) {
    return fs::status(path).permissions() & fs::perms::mask;
}

void SetMode(const std::string& path, fs::perms mode) {
    fs::permissions(path, mode);
}

} // namespace

TEST(VFileManager, ReplacedDestinationKeepsItsPermissions) {
    TempFolder folder;
    WriteFile(folder / "src", "new content");
    WriteFile(folder / "dst", "old");
    SetMode(folder / "src", fs::perms(0600));
    SetMode(folder / "dst", fs::perms(0750));
    ASSERT_TRUE(Manager()->CopyFileAtPath((folder / "src").c_str(), (folder / "dst").c_str()));
    EXPECT_EQ(ReadFile(folder / "dst"), "new content");
    EXPECT_EQ(Mode(folder / "dst"), fs::perms(0750));
}

TEST(VFileManager, ReadOnlyEntriesAreRefusedUntilThePermissionChange) {
    TempFolder folder;
    const std::string file = folder / "file";
    const std::string sub = folder / "sub";
    WriteFile(file, "x");
    fs::create_directory(sub);
    SetMode(file, fs::perms(0444));
    SetMode(sub, fs::perms(0555));
    {
        LogCapture log;
        EXPECT_FALSE(Manager()->RemoveFileAtPath(file.c_str()));
        EXPECT_TRUE(log.Contains("VFileManager::RemoveFileAtPath - ERR: " + file + " is read only\n"));
        EXPECT_FALSE(Manager()->RemoveDirectoryAtPath(sub.c_str()));
        EXPECT_TRUE(log.Contains("VFileManager::RemoveDirectoryAtPath - ERR: " + sub + " is read only\n"));
    }
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(fs::exists(sub));
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(file.c_str(), 0777, false));
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(sub.c_str(), 0777, false));
    EXPECT_TRUE(Manager()->RemoveFileAtPath(file.c_str()));
    EXPECT_TRUE(Manager()->RemoveDirectoryAtPath(sub.c_str()));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(sub));
}

TEST(VFileManager, PermissionChangeOnlyTouchesTheWriteBits) {
    TempFolder folder;
    const std::string file = folder / "file";
    WriteFile(file, "");
    SetMode(file, fs::perms(0755));
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(file.c_str(), 0444, false));
    EXPECT_EQ(Mode(file), fs::perms(0555));
    SetMode(file, fs::perms(0666));
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(file.c_str(), 0100, false));
    EXPECT_EQ(Mode(file), fs::perms(0444));
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(file.c_str(), 0777, false));
    EXPECT_EQ(Mode(file), fs::perms(0644)); // never group- or world-writable
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(file.c_str(), 0200, false));
    EXPECT_EQ(Mode(file), fs::perms(0644));
    EXPECT_FALSE(Manager()->ChangePermissionsAtPath((folder / "none").c_str(), 0777, false));
}

TEST(VFileManager, PermissionChangeReachesNestedFilesOnlyWhenRecursive) {
    TempFolder folder;
    const fs::path root = folder.Path() / "tree";
    fs::create_directories(root / "sub");
    WriteFile((root / "top").string(), "");
    WriteFile((root / "sub/inner").string(), "");
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(root.string().c_str(), 0555, false));
    EXPECT_EQ(Mode(root.string()) & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(Mode((root / "top").string()) & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(Mode((root / "sub").string()) & fs::perms::owner_write, fs::perms::none);
    EXPECT_NE(Mode((root / "sub/inner").string()) & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(root.string().c_str(), 0555, true));
    EXPECT_EQ(Mode((root / "sub/inner").string()) & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(Manager()->ChangePermissionsAtPath(root.string().c_str(), 0777, true));
    EXPECT_NE(Mode((root / "sub/inner").string()) & fs::perms::owner_write, fs::perms::none);
}

TEST(VFileManager, CreatesFolderChainsWithTheGivenMode) {
    TempFolder folder;
    const std::string chain = folder / "a/b//c";
    EXPECT_TRUE(Manager()->CreateFoldersAtPath(chain.c_str(), 0700));
    EXPECT_TRUE(fs::is_directory(folder / "a/b/c"));
    EXPECT_EQ(Mode(folder / "a/b/c") & fs::perms(0077), fs::perms::none);
    EXPECT_TRUE(Manager()->CreateFoldersAtPath(chain.c_str(), 0700));
    WriteFile(folder / "file", "");
    EXPECT_FALSE(Manager()->CreateFoldersAtPath((folder / "file/sub").c_str(), 0777));
    EXPECT_FALSE(Manager()->CreateFoldersAtPath(nullptr, 0777));
}

TEST(VFileManager, NativePathsAndRoots) {
    VString path("a\\b/c\\");
    VFileManager::MakeNativePath(path);
    EXPECT_STREQ(path.GetText(), "a/b/c/");
    EXPECT_EQ(VFileManager::PathSeparator(), '/');
    EXPECT_TRUE(Manager()->IsRootPath("/"));
    EXPECT_FALSE(Manager()->IsRootPath("/tmp"));
    EXPECT_FALSE(Manager()->IsRootPath("/tmp/a"));
}

TEST(VFileManager, DescribesTheVolumeOfAPathNotYetMade) {
    TempFolder folder;
    VRef<VDiskInfo> disk = Manager()->DiskInfoForPath((folder / "not/yet").c_str());
    ASSERT_TRUE(disk);
    const std::string root = disk->GetRootPath().GetText();
    const std::string real = fs::canonical(folder.Path()).string();
    EXPECT_TRUE(root == "/" || real.starts_with(root + "/")) << root;
    EXPECT_GT(disk->GetTotalBytes(), 0u);
    EXPECT_GE(disk->GetTotalBytes(), disk->GetFreeBytes());
    EXPECT_EQ(disk->GetUsedBytes(), disk->GetTotalBytes() - disk->GetFreeBytes());
    EXPECT_NE(disk->GetDiskType(), 0);
    VString description;
    disk->GetDescription(description);
    EXPECT_EQ(std::string(description.GetText()), "VolumeName [" + root + "], Size [" +
                                                      std::to_string(disk->GetTotalBytes()) + "], Free [" +
                                                      std::to_string(disk->GetFreeBytes()) + "]");
    EXPECT_FALSE(Manager()->DiskInfoForPath("relative/path"));

    VObjectArray* roots = VFileManager::LogicalDriveRoots();
    ASSERT_NE(roots, nullptr);
    ASSERT_GT(roots->GetCount(), 0);
    EXPECT_STREQ(static_cast<VString*>(roots->GetObjectAtIndex(0))->GetText(), "/");
    EXPECT_EQ(VFileManager::LogicalDriveRoots(), roots);
}
