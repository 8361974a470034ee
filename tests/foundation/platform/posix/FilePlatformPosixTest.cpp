#include "foundation/VFileManager.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace VFoundation;
namespace fs = std::filesystem;
using KisTest::PatternBytes;
using KisTest::ReadFile;
using KisTest::TempFolder;
using KisTest::WriteFile;

namespace {

// Copies source to destination in a child process whose files may not grow beyond limit bytes, so the
// copy's writes fail part of the way. The child reports 0 when the copy failed with the write error
// line, 1 when it failed otherwise, 2 when it claimed success.
int CopyUnderSizeLimit(const std::string& source, const std::string& destination, rlim_t limit) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit size {
            limit, limit
        };
        ::setrlimit(RLIMIT_FSIZE, &size);
        KisTest::LogCapture log;
        const bool copied = VFileManager::Instance()->CopyFileAtPath(source.c_str(), destination.c_str());
        const bool reported = log.Contains("Error during copy writing to output file: " + destination);
        ::_exit(copied ? 2 : (reported ? 0 : 1));
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

size_t EntryCount(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST(FilePlatformPosix, WriteFailureHalfWayLeavesNoPartialFile) {
    TempFolder folder;
    WriteFile(folder / "src", PatternBytes(1 << 20));
    EXPECT_EQ(CopyUnderSizeLimit(folder / "src", folder / "dst", 200000), 0);
    EXPECT_FALSE(fs::exists(folder / "dst"));
    EXPECT_EQ(EntryCount(folder.Path()), 1u);

    // An existing destination stays as it was.
    WriteFile(folder / "old", "previous version");
    EXPECT_EQ(CopyUnderSizeLimit(folder / "src", folder / "old", 200000), 0);
    EXPECT_EQ(ReadFile(folder / "old"), "previous version");
    EXPECT_EQ(EntryCount(folder.Path()), 2u);
}

// A source on another file system takes the 64 KiB buffer loop instead of the kernel copy.
TEST(FilePlatformPosix, BufferLoopCopiesAndFailsCleanlyAcrossFileSystems) {
    struct stat shm, tmp;
    if (::stat("/dev/shm", &shm) != 0 || ::stat(fs::temp_directory_path().c_str(), &tmp) != 0 ||
        shm.st_dev == tmp.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    const std::string source = "/dev/shm/kis-test-" + std::to_string(::getpid());
    const std::string content = PatternBytes(5 * 65536 + 3);
    WriteFile(source, content);
    TempFolder folder;
    EXPECT_TRUE(VFileManager::Instance()->CopyFileAtPath(source.c_str(), (folder / "copy").c_str()));
    EXPECT_EQ(ReadFile(folder / "copy"), content);
    EXPECT_EQ(CopyUnderSizeLimit(source, folder / "cut", 100000), 0);
    EXPECT_FALSE(fs::exists(folder / "cut"));
    fs::remove(source);
}

TEST(FilePlatformPosix, ChangesOwnerOfKnownUsersOnly) {
    TempFolder folder;
    fs::create_directories(folder.Path() / "tree/sub");
    WriteFile(folder / "tree/sub/file", "");
    VFileManager* manager = VFileManager::Instance();
    {
        KisTest::LogCapture log;
        EXPECT_FALSE(manager->ChangeOwnerAtPath((folder / "tree").c_str(), "no-such-user-kis", true));
        EXPECT_TRUE(log.Contains("unknown user no-such-user-kis"));
    }
    const struct passwd* self = ::getpwuid(::geteuid());
    ASSERT_NE(self, nullptr);
    EXPECT_TRUE(manager->ChangeOwnerAtPath((folder / "tree").c_str(), self->pw_name, true));
    if (::geteuid() != 0) return;
    const struct passwd* nobody = ::getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "no user nobody";
    EXPECT_TRUE(manager->ChangeOwnerAtPath((folder / "tree").c_str(), "nobody", false));
    struct stat info;
    ASSERT_EQ(::stat((folder / "tree/sub/file").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, ::geteuid());
    EXPECT_TRUE(manager->ChangeOwnerAtPath((folder / "tree").c_str(), "nobody", true));
    ASSERT_EQ(::stat((folder / "tree/sub/file").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody->pw_uid);
}
