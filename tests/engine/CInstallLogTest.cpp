#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"
#include "support/LogCapture.h"
#include "tests/engine/InstructionTestSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

using namespace VFoundation;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

class RowCollector : public VObject, public ILogRowReceiver {
public:
    void AddLogLine(const VString& text) override { rows.push_back(text.GetText()); }
    std::vector<std::string> rows;
};

VRef<CInstallScript> SmallScript(const std::string& logPath) {
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    script->DeclareVariable("APPLICATION_NAME", "Product");
    script->DeclareVariable("APPLICATION_LOGPATH", logPath.c_str());
    script->GetPages().AddObject(MakeRef<CInstallerPage>("DocumentView", "Readme").Get());
    script->GetSections().AddObject(
        MakeRef<CInstallerSection>("Program", "The files", false, SectionPlatformNone).Get());
    script->GetSections().AddObject(
        MakeRef<CInstallerSection>("Extras", "More", true, SectionPlatformNone).Get());
    return script;
}

} // namespace

TEST(InstallLog, WritesTheLayoutAndEveryRowIs252Characters) {
    KisTest::TempFolder folder;
    VRef<CInstallScript> script = SmallScript(folder.Text() + "/$APPLICATION_NAME$Logs");
    VRef<RowCollector> collector = MakeRef<RowCollector>();
    {
        VRef<CInstallLog> log = CInstallLog::CreateForScript(*script, collector.Get());
        log->AddLine(VString("done"), true);
        log->AddLine(VString(std::string(300, 'f').c_str()), false);
        log->AddException(VString("boom 100%"));
        log->AddUninstallEntry(VString("/x/file"), UninstallFile);
        log->AddUninstallEntry(VString("ignored"), static_cast<UninstallEntryKind>(7));
        log->AddUninstallEntry(VString("HKLM\\k"), UninstallRegistry);
    }
    const std::string logFolder = folder / "ProductLogs";
    const std::vector<std::string> lines = Lines(KisTest::ReadText(logFolder + "/Product_installLog.log"));
    ASSERT_GE(lines.size(), 10u);
    EXPECT_TRUE(
        std::regex_match(lines[0], std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-9:]{8} [0-9]{4}")))
        << lines[0];
    const std::string text = KisTest::ReadText(logFolder + "/Product_installLog.log");
    EXPECT_NE(text.find("\n\n\nVARIABLES DECLARED ------------------------------------------\n\n"),
              std::string::npos);
    EXPECT_NE(text.find("APPLICATION_LOGPATH      \t\t" + folder.Text() + "/$APPLICATION_NAME$Logs\n"),
              std::string::npos);
    EXPECT_NE(text.find("\n\n\nPAGES DECLARED ----------------------------------------------\n\nDocumentView "
                        "            \t\tReadme\n"),
              std::string::npos);
    EXPECT_NE(text.find("Program                  \t\tThe files" + std::string(66, ' ') + "\t\t" + " " +
                        std::string(24, ' ') + "\n"),
              std::string::npos);
    EXPECT_NE(text.find("Extras                   \t\tMore" + std::string(71, ' ') + "\t\tOptional" +
                        std::string(17, ' ') + "\n"),
              std::string::npos);

    const std::string border = "+---------+" + std::string(240, '-') + "+";
    const size_t head = text.find(border);
    ASSERT_NE(head, std::string::npos);
    const std::vector<std::string> table = Lines(text.substr(head));
    ASSERT_EQ(table.size(), 7u);
    EXPECT_EQ(table[0], border);
    EXPECT_EQ(table[1], "|  Error  |  Instruction Description" + std::string(240 - 25, ' ') + "|");
    EXPECT_EQ(table[2], border);
    EXPECT_EQ(table[3], "|         |done" + std::string(236, ' ') + "|");
    EXPECT_EQ(table[4], "| Failure |" + std::string(240, 'f') + "|");
    EXPECT_EQ(table[5], "|Exception|boom 100%" + std::string(231, ' ') + "|");
    EXPECT_EQ(table[6], border);
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].size(), 252u) << i;

    // The row receiver gets every row whole.
    ASSERT_EQ(collector->rows.size(), 3u);
    EXPECT_EQ(collector->rows[1].size(), 300u);

    const std::string uninstall = KisTest::ReadText(logFolder + "/Product_uninstaller.kus");
    EXPECT_EQ(uninstall, "{KestrawinInstallSystem}\n{UninstallScript}\nAPPLICATION_NAME,Product\n\n\n"
                         "[Folder]," +
                             std::string(CInstallLog::EscapeEntryText(VString(logFolder.c_str())).GetText()) +
                             "\n[File],/x/file\n[Registry],HKLM\\k\n");
}

TEST(InstallLog, SecondRunReplacesTheLogAndAppendsToTheUninstallScript) {
    KisTest::TempFolder folder;
    VRef<CInstallScript> script = SmallScript(folder.Text());
    for (const char* entry : {"/first", "/second"}) {
        VRef<CInstallLog> log = CInstallLog::CreateForScript(*script, nullptr);
        log->AddLine(VString(entry), true);
        log->AddUninstallEntry(VString(entry), UninstallFile);
    }
    const std::string log = KisTest::ReadText(folder / "Product_installLog.log");
    EXPECT_EQ(log.find("/first"), std::string::npos);
    EXPECT_NE(log.find("/second"), std::string::npos);
    const std::string head = "{KestrawinInstallSystem}\n{UninstallScript}\nAPPLICATION_NAME,Product\n\n\n";
    EXPECT_EQ(KisTest::ReadText(folder / "Product_uninstaller.kus"),
              head + "[File],/first\n" + head + "[File],/second\n");
}

TEST(InstallLog, SetupRefusesWithoutNameOrUnmakeableFolder) {
    VRef<CInstallScript> script = VRef<CInstallScript>::Adopt(new CInstallScript());
    try {
        CInstallLog::CreateForScript(*script, nullptr);
        FAIL();
    } catch (const VException& exception) {
        EXPECT_STREQ(exception.GetDescriptionText().GetText(),
                     "The application name or log path is NULL. Impossible to start thread without it!");
    }
    KisTest::TempFolder folder;
    KisTest::WriteFile(folder / "blocker", "a file where a folder should go");
    script->DeclareVariable("APPLICATION_NAME", "P");
    script->DeclareVariable("APPLICATION_LOGPATH", (folder / "blocker/Logs").c_str());
    KisTest::LogCapture quiet;
    try {
        CInstallLog::CreateForScript(*script, nullptr);
        FAIL();
    } catch (const VException& exception) {
        EXPECT_STREQ(exception.GetDescriptionText().GetText(), "Failed to create the log file folder path");
    }
}

TEST(InstallLog, UnopenableFilesStillPassRowsToTheReceiver) {
    KisTest::TempFolder folder;
    VRef<RowCollector> collector = MakeRef<RowCollector>();
    VRef<CInstallLog> log = MakeRef<CInstallLog>();
    EXPECT_FALSE(log->Open(VString((folder / "no/such/folder").c_str()), VString("P")));
    log->SetRowReceiver(collector.Get());
    log->AddLine(VString("still shown"), true);
    EXPECT_EQ(collector->rows.size(), 1u);
}

TEST(InstallLog, EntryEscapingRestoresEveryNameAndKeepsPlainBackslashes) {
    const char* const names[] = {"plain/name",  "a\nb\rc",       "C:\\Program Files\\Kit", "C:\\new\\x86",
                                 "ends with\\", "tab\there\x7f", "\\\\server\\share",      "back\\\nslash"};
    for (const char* name : names) {
        const VString escaped = CInstallLog::EscapeEntryText(VString(name));
        EXPECT_EQ(std::string(escaped.GetText()).find_first_of("\r\n"), std::string::npos) << name;
        VString restored;
        ASSERT_TRUE(CInstallLog::UnescapeEntryText(escaped, restored)) << escaped.GetText();
        EXPECT_STREQ(restored.GetText(), name);
    }
    EXPECT_STREQ(CInstallLog::EscapeEntryText(VString("C:\\Program Files\\Kit")).GetText(),
                 "C:\\Program Files\\Kit");
    VString restored;
    EXPECT_FALSE(CInstallLog::UnescapeEntryText(VString("cut\\x4"), restored));
}

TEST(InstallLog, NameWithLineBreaksCannotForgeEntriesOrRows) {
    KisTest::TempFolder folder;
    VRef<CInstallScript> script = SmallScript(folder.Text() + "/$APPLICATION_NAME$Logs");
    std::string uninstallPath, logPath;
    {
        VRef<CInstallLog> log = CInstallLog::CreateForScript(*script, nullptr);
        log->AddUninstallEntry(VString("/x/evil\n[File],/etc/passwd"), UninstallFile);
        log->AddLine(VString("Copied /x/evil\n|         |forged row"), false);
        uninstallPath = log->GetUninstallPath().GetText();
        logPath = log->GetLogPath().GetText();
        EXPECT_EQ(log->GetFailedRowCount(), 1u);
    }
    const std::string entries = KisTest::ReadText(uninstallPath);
    EXPECT_EQ(entries.find("\n[File],/etc/passwd"), std::string::npos);
    EXPECT_NE(entries.find("[File],/x/evil\\n[File],/etc/passwd\n"), std::string::npos);
    EXPECT_EQ(KisTest::ReadText(logPath).find("\n|         |forged row"), std::string::npos);
}
