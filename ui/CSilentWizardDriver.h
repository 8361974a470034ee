#pragma once

#include "application/IApplicationBackend.h"
#include "engine/CProgressReporter.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"
#include "ui/CPageScreenshots.h"

#include <memory>
#include <string>

class CInstallerUI;
struct CProgramOptions;

// Walks the wizard page by page as a user accepting the defaults would, for unattended runs: it saves a
// picture of each page as it is shown (when asked), ticks the licence agreement when the options accept
// it, presses Next, waits on the install process page for the installation to end, and quits the message
// loop on the last page with 0 (installed), 1 (failed or aborted), 2 (a page refused to go on) or 3
// (installed with failed steps, or without its full install record).
// Runs on the user-interface thread from tasks and a timer of the message loop.
class CSilentWizardDriver {
public:
    static constexpr int kInstalled = 0;
    static constexpr int kFailed = 1;
    static constexpr int kRefused = 2;
    static constexpr int kFailedSteps = 3;

    CSilentWizardDriver(CInstallerUI& window, const CProgramOptions& options);
    ~CSilentWizardDriver();
    CSilentWizardDriver(const CSilentWizardDriver&) = delete;
    CSilentWizardDriver& operator=(const CSilentWizardDriver&) = delete;

    // Posts the first step; the loop that runs next drives the wizard.
    void Start();
    // A script error met while driving (it ended the loop with the start-up failure code): the caller
    // throws it on, as the window would have.
    bool HasError() const { return m_error != nullptr; }
    const VFoundation::VException& GetError() const { return *m_error; }

private:
    void Step();
    void Drive();
    void Finish(int code);
    void ReportProgress();
    // Ends the run past the install process page: "nothing to install" when so, the summary line and the
    // exit code of the outcome (0, 1, or 3 for failed steps).
    void FinishInstallation();

    CInstallerUI& m_window;
    std::unique_ptr<CPageScreenshots> m_screenshots;
    bool m_acceptLicence;
    bool m_browseLocation;
    bool m_finished = false;
    std::unique_ptr<VFoundation::VException> m_error;
    VApplication::TimerId m_waitTimer = 0;
    // --progress: the lines on standard error.
    std::unique_ptr<CProgressReporter> m_progress;
};
