#include "ui/CInstallerUI.h"

#include "application/VApplication.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/WindowMessages.h"
#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "engine/CInstallerThread.h"
#include "engine/IZdrcaInstallHost.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VImage.h"
#include "foundation/VLog.h"
#include "ui/CCompletionViewPanel.h"
#include "ui/CInstallLocationPanel.h"
#include "ui/CInstallProcessPanel.h"
#include "ui/CInstallerPanelKinds.h"
#include "ui/CStageDisplayPanel.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

using namespace VFoundation;
using namespace VCtrl;

V_IMPLEMENT_ABSTRACT_CLASS(CInstallerUI, VWindow)

namespace {

std::atomic<CInstallerUI*> g_mainWindow{nullptr};

constexpr int32_t kBackId = 0;
constexpr int32_t kNextId = 1;
constexpr int32_t kCancelId = 2;
constexpr int32_t kStageDisplayId = 4;
constexpr int32_t kStatusLineId = 5;
constexpr int kButtonPressed = 9;

const VRect kPanelFrame{130, 0, 470, 360};
const VRect kBackFrame{356, 368, 75, 23};
const VRect kNextFrame{436, 368, 75, 23};
const VRect kCancelFrame{516, 368, 75, 23};

VString Described(const VException& exception) {
    VString description;
    exception.GetDescription(description);
    return description;
}

VException Rewrapped(const char* prefix, const VException& exception) {
    VString text(prefix);
    text.Append(Described(exception));
    return VException(0, nullptr, text.GetText());
}

// Runs work on the user-interface thread: at once when already there, else posted, in order.
void OnUIThread(std::function<void()> work) {
    if (VApplication::IsUIThread())
        work();
    else
        VApplication::PostToUIThread(std::move(work));
}

} // namespace

bool CInstallerUI::CTimerControl::HandleTimer(int32_t timerId) {
    if (timerId != kProgressTimerId || !m_owner) return false;
    return m_owner->UpdateProgress();
}

CInstallerUI* CInstallerUI::GetMainWindow() {
    return g_mainWindow.load();
}

void CInstallerUI::SetMainWindow(CInstallerUI* window) {
    g_mainWindow.store(window);
}

CInstallerUI::CInstallerUI(CInstallScript* script, VClass* record) try
    : VWindow(record ? record : GetClassRecord()), m_panels(MakeRef<VObjectArrayTmpl<IInstallerUIPanel>>()),
      m_script(script), m_jobServer(MakeRef<VJobServer>("Job Server", 1)) {
    if (!m_jobServer->StartServer())
        throw VException(0, nullptr, "Failed to start the thread server. Cannot continue");
    SetDelegate(this);
    SetMessageHandler(this);
    SetRebootHandler(this);
} catch (const VException& exception) {
    throw Rewrapped("Caught VException is constructor of CInstallerUI. Exception message was:\n\n",
                    exception);
} catch (...) {
    throw VException(0, nullptr, "Caught an unknown exception in the constructor of CInstallerUI");
}

CInstallerUI::~CInstallerUI() {
    // A destructor cannot pass an exception on; the rewrapped text is logged instead.
    m_destroying.store(true);
    try {
        if (GetMessageHandler() == this) SetMessageHandler(nullptr);
        if (GetRebootHandler() == this) SetRebootHandler(nullptr);
        if (GetMainWindow() == this) SetMainWindow(nullptr);
        m_jobServer->KillAllJobs();
        m_jobServer->StopServer();
        for (CtrlButton* button : {m_backButton.Get(), m_nextButton.Get(), m_cancelButton.Get()})
            if (button) button->SetListener(nullptr);
        if (m_currentPanel) m_currentPanel->SetListener(nullptr);
        SetDelegate(nullptr);
    } catch (const VException& exception) {
        LogPrintf("%s\n",
                  Rewrapped("Caught VException is destructor of CInstallerUI. Exception message was:\n\n",
                            exception)
                      .GetDescriptionText()
                      .GetText());
    } catch (...) {
        LogPrintf("Caught an unknown exception in the destructor of CInstallerUI\n");
    }
}

bool CInstallerUI::WindowCreated() {
    try {
        CreateControls();
        BuildPanels();
        LoadSkin();
        return true;
    } catch (const VException& exception) {
        throw Rewrapped(
            "Caught VException during control creation in CInstallerUI. Exception message was:\n\n",
            exception);
    } catch (...) {
        throw VException(0, nullptr, "Caught an unknown exception during control creation in CInstallerUI");
    }
}

void CInstallerUI::CreateControls() {
    CtrlRoot* root = GetRoot();
    m_stageDisplay = MakeRef<CStageDisplayPanel>();
    m_stageDisplay->Create(kStageDisplayId, VRect{0, 0, 130, 400}, root, nullptr);

    m_statusLine = MakeRef<CtrlLabel>();
    m_statusLine->Create(kStatusLineId, VRect{141, 368, 370, 23}, root, nullptr);
    m_statusLine->SetTakesMouseInput(false);
    m_statusLine->SetEllipsis(CtrlLabel::Ellipsis::kEnd);
    m_statusLine->SetText(" ");

    m_buttonStyle = MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary);
    m_buttonStyle->SetFlags(true, CtrlButtonStyle::kOptDrawText);
    m_buttonStyle->SetColourOption("colFillOn", VColour(0, 0, 0, 255));
    m_buttonStyle->SetColourOption("colFillOff", VColour(0, 0, 0, 255));
    m_backButton = MakeRef<CtrlButton>(m_buttonStyle.Get());
    m_nextButton = MakeRef<CtrlButton>(m_buttonStyle.Get());
    m_cancelButton = MakeRef<CtrlButton>(m_buttonStyle.Get());
    ShowButton(m_backButton.Get(), kBackId, kBackFrame, "< Back");
    ShowButton(m_nextButton.Get(), kNextId, kNextFrame, "Next >");
    ShowButton(m_cancelButton.Get(), kCancelId, kCancelFrame, "Cancel");

    m_timerControl = MakeRef<CTimerControl>();
    m_timerControl->Create(kProgressTimerId, VRect{0, 0, 1, 1}, root, nullptr);
    m_timerControl->SetVisible(false);
    m_timerControl->SetOwner(this);
}

void CInstallerUI::BuildPanels() {
    const auto& pages = m_script->GetPages();
    const int pageCount = pages.GetCount();
    bool processSeen = false;
    for (int i = 0; i < pageCount; ++i) {
        const CInstallerPage* page = pages.GetObjectAtIndex(i);
        VRef<IInstallerUIPanel> panel = MakePanel(*page);
        if (!panel) continue;
        m_stageDisplay->AddStage(panel->GetStageName().GetText());
        const char* name = panel->GetClassName();
        if (std::strcmp(name, "CCompletionViewPanel") == 0 && i + 1 != pageCount)
            throw VException(0, nullptr, "You may only have a completion panel as the last panel");
        if (std::strcmp(name, "CInstallProcessPanel") == 0) {
            if (processSeen) throw VException(0, nullptr, "Only a single InstallProcessPanel is allowed");
            processSeen = true;
            m_processPageIndex = i;
        }
        m_panels->AddObject(panel.Get());
    }
    MakeCurrent(0);
    if (m_currentPanel && m_currentPanel->PrepareToShow()) {
        AttachPanel(m_currentPanel.Get());
        m_currentPageIndex = 0;
    }
    UpdateButtons();
    // Only Next starts the installation, so a script whose first page is the install process page would
    // never install: the installation starts once the message loop runs (after the pre-run list).
    if (m_currentPanel && m_processPageIndex == 0 &&
        std::strcmp(m_currentPanel->GetClassName(), "CInstallProcessPanel") == 0) {
        VRef<CInstallerUI> self = VRef<CInstallerUI>::Retained(this);
        VApplication::PostToUIThread([self] {
            if (!self->m_installing && self->m_currentPageIndex == 0 && self->GetRoot())
                self->StartInstallationOrReport();
        });
    }
}

void CInstallerUI::MakeCurrent(int32_t index) {
    m_currentPanel = VRef<IInstallerUIPanel>::Retained(
        index >= 0 && index < m_panels->GetCount() ? m_panels->GetObjectAtIndex(index) : nullptr);
}

// Attaching and detaching change what the window shows there, so the area is painted again.
void CInstallerUI::AttachPanel(IInstallerUIPanel* panel) {
    panel->Create(kPanelId, kPanelFrame, GetRoot(), this);
    GetRoot()->InvalidateRect(kPanelFrame);
    panel->PanelShown();
}

void CInstallerUI::DetachPanel(IInstallerUIPanel* panel) {
    if (!panel || panel->GetParent() != GetRoot()) return;
    GetRoot()->RemoveChild(panel);
    GetRoot()->InvalidateRect(kPanelFrame);
}

void CInstallerUI::ShowButton(CtrlButton* button, int32_t id, const VRect& frame, const char* text) {
    button->Create(id, frame, GetRoot(), this);
    if (text) button->SetText(text);
    GetRoot()->InvalidateRect(frame);
}

void CInstallerUI::HideButton(CtrlButton* button) {
    if (button->GetParent() != GetRoot()) return;
    const VRect frame = button->GetFrame();
    GetRoot()->RemoveChild(button);
    GetRoot()->InvalidateRect(frame);
}

bool CInstallerUI::IsButtonShown(const CtrlButton* button) const {
    return button && GetRoot() && button->GetParent() == GetRoot();
}

void CInstallerUI::UpdateButtons() {
    const int32_t i = m_currentPageIndex;
    const int32_t n = m_panels->GetCount();
    // Without an install process page the wizard only shows its pages: the last one ends it.
    const int32_t p = m_processPageIndex >= 0 ? m_processPageIndex : n;
    if (i == 0 && !(m_processPageIndex < 0 && n == 1)) {
        HideButton(m_backButton.Get());
        ShowButton(m_nextButton.Get(), kNextId, kNextFrame, "Next >");
    } else if (m_processPageIndex < 0 && i == n - 1) {
        ShowButton(m_backButton.Get(), kBackId, kBackFrame, "< Back");
        HideButton(m_nextButton.Get());
        m_cancelButton->SetText("Done");
    } else if (i < p - 1) {
        ShowButton(m_backButton.Get(), kBackId, kBackFrame, "< Back");
        ShowButton(m_nextButton.Get(), kNextId, kNextFrame, "Next >");
        m_cancelButton->SetText("Cancel");
    } else if (i == p - 1) {
        ShowButton(m_backButton.Get(), kBackId, kBackFrame, "< Back");
        ShowButton(m_nextButton.Get(), kNextId, kNextFrame, "Install");
        m_cancelButton->SetText("Cancel");
    } else if (i == p) {
        HideButton(m_backButton.Get());
        HideButton(m_nextButton.Get());
        m_cancelButton->SetText("Abort");
    } else if (i == n - 1) {
        HideButton(m_backButton.Get());
        HideButton(m_nextButton.Get());
        m_cancelButton->SetText("Done");
    } else if (i - 1 == p) {
        // After the installation Next only moves on: it would otherwise keep the "Install" of the page
        // before the process page.
        HideButton(m_backButton.Get());
        ShowButton(m_nextButton.Get(), kNextId, kNextFrame, "Next >");
        m_cancelButton->SetText("Done");
    } else {
        ShowButton(m_backButton.Get(), kBackId, kBackFrame, "< Back");
        ShowButton(m_nextButton.Get(), kNextId, kNextFrame, "Next >");
        m_cancelButton->SetText("Done");
    }
    ButtonsUpdated();
    m_backButton->Redraw();
    m_nextButton->Redraw();
    m_cancelButton->Redraw();
}

void CInstallerUI::SetStatusText(const char* text) {
    if (!m_statusLine) return;
    m_statusLine->SetText(text);
    m_statusLine->Redraw();
}

void CInstallerUI::GoBack() {
    if (!m_currentPanel) {
        SetStatusText(" ");
        return;
    }
    if (m_currentPageIndex == 0) {
        UpdateButtons();
        return;
    }
    m_stageDisplay->PreviousStage();
    DetachPanel(m_currentPanel.Get());
    --m_currentPageIndex;
    MakeCurrent(m_currentPageIndex);
    if (m_currentPanel && m_currentPanel->PrepareToShow()) AttachPanel(m_currentPanel.Get());
    UpdateButtons();
    SetStatusText(" ");
}

void CInstallerUI::GoNext() {
    if (!m_currentPanel || !m_currentPanel->CanAdvance()) return;
    LogPrintf("Completed post load\n");
    m_stageDisplay->NextStage();
    LogPrintf("Moved the stage display\n");
    DetachPanel(m_currentPanel.Get());
    ++m_currentPageIndex;
    MakeCurrent(m_currentPageIndex);
    if (m_currentPanel && m_currentPanel->PrepareToShow()) {
        AttachPanel(m_currentPanel.Get());
        if (std::strcmp(m_currentPanel->GetClassName(), "CInstallProcessPanel") == 0)
            StartInstallationOrReport();
        else if (std::strcmp(m_currentPanel->GetClassName(), "CCompletionViewPanel") == 0)
            ShowResult(*static_cast<CCompletionViewPanel*>(m_currentPanel.Get()));
    }
    UpdateButtons();
    SetStatusText(" ");
}

void CInstallerUI::CancelOrQuit() {
    if (m_installing) {
        if (VApplication::ConfirmBox(
                "Installation is in progress, are you sure you want to abort this process?"))
            m_jobServer->KillAllJobs();
    } else if (m_cancelButton->GetText().IsEqual("Done") ||
               VApplication::ConfirmBox("Are you sure you wish to quit the installation process?")) {
        Quit();
    }
    SetStatusText(" ");
}

void CInstallerUI::Quit() {
    StopProgressTimer();
    Hide();
    PostQuit(0);
}

void CInstallerUI::StopProgressTimer() {
    if (CtrlRoot* root = GetRoot(); root && m_timerControl)
        root->StopTimer(kProgressTimerId, m_timerControl.Get());
}

void CInstallerUI::StartInstallation() {
    HideButton(m_backButton.Get());
    HideButton(m_nextButton.Get());
    GetRoot()->StartTimer(kProgressTimerId, kProgressPeriodMs, m_timerControl.Get());
    VRef<VJob> job = MakeInstallJob();
    if (!m_jobServer->AddJob(job.Get()))
        throw VException(0, nullptr,
                         "Failed to start the installation thread. Please try rerunning the installer");
    m_installing = true;
}

VRef<IInstallerUIPanel> CInstallerUI::MakePanel(const CInstallerPage& page) {
    return CInstallerPanelKinds::CreatePanel(page.GetViewType().GetText(), page.GetArgument(), m_script);
}

VRef<VJob> CInstallerUI::MakeInstallJob() {
    // Folders the install location page made belong to the installation too.
    std::vector<std::string> made;
    for (IInstallerUIPanel* panel : *m_panels)
        if (auto* location = dynamic_cast<CInstallLocationPanel*>(panel))
            made.insert(made.end(), location->GetMadeFolders().begin(), location->GetMadeFolders().end());
    VRef<CInstallLog> log = CInstallLog::CreateForScript(*m_script, m_currentPanel.Get(), made);
    m_installLog = log;
    m_installLogPath = log->GetLogPath();
    IZdrcaInstallHost* host = FindKitPieceHost();
    if (host) host->BeginInstallation();
    return MakeRef<CInstallerThread>(this, m_script, log.Get(), host);
}

void CInstallerUI::ShowResult(CCompletionViewPanel& panel) {
    if (m_rolledBack.load())
        panel.SetResultText(CCompletionViewPanel::kRolledBackText);
    else if (!m_startFailure.IsEmpty())
        panel.SetStartFailure(m_startFailure);
    else
        panel.SetResult(m_installSucceeded, m_failedRows, m_installLogPath);
}

// An installation that cannot start (a log folder that cannot be made, a refused job) is a failed
// installation: the user reaches the completion page with the reason instead of an install page that
// never moves.
void CInstallerUI::StartInstallationOrReport() {
    try {
        StartInstallation();
        return;
    } catch (const VException& exception) {
        m_startFailure = exception.GetDescriptionText();
    } catch (const std::exception& exception) {
        m_startFailure.Assign(exception.what());
    }
    LogPrintf("The installation could not start: %s\n", m_startFailure.GetText());
    m_installLog.Reset();
    VRef<CInstallerUI> self = VRef<CInstallerUI>::Retained(this);
    VApplication::PostToUIThread([self] {
        if (self->GetRoot()) self->JobEnded(false);
    });
}

void CInstallerUI::TakeInstallLogOutcome() {
    if (!m_installLog) return;
    m_failedRows = m_installLog->GetFailedRowCount();
    m_installLogPath = m_installLog->GetLogPath();
    m_installLog.Reset();
}

IZdrcaInstallHost* CInstallerUI::FindKitPieceHost() const {
    for (IInstallerUIPanel* panel : *m_panels)
        if (std::strcmp(panel->GetClassName(), "CZDRKitPieceViewPanel") == 0)
            return dynamic_cast<IZdrcaInstallHost*>(panel);
    return nullptr;
}

bool CInstallerUI::UpdateProgress() {
    if (!m_installing) return false;
    if (!m_currentPanel || !m_currentPanel->IsKindOf(CInstallProcessPanel::GetClassRecord())) return false;
    const float overall = m_jobServer->GetActiveJobProgress();
    float instruction = 0.0f;
    VRef<VJob> job = m_jobServer->GetActiveJob();
    if (job && job->IsKindOf(CInstallerThread::GetClassRecord()))
        instruction = static_cast<CInstallerThread*>(job.Get())->GetCurrentInstructionProgress();
    auto* panel = static_cast<CInstallProcessPanel*>(m_currentPanel.Get());
    // The thread's share can reach the whole before its last step has finished: the overall bar shows
    // 100 % only when the installation has ended.
    panel->SetOverallProgress(std::min(overall * 100.0f, 99.0f));
    panel->SetInstructionProgress(instruction * 100.0f);
    return true;
}

void CInstallerUI::LoadSkin() {
    const CInstallerVariable* cwd = m_script->FindVariable("CWD_FOLDER");
    if (!cwd) return;
    const VString& base = cwd->GetValue();
    m_stageDisplay->LoadMarks(base.GetText());
    VString resources(base);
    resources.AppendPathComponent("Installer");
    resources.AppendPathComponent("Resources");
    VImage::SetResourceFolder(resources.GetText());
    const auto load = [&resources](const char* name) {
        VString path(resources);
        path.AppendPathComponent(name);
        return VRef<VImage>::Adopt(VImage::LoadFromFile(path.GetText()));
    };
    VRef<VImage> up = load("UpButton.tga");
    VRef<VImage> down = load("DownButton.tga");
    VRef<VImage> over = load("OverButton.tga");
    if (auto* style = dynamic_cast<CtrlButtonStyle*>(m_backButton->GetStyle())) {
        style->SetImages(up.Get(), down.Get(), over.Get());
        style->SetFlags(true, 1);
    }
    if (VRef<VImage> background = load("InstallerBackground.tga"); background && GetRoot())
        GetRoot()->SetBackgroundImage(background.Get());
}

bool CInstallerUI::WindowShouldClose(VWindow*) {
    if (!VApplication::ConfirmBox("Are you sure you wish to quit the installation process?")) return false;
    StopProgressTimer();
    Hide();
    if (m_installing) {
        // The installer thread writes into this window's panels and log until it ends: closing aborts it
        // as Abort does, and the window stays (hidden) until the thread has ended and the log is complete.
        AbortAndQuitWhenEnded();
        return false;
    }
    PostQuit(0);
    return true;
}

void CInstallerUI::WindowDestroyed(VWindow*) {
    if (m_installing)
        AbortAndQuitWhenEnded();
    else if (!m_quitPosted)
        PostQuit(0);
}

void CInstallerUI::AbortAndQuitWhenEnded() {
    if (m_quitWhenJobEnds) return;
    m_quitWhenJobEnds = true;
    m_jobServer->KillAllJobs();
    // A job still waiting in the queue is dropped without a notice: nothing is left to wait for.
    if (!m_jobServer->GetActiveJob() && m_jobServer->GetPendingJobCount() == 0) JobEnded(false);
}

void CInstallerUI::PostQuit(int code) {
    m_quitPosted = true;
    VApplication::Quit(code);
}

bool CInstallerUI::WindowKeyDown(int32_t key, uint32_t modifiers, VWindow*) {
    const bool alt = (modifiers & Modifier::kAlt) != 0;
    if (alt && (modifiers & Modifier::kControl) == 0) {
        if (key == 'B' && IsButtonShown(m_backButton.Get())) {
            GoBack();
            return true;
        }
        if (key == 'N' && IsButtonShown(m_nextButton.Get())) {
            GoNext();
            return true;
        }
        return false;
    }
    if (modifiers & Modifier::kControl) return false;
    if (key == VirtualKey::kEscape) {
        CancelOrQuit();
        return true;
    }
    if (key != VirtualKey::kReturn) return false;
    Ctrl* focus = GetRoot() ? GetRoot()->GetFocusCtrl() : nullptr;
    if (focus == m_backButton.Get()) {
        GoBack();
    } else if (focus == m_cancelButton.Get()) {
        CancelOrQuit();
    } else if (IsButtonShown(m_nextButton.Get())) {
        GoNext();
    } else if (m_cancelButton->GetText().IsEqual("Done")) {
        CancelOrQuit();
    } else {
        return false;
    }
    return true;
}

void CInstallerUI::HandleCtrlEvent(const CtrlEvent& event) {
    if (!event.GetCtrl()) return;
    if (event.GetType() != kButtonPressed) {
        VFoundation::LogPrintf("Event with id %d not handled in event handler properly\n", event.GetType());
        return;
    }
    switch (event.GetCtrl()->GetId()) {
    case kBackId:
        GoBack();
        break;
    case kNextId:
        GoNext();
        break;
    case kCancelId:
        CancelOrQuit();
        break;
    default:
        break;
    }
}

void CInstallerUI::JobAdded(VJobServer*, VJob*) {}

void CInstallerUI::JobStarted(VJobServer*, VJob*) {}

void CInstallerUI::JobSucceeded(VJobServer*, VJob* job) {
    if (m_destroying.load()) return;
    VRef<CInstallerUI> self = VRef<CInstallerUI>::Retained(this);
    const InstallOutcome::Record outcome = DescribeJob(job, true);
    OnUIThread([self, outcome] {
        self->m_installOutcome = outcome;
        self->JobEnded(true);
    });
}

void CInstallerUI::JobFailed(VJobServer*, VJob* job) {
    if (job && job->IsKindOf(CInstallerThread::GetClassRecord()))
        m_rolledBack.store(static_cast<CInstallerThread*>(job)->HasRolledBack());
    if (m_destroying.load()) return;
    VRef<CInstallerUI> self = VRef<CInstallerUI>::Retained(this);
    const InstallOutcome::Record outcome = DescribeJob(job, false);
    OnUIThread([self, outcome] {
        self->m_installOutcome = outcome;
        self->JobEnded(false);
    });
}

InstallOutcome::Record CInstallerUI::DescribeJob(VJob* job, bool succeeded) {
    // The notice comes while the job still holds its log.
    if (job && job->IsKindOf(CInstallerThread::GetClassRecord()))
        return static_cast<CInstallerThread*>(job)->DescribeOutcome(succeeded);
    InstallOutcome::Record outcome;
    outcome.ran = true;
    outcome.finished = succeeded;
    return outcome;
}

void CInstallerUI::JobEnded(bool succeeded) {
    StopProgressTimer();
    if (m_processPageIndex >= 0)
        if (auto* process =
                dynamic_cast<CInstallProcessPanel*>(m_panels->GetObjectAtIndex(m_processPageIndex)))
            process->FlushLogRows();
    m_installing = false;
    m_installSucceeded = succeeded;
    TakeInstallLogOutcome();
    if (succeeded && m_currentPanel && m_currentPanel->IsKindOf(CInstallProcessPanel::GetClassRecord()))
        static_cast<CInstallProcessPanel*>(m_currentPanel.Get())->SetOverallProgress(100.0f);
    if (m_quitWhenJobEnds) {
        if (!m_quitPosted) PostQuit(succeeded ? 0 : kAbortedExitCode);
        return;
    }
    GoNext();
}

void CInstallerUI::SplashScreenClosed() {
    Show();
}

// Texts sent faster than the user-interface thread shows them replace one another: only the latest is
// shown, and one task at a time is posted for them.
void CInstallerUI::SetMessage(const VString& text) {
    if (VApplication::IsUIThread()) {
        // A text still waiting from another thread is older than this one.
        {
            std::lock_guard<std::mutex> lock(m_messageGuard);
            m_messagePosted = false;
        }
        SetStatusText(text.GetText());
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_messageGuard);
        m_pendingMessage.assign(text.GetText());
        if (m_messagePosted) return;
        m_messagePosted = true;
    }
    VRef<CInstallerUI> self = VRef<CInstallerUI>::Retained(this);
    VApplication::PostToUIThread([self] {
        std::string latest;
        {
            std::lock_guard<std::mutex> lock(self->m_messageGuard);
            if (!self->m_messagePosted) return;
            latest.swap(self->m_pendingMessage);
            self->m_messagePosted = false;
        }
        self->SetStatusText(latest.c_str());
    });
}

void CInstallerUI::RebootRequired() {
    m_rebootNeeded.store(true);
}
