#include "engine/InstructionTestSupport.h"

#include "instructions/CChangeOwnerInstruction.h"
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
