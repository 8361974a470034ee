#include "ui/CSilentWizardDriver.h"

#include "application/VApplication.h"
#include "ctrl/CtrlRoot.h"
#include "engine/CInstallScript.h"
#include "engine/CInstallerThread.h"
#include "engine/CProgramEntry.h"
#include "engine/InstallOutcome.h"
#include "foundation/VLog.h"
#include "ui/CInstallLocationPanel.h"
#include "ui/CInstallerUI.h"
#include "ui/CLicenceViewPanel.h"

#include <cstring>

using namespace VFoundation;

namespace {
// How often the driver looks whether the installation has ended.
constexpr uint32_t kWaitPeriodMs = 50;
} // namespace

CSilentWizardDriver::CSilentWizardDriver(CInstallerUI& window, const CProgramOptions& options)
    : m_window(window), m_screenshots(options.screenshots.empty()
                                          ? nullptr
                                          : std::make_unique<CPageScreenshots>(window, options.screenshots)),
      m_acceptLicence(options.acceptLicence), m_browseLocation(!options.location.empty()),
      m_progress(options.progress ? std::make_unique<CProgressReporter>(stderr) : nullptr) {}

CSilentWizardDriver::~CSilentWizardDriver() {
    if (m_waitTimer) VApplication::StopTimer(m_waitTimer);
}

void CSilentWizardDriver::Start() {
    if (m_screenshots) m_screenshots->Prepare();
    // No one sees the window of an unattended run: without pictures to save nothing is painted.
    if (!m_screenshots && m_window.GetRoot()) m_window.GetRoot()->SetPaintingDeferred(true);
    VApplication::PostToUIThread([this] { Step(); });
}

void CSilentWizardDriver::ReportProgress() {
    if (!m_progress) return;
    VRef<VJob> job = m_window.GetJobServer()->GetActiveJob();
    if (!job || !job->IsKindOf(CInstallerThread::GetClassRecord())) return;
    std::string text = m_window.GetStatusLine() ? m_window.GetStatusLine()->GetText().GetText() : "";
    text.erase(0, text.find_first_not_of(' '));
    m_progress->Report(static_cast<CInstallerThread*>(job.Get())->GetDetailedProgress(), text,
                       std::chrono::steady_clock::now());
}

void CSilentWizardDriver::Finish(int code) {
    if (m_finished) return;
    m_finished = true;
    if (m_progress && code == kInstalled && m_window.GetProcessPageIndex() >= 0) m_progress->Finish();
    VApplication::Quit(code);
}

void CSilentWizardDriver::FinishInstallation() {
    const InstallOutcome::Record& outcome = m_window.GetInstallOutcome();
    const CInstallScript* script = m_window.GetScript();
    if (m_window.GetProcessPageIndex() < 0 ||
        (outcome.ran && script && InstallOutcome::HasNothingToInstall(*script)))
        InstallOutcome::PrintNothingToInstall();
    if (m_window.GetProcessPageIndex() < 0 || !outcome.ran) {
        Finish(m_window.GetProcessPageIndex() < 0 || m_window.HasInstallSucceeded() ? kInstalled : kFailed);
        return;
    }
    // The summary is the last line on standard error: the result, the failed rows and where the log is.
    InstallOutcome::SetPendingSummary(outcome);
    Finish(InstallOutcome::ExitCode(outcome));
}

void CSilentWizardDriver::Step() {
    try {
        Drive();
    } catch (const VException& exception) {
        m_error = std::make_unique<VException>(exception);
        Finish(CProgramEntry::kStartupFailure);
    }
}

void CSilentWizardDriver::Drive() {
    if (m_finished) return;
    const int page = m_window.GetCurrentPageIndex();
    IInstallerUIPanel* panel = m_window.GetCurrentPanel();
    if (m_screenshots) m_screenshots->Check();
    if (!panel) {
        // Past the last page: the installation's result, or nothing to install.
        FinishInstallation();
        return;
    }
    if (m_window.IsInstalling()) {
        // The installation runs; its end moves the wizard on, and the loop keeps answering its dialogs.
        if (!m_waitTimer)
            m_waitTimer = VApplication::StartTimer(kWaitPeriodMs, [this] {
                if (m_window.IsInstalling()) {
                    ReportProgress();
                    return true;
                }
                m_waitTimer = 0;
                Step();
                return false;
            });
        return;
    }
    if (page == m_window.GetPanelCount() - 1 && m_window.GetProcessPageIndex() >= 0 &&
        page > m_window.GetProcessPageIndex()) {
        FinishInstallation();
        return;
    }
    if (auto* licence = dynamic_cast<CLicenceViewPanel*>(panel); licence && m_acceptLicence)
        licence->GetAgreementBox()->SetValue(true);
    // --location is the answer of the folder dialog: browse as a user choosing that folder would.
    if (auto* location = dynamic_cast<CInstallLocationPanel*>(panel); location && m_browseLocation)
        location->Browse();
    m_window.GoNext();
    if (m_window.GetCurrentPageIndex() == page && !m_window.IsInstalling()) {
        Finish(kRefused);
        return;
    }
    VApplication::PostToUIThread([this] { Step(); });
}
