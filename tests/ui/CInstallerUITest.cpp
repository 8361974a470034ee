#include "ui/CInstallerUI.h"
#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/WindowMessages.h"
#include "ctrl/platform/headless/HeadlessWindowBackend.h"
#include "engine/CInstallScript.h"
#include "engine/IInstallerInstruction.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"
#include "instructions/CCreateDirectoryInstruction.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"
#include "ui/CCompletionViewPanel.h"
#include "ui/CInstallProcessPanel.h"
#include "ui/CLicenceViewPanel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace VFoundation;

namespace {

// A window on a script built in code, with a scripted responder answering its dialogs.
class Wizard {
public:
    explicit Wizard(const std::vector<std::pair<const char*, std::string>>& pages)
        : m_responder(std::make_shared<VApplication::ScriptedResponder>()),
          m_previous(VApplication::GetBackend()),
          m_script(VRef<CInstallScript>::Adopt(new CInstallScript())) {
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>(m_responder));
        m_script->DeclareVariable("APPLICATION_NAME", "Wizard");
        m_script->DeclareVariable("APPLICATION_LOGPATH", (m_folder / "logs").c_str());
        for (const auto& [type, options] : pages)
            m_script->GetPages().AddObject(MakeRef<CInstallerPage>(type, options.c_str()).Get());
        VRef<CInstallerSection> section =
            MakeRef<CInstallerSection>("Files", "The files", false, SectionPlatformNone);
        section->AddInstruction(
            MakeRef<CCreateDirectoryInstruction>(VString((m_folder / "made").c_str())).Get());
        m_script->GetSections().AddObject(section.Get());
        m_section = section;
    }
    ~Wizard() {
        m_window.Reset();
        VApplication::SetBackend(m_previous);
    }

    // Builds the window; VException from its contents passes to the caller.
    CInstallerUI& Open() {
        m_window = MakeRef<CInstallerUI>(m_script.Get());
        m_window->CreateWindow(VCtrl::CWindowAttributes("Wizard Installer",
                                                        VCtrl::CWindowAttributes::kKindFixedMinimisable,
                                                        VCtrl::VRect{0, 0, 600, 400}));
        return *m_window;
    }

    // Runs the message loop until the installation has ended.
    void WaitForInstallation() {
        const VApplication::TimerId check = VApplication::StartTimer(10, [this] {
            if (m_window->IsInstalling()) return true;
            VApplication::Quit(0);
            return false;
        });
        VApplication::RunMessageLoop();
        VApplication::StopTimer(check);
    }

    // Runs the message loop until the window quits it, or at most timeoutMs; the loop's code, or -99.
    int RunUntilQuit(uint32_t timeoutMs = 10000) {
        const VApplication::TimerId limit = VApplication::StartTimer(timeoutMs, [] {
            VApplication::Quit(-99);
            return false;
        });
        const int code = VApplication::RunMessageLoop();
        VApplication::StopTimer(limit);
        return code;
    }

    void AddInstruction(IInstallerInstruction* instruction) { m_section->AddInstruction(instruction); }
    CInstallScript& Script() { return *m_script; }
    VApplication::ScriptedResponder& Responder() { return *m_responder; }
    KisTest::TempFolder& Folder() { return m_folder; }

private:
    KisTest::TempFolder m_folder;
    std::shared_ptr<VApplication::ScriptedResponder> m_responder;
    std::shared_ptr<VApplication::IApplicationBackend> m_previous;
    VRef<CInstallScript> m_script;
    VRef<CInstallerSection> m_section;
    VRef<CInstallerUI> m_window;
};

// Holds the installer thread inside an instruction until the test lets it go.
class Gate : public IInstallerInstruction {
public:
    bool Execute() override {
        entered.store(true);
        for (int i = 0; i < 1000 && !open.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return true;
    }
    bool WaitUntilEntered() const {
        for (int i = 0; i < 1000 && !entered.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return entered.load();
    }
    std::atomic<bool> entered{false};
    std::atomic<bool> open{false};
};

class Failing : public IInstallerInstruction {
public:
    bool Execute() override { return false; }
};

std::string ResultText(CInstallerUI& window) {
    auto* completion = dynamic_cast<CCompletionViewPanel*>(window.GetCurrentPanel());
    return completion ? completion->GetResultLabel()->GetText().GetText() : "(not on the completion page)";
}

std::string Text(VCtrl::CtrlButton* button) {
    return button->GetText().GetText();
}

std::string ThrownWhileOpening(const std::vector<std::pair<const char*, std::string>>& pages) {
    Wizard wizard(pages);
    KisTest::LogCapture quiet;
    try {
        wizard.Open();
    } catch (const VException& exception) {
        return exception.GetDescriptionText().GetText();
    }
    return "(nothing thrown)";
}

} // namespace

TEST(InstallerUI, ButtonsFollowThePagesThroughAnInstallation) {
    KisTest::TempFolder files;
    KisTest::WriteFile(files / "licence.txt", "Terms\n");
    Wizard wizard({{"DocumentView", "Welcome"},
                   {"LicenceView", files / "licence.txt"},
                   {"DocumentView", "Notes"},
                   {"InstallProcessView", "LogView"},
                   {"ImageView", "Ready"},
                   {"CompletionView", ""}});
    KisTest::LogCapture quiet;
    CInstallerUI& window = wizard.Open();
    ASSERT_EQ(window.GetPanelCount(), 6);
    EXPECT_EQ(window.GetProcessPageIndex(), 3);
    EXPECT_FALSE(window.IsButtonShown(window.GetBackButton()));
    EXPECT_EQ(Text(window.GetNextButton()), "Next >");
    EXPECT_EQ(Text(window.GetCancelButton()), "Cancel");

    window.GoNext();
    EXPECT_EQ(window.GetCurrentPageIndex(), 1);
    EXPECT_TRUE(window.IsButtonShown(window.GetBackButton()));
    EXPECT_EQ(Text(window.GetBackButton()), "< Back");

    // A refused CanAdvance changes nothing: same page, same buttons; the panel said why.
    wizard.Responder().Push(VApplication::DialogAnswer::Yes());
    window.GoNext();
    EXPECT_EQ(window.GetCurrentPageIndex(), 1);
    EXPECT_EQ(Text(window.GetNextButton()), "Next >");
    ASSERT_EQ(wizard.Responder().GetRequests().size(), 1u);
    EXPECT_EQ(wizard.Responder().GetRequests()[0].kind, VApplication::DialogKind::Alert);

    static_cast<CLicenceViewPanel*>(window.GetCurrentPanel())->GetAgreementBox()->SetValue(true);
    window.GoNext();
    EXPECT_EQ(window.GetCurrentPageIndex(), 2);
    EXPECT_EQ(Text(window.GetNextButton()), "Install");

    window.GoBack();
    EXPECT_EQ(window.GetCurrentPageIndex(), 1);
    window.GoNext();
    window.GoNext();
    EXPECT_EQ(window.GetCurrentPageIndex(), 3);
    EXPECT_TRUE(window.IsInstalling());
    EXPECT_FALSE(window.IsButtonShown(window.GetBackButton()));
    EXPECT_FALSE(window.IsButtonShown(window.GetNextButton()));
    EXPECT_EQ(Text(window.GetCancelButton()), "Abort");

    wizard.WaitForInstallation();
    EXPECT_TRUE(window.HasInstallSucceeded());
    // After the installation: no way back onto the process page, and Next only moves on.
    EXPECT_EQ(window.GetCurrentPageIndex(), 4);
    EXPECT_FALSE(window.IsButtonShown(window.GetBackButton()));
    EXPECT_TRUE(window.IsButtonShown(window.GetNextButton()));
    EXPECT_EQ(Text(window.GetNextButton()), "Next >");
    EXPECT_EQ(Text(window.GetCancelButton()), "Done");
    window.GoNext();
    EXPECT_EQ(window.GetCurrentPageIndex(), 5);
    EXPECT_FALSE(window.IsButtonShown(window.GetNextButton()));
    EXPECT_EQ(Text(window.GetCancelButton()), "Done");
    auto* completion = static_cast<CCompletionViewPanel*>(window.GetCurrentPanel());
    EXPECT_STREQ(completion->GetResultLabel()->GetText().GetText(), "Installation has completed sucessfully");
    // The process panel received the install log's row, and the section ran.
    auto* process = static_cast<CInstallProcessPanel*>(window.GetPanelAtIndex(3));
    ASSERT_NE(process, nullptr);
    ASSERT_EQ(process->GetLogView()->GetRowCount(), 1);
    EXPECT_EQ(std::string(process->GetLogView()->GetRowText(0).GetText()),
              "CreateDirectory. DST=" + (wizard.Folder() / "made"));
    EXPECT_TRUE(KisTest::fs::is_directory(wizard.Folder() / "made"));
    EXPECT_TRUE(KisTest::fs::exists(wizard.Folder() / "logs/Wizard_installLog.log"));

    // "Done" quits without a question.
    const size_t asked = wizard.Responder().GetRequests().size();
    window.CancelOrQuit();
    EXPECT_EQ(wizard.Responder().GetRequests().size(), asked);
    EXPECT_FALSE(window.IsVisible());
}

TEST(InstallerUI, ClosingAlwaysAsks) {
    Wizard wizard({{"DocumentView", "Welcome"}, {"InstallProcessView", "LogView"}});
    KisTest::LogCapture quiet;
    CInstallerUI& window = wizard.Open();
    wizard.Responder().Push(VApplication::DialogAnswer::No());
    EXPECT_FALSE(window.WindowShouldClose(&window));
    wizard.Responder().Push(VApplication::DialogAnswer::Yes());
    EXPECT_TRUE(window.WindowShouldClose(&window));
    const auto requests = wizard.Responder().GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_STREQ(requests[1].text.GetText(), "Are you sure you wish to quit the installation process?");
    EXPECT_EQ(requests[1].kind, VApplication::DialogKind::Confirm);
}

TEST(InstallerUI, PageRulesStopTheProgramWithTheirMessages) {
    const std::string prefix =
        "Caught VException during control creation in CInstallerUI. Exception message was:\n\n"
        "Exception id: 0 src: Unknown descr: ";
    EXPECT_EQ(ThrownWhileOpening({{"CompletionView", ""}, {"DocumentView", "Welcome"}}),
              prefix + "You may only have a completion panel as the last panel");
    // An unknown page makes no panel but still counts as a page.
    EXPECT_EQ(ThrownWhileOpening({{"CompletionView", ""}, {"NoSuchView", "x"}}),
              prefix + "You may only have a completion panel as the last panel");
    EXPECT_EQ(ThrownWhileOpening({{"InstallProcessView", "LogView"}, {"InstallProcessView", "LogView"}}),
              prefix + "Only a single InstallProcessPanel is allowed");
    EXPECT_EQ(
        ThrownWhileOpening({{"DocumentView", "Welcome"}, {"documentview", "x"}, {"CompletionView", ""}}),
        "(nothing thrown)");
}

TEST(InstallerUI, ClosingDuringTheInstallationAbortsItAndQuitsOnceTheThreadHasEnded) {
    Wizard wizard({{"DocumentView", "Welcome"}, {"InstallProcessView", "LogView"}, {"CompletionView", ""}});
    auto gate = MakeRef<Gate>();
    wizard.AddInstruction(gate.Get());
    wizard.AddInstruction(
        MakeRef<CCreateDirectoryInstruction>(VString((wizard.Folder() / "after").c_str())).Get());
    KisTest::LogCapture quiet;
    CInstallerUI& window = wizard.Open();
    window.GoNext();
    ASSERT_TRUE(window.IsInstalling());
    ASSERT_TRUE(gate->WaitUntilEntered());

    // Declining keeps everything running.
    wizard.Responder().Push(VApplication::DialogAnswer::No());
    EXPECT_FALSE(VCtrl::HeadlessWindow::From(window)->RequestClose());
    EXPECT_TRUE(window.IsInstalling());
    // Agreeing hides the window but keeps it until the thread has stopped between its instructions.
    wizard.Responder().Push(VApplication::DialogAnswer::Yes());
    EXPECT_FALSE(VCtrl::HeadlessWindow::From(window)->RequestClose());
    EXPECT_FALSE(window.IsVisible());
    EXPECT_TRUE(window.IsInstalling());
    gate->open.store(true);

    EXPECT_EQ(wizard.RunUntilQuit(), CInstallerUI::kAbortedExitCode);
    EXPECT_FALSE(window.IsInstalling());
    EXPECT_FALSE(KisTest::fs::exists(wizard.Folder() / "after"));
    EXPECT_TRUE(KisTest::fs::exists(wizard.Folder() / "made"));
    EXPECT_TRUE(KisTest::fs::exists(wizard.Folder() / "logs/Wizard_installLog.log"));
    const auto requests = wizard.Responder().GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_STREQ(requests[1].text.GetText(), "Are you sure you wish to quit the installation process?");
}

TEST(InstallerUI, FailedStepsAndAbortsNameTheLogOnTheCompletionPage) {
    Wizard wizard({{"DocumentView", "Welcome"}, {"InstallProcessView", "LogView"}, {"CompletionView", ""}});
    wizard.AddInstruction(MakeRef<Failing>().Get());
    wizard.AddInstruction(MakeRef<Failing>().Get());
    KisTest::LogCapture quiet;
    CInstallerUI& window = wizard.Open();
    window.GoNext();
    wizard.WaitForInstallation();
    // The run went to its end, but two steps failed: that is not a success.
    EXPECT_TRUE(window.HasInstallSucceeded());
    EXPECT_EQ(window.GetFailedRowCount(), 2u);
    const std::string log = wizard.Folder() / "logs/Wizard_installLog.log";
    EXPECT_EQ(ResultText(window), "Installation finished with errors: 2 steps failed. More details can be "
                                  "found in the log file:\n" +
                                      log);
}

TEST(InstallerUI, AnInstallationThatCannotStartEndsOnTheCompletionPageWithItsReason) {
    Wizard wizard({{"DocumentView", "Welcome"}, {"InstallProcessView", "LogView"}, {"CompletionView", ""}});
    // A log folder below a plain file can be made by nobody, whatever the user's rights.
    KisTest::WriteFile(wizard.Folder() / "plain", "x");
    wizard.Script().SetVariable("APPLICATION_LOGPATH", (wizard.Folder() / "plain/logs").c_str());
    KisTest::LogCapture quiet;
    CInstallerUI& window = wizard.Open();
    window.GoNext();
    EXPECT_FALSE(window.IsInstalling());
    EXPECT_EQ(wizard.RunUntilQuit(200), -99);
    EXPECT_FALSE(window.HasInstallSucceeded());
    EXPECT_EQ(ResultText(window),
              std::string("Installation was either aborted or failed. More details can be found in the log "
                          "file.\n\nThe installation could not start:\n") +
                  "Failed to create the log file folder path");
    EXPECT_EQ(Text(window.GetCancelButton()), "Done");
}

TEST(InstallerUI, TheKeyboardAloneWalksTheWizard) {
    KisTest::TempFolder files;
    KisTest::WriteFile(files / "licence.txt", "Terms\n");
    Wizard wizard({{"DocumentView", "Welcome"},
                   {"LicenceView", files / "licence.txt"},
                   {"InstallProcessView", "LogView"},
                   {"CompletionView", ""}});
    KisTest::LogCapture quiet;
    CInstallerUI& window = wizard.Open();
    VCtrl::HeadlessWindow& keys = *VCtrl::HeadlessWindow::From(window);
    const auto press = [&keys](int32_t key) {
        keys.InjectKey(key, true);
        keys.InjectKey(key, false);
    };
    VCtrl::CtrlRoot* root = window.GetRoot();

    press(VCtrl::VirtualKey::kReturn); // Next
    EXPECT_EQ(window.GetCurrentPageIndex(), 1);
    // Alt+B goes back, Alt+N on again.
    keys.InjectKey(VCtrl::VirtualKey::kMenu, true);
    press('B');
    EXPECT_EQ(window.GetCurrentPageIndex(), 0);
    press('N');
    keys.InjectKey(VCtrl::VirtualKey::kMenu, false);
    EXPECT_EQ(window.GetCurrentPageIndex(), 1);

    // Tab runs through the licence text, the agreement box, then Back, Install and Cancel, and wraps;
    // Shift+Tab goes back.
    auto* licence = static_cast<CLicenceViewPanel*>(window.GetCurrentPanel());
    press(VCtrl::VirtualKey::kTab);
    EXPECT_EQ(root->GetFocusCtrl(), licence->GetLicenceView());
    EXPECT_TRUE(root->IsFocusRingShown());
    press(VCtrl::VirtualKey::kTab);
    EXPECT_EQ(root->GetFocusCtrl(), licence->GetAgreementBox());
    for (VCtrl::CtrlButton* button :
         {window.GetBackButton(), window.GetNextButton(), window.GetCancelButton()}) {
        press(VCtrl::VirtualKey::kTab);
        EXPECT_EQ(root->GetFocusCtrl(), button);
    }
    press(VCtrl::VirtualKey::kTab);
    EXPECT_EQ(root->GetFocusCtrl(), licence->GetLicenceView());
    keys.InjectKey(VCtrl::VirtualKey::kShift, true);
    press(VCtrl::VirtualKey::kTab);
    press(VCtrl::VirtualKey::kTab);
    press(VCtrl::VirtualKey::kTab);
    keys.InjectKey(VCtrl::VirtualKey::kShift, false);
    EXPECT_EQ(root->GetFocusCtrl(), window.GetBackButton());
    keys.InjectKey(VCtrl::VirtualKey::kShift, true);
    press(VCtrl::VirtualKey::kTab);
    keys.InjectKey(VCtrl::VirtualKey::kShift, false);

    // Space ticks the focused agreement box; Enter then installs.
    ASSERT_EQ(root->GetFocusCtrl(), licence->GetAgreementBox());
    press(VCtrl::VirtualKey::kSpace);
    EXPECT_TRUE(licence->GetAgreementBox()->GetValue());
    press(VCtrl::VirtualKey::kReturn);
    EXPECT_EQ(window.GetCurrentPageIndex(), 2);
    wizard.WaitForInstallation();
    ASSERT_EQ(window.GetCurrentPageIndex(), 3);
    EXPECT_EQ(Text(window.GetCancelButton()), "Done");
    // Enter on the completion page is Done.
    press(VCtrl::VirtualKey::kReturn);
    EXPECT_FALSE(window.IsVisible());
}

TEST(InstallerUI, EscapeAsksBeforeCancelling) {
    Wizard wizard({{"DocumentView", "Welcome"}, {"InstallProcessView", "LogView"}});
    KisTest::LogCapture quiet;
    CInstallerUI& window = wizard.Open();
    window.Show();
    wizard.Responder().Push(VApplication::DialogAnswer::No());
    VCtrl::HeadlessWindow::From(window)->InjectKey(VCtrl::VirtualKey::kEscape, true);
    ASSERT_EQ(wizard.Responder().GetRequests().size(), 1u);
    EXPECT_STREQ(wizard.Responder().GetRequests()[0].text.GetText(),
                 "Are you sure you wish to quit the installation process?");
    EXPECT_TRUE(window.IsVisible());
}
