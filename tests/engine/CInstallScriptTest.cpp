#include "engine/CInstallScript.h"
#include "engine/IConditionalStatement.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VRef.h"
#include "instructions/CNoOpInstruction.h"
#include "support/Environment.h"
#include "support/LogCapture.h"
#include "tests/engine/InstructionTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace VFoundation;
using KisTest::SetEnvironment;
using KisTest::TempFolder;

namespace {

const char* const kHeader = "{KestrawinInstallSystem}\n";
const char* const kPreamble =
    "{KestrawinInstallSystem}\n{Variables}\n{GlobalSetup}\nAPPLICATION_NAME, P\n{Pages}\n";

struct Parsed {
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    bool result = false;
};

// Parses text as a script file; the diagnostic lines of the page body stay out of the test output.
Parsed ParseText(const std::string& text, const char* name = "Script.kis") {
    TempFolder folder;
    const std::string path = folder / name;
    KisTest::WriteFile(path, text);
    KisTest::LogCapture quiet;
    Parsed parsed;
    parsed.result = parsed.script->Parse(path.c_str());
    return parsed;
}

std::string ThrownBy(const std::string& text) {
    try {
        ParseText(text);
    } catch (const VException& exception) {
        return exception.GetDescriptionText().GetText();
    }
    return "(nothing thrown)";
}

std::string Value(const CInstallScript& script, const char* name) {
    const CInstallerVariable* variable = script.FindVariable(name);
    return variable ? variable->GetValue().GetText() : "(missing)";
}

std::string Expanded(const CInstallScript& script, const char* text) {
    VString value(text);
    script.ExpandVariables(value);
    return value.GetText();
}

} // namespace

TEST(ScriptParser, RefusesWithoutComplaintWhatIsNoScript) {
    EXPECT_FALSE(ParseText("{Variables}\n").result);
    EXPECT_FALSE(ParseText("\xEF\xBB\xBF{KestrawinInstallSystem}\n").result);
    EXPECT_FALSE(ParseText(kHeader, "Script.KIS").result);
    EXPECT_FALSE(ParseText(kHeader, "Script.txt").result);
    EXPECT_FALSE(ParseText("").result);
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    EXPECT_FALSE(script->Parse("/no/such/folder/Script.kis"));
    EXPECT_FALSE(script->Parse(nullptr));
}

TEST(ScriptParser, AcceptsHeaderWithBlanksAndCrLfLines) {
    Parsed parsed = ParseText(" \t{KestrawinInstallSystem} \r\n{Variables}\r\nNAME, value\r\n");
    ASSERT_TRUE(parsed.result);
    EXPECT_EQ(Value(*parsed.script, "NAME"), "value");
    EXPECT_TRUE(ParseText(kHeader).result);
}

TEST(ScriptParser, VariablesCommentsAndRepeatedTags) {
    Parsed parsed = ParseText(std::string(kHeader) + "{Variables}\n"
                                                     "FLAG\n"
                                                     "NAME, x, y\n"
                                                     "  # a comment\n"
                                                     "\t\n"
                                                     "SPACED ,  padded value  \n"
                                                     "NAME, second\n"
                                                     "{GlobalSetup}\n"
                                                     "APPLICATION_REGISTRY, Software\\Maker\\Product, extra\n"
                                                     "APPLICATION_VERSION, 1.0\n"
                                                     "UNKNOWN_SETTING, ignored\n"
                                                     "{Variables}\n"
                                                     "LATER, yes\n"
                                                     "value # not a comment, kept\n");
    ASSERT_TRUE(parsed.result);
    const CInstallScript& script = *parsed.script;
    EXPECT_EQ(Value(script, "FLAG"), "NULL");
    EXPECT_EQ(Value(script, "NAME"), "x, y");
    EXPECT_EQ(Value(script, "SPACED"), "padded value");
    EXPECT_EQ(Value(script, "APPLICATION_REGISTRY"), "Software\\Maker\\Product");
    EXPECT_EQ(Value(script, "APPLICATION_VERSION"), "1.0");
    EXPECT_EQ(script.FindVariable("UNKNOWN_SETTING"), nullptr);
    EXPECT_EQ(Value(script, "LATER"), "yes");
    EXPECT_EQ(Value(script, "value # not a comment"), "kept");
    // Built-ins first, then script order; the later LATER block comes after the globals.
    const auto& variables = script.GetVariables();
    EXPECT_STREQ(variables.GetObjectAtIndex(0)->GetName().GetText(), "OS_FOLDER");
    EXPECT_STREQ(variables.GetObjectAtIndex(9)->GetName().GetText(), "STARTMENU_FOLDER");
    EXPECT_STREQ(variables.GetObjectAtIndex(variables.GetCount() - 2)->GetName().GetText(), "LATER");
}

TEST(ScriptParser, ThrowsTheScriptErrors) {
    EXPECT_EQ(ThrownBy(std::string(kHeader) + "{Pages}\n"),
              "Variables and Global setup must have been defined before the pages section");
    EXPECT_EQ(ThrownBy(std::string(kHeader) + "{Variables}\n{GlobalSetup}\n{MainInstall}\n"),
              "Variables and Pages and Globals must have been defined before the Main install section");
    // A tag with a trailing blank is no tag, so the pages never came.
    EXPECT_EQ(ThrownBy(std::string(kHeader) + "{Variables}\n{GlobalSetup}\n{Pages} \n{MainInstall}\n"),
              "Variables and Pages and Globals must have been defined before the Main install section");
    EXPECT_EQ(ThrownBy(std::string(kHeader) + "{GlobalSetup}\nAPPLICATION_NAME\n"),
              "Parsing global variable APPLICATION_NAME is missing the defined value");
    EXPECT_EQ(ThrownBy(std::string(kPreamble) + "{MainInstall}\n{Section},10,Name\n"),
              "The section doesnt have the full 3 arguments required!");
    EXPECT_EQ(ThrownBy(std::string(kPreamble) + "{MainInstall}\n{Section},10,Name,Text\n"),
              "Failed to aquire all the arguments");
    EXPECT_EQ(
        ThrownBy(std::string(kPreamble) + "{MainInstall}\n{Section},1,A,B,Required\nFileExists, x, 1\n"),
        "Failed to get both the true and false steps for conditional");
}

TEST(ScriptParser, KnowsTheLineOfItsError) {
    TempFolder folder;
    const std::string path = folder / "Broken.kis";
    KisTest::WriteFile(path, std::string(kPreamble) +
                                 "\n# a comment\n{MainInstall}\n{Section},1,A,B,Required\n"
                                 "NoOp\nFileExists, x, 1\n");
    auto script = VRef<CInstallScript>::Adopt(new CInstallScript());
    KisTest::LogCapture quiet;
    EXPECT_THROW(script->Parse(path.c_str()), VException);
    EXPECT_EQ(script->GetFailureLine(), 11u);
    KisTest::WriteFile(path, "{Kestrawin}\n");
    EXPECT_FALSE(script->Parse(path.c_str()));
    EXPECT_EQ(script->GetFailureLine(), 1u);
}

TEST(ScriptParser, ADiagnosticsSinkChangesNothingThatIsAccepted) {
    struct CountingSink : IScriptDiagnostics {
        void LineRead(uint32_t, LineKind, const std::string&, VObject*) override { ++read; }
        void LineDropped(uint32_t line, DropReason, const std::string&) override { dropped.push_back(line); }
        void ScriptError(uint32_t, const VException&) override { ++errors; }
        void ScriptRefused(uint32_t, const char*) override { ++errors; }
        int read = 0, errors = 0;
        std::vector<uint32_t> dropped;
    };
    const std::string text = std::string(kPreamble) + // pages body from line 6
                             "DocumentView\n!LINUX\nImageView, a\n!end\nImageView, b\n{PreRun}\nNoOp\n"
                             "Bogus\n{Exclusive}\nA\n{MainInstall}\n{Section},1,A,B,Optional\nNoOp\n"
                             "{Section},1,A,B,Optional,MACOSX\nNoOp\n{Pages}\n";
    Parsed plain = ParseText(text);
    TempFolder folder;
    const std::string path = folder / "Sinked.kis";
    KisTest::WriteFile(path, text);
    CountingSink sink;
    auto sinked = VRef<CInstallScript>::Adopt(new CInstallScript());
    sinked->SetDiagnostics(&sink);
    KisTest::LogCapture quiet;
    ASSERT_TRUE(plain.result);
    ASSERT_TRUE(sinked->Parse(path.c_str()));
    EXPECT_EQ(sinked->GetVariables().GetCount(), plain.script->GetVariables().GetCount());
    EXPECT_EQ(sinked->GetPages().GetCount(), plain.script->GetPages().GetCount());
    EXPECT_EQ(sinked->GetPreRunInstructions().GetCount(), plain.script->GetPreRunInstructions().GetCount());
    EXPECT_EQ(sinked->GetSections().GetCount(), plain.script->GetSections().GetCount());
    EXPECT_EQ(sinked->GetExclusiveNames().GetCount(), plain.script->GetExclusiveNames().GetCount());
    EXPECT_EQ(sink.errors, 0);
    // The page without a comma, the unknown block, the unknown keyword and the tag inside the sections.
    EXPECT_EQ(sink.dropped, (std::vector<uint32_t>{6, 7, 13, 21}));
    EXPECT_EQ(sinked->GetFailureLine(), 0u);
}

TEST(ScriptParser, PageBlocksKeepOnlyWindowsAndPlainPages) {
    Parsed parsed = ParseText(std::string(kPreamble) + "!WIN32\nDocumentView, a\n!end\n"
                                                       "!MACOSX\nImageView, b\n!end\n"
                                                       "!OTHER\nImageView, c\n!end\n"
                                                       "NoCommaLine\n"
                                                       "LicenceView , licence.txt \n");
    ASSERT_TRUE(parsed.result);
    const auto& pages = parsed.script->GetPages();
    ASSERT_EQ(pages.GetCount(), 2);
    EXPECT_STREQ(pages.GetObjectAtIndex(0)->GetViewType().GetText(), "DocumentView");
    EXPECT_STREQ(pages.GetObjectAtIndex(0)->GetArgument().GetText(), "a");
    EXPECT_STREQ(pages.GetObjectAtIndex(1)->GetViewType().GetText(), "LicenceView");
    EXPECT_STREQ(pages.GetObjectAtIndex(1)->GetArgument().GetText(), "licence.txt");
}

TEST(ScriptParser, PageBodyWritesItsDiagnosticLines) {
    TempFolder folder;
    KisTest::WriteFile(folder / "s.kis", std::string(kPreamble) + "!MACOSX\nImageView, b\n!end\n");
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    KisTest::LogCapture capture;
    ASSERT_TRUE(script->Parse((folder / "s.kis").c_str()));
    EXPECT_EQ(capture.Text(), "Page str  = !MACOSX\nOpened proc\nPage str  = ImageView, b\nInside proc\n"
                              "Non matching proc\nPage str  = !end\nOpened proc\n");
}

TEST(ScriptParser, SectionsHeadersSizesAndPlatforms) {
    Parsed parsed =
        ParseText(std::string(kPreamble) + "{MainInstall}\n"
                                           "{Section}, 120, Program, The program files, Required, WIN32\n"
                                           "NoOp\n"
                                           "UnknownKeyword, x\n"
                                           "{Section}, 7, Mac, Only for the Mac, Optional, MACOSX\n"
                                           "NoOp\n"
                                           "{Section}, lots, Extras, More, Optional,\n"
                                           "NoOp\n"
                                           "{Pages}\n"
                                           "If NoOp\n"
                                           "{Section}, -3, Program, Again, Optional , TIGER\n");
    ASSERT_TRUE(parsed.result);
    const auto& sections = parsed.script->GetSections();
    ASSERT_EQ(sections.GetCount(), 3);
    const CInstallerSection* program = sections.GetObjectAtIndex(0);
    EXPECT_STREQ(program->GetName().GetText(), "Program");
    EXPECT_STREQ(program->GetDescription().GetText(), "The program files");
    EXPECT_EQ(program->GetSize(), 120);
    EXPECT_FALSE(program->IsOptional());
    EXPECT_TRUE(program->IsSelected());
    EXPECT_EQ(program->GetPlatform(), SectionPlatformWindows);
    EXPECT_EQ(program->GetInstructionCount(), 1);

    const CInstallerSection* extras = sections.GetObjectAtIndex(1);
    EXPECT_STREQ(extras->GetName().GetText(), "Extras");
    EXPECT_EQ(extras->GetSize(), 0);
    EXPECT_TRUE(extras->IsOptional());
    EXPECT_EQ(extras->GetPlatform(), SectionPlatformNone);
    // A tag line after the last header is an instruction line that makes nothing.
    EXPECT_EQ(extras->GetInstructionCount(), 2);

    const CInstallerSection* again = sections.GetObjectAtIndex(2);
    EXPECT_STREQ(again->GetName().GetText(), "Program");
    EXPECT_EQ(again->GetSize(), -3);
    EXPECT_TRUE(again->IsOptional());
    EXPECT_EQ(again->GetPlatform(), SectionPlatformNone);
}

TEST(ScriptParser, PreRunAndExclusiveLists) {
    Parsed parsed = ParseText(std::string(kHeader) + "{PreRun}\nNoOp\nNotAKeyword\nIf SkipInstructions, 2\n"
                                                     "{Exclusive}\nSmall Kit\n Large Kit \n");
    ASSERT_TRUE(parsed.result);
    EXPECT_EQ(parsed.script->GetPreRunInstructions().GetCount(), 2);
    const auto& exclusive = parsed.script->GetExclusiveNames();
    ASSERT_EQ(exclusive.GetCount(), 2);
    EXPECT_STREQ(exclusive.GetObjectAtIndex(0)->GetText(), "Small Kit");
    EXPECT_STREQ(exclusive.GetObjectAtIndex(1)->GetText(), "Large Kit ");
    EXPECT_EQ(parsed.script->GetPreRunInstructions().GetObjectAtIndex(0)->GetScript(), parsed.script.Get());
}

TEST(ScriptParser, OverlongLinesAreCutWithADiagnostic) {
    TempFolder folder;
    const std::string longValue(5000, 'v');
    KisTest::WriteFile(folder / "s.kis",
                       std::string(kHeader) + "{Variables}\nLONG, " + longValue + "\nNEXT, ok\n");
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    KisTest::LogCapture capture;
    ASSERT_TRUE(script->Parse((folder / "s.kis").c_str()));
    EXPECT_TRUE(capture.Contains("Script line 3 is longer than 2047 characters")) << capture.Text();
    EXPECT_EQ(Value(*script, "LONG").size(), 2047u - 6u);
    EXPECT_EQ(Value(*script, "NEXT"), "ok");
}

TEST(Variables, ExpansionRules) {
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    const std::string cwd = Value(*script, "CWD_FOLDER");
    const std::string sep(1, VString::NativeSeparator());
    script->DeclareVariable("INSTALL_DIR", "$PROGRAMFILES_FOLDER$/Product");
    script->DeclareVariable("INSTALL_DIR", "shadowed");
    script->DeclareVariable("SELF", "x$SELF$");

    EXPECT_EQ(Expanded(*script, "$CWD_FOLDER$/Installer/Data"), cwd + sep + "Installer" + sep + "Data");
    EXPECT_EQ(Expanded(*script, "a$***$b"), "a,b");
    EXPECT_EQ(Expanded(*script, "$NOPE$\\x"), "$NOPE$\\x");
    EXPECT_EQ(Expanded(*script, "$CWD_FOLDER$/$NOPE$"), cwd + sep + "$NOPE$");
    EXPECT_EQ(Expanded(*script, "one $ only"), "one $ only");
    EXPECT_EQ(Expanded(*script, "$INSTALL_DIR$"), Value(*script, "PROGRAMFILES_FOLDER") + sep + "Product");

    KisTest::LogCapture capture;
    const std::string runaway = Expanded(*script, "$SELF$");
    EXPECT_EQ(runaway, std::string(1000, 'x') + "$SELF$");
    EXPECT_TRUE(capture.Contains("Variable expansion stopped after 1000 rounds"));
}

TEST(Variables, BuiltinFoldersFollowTheEnvironmentOverrides) {
    SetEnvironment("KIS_PROGRAMFILES_FOLDER", "/sandbox/programs");
    SetEnvironment("KIS_VST_FOLDER", "/sandbox/vst");
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript("someone"));
    SetEnvironment("KIS_PROGRAMFILES_FOLDER", nullptr);
    SetEnvironment("KIS_VST_FOLDER", nullptr);
    EXPECT_EQ(Value(*script, "PROGRAMFILES_FOLDER"), "/sandbox/programs");
    EXPECT_EQ(Value(*script, "VST_FOLDER"), "/sandbox/vst");
    EXPECT_EQ(Value(*script, "UNAME"), "someone");
}

namespace {

// Records the order in which instructions ran.
class Recorder : public IInstallerInstruction {
public:
    Recorder(std::string& trace, char mark, bool result) : m_trace(trace), m_mark(mark), m_result(result) {}
    bool Execute() override {
        m_trace += m_mark;
        return m_result;
    }

private:
    std::string& m_trace;
    char m_mark;
    bool m_result;
};

class FixedStep : public IConditionalStatement {
public:
    FixedStep(std::string& trace, int32_t step) : m_trace(trace), m_step(step) {}
    bool Execute() override {
        m_trace += 'S';
        return true;
    }
    int32_t GetNextStep() override { return m_step; }

private:
    std::string& m_trace;
    int32_t m_step;
};

} // namespace

TEST(PreRun, ConditionalSkipsNoticeAndAbortStopsTheList) {
    Parsed parsed = ParseText(std::string(kHeader) + "{PreRun}\n"
                                                     "If FileExists, /no/such/file/anywhere, 1, 2\n"
                                                     "NotifyUser, never shown\n"
                                                     "AbortInstallation\n"
                                                     "NotifyUser, not reached\n");
    ASSERT_TRUE(parsed.result);
    // The notice would reach the alert box; the headless responder counts no dialog when it is skipped.
    KisTest::LogCapture quiet;
    parsed.script->RunPreRun();
    SUCCEED();

    std::string trace;
    auto& list = parsed.script->GetPreRunInstructions();
    list.RemoveAllObjects();
    list.AddObject(MakeRef<FixedStep>(trace, 0).Get());
    list.AddObject(MakeRef<Recorder>(trace, 'a', true).Get());
    list.AddObject(MakeRef<FixedStep>(trace, -4).Get());
    list.AddObject(MakeRef<Recorder>(trace, 'b', false).Get());
    parsed.script->RunPreRun();
    // Counts below 1 move on by 1 instead of repeating the statement for ever.
    EXPECT_EQ(trace, "SaSb");
    EXPECT_TRUE(quiet.Contains("Step count 0 of"));
}

TEST(Variables, ExpansionOfADoublingValueStopsAtTheLengthBound) {
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    script->DeclareVariable("TWICE", std::string(200, 'w').append("$TWICE$$TWICE$").c_str());
    KisTest::LogCapture capture;
    const std::string expanded = Expanded(*script, "$TWICE$");
    EXPECT_LE(expanded.size(), CInstallScript::kMaxExpandedLength);
    EXPECT_GT(expanded.size(), CInstallScript::kMaxExpandedLength - 300);
    EXPECT_TRUE(capture.Contains("Variable expansion stopped at 65536 characters"));
}
