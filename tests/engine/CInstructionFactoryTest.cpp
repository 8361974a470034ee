#include "engine/CInstructionFactory.h"
#include "engine/CInstallScript.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"
#include "instructions/CAbortInstallationInstruction.h"
#include "instructions/CNotifyUserInstruction.h"
#include "instructions/CSetMessageInstruction.h"
#include "instructions/CShowSplashScreenInstruction.h"

#include <gtest/gtest.h>

#include <string>

using namespace VFoundation;

namespace {

VRef<IInstallerInstruction> Make(const char* line, CInstallScript* script = nullptr) {
    return VRef<IInstallerInstruction>::Adopt(
        CInstructionFactory::CreateInstructionFromLine(VString(line), script));
}

std::string ClassOf(const char* line) {
    try {
        VRef<IInstallerInstruction> made = Make(line);
        return made ? made->GetClassName() : "(none)";
    } catch (const VException& exception) {
        return std::string("(threw ") + exception.GetDescriptionText().GetText() + ")";
    }
}

std::string ThrownBy(const char* line) {
    try {
        Make(line);
    } catch (const VException& exception) {
        return exception.GetDescriptionText().GetText();
    }
    return "(nothing thrown)";
}

} // namespace

TEST(InstructionFactory, MakesEveryKeywordOfTheTable) {
    const std::pair<const char*, const char*> table[] = {
        {"NoOp", "CNoOpInstruction"},
        {"ExitSection", "CExitSectionInstruction"},
        {"ExecuteApplication, /bin/true", "CExecuteApplicationInstruction"},
        {"ExecuteApplicationSync, /bin/true", "CExecuteApplicationSyncInstruction"},
        {"ExecuteFile, /tmp", "CExecuteFileInstruction"},
        {"CopyFile, a, b", "CCopyFileInstruction"},
        {"CopyDirectory, a, b", "CCopyDirectoryInstruction"},
        {"CreateDirectory, a", "CCreateDirectoryInstruction"},
        {"ChangePermissions, a, 00777", "CChangePermissionsInstruction"},
        {"DeleteFile, a", "CDeleteFileInstruction"},
        {"DeleteDirectory, a", "CDeleteDirectoryInstruction"},
        {"NotifyUser, hello", "CNotifyUserInstruction"},
        {"ReadRegistryEntry, Software\\K, Name, VAR", "CReadRegistryInstruction"},
        {"WriteRegistryEntry, Software\\K, Name, value", "CWriteRegistryInstruction"},
        {"DeleteRegistryEntry, Software\\K, Sub", "CDeleteRegistryInstruction"},
        {"AbortInstallation", "CAbortInstallationInstruction"},
        {"ZdrcaCopyDirectory, a, b", "CZdrcaCopyDirectoryInstruction"},
        {"ShowSplashScreen, a.tga, 100", "CShowSplashScreenInstruction"},
        {"CreateShortcut, /tmp/x.desktop, /bin/true, A tool", "CCreateShortcutInstruction"},
        {"RegisterDLL, a.so", "CRegisterDLLInstruction"},
        {"UnRegisterDLL, a.so", "CUnRegisterDLLInstruction"},
        {"ChangeOwner, a, root", "CChangeOwnerInstruction"},
        {"SetMessage, text", "CSetMessageInstruction"},
        {"RebootRequired, ignored arguments", "CRebootInstruction"},
        {"FolderExists, a, 1, 2", "CFolderExistsConditionalStatement"},
        {"FileExists, a, 1, 2", "CFileExistsConditionalStatement"},
        {"PromptUser, sure?, 1, 2", "CUserPromptConditionalStatement"},
        {"SkipInstructions, 3", "CScriptJumpConditionalStatement"},
    };
    for (const auto& [line, className] : table)
        EXPECT_EQ(ClassOf(line), className) << line;
}

TEST(InstructionFactory, KeywordsAreExactAndTheIfPrefixIsOptional) {
    EXPECT_EQ(ClassOf("If NoOp"), "CNoOpInstruction");
    EXPECT_EQ(ClassOf("if NoOp"), "(none)");
    EXPECT_EQ(ClassOf("If  NoOp"), "(none)");
    EXPECT_EQ(ClassOf("CopyFile , a, b"), "(none)");
    EXPECT_EQ(ClassOf("noop"), "(none)");
    EXPECT_EQ(ClassOf("CreateShortCut, a, b"), "(none)");
    EXPECT_EQ(ClassOf("AddQuickLaunchShortCut, a"), "(none)");
    EXPECT_EQ(ClassOf(""), "(none)");
}

TEST(InstructionFactory, MadeInstructionsKnowTheirScriptButNoLog) {
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    VRef<IInstallerInstruction> made = Make("NoOp", script.Get());
    ASSERT_TRUE(made);
    EXPECT_EQ(made->GetScript(), script.Get());
    EXPECT_EQ(made->GetLog(), nullptr);
    EXPECT_EQ(made->GetProgress(), 0.0f);
}

TEST(FlowInstructions, ArgumentsAreTakenWholeAndTrimmed) {
    VRef<IInstallerInstruction> notify = Make("NotifyUser,  a, b, c  ");
    EXPECT_STREQ(static_cast<CNotifyUserInstruction*>(notify.Get())->GetText().GetText(), "a, b, c");
    VRef<IInstallerInstruction> message = Make("SetMessage, Copying $INSTALLDIR$ ");
    EXPECT_STREQ(static_cast<CSetMessageInstruction*>(message.Get())->GetText().GetText(),
                 "Copying $INSTALLDIR$");
    EXPECT_TRUE(
        static_cast<CAbortInstallationInstruction*>(Make("AbortInstallation, Exit ").Get())->IsExit());
    EXPECT_FALSE(
        static_cast<CAbortInstallationInstruction*>(Make("AbortInstallation, exit").Get())->IsExit());
    EXPECT_FALSE(static_cast<CAbortInstallationInstruction*>(Make("AbortInstallation").Get())->IsExit());

    VRef<IInstallerInstruction> splash = Make("ShowSplashScreen, $CWD_FOLDER$/Splash.tga , 2500");
    auto* splashScreen = static_cast<CShowSplashScreenInstruction*>(splash.Get());
    EXPECT_STREQ(splashScreen->GetImagePath().GetText(), "$CWD_FOLDER$/Splash.tga");
    EXPECT_EQ(splashScreen->GetTimeout(), 2500);
    EXPECT_EQ(static_cast<CShowSplashScreenInstruction*>(Make("ShowSplashScreen, a, -1").Get())->GetTimeout(),
              -1);
    EXPECT_EQ(ThrownBy("ShowSplashScreen, a"), "Splash screens must have 2 arguments, path and time out");
    EXPECT_EQ(ThrownBy("ShowSplashScreen, a, 1, 2"),
              "Splash screens must have 2 arguments, path and time out");
}

TEST(FlowInstructions, ConstructorErrorsNameTheInstructionClass) {
    try {
        Make("ShowSplashScreen, only");
        FAIL() << "nothing thrown";
    } catch (const VException& exception) {
        VString description;
        exception.GetDescription(description);
        EXPECT_STREQ(description.GetText(), "Exception id: 0 src: CShowSplashScreenInstruction descr: Splash "
                                            "screens must have 2 arguments, path and time out");
    }
}
