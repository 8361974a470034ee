#include "ui/CUninstallerUI.h"
#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlListBox.h"
#include "engine/CInstallScript.h"
#include "engine/CUninstallScript.h"
#include "foundation/VRef.h"
#include "instructions/CAbortInstallationInstruction.h"
#include "instructions/CCreateDirectoryInstruction.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"
#include "ui/CCompletionViewPanel.h"
#include "ui/CInstallProcessPanel.h"
#include "ui/CStageDisplayPanel.h"
#include "ui/CUninstallSummaryPanel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace VFoundation;

namespace {

// The headless backend with a scripted responder for as long as it lives.
class HeadlessScope {
public:
    HeadlessScope() : m_previous(VApplication::GetBackend()) {
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>(
            std::make_shared<VApplication::ScriptedResponder>()));
    }
    ~HeadlessScope() { VApplication::SetBackend(m_previous); }

private:
    std::shared_ptr<VApplication::IApplicationBackend> m_previous;
};

void Open(CInstallerUI& window) {
    window.CreateWindow(VCtrl::CWindowAttributes("Wizard", VCtrl::CWindowAttributes::kKindFixedMinimisable,
                                                 VCtrl::VRect{0, 0, 600, 400}));
}

void WaitForTheJob(CInstallerUI& window) {
    const VApplication::TimerId check = VApplication::StartTimer(10, [&window] {
        if (window.IsInstalling()) return true;
        VApplication::Quit(0);
        return false;
    });
    VApplication::RunMessageLoop();
    VApplication::StopTimer(check);
}

std::string Text(VCtrl::CtrlLabel* label) {
    return label->GetText().GetText();
}

} // namespace

TEST(UninstallerUI, ShowsWhatGoesThenRemovesItWithTheLogShown) {
    HeadlessScope headless;
    KisTest::LogCapture quiet;
    KisTest::TempFolder folder;
    const std::string product = folder / "Product";
    KisTest::WriteFile(product + "/bin/tool", "tool");
    const std::string kus = folder / "logs/Hand_uninstaller.kus";
    KisTest::WriteFile(kus,
                       "{KestrawinInstallSystem}\n{UninstallScript}\nAPPLICATION_NAME,Hand\n\n\n[Folder]," +
                           product + "\n[Folder]," + product + "/bin\n[File]," + product + "/bin/tool\n");
    VRef<CUninstallScript> script = MakeRef<CUninstallScript>();
    ASSERT_EQ(script->Load(kus.c_str()), CUninstallScript::LoadResult::Loaded);

    VRef<CInstallScript> pages = CUninstallerUI::MakePagesScript(*script);
    VRef<CUninstallerUI> window =
        MakeRef<CUninstallerUI>(pages.Get(), script.Get(), VString(product.c_str()));
    Open(*window);
    ASSERT_EQ(window->GetPanelCount(), 3);
    EXPECT_STREQ(window->GetStageDisplay()->GetStageName(0).GetText(), "Remove");
    EXPECT_STREQ(window->GetStageDisplay()->GetStageName(1).GetText(), "Uninstall");
    EXPECT_STREQ(window->GetStageDisplay()->GetStageName(2).GetText(), "Complete");
    auto* summary = dynamic_cast<CUninstallSummaryPanel*>(window->GetCurrentPanel());
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(Text(summary->GetTitleLabel()), "Remove Hand");
    EXPECT_EQ(Text(summary->GetCountLabel()), "3 entries of the installation will be removed, newest first.");
    EXPECT_EQ(Text(summary->GetLocationLabel()), "Install location: " + product);
    ASSERT_EQ(summary->GetEntryView()->GetRowCount(), 3);
    EXPECT_EQ(std::string(summary->GetEntryView()->GetRowText(0).GetText()),
              "File: " + product + "/bin/tool");
    EXPECT_EQ(std::string(summary->GetEntryView()->GetRowText(2).GetText()), "Folder: " + product);
    EXPECT_STREQ(window->GetNextButton()->GetText().GetText(), "Uninstall");

    window->GoNext();
    EXPECT_TRUE(window->IsInstalling());
    EXPECT_STREQ(window->GetCancelButton()->GetText().GetText(), "Abort");
    WaitForTheJob(*window);
    EXPECT_TRUE(window->HasInstallSucceeded());
    auto* completion = dynamic_cast<CCompletionViewPanel*>(window->GetCurrentPanel());
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(Text(completion->GetResultLabel()), CUninstallerUI::kRemovedText);
    auto* process = static_cast<CInstallProcessPanel*>(window->GetPanelAtIndex(1));
    ASSERT_GE(process->GetLogView()->GetRowCount(), 3);
    EXPECT_EQ(std::string(process->GetLogView()->GetRowText(0).GetText()),
              "Removed file " + product + "/bin/tool");
    // Nothing is left: the entries, the script, its log and the log folder.
    EXPECT_FALSE(KisTest::fs::exists(product));
    EXPECT_FALSE(KisTest::fs::exists(folder / "logs"));
}

TEST(UninstallerUI, AnAbortedInstallationRollsBackBeforeTheCompletionPage) {
    HeadlessScope headless;
    KisTest::LogCapture quiet;
    KisTest::TempFolder folder;
    VRef<CInstallScript> script = MakeRef<CInstallScript>();
    script->DeclareVariable("APPLICATION_NAME", "Rolled");
    script->DeclareVariable("APPLICATION_LOGPATH", (folder / "logs").c_str());
    script->DeclareVariable("APPLICATION_ROLLBACK", "True");
    for (const char* type : {"InstallProcessView", "CompletionView"})
        script->GetPages().AddObject(MakeRef<CInstallerPage>(type, "").Get());
    VRef<CInstallerSection> section =
        MakeRef<CInstallerSection>("Files", "The files", false, SectionPlatformNone);
    section->AddInstruction(
        MakeRef<CCreateDirectoryInstruction>(VString((folder / "made/inner").c_str())).Get());
    section->AddInstruction(MakeRef<CAbortInstallationInstruction>(VString("")).Get());
    script->GetSections().AddObject(section.Get());

    VRef<CInstallerUI> window = MakeRef<CInstallerUI>(script.Get());
    Open(*window);
    WaitForTheJob(*window);
    EXPECT_FALSE(window->HasInstallSucceeded());
    auto* completion = dynamic_cast<CCompletionViewPanel*>(window->GetCurrentPanel());
    ASSERT_NE(completion, nullptr);
    EXPECT_EQ(Text(completion->GetResultLabel()), CCompletionViewPanel::kRolledBackText);
    EXPECT_FALSE(KisTest::fs::exists(folder / "made"));
    EXPECT_FALSE(KisTest::fs::exists(folder / "logs"));
    // The rollback's rows follow the installation's in the log view.
    auto* process = static_cast<CInstallProcessPanel*>(window->GetPanelAtIndex(0));
    std::string rows;
    for (int row = 0; row < process->GetLogView()->GetRowCount(); ++row)
        rows += std::string(process->GetLogView()->GetRowText(row).GetText()) + "\n";
    const size_t aborted = rows.find("Installation Aborted!");
    const size_t undone = rows.find("Removed folder " + (folder / "made/inner"));
    ASSERT_NE(aborted, std::string::npos) << rows;
    ASSERT_NE(undone, std::string::npos) << rows;
    EXPECT_LT(aborted, undone);
}
