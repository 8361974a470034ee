#include "engine/InstructionTestSupport.h"

#include "instructions/CCreateShortcutInstruction.h"
#include "instructions/CExecuteApplicationSyncInstruction.h"
#include "instructions/CRegisterDLLInstruction.h"
#include "instructions/CUnRegisterDLLInstruction.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>

// The program, library and shortcut instructions on Windows: component libraries built by the cross
// compiler, shell links read back through the shell's link object, programs started through the shell.
using namespace KisTest;
namespace fs = std::filesystem;

namespace {

class ComponentLibrariesWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(KIS_COMPONENT_OK, m_dir / "ok.dll");
        fs::copy_file(KIS_COMPONENT_FAILS, m_dir / "fails.dll");
        fs::copy_file(KIS_COMPONENT_PLAIN, m_dir / "plain.dll");
    }
    std::string Library(const char* name) const { return m_dir / name; }

    TempFolder m_dir;
};

// What a shell link file holds, read through the link object.
struct LinkContent {
    std::string target, workingFolder, description;
};

bool ReadLink(const std::string& path, LinkContent& out) {
    (void)::CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    WCHAR widePath[MAX_PATH];
    ok = ok && ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) > 0 &&
         SUCCEEDED(file->Load(widePath, STGM_READ));
    char text[MAX_PATH + 1] = {};
    if (ok && SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) out.target = text;
    if (ok && SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) out.workingFolder = text;
    if (ok && SUCCEEDED(link->GetDescription(text, MAX_PATH))) out.description = text;
    if (file) file->Release();
    link->Release();
    return ok;
}

} // namespace

TEST_F(ComponentLibrariesWin32, RegistrationCallsTheEntryPointsOfARealLibrary) {
    TestLog log;
    EXPECT_TRUE(RunLogged(*Make<CRegisterDLLInstruction>(Library("ok.dll").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CRegisterDLLInstruction>(Library("fails.dll").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CRegisterDLLInstruction>(Library("plain.dll").c_str()), log));
    WriteFile(Library("text.dll"), "not a library");
    EXPECT_FALSE(RunLogged(*Make<CRegisterDLLInstruction>(Library("text.dll").c_str()), log));
    EXPECT_TRUE(RunLogged(*Make<CUnRegisterDLLInstruction>(Library("ok.dll").c_str()), log));
    EXPECT_FALSE(RunLogged(*Make<CUnRegisterDLLInstruction>(Library("fails.dll").c_str()), log));

    const auto rows = log.Rows();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].text, "CRegisterDLLInstruction. Registered DLL");
    EXPECT_EQ(rows[1].text, "CRegisterDLLInstruction. Failed to Registered DLL");
    EXPECT_EQ(rows[2].text, "CRegisterDLLInstruction. Failed to aquire DllRegisterServer handle");
    EXPECT_EQ(rows[3].text, "CRegisterDLLInstruction. Failed to aquire library handle");
    EXPECT_EQ(rows[4].text, "CUnRegisterDLLInstruction. Registered DLL");
    EXPECT_EQ(rows[5].text, "CUnRegisterDLLInstruction. Failed to Registered DLL");
    EXPECT_EQ(log.UninstallEntries(), std::vector<std::string>{"[RegisterDLL]," + Library("ok.dll")});
}

TEST(CreateShortcutInstructionWin32, WritesAShellLinkThatReadsBack) {
    TempFolder dir;
    WriteFile(dir / "bin/player.exe", "MZ");
    TestLog log;
    const std::string arguments = dir / "Player.lnk" + ", " + dir / "bin/player.exe" + ", The player";
    EXPECT_TRUE(RunLogged(*Make<CCreateShortcutInstruction>(arguments.c_str()), log));
    LinkContent link;
    ASSERT_TRUE(ReadLink(dir / "Player.lnk", link));
    EXPECT_EQ(link.target, dir / "bin/player.exe");
    EXPECT_EQ(link.workingFolder, dir / "bin");
    EXPECT_EQ(link.description, "The player");
    EXPECT_EQ(log.UninstallEntries(), std::vector<std::string>{"[File]," + dir / "Player.lnk"});
}

TEST(ExecuteApplicationInstructionWin32, SyncFormWaitsForTheProgramWithItsArguments) {
    TempFolder dir;
    // The batch file writes its first argument (quoted, as it holds a blank) and only then ends.
    WriteFile(dir / "run.cmd", "@echo off\r\n>\"%~dp0out.txt\" echo %~1\r\n");
    TestLog log;
    const std::string arguments = dir / "run.cmd" + ", two words";
    EXPECT_TRUE(RunLogged(*Make<CExecuteApplicationSyncInstruction>(arguments.c_str()), log));
    EXPECT_EQ(ReadText(dir / "out.txt"), "two words\n");
    EXPECT_FALSE(RunLogged(*Make<CExecuteApplicationSyncInstruction>((dir / "none.exe").c_str()), log));
}
