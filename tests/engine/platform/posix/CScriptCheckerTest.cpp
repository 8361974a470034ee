#include "engine/CScriptChecker.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using KisTest::TempFolder;
using Severity = CScriptChecker::Severity;

namespace {

// A script that checks clean; the cases below change it a little.
const char* const kCleanScript = "{KestrawinInstallSystem}\n"            // 1
                                 "{Variables}\n"                         // 2
                                 "DIR, $PROGRAMFILES_FOLDER$/P\n"        // 3
                                 "{GlobalSetup}\n"                       // 4
                                 "APPLICATION_NAME, P\n"                 // 5
                                 "APPLICATION_LOGPATH, $DIR$/Logs\n"     // 6
                                 "{Pages}\n"                             // 7
                                 "InstallProcessView, LogView\n"         // 8
                                 "{MainInstall}\n"                       // 9
                                 "{Section}, 1, Main, Files, Required\n" // 10
                                 "CreateDirectory, $DIR$\n";             // 11

// The clean script without its line `removed` (0: none) and with `lines` inserted after its line `after`.
std::string Changed(int after, const std::string& lines, int removed = 0) {
    std::istringstream in(kCleanScript);
    std::string line, out;
    if (after == 0) out += lines + "\n";
    for (int number = 1; std::getline(in, line); ++number) {
        if (number != removed) out += line + "\n";
        if (number == after) out += lines + "\n";
    }
    return out;
}

struct Checked {
    bool read = false;
    std::vector<CScriptChecker::Diagnostic> diagnostics;
    std::string printed;
    int exitCode = -1;
};

// Checks text as medium/Installer/InstallScript.kis of a fresh medium.
Checked Check(const std::string& text, bool warningsAsErrors = false, const TempFolder* medium = nullptr) {
    TempFolder own;
    const TempFolder& folder = medium ? *medium : own;
    const std::string path = folder / "Installer/InstallScript.kis";
    KisTest::WriteFile(path, text);
    KisTest::LogCapture quiet;
    CScriptChecker checker(path, CScriptChecker::MediumOf(path));
    Checked checked;
    checked.read = checker.Check();
    checked.diagnostics = checker.GetDiagnostics();
    const std::string output = folder / "output.txt";
    std::FILE* out = std::fopen(output.c_str(), "w");
    checked.exitCode = checker.Print(out, warningsAsErrors);
    std::fclose(out);
    checked.printed = KisTest::ReadFile(output);
    // The printed path is the temporary folder's; the tests compare what follows it.
    for (size_t at; (at = checked.printed.find(path)) != std::string::npos;)
        checked.printed.replace(at, path.size(), "S");
    return checked;
}

struct Case {
    int after;
    const char* lines;
    int removed;
    uint32_t line;
    Severity severity;
    const char* text;
};

const std::string kLongLine = "NotifyUser, " + std::string(2100, 'x');

const Case kCases[] = {
    {0, "not a header", 0, 1, Severity::Error, "the first line is not the header {KestrawinInstallSystem}"},
    {1, "stray line", 0, 2, Severity::Warning, "line belongs to no tag and is ignored"},
    {1, "{Pages}", 0, 2, Severity::Error,
     "Variables and Global setup must have been defined before the pages section"},
    {3, "DIR, again", 0, 4, Severity::Warning,
     "variable DIR is declared again; the declaration on line 3 wins"},
    {3, "UNUSED", 0, 4, Severity::Warning, "variable UNUSED is never used"},
    {3, "CWD_FOLDER, elsewhere", 0, 4, Severity::Warning,
     "CWD_FOLDER is a built-in variable; this declaration is never seen"},
    {4, "APPLICATION_VERSION", 0, 5, Severity::Error,
     "Parsing global variable APPLICATION_VERSION is missing the defined value"},
    {0, "", 5, 4, Severity::Error, "APPLICATION_NAME is not declared"},
    {0, "", 6, 4, Severity::Error, "APPLICATION_LOGPATH is not declared"},
    {0, "", 8, 7, Severity::Warning, "no install process page: the sections never run"},
    {7, "CompletionView, Done", 0, 8, Severity::Error, "the completion page must be the last page"},
    {8, "InstallProcessView, LogView", 0, 9, Severity::Error,
     "a second install process page (the first is on line 8)"},
    {8, "DocumentView", 0, 9, Severity::Warning, "page line without a comma is ignored"},
    {8, "Documentview, Welcome", 0, 9, Severity::Warning,
     "unknown view type \"Documentview\"; the page gives no panel (did you mean DocumentView?)"},
    {8, "!LINUX\nImageView, a\n!end", 0, 9, Severity::Warning, "unknown block !LINUX"},
    {8, "LicenceView, $CWD_FOLDER$/Licence.txt", 0, 9, Severity::Error, "licence file not found: "},
    {8, "DocumentView, Hello, a, b, c, $CWD_FOLDER$/Hello.txt", 0, 9, Severity::Error,
     "document file not found: "},
    {8, "ImageView, End, $CWD_FOLDER$/End.tga", 0, 9, Severity::Error, "picture file not found: "},
    {8, "InstallLocationView, NOWHERE", 0, 9, Severity::Error, "names no declared variable"},
    {8, "{Exclusive}\nNoSuch", 0, 10, Severity::Warning,
     "exclusive name \"NoSuch\" names no optional section"},
    {11, "Copyfile, a, b", 0, 12, Severity::Warning,
     "unknown keyword \"Copyfile\"; the line is dropped (did you mean CopyFile?)"},
    {11, "CopyFile, $DIR$/a", 0, 12, Severity::Error,
     "There are not enough arguments for the copy operation to proceed"},
    {11, "FileExists, $DIR$, 1", 0, 12, Severity::Error,
     "Failed to get both the true and false steps for conditional"},
    {11, "If NoOp", 0, 12, Severity::Warning, "If on NoOp, which is no conditional"},
    {11, "SkipInstructions, 3", 0, 12, Severity::Warning, "step count 3 jumps past the end of the section"},
    {11, "CopyFile, $DIR$/a, $DIR$/b, 755", 0, 12, Severity::Warning,
     "CopyFile mode \"755\" is not an octal mode"},
    {11, "CopyFile, $CWD_FOLDER$/gone.txt, $DIR$/gone.txt", 0, 12, Severity::Error,
     "copy source not found: "},
    {11, "CopyDirectory, $CWD_FOLDER$/Payload, $DIR$", 0, 12, Severity::Error,
     "copy source folder not found: "},
    {11, "CreateDirectory, $NOPE$/x", 0, 12, Severity::Warning, "$NOPE$ names no variable"},
    {11, "{Section}, 1, Main, Again, Required", 0, 12, Severity::Warning,
     "a second section named \"Main\" (the first is on line 10)"},
    {11, "{Section}, 1, Two, Text", 0, 12, Severity::Error, "Failed to aquire all the arguments"},
    {11, "{Section}, 1, Two", 0, 12, Severity::Error,
     "The section doesnt have the full 3 arguments required!"},
    {11, "{Pages}", 0, 12, Severity::Warning, "tag {Pages} after {MainInstall} is read as an instruction"},
    {11, kLongLine.c_str(), 0, 12, Severity::Warning, "line is longer than 2047 characters"},
};

} // namespace

TEST(ScriptChecker, CleanScriptHasNoDiagnostics) {
    const Checked checked = Check(kCleanScript);
    EXPECT_TRUE(checked.read);
    EXPECT_EQ(checked.printed, "0 error(s), 0 warning(s)\n");
    EXPECT_EQ(checked.exitCode, 0);
}

TEST(ScriptChecker, ReportsEachProblemOnItsLine) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string("case: ") + std::string(c.lines).substr(0, 60) + " / removed " +
                     std::to_string(c.removed));
        const Checked checked =
            Check(c.after || c.lines[0] ? Changed(c.after, c.lines, c.removed) : Changed(-1, "", c.removed));
        ASSERT_TRUE(checked.read);
        ASSERT_EQ(checked.diagnostics.size(), 1u) << checked.printed;
        EXPECT_EQ(checked.diagnostics[0].line, c.line);
        EXPECT_EQ(checked.diagnostics[0].severity, c.severity);
        EXPECT_NE(checked.diagnostics[0].text.find(c.text), std::string::npos) << checked.diagnostics[0].text;
        EXPECT_EQ(checked.exitCode, c.severity == Severity::Error ? 1 : 0);
    }
}

TEST(ScriptChecker, GoesOnAfterErrorsAndListsThemInLineOrder) {
    // The tag out of order is read as if the order were right, so the later tags raise nothing more; the
    // missing setting is found after the parse but listed in its place.
    const std::string script = "{KestrawinInstallSystem}\n"
                               "{Pages}\n"
                               "InstallProcessView, LogView\n"
                               "{Variables}\n"
                               "\n"
                               "# blank and comment lines count\n"
                               "{GlobalSetup}\n"
                               "APPLICATION_NAME, P\n"
                               "APPLICATION_LOGPATH\n"
                               "{MainInstall}\n"
                               "{Section}, 1, Main, Files, Required\n"
                               "CopyFile, a\n"
                               "Bogus\n"
                               "FolderExists, a\n";
    const Checked checked = Check(script);
    EXPECT_EQ(
        checked.printed,
        "S:2: error: Variables and Global setup must have been defined before the pages section\n"
        "S:7: error: APPLICATION_LOGPATH is not declared: no install log can be written, so no installation "
        "can start\n"
        "S:9: error: Parsing global variable APPLICATION_LOGPATH is missing the defined value\n"
        "S:12: error: There are not enough arguments for the copy operation to proceed\n"
        "S:13: warning: unknown keyword \"Bogus\"; the line is dropped\n"
        "S:14: error: Failed to get both the true and false steps for conditional\n"
        "5 error(s), 1 warning(s)\n");
    EXPECT_EQ(checked.exitCode, 1);
}

TEST(ScriptChecker, WerrorTurnsWarningsIntoErrors) {
    const Checked checked = Check(Changed(1, "stray line"), true);
    EXPECT_EQ(checked.printed,
              "S:2: error: line belongs to no tag and is ignored\n1 error(s), 0 warning(s)\n");
    EXPECT_EQ(checked.exitCode, 1);
}

TEST(ScriptChecker, MediumFilesThatExistAreClean) {
    TempFolder medium;
    KisTest::WriteFile(medium / "Installer/Licence.txt", "terms");
    KisTest::WriteFile(medium / "Payload/readme.txt", "read me");
    // The base script's own {MainInstall} line (9) goes, so that its section follows the one added here.
    const std::string added = "LicenceView, $CWD_FOLDER$/Installer/Licence.txt\n"
                              "{Variables}\n"
                              "MEDIUM, $CWD_FOLDER$\n"
                              "{Exclusive}\n"
                              "Docs\n"
                              "{MainInstall}\n"
                              "{Section}, 1, Docs, Documents, Optional\n"
                              "CopyFile, $MEDIUM$/Payload/readme.txt, $DIR$/readme.txt, 00400\n"
                              "CopyDirectory, $MEDIUM$/Payload, $DIR$/Payload\n"
                              "If FileExists, $DIR$/readme.txt, 1, 2\n"
                              "NoOp";
    const Checked checked = Check(Changed(8, added, 9), false, &medium);
    EXPECT_EQ(checked.printed, "0 error(s), 0 warning(s)\n");
}

TEST(ScriptChecker, NeverExecutesAnInstruction) {
    TempFolder medium;
    const std::string planted = medium / "planted.txt";
    KisTest::WriteFile(planted, "keep me");
    const std::string remove = "DeleteFile, " + planted + ", force\nDeleteDirectory, " + medium.Text() +
                               ", [recursive force]\nExecuteApplicationSync, /bin/rm, -f, " + planted;
    const Checked checked = Check(Changed(11, remove + "\n{PreRun}\n" + remove), false, &medium);
    EXPECT_EQ(checked.exitCode, 0) << checked.printed;
    EXPECT_EQ(KisTest::ReadFile(planted), "keep me");
}

TEST(ScriptChecker, MissingOrUnreadableScriptIsNotChecked) {
    TempFolder folder;
    CScriptChecker missing(folder / "Installer/None.kis", folder.Text());
    EXPECT_FALSE(missing.Check());
    EXPECT_EQ(CScriptChecker::MediumOf("/m/Installer/A.kis"), "/m");
    EXPECT_EQ(CScriptChecker::MediumOf("/m/Scripts/A.kis"), "/m/Scripts");
}
