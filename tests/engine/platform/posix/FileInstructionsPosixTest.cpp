#include "engine/InstructionTestSupport.h"

#include "instructions/CChangeOwnerInstruction.h"
#include "instructions/CChangePermissionsInstruction.h"
#include "instructions/CCopyDirectoryInstruction.h"
#include "instructions/CDeleteDirectoryInstruction.h"
#include "support/LogCapture.h"

#include <pwd.h>
#include <unistd.h>

using namespace KisTest;

TEST(DeleteDirectoryInstruction, RecursiveRemovesLinksNotWhatTheyPointAt) {
    TempFolder dir;
    WriteFile(dir / "outside/keep.txt");
    WriteFile(dir / "tree/a.txt");
    fs::create_directory_symlink(dir / "outside", dir / "tree/link");
    EXPECT_TRUE(Make<CDeleteDirectoryInstruction>((dir / "tree, [recursive force]").c_str())->Execute());
    EXPECT_FALSE(fs::exists(dir / "tree"));
    EXPECT_TRUE(fs::exists(dir / "outside/keep.txt"));
}

TEST(ChangeOwnerInstruction, KnownOwnerSucceedsUnknownFails) {
    LogCapture capture;
    TempFolder dir;
    WriteFile(dir / "a.txt");
    const passwd* me = getpwuid(geteuid());
    ASSERT_NE(me, nullptr);
    TestLog log;
    EXPECT_TRUE(RunLogged(*Make<CChangeOwnerInstruction>((dir / "a.txt, " + me->pw_name).c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CChangeOwnerInstruction>((dir / "a.txt, no-such-user-kis").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CChangeOwnerInstruction>((dir / "none.txt, root").c_str()), log));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].succeeded());
    EXPECT_EQ(rows[0].text, Row("ChangeOwner. Owner changed to %s on path %s", me->pw_name, dir / "a.txt"));
    EXPECT_FALSE(rows[1].succeeded());
    EXPECT_EQ(rows[2].text, Row("ChangeOwner. Source file %s doesnt exist", dir / "none.txt"));
}

// A tree 1,000 folders deep with a link back to its top half-way down: every walk follows the tree once,
// never the loop, and costs about the same per folder at any depth.
TEST(FileInstructionTrees, WalkADeepTreeWithALinkLoopOnce) {
    TempFolder dir;
    std::string deepest = dir / "src";
    for (int level = 0; level < 1000; ++level) {
        deepest += "/d";
        if (level == 500) {
            fs::create_directories(deepest);
            fs::create_symlink(dir / "src", deepest + "/loop");
        }
    }
    WriteFile(deepest + "/bottom.txt", "bottom");
    const std::string copied = dir / "dst" + deepest.substr((dir / "src").size());
    TestLog log;

    EXPECT_TRUE(RunLogged(
        *Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "dst", "[recursive]").c_str()), log));
    EXPECT_EQ(ReadFile(copied + "/bottom.txt"), "bottom");
    EXPECT_EQ(log.UninstallEntries().size(), 1002u); // the destination, 1,000 folders and the file

    EXPECT_TRUE(RunLogged(
        *Make<CChangePermissionsInstruction>(Args(dir / "src", "00400", "recursive").c_str()), log));
    EXPECT_FALSE(IsWritable(deepest + "/bottom.txt"));
    EXPECT_TRUE(RunLogged(
        *Make<CChangePermissionsInstruction>(Args(dir / "src", "00777", "recursive").c_str()), log));

    EXPECT_TRUE(
        RunLogged(*Make<CDeleteDirectoryInstruction>(Args(dir / "dst", "[recursive force]").c_str()), log));
    EXPECT_FALSE(fs::exists(dir / "dst"));
    EXPECT_TRUE(
        RunLogged(*Make<CDeleteDirectoryInstruction>(Args(dir / "src", "[recursive force]").c_str()), log));
    EXPECT_FALSE(fs::exists(dir / "src"));
}
