#include "engine/InstructionTestSupport.h"

#include "engine/CSetMessageHandler.h"
#include "instructions/CCreateShortcutInstruction.h"
#include "instructions/CExecuteApplicationInstruction.h"
#include "instructions/CExecuteApplicationSyncInstruction.h"
#include "instructions/CExecuteFileInstruction.h"
#include "instructions/CRebootInstruction.h"
#include "instructions/CRegisterDLLInstruction.h"
#include "instructions/CUnRegisterDLLInstruction.h"
#include "support/LogCapture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace KisTest;
using VFoundation::VString;

namespace {

void WriteScript(const std::string& path, const std::string& body) {
    WriteFile(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

// Waits (up to ten seconds) for a file a started program writes.
bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 1000 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path);
}

// Puts a stand-in for the desktop's opener first on PATH for the guard's life; it writes what it was asked
// to open to the file "opened" and ends with the status given.
class FakeOpener {
public:
    FakeOpener(const TempFolder& dir, int status)
        : m_opened(dir / "opened"), m_path(std::getenv("PATH") ? std::getenv("PATH") : "") {
        WriteScript(dir / "bin/xdg-open",
                    "printf '%s' \"$1\" > '" + m_opened + "'\nexit " + std::to_string(status) + "\n");
        setenv("PATH", (dir / "bin:" + m_path).c_str(), 1);
    }
    ~FakeOpener() { setenv("PATH", m_path.c_str(), 1); }
    std::string Opened() const { return ReadFile(m_opened); }

private:
    std::string m_opened;
    std::string m_path;
};

class RebootRecorder : public CSetMessageHandler {
public:
    void SetMessage(const VString&) override {}
    void RebootRequired() override { ++calls; }
    int calls = 0;
};

} // namespace

TEST(ExecuteApplicationInstruction, SyncFormReturnsAfterTheProgramWithItsArguments) {
    TempFolder dir;
    WriteScript(dir / "setup",
                "sleep 0.2\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + dir / "args" + "'\n");
    auto script = VFoundation::MakeRef<CInstallScript>();
    script->DeclareVariable("HERE", dir.Text().c_str());
    script->DeclareVariable("NOTHING", "");
    TestLog log;
    auto run = Make<CExecuteApplicationSyncInstruction>("$HERE$/setup, /S, $NOTHING$, /D=C:\\x y");
    run->SetScript(script.Get());
    EXPECT_TRUE(RunLogged(*run, log));
    // The program has ended: what it wrote is there. An argument that expands to nothing is dropped.
    EXPECT_EQ(ReadFile(dir / "args"), "/S\n/D=C:/x y\n");
    ASSERT_EQ(log.Rows().size(), 1u);
    EXPECT_TRUE(log.Rows()[0].succeeded());
    EXPECT_EQ(log.Rows()[0].text, Row("ExecuteApplication. Src=%s", dir / "setup"));
}

TEST(ExecuteApplicationInstruction, PlainFormReturnsWhileTheProgramRuns) {
    TempFolder dir;
    // The program ends only after the test has seen Execute return (or after ten seconds).
    WriteScript(dir / "app", "i=0\nwhile [ ! -f '" + dir / "go" +
                                 "' ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n"
                                 "touch '" +
                                 dir / "done" + "'\n");
    EXPECT_TRUE(Make<CExecuteApplicationInstruction>((dir / "app").c_str())->Execute());
    EXPECT_FALSE(fs::exists(dir / "done"));
    WriteFile(dir / "go");
    EXPECT_TRUE(WaitForFile(dir / "done"));
}

TEST(ExecuteApplicationInstruction, MissingProgramAndUntrimmedPathFail) {
    TempFolder dir;
    WriteScript(dir / "app", "exit 0\n");
    TestLog log;
    EXPECT_FALSE(RunLogged(*Make<CExecuteApplicationInstruction>((dir / "none").c_str()), log));
    // Without a comma the whole text is the path, its blank included.
    EXPECT_FALSE(RunLogged(*Make<CExecuteApplicationSyncInstruction>((" " + dir / "app").c_str()), log));
    // A file that cannot be started is a failed launch.
    WriteFile(dir / "text.txt");
    EXPECT_FALSE(RunLogged(*Make<CExecuteApplicationSyncInstruction>((dir / "text.txt, a").c_str()), log));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, Row("ExecuteApplication. Application file %s doesnt exist", dir / "none"));
    EXPECT_EQ(rows[1].text, Row("ExecuteApplication. Application file  %s doesnt exist", dir / "app"));
    EXPECT_FALSE(rows[2].succeeded());
    EXPECT_EQ(rows[2].text, Row("ExecuteApplication. Src=%s", dir / "text.txt"));
}

TEST(ExecuteFileInstruction, OpensFilesAsPathsAndFoldersAsUrls) {
    TempFolder dir;
    WriteFile(dir / "readme.txt");
    fs::create_directories(dir / "folder");
    FakeOpener opener(dir, 0);
    TestLog log;
    EXPECT_TRUE(RunLogged(*Make<CExecuteFileInstruction>((dir / "readme.txt").c_str()), log));
    EXPECT_EQ(opener.Opened(), dir / "readme.txt");
    EXPECT_TRUE(RunLogged(*Make<CExecuteFileInstruction>((dir / "folder").c_str()), log));
    EXPECT_EQ(opener.Opened(), "file://" + dir / "folder");
    EXPECT_FALSE(RunLogged(*Make<CExecuteFileInstruction>((dir / "none.txt").c_str()), log));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, Row("ExecuteFile. Src=%s", dir / "readme.txt"));
    EXPECT_TRUE(rows[1].succeeded());
    EXPECT_EQ(rows[2].text, Row("ExecuteFile. Source file %s doesnt exist", dir / "none.txt"));
}

TEST(ExecuteFileInstruction, OpenerFailureIsReportedWithTheShellsReason) {
    TempFolder dir;
    WriteFile(dir / "data.xyz");
    FakeOpener opener(dir, 3); // no program for this kind of file
    LogCapture capture;
    TestLog log;
    EXPECT_FALSE(RunLogged(*Make<CExecuteFileInstruction>((dir / "data.xyz").c_str()), log));
    EXPECT_TRUE(capture.Contains(
        "Error opening URL: \"" + dir / "data.xyz" +
        "\". Reason: There is no application associated with the given file name extension. \n"))
        << capture.Text();
    ASSERT_EQ(log.Rows().size(), 1u);
    EXPECT_FALSE(log.Rows()[0].succeeded());
}

namespace {

// The component libraries are built with the tests; each test works on its own copies.
class ComponentLibraries : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(KIS_COMPONENT_OK, m_dir / "ok.so");
        fs::copy_file(KIS_COMPONENT_FAILS, m_dir / "false.so");
        fs::copy_file(KIS_COMPONENT_PLAIN, m_dir / "plain.so");
    }
    std::string Library(const char* name) const { return m_dir / name; }

    TempFolder m_dir;
};

} // namespace

TEST_F(ComponentLibraries, RegisterSucceedsOnlyForResultZero) {
    TestLog log;
    EXPECT_TRUE(RunLogged(*Make<CRegisterDLLInstruction>(Library("ok.so").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CRegisterDLLInstruction>(Library("false.so").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CRegisterDLLInstruction>(Library("plain.so").c_str()), log));
    WriteFile(Library("text.so"), "not a library");
    EXPECT_FALSE(RunLogged(*Make<CRegisterDLLInstruction>(Library("text.so").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CRegisterDLLInstruction>(Library("none.so").c_str()), log));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[0].succeeded());
    EXPECT_EQ(rows[0].text, "CRegisterDLLInstruction. Registered DLL");
    EXPECT_EQ(rows[1].text, "CRegisterDLLInstruction. Failed to Registered DLL");
    EXPECT_EQ(rows[2].text, "CRegisterDLLInstruction. Failed to aquire DllRegisterServer handle");
    EXPECT_EQ(rows[3].text, "CRegisterDLLInstruction. Failed to aquire library handle");
    EXPECT_EQ(rows[4].text,
              Row("CRegisterDLLInstruction. Dll at path = %s doesnt exist", Library("none.so")));
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_FALSE(rows[i].succeeded());
    EXPECT_EQ(log.UninstallEntries(), std::vector<std::string>{"[RegisterDLL]," + Library("ok.so")});
}

TEST_F(ComponentLibraries, UnregisterCallsItsOwnEntryPointAndRecordsNothing) {
    TestLog log;
    EXPECT_TRUE(RunLogged(*Make<CUnRegisterDLLInstruction>(Library("ok.so").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CUnRegisterDLLInstruction>(Library("false.so").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CUnRegisterDLLInstruction>(Library("plain.so").c_str()), log));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, "CUnRegisterDLLInstruction. Registered DLL");
    EXPECT_EQ(rows[1].text, "CUnRegisterDLLInstruction. Failed to Registered DLL");
    EXPECT_EQ(rows[2].text, "CUnRegisterDLLInstruction. Failed to aquire DllRegisterServer handle");
    EXPECT_TRUE(log.UninstallEntries().empty());
}

TEST(CreateShortcutInstruction, WritesAnExecutableDesktopEntry) {
    TempFolder dir;
    WriteScript(dir / "app dir/run $1", "exit 0\n");
    TestLog log;
    const std::string shortcut = dir / "App.desktop";
    EXPECT_TRUE(RunLogged(*Make<CCreateShortcutInstruction>(
                              (shortcut + ", " + dir / "app dir/run $1" + ", Runs 100% of it").c_str()),
                          log));

    const std::string entry = ReadFile(shortcut);
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nName=App\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nComment=Runs 100% of it\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nExec=\"" + dir / "app dir/run \\\\$1" + "\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nPath=" + dir / "app dir" + "\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=" + dir / "app dir/run $1" + "\n"), std::string::npos) << entry;
    EXPECT_NE(fs::status(shortcut).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(log.Rows()[0].text, Row("CreateShortcut. Src=%s DST=%s", shortcut, dir / "app dir/run $1"));
    EXPECT_EQ(log.UninstallEntries(), std::vector<std::string>{"[File]," + shortcut});

    // A document is opened rather than started; a missing folder fails the save.
    WriteFile(dir / "readme.txt");
    EXPECT_TRUE(
        Make<CCreateShortcutInstruction>((dir / "Readme.desktop, " + dir / "readme.txt, Read me").c_str())
            ->Execute());
    EXPECT_NE(ReadFile(dir / "Readme.desktop").find("\nExec=xdg-open \"" + dir / "readme.txt" + "\"\n"),
              std::string::npos);
    TestLog failed;
    EXPECT_FALSE(RunLogged(
        *Make<CCreateShortcutInstruction>((dir / "no/App.desktop, " + dir / "readme.txt, x").c_str()),
        failed));
    EXPECT_EQ(failed.Rows()[0].text, Row("CreateShortcut. Failed to save output file, Src=%s DST=%s",
                                         dir / "no/App.desktop", dir / "readme.txt"));

    EXPECT_EQ(ConstructionError<CCreateShortcutInstruction>("a, b"),
              "There are not enough arguments for the shortcut operation to proceed");
}

TEST(RebootInstruction, TellsTheHandlerWhenThereIsOne) {
    CRebootInstruction reboot;
    EXPECT_TRUE(reboot.Execute());
    RebootRecorder recorder;
    CSetMessageHandler::SetRebootHandler(&recorder);
    EXPECT_TRUE(reboot.Execute());
    CSetMessageHandler::SetRebootHandler(nullptr);
    EXPECT_EQ(recorder.calls, 1);
}
