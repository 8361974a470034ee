#include "foundation/VFileManager.h"
#include "foundation/VArchive.h"
#include "foundation/VObjectArray.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace VFoundation;
namespace fs = std::filesystem;
using KisTest::LogCapture;
using KisTest::PatternBytes;
using KisTest::ReadFile;
using KisTest::TempFolder;
using KisTest::WriteFile;

namespace {

VFileManager* Manager() {
    return VFileManager::Instance();
}

std::vector<std::string> Names(const VRef<VFileInfoArray>& list) {
    std::vector<std::string> names;
    for (VFileInfo* info : *list)
        names.push_back(info->GetName());
    return names;
}

void SetMode(const std::string& path, fs::perms mode) {
    fs::permissions(path, mode);
}

// The entries of a tree as relative paths with their content ("/" for folders), for comparing copies.
std::vector<std::string> TreeOf(const fs::path& root) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        entries.push_back(relative + (entry.is_directory() ? "/" : "=" + ReadFile(entry.path().string())));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace

TEST(VFileManager, CopiesFileContentAcrossManyBuffers) {
    TempFolder folder;
    const std::string content = PatternBytes(3 * 65536 + 17);
    WriteFile(folder / "src", content);
    WriteFile(folder / "empty", "");
    EXPECT_TRUE(Manager()->CopyFileAtPath((folder / "src").c_str(), (folder / "dst").c_str()));
    EXPECT_EQ(ReadFile(folder / "dst"), content);
    EXPECT_TRUE(Manager()->CopyFileAtPath((folder / "empty").c_str(), (folder / "empty2").c_str()));
    EXPECT_TRUE(fs::exists(folder / "empty2"));
    EXPECT_EQ(fs::file_size(folder / "empty2"), 0u);
    // Nothing but the four files: no temporary file stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 4);
}

TEST(VFileManager, CopyRefusesSamePathMissingFolderAndReadOnlyDestination) {
    TempFolder folder;
    WriteFile(folder / "src", "source");
    LogCapture log;
    EXPECT_FALSE(Manager()->CopyFileAtPath((folder / "src").c_str(), (folder / "src").c_str()));
    EXPECT_EQ(ReadFile(folder / "src"), "source");
    EXPECT_FALSE(Manager()->CopyDirectoryAtPath(folder.Text().c_str(), folder.Text().c_str(), true));

    const std::string nowhere = folder / "missing/dst";
    EXPECT_FALSE(Manager()->CopyFileAtPath((folder / "src").c_str(), nowhere.c_str()));
    EXPECT_TRUE(log.Contains("Error opening destination file for copying: " + nowhere));
    EXPECT_FALSE(fs::exists(folder / "missing"));

    EXPECT_FALSE(Manager()->CopyFileAtPath((folder / "none").c_str(), (folder / "dst").c_str()));
    EXPECT_TRUE(log.Contains("Error opening source file for copying: " + (folder / "none")));
    EXPECT_FALSE(fs::exists(folder / "dst"));

    WriteFile(folder / "locked", "old");
    SetMode(folder / "locked", fs::perms(0444));
    log.Clear();
    EXPECT_FALSE(Manager()->CopyFileAtPath((folder / "src").c_str(), (folder / "locked").c_str()));
    EXPECT_TRUE(log.Contains("Error opening destination file for copying: " + (folder / "locked")));
    EXPECT_EQ(ReadFile(folder / "locked"), "old");
}

TEST(VFileManager, RemovalFailsForTheWrongKindOfEntry) {
    TempFolder folder;
    fs::create_directories(folder / "full/inner");
    WriteFile(folder / "file", "x");
    LogCapture log;
    EXPECT_FALSE(Manager()->RemoveFileAtPath((folder / "none").c_str()));
    EXPECT_FALSE(Manager()->RemoveFileAtPath(nullptr));
    EXPECT_FALSE(Manager()->RemoveFileAtPath((folder / "full").c_str()));
    EXPECT_TRUE(log.Contains("VFileManager::RemoveFileAtPath - ERR: " + (folder / "full") +
                             " is a directory or doesn't exist\n"));
    EXPECT_FALSE(Manager()->RemoveDirectoryAtPath((folder / "full").c_str()));
    EXPECT_FALSE(Manager()->RemoveDirectoryAtPath((folder / "file").c_str()));
    EXPECT_TRUE(fs::exists(folder / "full/inner"));
    EXPECT_TRUE(fs::exists(folder / "file"));
}

TEST(VFileManager, ListingSkipsDotUnderscoreNamesAndSortsFoldersFirstIgnoringCase) {
    TempFolder folder;
    for (const char* name : {"B.txt", "a.txt", "._a", "a", ".hidden"})
        WriteFile(folder / name, name);
    fs::create_directory(folder / "b");
    fs::create_directory(folder / "Z");
    fs::create_directory(folder / "._folder");

    VRef<VFileInfoArray> bare =
        Manager()->DirectoryContentsAtPath(folder.Text().c_str(), nullptr, true, false);
    ASSERT_TRUE(bare);
    EXPECT_EQ(Names(bare), (std::vector<std::string>{"b", "Z", ".hidden", "a", "a.txt", "B.txt"}));
    EXPECT_TRUE(bare->GetObjectAtIndex(0)->IsDirectory());
    const VFileInfo* file = bare->GetObjectAtIndex(5);
    EXPECT_FALSE(file->IsDirectory());
    EXPECT_TRUE(file->Exists());
    EXPECT_TRUE(file->IsWritable());
    EXPECT_EQ(file->GetSize(), 5u);
    EXPECT_GT(file->GetModificationTime(), 116444736000000000ull); // after 1970

    VRef<VFileInfoArray> full =
        Manager()->DirectoryContentsAtPath(folder.Text().c_str(), nullptr, true, true);
    ASSERT_TRUE(full);
    EXPECT_EQ(std::string(full->GetObjectAtIndex(0)->GetName()), folder / "b");
    EXPECT_EQ(full->GetCount(), 6);
}

TEST(VFileManager, ExtensionFilterIgnoresCaseAndNeverListsFolders) {
    TempFolder folder;
    for (const char* name : {"x.WAV", "y.wav", "zwav", "w.wave", "._v.wav"})
        WriteFile(folder / name, "");
    fs::create_directory(folder / "f.wav");
    VRef<VFileInfoArray> list = Manager()->DirectoryContentsAtPath(folder.Text().c_str(), "wav", true, false);
    ASSERT_TRUE(list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"x.WAV", "y.wav"}));

    LogCapture log;
    EXPECT_FALSE(Manager()->DirectoryContentsAtPath((folder / "none").c_str(), nullptr, true, false));
    EXPECT_EQ(log.Text(), "VFileManager::DirectoryContentsAtPath: Directory does not exist:\n  " +
                              (folder / "none") + "\n");
}

TEST(VFileManager, CopiesATreeAndRefusesACopyIntoItself) {
    TempFolder folder;
    const fs::path source = folder.Path() / "src";
    fs::create_directories(source / "sub/deeper");
    fs::create_directories(source / "empty");
    WriteFile((source / "top.bin").string(), PatternBytes(70000));
    WriteFile((source / "sub/a.txt").string(), "a");
    WriteFile((source / "sub/deeper/b.txt").string(), "b");

    EXPECT_TRUE(Manager()->CopyDirectoryAtPath(source.string().c_str(), (folder / "copy/two").c_str(), true));
    EXPECT_EQ(TreeOf(folder.Path() / "copy/two"), TreeOf(source));
    // A folder given to the file copy goes as a whole tree.
    EXPECT_TRUE(Manager()->CopyFileAtPath(source.string().c_str(), (folder / "asfile").c_str()));
    EXPECT_EQ(TreeOf(folder.Path() / "asfile"), TreeOf(source));

    EXPECT_TRUE(Manager()->CopyDirectoryAtPath(source.string().c_str(), (folder / "flat").c_str(), false));
    EXPECT_EQ(TreeOf(folder.Path() / "flat"),
              (std::vector<std::string>{"empty/", "sub/", "top.bin=" + PatternBytes(70000)}));

    LogCapture log;
    EXPECT_FALSE(Manager()->CopyDirectoryAtPath(source.string().c_str(),
                                                (source / "sub/inside").string().c_str(), true));
    EXPECT_FALSE(fs::exists(source / "sub/inside"));
}

TEST(VFileManager, TreeCopyFailsWhenADeeperFileCannotBeCopied) {
    TempFolder folder;
    const fs::path source = folder.Path() / "src";
    fs::create_directories(source / "sub");
    WriteFile((source / "sub/a.txt").string(), "a");
    fs::create_directories(folder.Path() / "dst/sub");
    WriteFile(folder / "dst/sub/a.txt", "kept");
    SetMode(folder / "dst/sub/a.txt", fs::perms(0444));
    LogCapture log;
    EXPECT_FALSE(Manager()->CopyDirectoryAtPath(source.string().c_str(), (folder / "dst").c_str(), true));
    EXPECT_EQ(ReadFile(folder / "dst/sub/a.txt"), "kept");
}

TEST(VFileManager, ReadsWholeFiles) {
    TempFolder folder;
    const std::string content = PatternBytes(100000);
    WriteFile(folder / "f", content);
    VRef<VData> data = Manager()->ReadFileAtPath((folder / "f").c_str());
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->GetBytes()), data->GetLength()), content);
    EXPECT_FALSE(Manager()->ReadFileAtPath((folder / "none").c_str()));
    EXPECT_FALSE(Manager()->ReadFileAtPath(folder.Text().c_str()));
}

TEST(VFileInfo, ComesBackFromThePoolCleared) {
    VFileInfo* first = VFileInfo::Alloc();
    first->SetName("stale");
    first->SetDirectory(true);
    first->SetSize(42);
    const int pooled = VFileInfo::GetPoolCount();
    first->Release();
    ASSERT_EQ(VFileInfo::GetPoolCount(), pooled + 1);
    auto again = VRef<VFileInfo>::Adopt(VFileInfo::Alloc());
    EXPECT_EQ(again.Get(), first);
    EXPECT_FALSE(again->IsInPool());
    EXPECT_STREQ(again->GetName(), "");
    EXPECT_FALSE(again->IsDirectory());
    EXPECT_EQ(again->GetSize(), 0u);
    EXPECT_EQ(again->GetRetainCount(), 1);
}

TEST(VFileInfo, SerializesNameAndFolderFlag) {
    auto info = VRef<VFileInfo>::Adopt(VFileInfo::Alloc());
    info->SetName("Kick.wav");
    info->SetDirectory(true);
    info->SetSize(99);
    VArchive out;
    info->Serialize(out);
    VArchive in(out.GetData().data(), out.GetData().size());
    auto read = VRef<VFileInfo>::Adopt(VFileInfo::Alloc());
    read->Serialize(in);
    EXPECT_STREQ(read->GetName(), "Kick.wav");
    EXPECT_TRUE(read->IsDirectory());
    EXPECT_EQ(read->GetSize(), 0u);
}
