#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlLabel.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/VWindow.h"
#include "ctrl/VWindowDelegate.h"
#include "engine/CSetMessageHandler.h"
#include "engine/InstallOutcome.h"
#include "foundation/IVJobDelegate.h"
#include "foundation/VJobServer.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/CInstallerSplashScreenDelegate.h"
#include "ui/IInstallerUIPanel.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class CCompletionViewPanel;
class CInstallLog;
class CInstallScript;
class CInstallerPage;
class CStageDisplayPanel;
class IZdrcaInstallHost;

// The installer's main window: a 600 x 400 wizard showing one panel per script page, the stage display
// on the left, and Back, Next and Cancel with a status line along the bottom. Entering the install process
// page creates the install log and queues the installer thread on the window's job server; a progress
// timer follows it, and its end moves the wizard on to the next page.
//
// Threads: the window and everything it owns belong to the user-interface thread. The job notices arrive
// on the job server's worker, SetMessage on the installer thread (or the user-interface thread for the
// pre-run list), and they are handed to the user-interface thread in the order they came. RebootRequired
// only sets a flag.
class CInstallerUI : public VCtrl::VWindow,
                     public VCtrl::VWindowDelegate,
                     public VCtrl::ICtrlListener,
                     public VFoundation::IVJobDelegate,
                     public CInstallerSplashScreenDelegate,
                     public CSetMessageHandler {
    V_DECLARE_CLASS(CInstallerUI)
public:
    static constexpr int32_t kProgressTimerId = 50683;
    static constexpr uint32_t kProgressPeriodMs = 5000;
    static constexpr int32_t kPanelId = 1000;
    // The message loop's code when the window was closed during the installation and the thread aborted.
    static constexpr int kAbortedExitCode = 1;

    // Throws VException (rewrapped) when the job server cannot start.
    explicit CInstallerUI(CInstallScript* script, VFoundation::VClass* record = nullptr);
    ~CInstallerUI() override;

    bool WindowCreated() override;

    // Closing during the installation aborts it as Abort does and quits once the thread has ended.
    bool WindowShouldClose(VCtrl::VWindow* window) override;
    // The platform window went without asking (destroyed from outside): the installation is aborted as by
    // a close, and the program quits once nothing runs any more.
    void WindowDestroyed(VCtrl::VWindow* window) override;
    // Enter presses the focused navigation button or else the default one (Next, Install or Done),
    // Escape presses Cancel (Abort, Done), Alt+B and Alt+N press Back and Next when they are shown.
    bool WindowKeyDown(int32_t key, uint32_t modifiers, VCtrl::VWindow* window) override;
    void HandleCtrlEvent(const VCtrl::CtrlEvent& event) override;
    void JobAdded(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobStarted(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobSucceeded(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobFailed(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void SplashScreenClosed() override;
    void SetMessage(const VFoundation::VString& text) override;
    void RebootRequired() override;

    void GoBack();
    void GoNext();
    void CancelOrQuit();
    // The progress timer's handler; false stops the timer.
    bool UpdateProgress();

    bool IsRebootNeeded() const { return m_rebootNeeded.load(); }
    bool IsInstalling() const { return m_installing; }
    bool HasInstallSucceeded() const { return m_installSucceeded; }
    // The finished installation's outcome (failed rows, the log) for the silent exit code; ran is false
    // until an installation has ended.
    const InstallOutcome::Record& GetInstallOutcome() const { return m_installOutcome; }
    CInstallScript* GetScript() const { return m_script; }
    // Failure and exception rows of the last installation's log, and the log's path (empty before one ran).
    uint32_t GetFailedRowCount() const { return m_failedRows; }
    const VFoundation::VString& GetInstallLogPath() const { return m_installLogPath; }
    int32_t GetCurrentPageIndex() const { return m_currentPageIndex; }
    int32_t GetProcessPageIndex() const { return m_processPageIndex; }
    IInstallerUIPanel* GetCurrentPanel() const { return m_currentPanel.Get(); }
    int GetPanelCount() const { return m_panels->GetCount(); }
    IInstallerUIPanel* GetPanelAtIndex(int index) const { return m_panels->GetObjectAtIndex(index); }
    VCtrl::CtrlButton* GetBackButton() const { return m_backButton.Get(); }
    VCtrl::CtrlButton* GetNextButton() const { return m_nextButton.Get(); }
    VCtrl::CtrlButton* GetCancelButton() const { return m_cancelButton.Get(); }
    VCtrl::CtrlLabel* GetStatusLine() const { return m_statusLine.Get(); }
    CStageDisplayPanel* GetStageDisplay() const { return m_stageDisplay.Get(); }
    VFoundation::VJobServer* GetJobServer() const { return m_jobServer.Get(); }
    // Whether the button is on the window now.
    bool IsButtonShown(const VCtrl::CtrlButton* button) const;

    // The main window pointer that the entry records and instructions reach.
    static CInstallerUI* GetMainWindow();
    static void SetMainWindow(CInstallerUI* window);

protected:
    // What a wizard built on this window may change (the uninstall wizard does). All run on the
    // user-interface thread.
    // The panel of a script page; none skips the page.
    virtual VFoundation::VRef<IInstallerUIPanel> MakePanel(const CInstallerPage& page);
    // Sets up what the install process page runs and returns the job to queue: by default the install log
    // and the installer thread.
    virtual VFoundation::VRef<VFoundation::VJob> MakeInstallJob();
    // Shows the run's end on the completion page.
    virtual void ShowResult(CCompletionViewPanel& panel);
    // Called after the buttons were set for the current page, to adjust them.
    virtual void ButtonsUpdated() {}

private:
    // The control that receives the progress timer; it knows its window.
    class CTimerControl : public VCtrl::Ctrl {
    public:
        void SetOwner(CInstallerUI* owner) { m_owner = owner; }
        bool HandleTimer(int32_t timerId) override;

    private:
        CInstallerUI* m_owner = nullptr;
    };

    void CreateControls();
    void BuildPanels();
    void UpdateButtons();
    void StartInstallation();
    void StartInstallationOrReport();
    void LoadSkin();
    IZdrcaInstallHost* FindKitPieceHost() const;
    void AttachPanel(IInstallerUIPanel* panel);
    void DetachPanel(IInstallerUIPanel* panel);
    void MakeCurrent(int32_t index);
    void ShowButton(VCtrl::CtrlButton* button, int32_t id, const VCtrl::VRect& frame, const char* text);
    void HideButton(VCtrl::CtrlButton* button);
    void SetStatusText(const char* text);
    void StopProgressTimer();
    void Quit();
    void JobEnded(bool succeeded);
    static InstallOutcome::Record DescribeJob(VFoundation::VJob* job, bool succeeded);
    void AbortAndQuitWhenEnded();
    void PostQuit(int code);
    // Reads the outcome off the install log and lets it go, so that it closes with the thread.
    void TakeInstallLogOutcome();

    int32_t m_currentPageIndex = 0;
    int32_t m_processPageIndex = -1;
    VFoundation::VRef<VFoundation::VObjectArrayTmpl<IInstallerUIPanel>> m_panels;
    VFoundation::VRef<VCtrl::CtrlButton> m_backButton;
    VFoundation::VRef<VCtrl::CtrlButton> m_nextButton;
    VFoundation::VRef<VCtrl::CtrlButton> m_cancelButton;
    VFoundation::VRef<CStageDisplayPanel> m_stageDisplay;
    VFoundation::VRef<IInstallerUIPanel> m_currentPanel;
    CInstallScript* m_script;
    bool m_installing = false;
    bool m_installSucceeded = false;
    InstallOutcome::Record m_installOutcome;
    std::atomic<bool> m_rolledBack{false};
    VFoundation::VRef<VFoundation::VJobServer> m_jobServer;
    VFoundation::VRef<CTimerControl> m_timerControl;
    VFoundation::VRef<VCtrl::CtrlLabel> m_statusLine;
    std::atomic<bool> m_rebootNeeded{false};
    // The latest status text sent from another thread and not yet shown.
    mutable std::mutex m_messageGuard;
    std::string m_pendingMessage;
    bool m_messagePosted = false;
    VFoundation::VRef<VCtrl::CtrlButtonStyle> m_buttonStyle;
    // Kept while the installer thread runs so that the completion page can name its failures.
    VFoundation::VRef<CInstallLog> m_installLog;
    VFoundation::VString m_installLogPath;
    uint32_t m_failedRows = 0;
    // Why the installation could not start, for the completion page; empty when it started.
    VFoundation::VString m_startFailure;
    // The window was closed during the installation: quit once the aborted thread has ended.
    bool m_quitWhenJobEnds = false;
    // The quit message has been posted.
    bool m_quitPosted = false;
    // Set when destruction begins: the job notices that its job server still sends then are dropped.
    std::atomic<bool> m_destroying{false};
};
