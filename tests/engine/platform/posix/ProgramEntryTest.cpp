#include "tests/engine/FlacTestSupport.h"
#include "tests/engine/InstructionTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string errors;
};

// Runs the real program on a medium folder with every built-in folder kept inside the test's folder.
Outcome RunInstaller(const KisTest::TempFolder& sandbox, const std::string& medium,
                     const std::string& options = "", const std::string& environment = "") {
    const std::string errors = sandbox / "stderr.txt";
    std::string command = "cd '" + sandbox.Text() + "' && env " + environment;
    for (const char* name : {"DESKTOP_FOLDER", "DOCUMENTS_FOLDER", "PROGRAMFILES_FOLDER", "RTAS_FOLDER",
                             "VST_FOLDER", "STARTMENU_FOLDER", "TEMP_FOLDER"})
        command += std::string(" KIS_") + name + "='" + (sandbox / name) + "'";
    command += " KIS_REGISTRY='" + (sandbox / "registry.db") +
               "' '" KIS_BINARY_DIR "/ui/kis-installer' --medium '" + medium + "' --silent " + options +
               " > /dev/null 2> '" + errors + "'";
    const int status = std::system(command.c_str());
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.errors = KisTest::ReadFile(errors);
    return outcome;
}

std::string Contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos ? "" : "missing: " + needle + "\nin:\n" + haystack;
}

const char* const kScript = R"({KestrawinInstallSystem}
# Product installer used by the black-box tests
{Variables}
INSTALL_DIR, $PROGRAMFILES_FOLDER$/Product
GREETING
{GlobalSetup}
APPLICATION_NAME, Product
APPLICATION_VERSION, 2.1
APPLICATION_LOGPATH, $INSTALL_DIR$/Logs
APPLICATION_REGISTRY, Software\Maker\Product, ignored
{Pages}
!WIN32
DocumentView, Readme.txt
!end
!MACOSX
ImageView, mac.tga
!end
InstallSectionView, Components
InstallProcessView, Progress
CompletionView, Done
{PreRun}
If FileExists, $CWD_FOLDER$/Installer/InstallScript.kis, 1, 2
NotifyUser, Welcome to $APPLICATION_NAME$ $APPLICATION_VERSION$
NoOp
{Exclusive}
Extras
{MainInstall}
{Section}, 100, Program, The program files, Required, WIN32
CreateDirectory, $INSTALL_DIR$/bin
FolderExists, $INSTALL_DIR$/bin, 1, 2
SetMessage, Installing $INSTALL_DIR$
If PromptUser, Keep settings in $INSTALL_DIR$/settings?, 2, 1
CreateDirectory, $INSTALL_DIR$/settings-declined
SkipInstructions, 2
CreateDirectory, $INSTALL_DIR$/skipped
NotifyUser, Done with $GREETING$ 100%
{Section}, 50, Mac only, Never on this platform, Required, MACOSX
CreateDirectory, $INSTALL_DIR$/mac
{Section}, 10, Extras, Optional things, Optional
ExitSection
CreateDirectory, $INSTALL_DIR$/after-exit
{Section}, 1, Last, The last section, Required
DeleteFile, $INSTALL_DIR$/missing.txt
CreateDirectory, $INSTALL_DIR$/last
)";

} // namespace

TEST(ProgramEntry, InstallsUnattendedWithTheExactLogAndUninstallScript) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    KisTest::WriteFile(medium + "/Installer/InstallScript.kis", kScript);
    const Outcome outcome = RunInstaller(sandbox, medium, "--set GREETING=tester --confirm no");
    // The run goes to its end, but DeleteFile of a missing file fails: exit code 3, and the last line
    // says how many rows failed (its own and the thread's) and where the log is.
    ASSERT_EQ(outcome.exitCode, 3) << outcome.errors;
    const std::string product = (sandbox / "PROGRAMFILES_FOLDER") + "/Product";
    EXPECT_TRUE(KisTest::ProgramErrors(outcome.errors)
                    .ends_with("\nInstallation finished with failures: 2 failed rows; install log: " +
                               product + "/Logs/Product_installLog.log\n"))
        << outcome.errors;

    EXPECT_TRUE(KisTest::fs::is_directory(product + "/bin"));
    EXPECT_TRUE(KisTest::fs::is_directory(product + "/settings-declined"));
    EXPECT_FALSE(KisTest::fs::exists(product + "/skipped"));
    EXPECT_FALSE(KisTest::fs::exists(product + "/mac"));
    EXPECT_FALSE(KisTest::fs::exists(product + "/after-exit"));
    EXPECT_TRUE(KisTest::fs::is_directory(product + "/last"));

    // Dialogs reach the silent responder in order: the pre-run notice, the question, the last notice.
    EXPECT_EQ(Contains(outcome.errors, "Alert: Welcome to Product 2.1\n"), "");
    EXPECT_EQ(Contains(outcome.errors, "Confirm: Keep settings in " + product + "/settings? -> no\n"), "");
    EXPECT_EQ(Contains(outcome.errors, "Alert: Done with tester 100%\n"), "");

    std::string log = KisTest::ReadFile(product + "/Logs/Product_installLog.log");
    log = std::regex_replace(log, std::regex("^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]{2} [0-9:]{8} [0-9]{4}"),
                             "DATE");
    const std::string variables = log.substr(0, log.find("PAGES DECLARED"));
    EXPECT_EQ(Contains(variables, "INSTALL_DIR              \t\t$PROGRAMFILES_FOLDER$/Product\n"), "");
    EXPECT_EQ(Contains(variables, "GREETING                 \t\ttester\n"), "");
    EXPECT_EQ(Contains(variables, "APPLICATION_REGISTRY     \t\tSoftware\\Maker\\Product\n"), "");
    const std::string rest = log.substr(log.find("PAGES DECLARED"));
    const auto pad = [](std::string text, size_t width) {
        text.resize(std::max(width, text.size()), ' ');
        return text;
    };
    const auto row = [&](const char* marker, const std::string& text) {
        return std::string("|") + marker + "|" + pad(text, 240) + "|\n";
    };
    const std::string border = "+---------+" + std::string(240, '-') + "+\n";
    const std::string expected =
        "PAGES DECLARED ----------------------------------------------\n\n"
        "DocumentView             \t\tReadme.txt\n"
        "InstallSectionView       \t\tComponents\n"
        "InstallProcessView       \t\tProgress\n"
        "CompletionView           \t\tDone\n"
        "\n--------------------------------------------------------------\n"
        "\n\n\nSECTIONS DECLARED -------------------------------------------\n\n" +
        pad("Program", 25) + "\t\t" + pad("The program files", 75) + "\t\t" + pad(" ", 25) + "\n" +
        pad("Extras", 25) + "\t\t" + pad("Optional things", 75) + "\t\t" + pad("Optional", 25) + "\n" +
        pad("Last", 25) + "\t\t" + pad("The last section", 75) + "\t\t" + pad(" ", 25) + "\n" +
        "\n--------------------------------------------------------------\n\n\n\n" + border + "|  Error  |" +
        pad("  Instruction Description", 240) + "|\n" + border +
        row("         ", "CreateDirectory. DST=" + product + "/bin") +
        row("         ", "CreateDirectory. DST=" + product + "/settings-declined") +
        row("         ", "Section exited") +
        row(" Failure ", "DeleteFile. File " + product + "/missing.txt doesnt exist") +
        row("Exception", "Failed to execute CDeleteFileInstruction instruction properly, in section Last") +
        row("         ", "CreateDirectory. DST=" + product + "/last") + border;
    EXPECT_EQ(rest, expected);

    // Every folder the run made is recorded, outermost first.
    EXPECT_EQ(KisTest::ReadFile(product + "/Logs/Product_uninstaller.kus"),
              "{KestrawinInstallSystem}\n{UninstallScript}\nAPPLICATION_NAME,Product\n\n\n[Folder]," +
                  product + "\n[Folder]," + product + "/Logs\n[Folder]," + product + "/bin\n[Folder]," +
                  product + "/settings-declined\n[Folder]," + product + "/last\n");
}

TEST(ProgramEntry, AbortInASectionFailsTheRun) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    KisTest::WriteFile(medium + "/Installer/InstallScript.kis",
                       "{KestrawinInstallSystem}\n{Variables}\n{GlobalSetup}\nAPPLICATION_NAME, P\n"
                       "APPLICATION_LOGPATH, " +
                           (sandbox / "logs") +
                           "\n{Pages}\nInstallProcessView, Progress\n{MainInstall}\n"
                           "{Section}, 1, S, s, Required\nAbortInstallation\nCreateDirectory, " +
                           (sandbox / "never") + "\n");
    EXPECT_EQ(RunInstaller(sandbox, medium).exitCode, 1);
    EXPECT_FALSE(KisTest::fs::exists(sandbox / "never"));
}

TEST(ProgramEntry, ScriptErrorsEndWithTheirMessageAndStartupFailure) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    KisTest::WriteFile(medium + "/Installer/InstallScript.kis", "{KestrawinInstallSystem}\n{Pages}\n");
    Outcome outcome = RunInstaller(sandbox, medium);
    EXPECT_EQ(outcome.exitCode, 255);
    EXPECT_EQ(Contains(outcome.errors,
                       "Alert: Caught vexception in main function. Cannot continue operation.\\n"
                       "Error reason: Exception id: 0 src: Unknown descr: Variables and Global setup "
                       "must have been defined before the pages section (InstallScript.kis, line 2)\n"),
              "");
    // The same place in the form editors jump to.
    EXPECT_EQ(
        Contains(outcome.errors, medium + "/Installer/InstallScript.kis:2: error: Variables and Global setup "
                                          "must have been defined before the pages section\n"),
        "");

    KisTest::WriteFile(medium + "/Installer/InstallScript.kis", "not a script\n");
    outcome = RunInstaller(sandbox, medium);
    EXPECT_EQ(outcome.exitCode, 255);
    EXPECT_EQ(Contains(outcome.errors,
                       "Alert: Failed to parse the installation script.\\nCannot continue with "
                       "execution.\\nPlease contact Kestrawin technical support"),
              "");
    EXPECT_EQ(Contains(outcome.errors, "support@kestrawin.com (InstallScript.kis, line 1)\n"), "");
    EXPECT_EQ(outcome.errors.find("[Job Server]"), std::string::npos);
}

TEST(ProgramEntry, CheckModeReportsOnStandardOutputAndInstallsNothing) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    const std::string script = medium + "/Installer/InstallScript.kis";
    KisTest::WriteFile(script, kScript);
    const std::string program = "'" KIS_BINARY_DIR "/ui/kis-installer' ";
    auto run = [&](const std::string& arguments) {
        const std::string output = sandbox / "stdout.txt";
        const int status = std::system((program + arguments + " > '" + output + "' 2>/dev/null").c_str());
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, KisTest::ReadFile(output));
    };
    auto [code, output] =
        run("--check --medium '" + medium + "' --registry '" + (sandbox / "registry.db") + "'");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output, "0 error(s), 0 warning(s)\n");
    EXPECT_FALSE(KisTest::fs::exists(sandbox / "registry.db"));

    KisTest::WriteFile(script, std::string(kScript) + "Copyfile, a, b\n");
    std::tie(code, output) = run("--check '" + script + "'");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output, script +
                          ":45: warning: unknown keyword \"Copyfile\"; the line is dropped (did you mean "
                          "CopyFile?)\n0 error(s), 1 warning(s)\n");
    std::tie(code, output) = run("--check '" + script + "' --werror");
    EXPECT_EQ(code, 1);

    std::tie(code, output) = run("--check '" + (sandbox / "none.kis") + "'");
    EXPECT_EQ(code, 255);
    std::tie(code, output) = run("--check --medium '" + (sandbox / "empty") + "'");
    EXPECT_EQ(code, 255);
}

TEST(ProgramEntry, WithoutAScriptItAsksAndGivesUp) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "empty-medium";
    KisTest::fs::create_directories(medium);
    const Outcome outcome = RunInstaller(sandbox, medium);
    EXPECT_EQ(outcome.exitCode, 255);
    EXPECT_EQ(Contains(outcome.errors, "Alert: Unable to automatically locate the InstallScript."), "");
    EXPECT_EQ(Contains(outcome.errors, "Open: Please choose the install script -> cancelled\n"), "");
    EXPECT_EQ(
        Contains(outcome.errors,
                 "Alert: This applications needs an install script (*.kis) to run. Please try again later\n"),
        "");
}

TEST(ProgramEntry, FindsTheStandardScriptFirstThenTheFirstSortedOne) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    const auto script = [&](const std::string& marker) {
        return "{KestrawinInstallSystem}\n{Variables}\n{GlobalSetup}\nAPPLICATION_NAME, "
               "P\nAPPLICATION_LOGPATH, " +
               (sandbox / "logs") +
               "\n{Pages}\nInstallProcessView, Progress\n{MainInstall}\n{Section}, 1, S, s, "
               "Required\nCreateDirectory, " +
               (sandbox / marker) + "\n";
    };
    KisTest::WriteFile(medium + "/Installer/b.kis", script("from-b"));
    KisTest::WriteFile(medium + "/Installer/A.kis", script("from-a"));
    KisTest::WriteFile(medium + "/Installer/InstallScript.kis", script("from-standard"));
    EXPECT_EQ(RunInstaller(sandbox, medium).exitCode, 0);
    EXPECT_TRUE(KisTest::fs::exists(sandbox / "from-standard"));

    KisTest::fs::remove(medium + "/Installer/InstallScript.kis");
    EXPECT_EQ(RunInstaller(sandbox, medium).exitCode, 0);
    EXPECT_TRUE(KisTest::fs::exists(sandbox / "from-a"));
    EXPECT_FALSE(KisTest::fs::exists(sandbox / "from-b"));
}

TEST(ProgramEntry, CommandLineErrorsAndHelp) {
    const std::string program = KIS_BINARY_DIR "/ui/kis-installer";
    EXPECT_EQ(WEXITSTATUS(std::system((program + " --help > /dev/null").c_str())), 0);
    EXPECT_EQ(WEXITSTATUS(std::system((program + " --version > /dev/null").c_str())), 0);
    EXPECT_EQ(WEXITSTATUS(std::system((program + " --no-such-option 2> /dev/null").c_str())), 255);
    EXPECT_EQ(WEXITSTATUS(std::system((program + " --confirm maybe 2> /dev/null").c_str())), 255);
    EXPECT_EQ(WEXITSTATUS(std::system((program + " --set =x 2> /dev/null").c_str())), 255);
    EXPECT_EQ(WEXITSTATUS(std::system((program + " --jobs abc 2> /dev/null").c_str())), 255);
    EXPECT_EQ(WEXITSTATUS(std::system((program + " --jobs 17 2> /dev/null").c_str())), 255);
    EXPECT_EQ(WEXITSTATUS(std::system(("KIS_JOBS=0 " + program + " --version 2> /dev/null").c_str())), 255);
    EXPECT_EQ(WEXITSTATUS(std::system(("KIS_JOBS=0 " + program + " --jobs 2 --version > /dev/null").c_str())),
              0);
}

TEST(ProgramEntry, SilentRunWalksTheWizardAndSavesEveryPage) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    KisTest::WriteFile(medium + "/Installer/Licence.txt", "The terms.\n");
    const std::string script =
        "{KestrawinInstallSystem}\n{Variables}\n{GlobalSetup}\nAPPLICATION_NAME, P\n"
        "APPLICATION_LOGPATH, " +
        (sandbox / "logs") +
        "\n{Pages}\nDocumentView, Welcome\nLicenceView, $CWD_FOLDER$/Installer/Licence.txt\n"
        "InstallProcessView, LogView\nCompletionView, Done\n{MainInstall}\n"
        "{Section}, 1, S, s, Required\nCreateDirectory, " +
        (sandbox / "made") + "\n";
    KisTest::WriteFile(medium + "/Installer/InstallScript.kis", script);

    // Without agreeing to the licence the run stops on its page.
    Outcome outcome = RunInstaller(sandbox, medium);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(Contains(outcome.errors, "Alert: To continue the installation you must agree to the terms"),
              "");
    EXPECT_FALSE(KisTest::fs::exists(sandbox / "made"));

    outcome = RunInstaller(sandbox, medium, "--accept-licence --screenshots '" + (sandbox / "pages") + "'");
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_TRUE(KisTest::fs::is_directory(sandbox / "made"));
    std::vector<std::string> pictures;
    for (const auto& entry : KisTest::fs::directory_iterator(sandbox / "pages"))
        pictures.push_back(entry.path().filename().string());
    std::sort(pictures.begin(), pictures.end());
    EXPECT_EQ(pictures, (std::vector<std::string>{"01-Welcome.png", "02-Licence-Agreement.png",
                                                  "03-Install.png", "04-Complete.png"}));
    // Each is a 600 x 400 PNG.
    const std::string head = KisTest::ReadFile(sandbox / "pages/04-Complete.png").substr(0, 24);
    ASSERT_EQ(head.size(), 24u);
    EXPECT_EQ(head.substr(1, 3), "PNG");
    const auto be32 = [&head](size_t at) {
        return (uint32_t(uint8_t(head[at])) << 24) | (uint32_t(uint8_t(head[at + 1])) << 16) |
               (uint32_t(uint8_t(head[at + 2])) << 8) | uint32_t(uint8_t(head[at + 3]));
    };
    EXPECT_EQ(be32(16), 600u);
    EXPECT_EQ(be32(20), 400u);
}

TEST(ProgramEntry, SilentLocationIsTakenAsIfChosenWithBrowse) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    const std::string script =
        "{KestrawinInstallSystem}\n{Variables}\nINSTALL_DIR, $PROGRAMFILES_FOLDER$/Product\n"
        "{GlobalSetup}\nAPPLICATION_NAME, P\nAPPLICATION_LOGPATH, $INSTALL_DIR$/Logs\n"
        "{Pages}\nInstallLocationView, INSTALL_DIR, Location, Where to install, $INSTALL_DIR$, x, "
        "false\nInstallProcessView, LogView\n{MainInstall}\n{Section}, 1, S, s, Required\n"
        "CreateDirectory, $INSTALL_DIR$/bin\n";
    KisTest::WriteFile(medium + "/Installer/InstallScript.kis", script);
    const std::string chosen = sandbox / "chosen/Product";
    const Outcome outcome = RunInstaller(sandbox, medium, "--location '" + chosen + "'");
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;
    EXPECT_EQ(Contains(outcome.errors, "Confirm: "), "");
    EXPECT_TRUE(KisTest::fs::is_directory(chosen + "/bin"));
    EXPECT_TRUE(KisTest::fs::exists(chosen + "/Logs/P_installLog.log"));
    EXPECT_FALSE(KisTest::fs::exists((sandbox / "PROGRAMFILES_FOLDER") + "/Product"));
}

TEST(ProgramEntry, SilentRunInstallsTheChosenKitPiecesAtTheFirstSize) {
    if (!KisTest::FlacToolAvailable()) GTEST_SKIP() << "the flac tool is missing";
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    // Two kit pieces of four compressed one-shots each; KitB is installed already.
    for (const char* folder : {"Library/Drums/KitA/Hard", "Library/Drums/KitB/Soft"})
        for (int i = 0; i < 4; ++i) {
            const std::string base = medium + "/" + folder + "/t" + std::to_string(i);
            KisTest::fs::create_directories(KisTest::fs::path(base).parent_path());
            KisTest::WriteTestWave(base + ".wav", 2, 16, 2000 + i, static_cast<uint32_t>(i + 1));
            ASSERT_TRUE(KisTest::EncodeWithFlacTool(base + ".wav", base + ".zdrca"));
            KisTest::fs::remove(base + ".wav");
        }
    KisTest::WriteFile(medium + "/Library/Drums/KitA/Info.txt", "A bright kit.\n");
    KisTest::fs::create_directories(sandbox / "data/Data/Drums/KitB");

    // A first run records where the kit data lives, as an earlier installation would have.
    const std::string target = sandbox / "Samples";
    KisTest::WriteFile(medium + "/Installer/InstallScript.kis",
                       "{KestrawinInstallSystem}\n{Variables}\n{GlobalSetup}\nAPPLICATION_NAME, Data\n"
                       "APPLICATION_LOGPATH, " +
                           (sandbox / "logs") +
                           "\n{Pages}\nInstallProcessView, LogView\n"
                           "{MainInstall}\n{Section}, 1, S, s, Required\nWriteRegistryEntry, " +
                           (sandbox / "data") + ", Software\\Kestrawin\\ZDR, DataPath\n");
    ASSERT_EQ(RunInstaller(sandbox, medium).exitCode, 0);

    KisTest::WriteFile(
        medium + "/Installer/InstallScript.kis",
        "{KestrawinInstallSystem}\n{Variables}\nINSTALL_DIR, " + target +
            "\n{GlobalSetup}\nAPPLICATION_NAME, Lib\nAPPLICATION_LOGPATH, $INSTALL_DIR$/Logs\n{Pages}\n"
            "ZDRKitPieceView, INSTALL_DIR, 1.0, $CWD_FOLDER$/Library, Choose the kit pieces, "
            "[{2:Small:Two per folder}, {4:Full:Every sample}]\nInstallProcessView, LogView\n"
            "{MainInstall}\n{Section}, 1, Samples, The samples, Required\n"
            "ZdrcaCopyDirectory, $CWD_FOLDER$/Library, $INSTALL_DIR$\n");
    const Outcome outcome = RunInstaller(sandbox, medium);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errors;

    // Two of four files, picked evenly (entries 0 and 1), from the piece that was not installed yet.
    std::vector<std::string> arrived;
    for (const auto& entry : KisTest::fs::recursive_directory_iterator(target))
        if (entry.path().extension() == ".wav")
            arrived.push_back(KisTest::fs::relative(entry.path(), target).string());
    std::sort(arrived.begin(), arrived.end());
    EXPECT_EQ(arrived, (std::vector<std::string>{"Drums/KitA/Hard/t0.wav", "Drums/KitA/Hard/t1.wav"}));
    EXPECT_FALSE(KisTest::fs::exists(target + "/Drums/KitB"));
}

TEST(ProgramEntry, QuietLeavesOnlyTheDialogLinesAndDiagnosticsGoToTheirFile) {
    KisTest::TempFolder sandbox;
    const std::string medium = sandbox / "medium";
    KisTest::WriteFile(medium + "/Installer/InstallScript.kis",
                       "{KestrawinInstallSystem}\n{Variables}\n{GlobalSetup}\nAPPLICATION_NAME, P\n"
                       "APPLICATION_LOGPATH, " +
                           (sandbox / "logs") +
                           "\n{Pages}\nInstallProcessView, Progress\n{MainInstall}\n"
                           "{Section}, 1, S, s, Required\nNotifyUser, Hello\nCreateDirectory, " +
                           (sandbox / "made") + "\n");
    // Without either option the diagnostic log (the memory report included) is on standard error.
    const Outcome plain = RunInstaller(sandbox, medium);
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(Contains(plain.errors, "Total created:"), "");

    // Only the dialog line (a sanitizer build may add its own report after the program has ended).
    const auto onlyTheDialogLine = [](const std::string& errors) {
        return errors.rfind("Alert: Hello\n", 0) == 0 && errors.find("Total created:") == std::string::npos &&
               errors.find("Completed post load") == std::string::npos &&
               errors.find("Job Server") == std::string::npos;
    };
    const Outcome quiet = RunInstaller(sandbox, medium, "--quiet");
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_TRUE(onlyTheDialogLine(quiet.errors)) << quiet.errors;

    const std::string file = sandbox / "diagnostics.log";
    const Outcome diverted = RunInstaller(sandbox, medium, "--diagnostics '" + file + "'");
    EXPECT_EQ(diverted.exitCode, 0);
    EXPECT_TRUE(onlyTheDialogLine(diverted.errors)) << diverted.errors;
    const std::string diagnostics = KisTest::ReadFile(file);
    EXPECT_EQ(Contains(diagnostics, "Completed post load"), "");
    EXPECT_EQ(Contains(diagnostics, "Total created:"), "");

    // A file that cannot be written is a start-up failure, said on standard error.
    const Outcome refused =
        RunInstaller(sandbox, medium, "--diagnostics '" + (sandbox / "no/such/file") + "'");
    EXPECT_EQ(refused.exitCode, 255);
    EXPECT_EQ(Contains(refused.errors, "cannot write the diagnostic log"), "");
}
