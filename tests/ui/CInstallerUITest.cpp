#include "ui/CInstallerUI.h"
#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlLabel.h"
#include "engine/CInstallScript.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"
#include "instructions/CCreateDirectoryInstruction.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"
#include "ui/CCompletionViewPanel.h"
#include "ui/CInstallProcessPanel.h"
#include "ui/CLicenceViewPanel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
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

    VApplication::ScriptedResponder& Responder() { return *m_responder; }
    KisTest::TempFolder& Folder() { return m_folder; }

private:
    KisTest::TempFolder m_folder;
    std::shared_ptr<VApplication::ScriptedResponder> m_responder;
    std::shared_ptr<VApplication::IApplicationBackend> m_previous;
    VRef<CInstallScript> m_script;
    VRef<CInstallerUI> m_window;
};

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
