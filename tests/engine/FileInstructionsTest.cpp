#include "InstructionTestSupport.h"

#include "instructions/CChangeOwnerInstruction.h"
#include "instructions/CChangePermissionsInstruction.h"
#include "instructions/CCopyDirectoryInstruction.h"
#include "instructions/CCopyFileInstruction.h"
#include "instructions/CCreateDirectoryInstruction.h"
#include "instructions/CDeleteDirectoryInstruction.h"
#include "instructions/CDeleteFileInstruction.h"
#include "support/LogCapture.h"

using namespace KisTest;
using VFoundation::VString;

namespace {

// Collects the progress of the instruction at each row the log hands on.
class ProgressProbe : public VFoundation::VObject, public ILogRowReceiver {
public:
    explicit ProgressProbe(const IInstallerInstruction* instruction) : m_instruction(instruction) {}
    void AddLogLine(const VString&) override { seen.push_back(m_instruction->GetProgress()); }
    std::vector<float> seen;

private:
    const IInstallerInstruction* m_instruction;
};

} // namespace

TEST(CopyFileInstruction, ModeIsReadOnlyFromExactlyThreeArguments) {
    TempFolder dir;
    WriteFile(dir / "a.txt", "alpha");
    TestLog log;

    auto readOnly = Make<CCopyFileInstruction>(Args(dir / "a.txt", dir / "b.txt", "00400").c_str());
    EXPECT_TRUE(RunLogged(*readOnly, log));
    EXPECT_EQ(ReadFile(dir / "b.txt"), "alpha");
    EXPECT_FALSE(IsWritable(dir / "b.txt"));

    auto unknownMode = Make<CCopyFileInstruction>(Args(dir / "a.txt", dir / "c.txt", "00644").c_str());
    EXPECT_TRUE(RunLogged(*unknownMode, log));
    EXPECT_TRUE(IsWritable(dir / "c.txt"));

    auto fourTokens = Make<CCopyFileInstruction>(Args(dir / "a.txt", dir / "d.txt", "00400, extra").c_str());
    EXPECT_TRUE(RunLogged(*fourTokens, log));
    EXPECT_TRUE(IsWritable(dir / "d.txt"));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].text, Row("CopyFile. Src=%s, Dst=%s", dir / "a.txt", dir / "b.txt"));
    EXPECT_EQ(rows[1].text, Row("CopyFile. Permission change Dst=%s to 256", dir / "b.txt"));
    EXPECT_EQ(rows[3].text, Row("CopyFile. Permission change Dst=%s to 511", dir / "c.txt"));
    EXPECT_EQ(rows[5].text, Row("CopyFile. Permission change Dst=%s to 511", dir / "d.txt"));
    for (const auto& row : rows)
        EXPECT_TRUE(row.succeeded()) << row.text;
    EXPECT_EQ(log.UninstallEntries(),
              (std::vector<std::string>{"[File]," + dir / "b.txt", "[File]," + dir / "c.txt",
                                        "[File]," + dir / "d.txt"}));
}

TEST(CopyFileInstruction, ExpandsVariablesAndOtherSeparators) {
    TempFolder dir;
    WriteFile(dir / "a.txt", "alpha");
    auto script = VFoundation::MakeRef<CInstallScript>();
    script->DeclareVariable("HERE", dir.Text().c_str());
    auto copy = Make<CCopyFileInstruction>("$HERE$\\a.txt, $HERE$\\b.txt");
    copy->SetScript(script.Get());
    EXPECT_TRUE(copy->Execute());
    EXPECT_EQ(ReadFile(dir / "b.txt"), "alpha");
}

TEST(CopyFileInstruction, FailuresAndArgumentErrors) {
    TempFolder dir;
    TestLog log;
    auto missing = Make<CCopyFileInstruction>(Args(dir / "none.txt", dir / "b.txt").c_str());
    EXPECT_FALSE(RunLogged(*missing, log));
    EXPECT_FALSE(missing->Execute()); // the same without a log
    ASSERT_EQ(log.Rows().size(), 1u);
    EXPECT_FALSE(log.Rows()[0].succeeded());
    EXPECT_EQ(log.Rows()[0].text, Row("CopyFile. Source file %s doesnt exist", dir / "none.txt"));
    EXPECT_TRUE(log.UninstallEntries().empty());

    EXPECT_EQ(ConstructionError<CCopyFileInstruction>("a.txt"),
              "There are not enough arguments for the copy operation to proceed");
    EXPECT_EQ(ConstructionError<CCopyDirectoryInstruction>("a"),
              "CopyDirectory must have at least a source and destination");
    EXPECT_EQ(ConstructionError<CChangePermissionsInstruction>("a"),
              "There are not enough arguments for the permissions operation to proceed");
    EXPECT_EQ(ConstructionError<CChangeOwnerInstruction>("a,"),
              "There are not enough arguments for the permissions operation to proceed");
    EXPECT_EQ(ConstructionError<CDeleteFileInstruction>(""), "");
}

TEST(CopyDirectoryInstruction, RaisesProgressPerFileAndRecordsWhatItMade) {
    TempFolder dir;
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"})
        WriteFile(dir / (std::string("src/") + name), name);
    TestLog log;
    auto copy = Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "dst").c_str());
    auto probe = VFoundation::MakeRef<ProgressProbe>(copy.Get());
    log.Get()->SetRowReceiver(probe.Get());

    EXPECT_TRUE(RunLogged(*copy, log));
    EXPECT_EQ(probe->seen, (std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f}));
    EXPECT_FLOAT_EQ(copy->GetProgress(), 1.0f);
    EXPECT_EQ(ReadFile(dir / "dst/3.txt"), "3.txt");
    const auto entries = log.UninstallEntries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0], "[Folder]," + dir / "dst");
    EXPECT_EQ(entries[4], "[File]," + dir / "dst/4.txt");
    EXPECT_EQ(log.Rows()[0].text, Row("CopyDirectory, Src=%s Dst=%s", dir / "src/1.txt", dir / "dst/1.txt"));

    // Into a destination that now exists: the folder is not recorded again, every file is.
    log.Get()->SetRowReceiver(nullptr);
    TestLog second;
    EXPECT_TRUE(RunLogged(*copy, second));
    EXPECT_EQ(second.UninstallEntries().size(), 4u);
    EXPECT_EQ(second.UninstallEntries()[0], "[File]," + dir / "dst/1.txt");

    // Missing parents of the destination are made and recorded too, outermost first.
    TestLog third;
    EXPECT_TRUE(
        RunLogged(*Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "new/deeper").c_str()), third));
    ASSERT_EQ(third.UninstallEntries().size(), 6u);
    EXPECT_EQ(third.UninstallEntries()[0], "[Folder]," + dir / "new");
    EXPECT_EQ(third.UninstallEntries()[1], "[Folder]," + dir / "new/deeper");
}

TEST(CopyDirectoryInstruction, RecursiveOptionDecidesOverSubFolders) {
    TempFolder dir;
    WriteFile(dir / "src/top.txt");
    WriteFile(dir / "src/sub/deep.txt");

    EXPECT_TRUE(Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "flat").c_str())->Execute());
    EXPECT_TRUE(fs::is_directory(dir / "flat/sub"));
    EXPECT_FALSE(fs::exists(dir / "flat/sub/deep.txt"));

    EXPECT_TRUE(
        Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "tree", "[recursive]").c_str())->Execute());
    EXPECT_TRUE(fs::exists(dir / "tree/sub/deep.txt"));
    // Without brackets the option text runs from the start, so the bare word counts too.
    EXPECT_TRUE(
        Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "bare", "recursive").c_str())->Execute());
    EXPECT_TRUE(fs::exists(dir / "bare/sub/deep.txt"));
    EXPECT_TRUE(
        Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "cased", "[Recursive]").c_str())->Execute());
    EXPECT_FALSE(fs::exists(dir / "cased/sub/deep.txt"));
}

TEST(CopyDirectoryInstruction, FailsWithoutFilesIntoItselfAndAtANestedFailure) {
    LogCapture capture;
    TempFolder dir;
    fs::create_directories(dir / "empty/only/folders");
    TestLog log;
    auto empty = Make<CCopyDirectoryInstruction>(Args(dir / "empty", dir / "out", "[recursive]").c_str());
    EXPECT_FALSE(RunLogged(*empty, log));
    ASSERT_EQ(log.Rows().size(), 1u);
    EXPECT_EQ(log.Rows()[0].text, "CopyDirectory, 0 copy paths");
    EXPECT_FALSE(fs::exists(dir / "out"));

    // A recursive copy into its own tree would never end.
    WriteFile(dir / "src/a.txt");
    EXPECT_FALSE(Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "src/inner", "[recursive]").c_str())
                     ->Execute());
    EXPECT_FALSE(fs::exists(dir / "src/inner"));

    // A file that cannot be copied deep in the tree fails the copy, not only its row.
    WriteFile(dir / "src/sub/blocked.txt");
    WriteFile(dir / "src/sub/later.txt");
    fs::create_directories(dir / "dst/sub/blocked.txt");
    TestLog nested;
    EXPECT_FALSE(RunLogged(
        *Make<CCopyDirectoryInstruction>(Args(dir / "src", dir / "dst", "[recursive]").c_str()), nested));
    EXPECT_FALSE(fs::exists(dir / "dst/sub/later.txt"));
    EXPECT_FALSE(nested.Rows().back().succeeded());
    EXPECT_EQ(nested.Rows().back().text,
              Row("CopyDirectory, Src=%s Dst=%s", dir / "src/sub/blocked.txt", dir / "dst/sub/blocked.txt"));
}

TEST(CreateDirectoryInstruction, MakesTheWholeChainAndRecordsTheFoldersItMade) {
    TempFolder dir;
    fs::create_directories(dir / "a");
    TestLog log;
    auto create = Make<CCreateDirectoryInstruction>((" " + dir / "a/b/c" + " ").c_str());
    EXPECT_TRUE(RunLogged(*create, log));
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    ASSERT_EQ(log.Rows().size(), 1u);
    EXPECT_EQ(log.Rows()[0].text, Row("CreateDirectory. DST=%s", dir / "a/b/c"));
    // Outermost first, so that an uninstall (newest first) removes the inner one before its parent; the
    // folder that was there already is not the installation's.
    ASSERT_EQ(log.UninstallEntries().size(), 2u);
    EXPECT_EQ(log.UninstallEntries()[0], "[Folder]," + dir / "a/b");
    EXPECT_EQ(log.UninstallEntries()[1], "[Folder]," + dir / "a/b/c");
    EXPECT_TRUE(RunLogged(*create, log));
    EXPECT_EQ(log.UninstallEntries().size(), 2u);
}

TEST(DeleteFileInstruction, ReadOnlyFileNeedsForce) {
    LogCapture capture;
    TempFolder dir;
    WriteFile(dir / "a.txt");
    MakeReadOnly(dir / "a.txt");
    TestLog log;
    EXPECT_FALSE(RunLogged(*Make<CDeleteFileInstruction>((dir / "a.txt").c_str()), log));
    EXPECT_TRUE(fs::exists(dir / "a.txt"));
    EXPECT_TRUE(capture.Contains(dir / "a.txt is read only"));
    EXPECT_TRUE(RunLogged(*Make<CDeleteFileInstruction>((dir / "a.txt, force").c_str()), log));
    EXPECT_FALSE(fs::exists(dir / "a.txt"));
    EXPECT_FALSE(RunLogged(*Make<CDeleteFileInstruction>((dir / "a.txt").c_str()), log));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[0].succeeded());
    EXPECT_EQ(rows[0].text, Row("DeleteFile. File=%s", dir / "a.txt"));
    EXPECT_TRUE(rows[1].succeeded());
    EXPECT_EQ(rows[2].text, Row("DeleteFile. File %s doesnt exist", dir / "a.txt"));
}

TEST(DeleteDirectoryInstruction, WithoutOptionsOnlyAnEmptyFolderGoes) {
    TempFolder dir;
    fs::create_directories(dir / "empty");
    WriteFile(dir / "full/a.txt");
    TestLog log;
    EXPECT_TRUE(RunLogged(*Make<CDeleteDirectoryInstruction>((dir / "empty").c_str()), log));
    EXPECT_FALSE(fs::exists(dir / "empty"));
    EXPECT_FALSE(RunLogged(*Make<CDeleteDirectoryInstruction>((dir / "full").c_str()), log));
    EXPECT_TRUE(fs::exists(dir / "full/a.txt"));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text,
              Row("DeleteDirectory. Folder=%s, Options=[Rec=False,Force=False]", dir / "empty"));
    EXPECT_EQ(rows[1].text,
              Row("DeleteDirectory. Cannot delete %s as it is not empty and not recursive", dir / "full"));
}

TEST(DeleteDirectoryInstruction, RecursiveStopsAtFirstReadOnlyFileUnlessForced) {
    LogCapture capture;
    TempFolder dir;
    for (const char* name : {"tree/a.txt", "tree/b.txt", "tree/c.txt", "tree/sub/d.txt"})
        WriteFile(dir / name);
    MakeReadOnly(dir / "tree/b.txt");
    MakeReadOnly(dir / "tree/sub/d.txt");
    TestLog log;

    EXPECT_FALSE(RunLogged(*Make<CDeleteDirectoryInstruction>((dir / "tree, [recursive]").c_str()), log));
    // Sorted walk: the folder first, where d.txt stops everything after it.
    EXPECT_TRUE(fs::exists(dir / "tree/sub/d.txt"));
    EXPECT_TRUE(fs::exists(dir / "tree/a.txt"));
    EXPECT_TRUE(fs::exists(dir / "tree/c.txt"));

    EXPECT_TRUE(
        RunLogged(*Make<CDeleteDirectoryInstruction>((dir / "tree, [recursive force]").c_str()), log));
    EXPECT_FALSE(fs::exists(dir / "tree"));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0].succeeded());
    EXPECT_EQ(rows[0].text, Row("DeleteDirectory. Folder=%s, Options=[Rec=True,Force=False]", dir / "tree"));
    EXPECT_TRUE(rows[1].succeeded());
    EXPECT_EQ(rows[1].text, Row("DeleteDirectory. Folder=%s, Options=[Rec=True,Force=True]", dir / "tree"));
}

TEST(DeleteDirectoryInstruction, RecursiveLeavesReadOnlyFileAndLaterEntries) {
    LogCapture capture;
    TempFolder dir;
    for (const char* name : {"tree/a.txt", "tree/b.txt", "tree/c.txt"})
        WriteFile(dir / name);
    MakeReadOnly(dir / "tree/b.txt");
    EXPECT_FALSE(Make<CDeleteDirectoryInstruction>((dir / "tree, [recursive]").c_str())->Execute());
    EXPECT_FALSE(fs::exists(dir / "tree/a.txt"));
    EXPECT_TRUE(fs::exists(dir / "tree/b.txt"));
    EXPECT_TRUE(fs::exists(dir / "tree/c.txt"));
}

TEST(ChangePermissionsInstruction, RecursiveReachesTheWholeTree) {
    TempFolder dir;
    WriteFile(dir / "tree/a.txt");
    WriteFile(dir / "tree/sub/b.txt");
    TestLog log;

    EXPECT_TRUE(RunLogged(*Make<CChangePermissionsInstruction>((dir / "tree, 00400").c_str()), log));
    EXPECT_FALSE(IsWritable(dir / "tree"));
    EXPECT_FALSE(IsWritable(dir / "tree/a.txt"));
    EXPECT_FALSE(IsWritable(dir / "tree/sub"));
    EXPECT_TRUE(IsWritable(dir / "tree/sub/b.txt"));

    MakeReadOnly(dir / "tree/sub/b.txt");
    // Only the exact word counts as the third argument.
    EXPECT_TRUE(Make<CChangePermissionsInstruction>((dir / "tree, 00777, Recursive").c_str())->Execute());
    EXPECT_FALSE(IsWritable(dir / "tree/sub/b.txt"));
    EXPECT_TRUE(
        RunLogged(*Make<CChangePermissionsInstruction>((dir / "tree, 00777, recursive").c_str()), log));
    for (const char* name : {"tree", "tree/a.txt", "tree/sub", "tree/sub/b.txt"})
        EXPECT_TRUE(IsWritable(dir / name)) << name;

    EXPECT_EQ(log.Rows()[0].text, Row("ChangePermissions. Permission change Dst=%s to 256", dir / "tree"));
    EXPECT_EQ(log.Rows()[1].text, Row("ChangePermissions. Permission change Dst=%s to 511", dir / "tree"));
}
