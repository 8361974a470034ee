#include "engine/CUnattendedInstallation.h"

#include "application/VApplication.h"
#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "engine/CInstallerThread.h"
#include "engine/InstallOutcome.h"
#include "foundation/VException.h"
#include "foundation/VJobServer.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"

using namespace VFoundation;

namespace {
constexpr int kSucceeded = 0;
constexpr int kFailed = 1;
// How often the loop checks that the worker still runs: a job that throws ends the worker without a
// notice, and the run must not wait for one for ever.
constexpr uint32_t kWorkerCheckMs = 100;
} // namespace

CUnattendedInstallation::CUnattendedInstallation(CInstallScript& script) : CUnattendedInstallation() {
    m_script = &script;
}

CUnattendedInstallation::CUnattendedInstallation() {
    SetMessageHandler(this);
    SetRebootHandler(this);
}

CUnattendedInstallation::~CUnattendedInstallation() {
    if (GetMessageHandler() == this) SetMessageHandler(nullptr);
    if (GetRebootHandler() == this) SetRebootHandler(nullptr);
}

void CUnattendedInstallation::SetMessage(const VString&) {}

void CUnattendedInstallation::RebootRequired() {
    m_rebootNeeded.store(true);
}

int CUnattendedInstallation::Run() {
    if (!m_script) throw VException(0, nullptr, "There is no install script to run");
    VRef<CInstallLog> log = CInstallLog::CreateForScript(*m_script, nullptr);
    VRef<CInstallerThread> thread = MakeRef<CInstallerThread>(this, m_script, log.Get(), nullptr);
    log.Reset();
    return RunJob(thread.Get());
}

int CUnattendedInstallation::RunJob(VJob* job) {
    VRef<VJobServer> server = MakeRef<VJobServer>("Job Server", 1);
    if (!server->StartServer())
        throw VException(0, nullptr, "Failed to start the thread server. Cannot continue");
    if (!server->AddJob(job)) {
        server->StopServer();
        throw VException(0, nullptr,
                         "Failed to start the installation thread. Please try rerunning the installer");
    }

    VJobServer* watched = server.Get();
    const VApplication::TimerId check = VApplication::StartTimer(kWorkerCheckMs, [this, watched] {
        if (m_finished.load()) return false;
        if (!watched->HasWorker()) {
            LogPrintf("The installation thread ended without a result\n");
            Finish(kFailed);
            return false;
        }
        return true;
    });
    const int code = VApplication::RunMessageLoop();
    VApplication::StopTimer(check);
    server->StopServer();
    return code;
}

void CUnattendedInstallation::Finish(int code) {
    if (m_finished.exchange(true)) return;
    VApplication::Quit(code);
}

void CUnattendedInstallation::JobAdded(VJobServer*, VJob*) {}

void CUnattendedInstallation::JobStarted(VJobServer*, VJob*) {}

void CUnattendedInstallation::JobSucceeded(VJobServer*, VJob* job) {
    JobEnded(job, true);
}

void CUnattendedInstallation::JobFailed(VJobServer*, VJob* job) {
    JobEnded(job, false);
}

void CUnattendedInstallation::JobEnded(VJob* job, bool succeeded) {
    // The notice comes while the job still holds its log.
    if (!job || !job->IsKindOf(CInstallerThread::GetClassRecord())) {
        VApplication::PostToUIThread([this, succeeded] { Finish(succeeded ? kSucceeded : kFailed); });
        return;
    }
    const InstallOutcome::Record outcome = static_cast<CInstallerThread*>(job)->DescribeOutcome(succeeded);
    VApplication::PostToUIThread([this, outcome] {
        if (m_script && InstallOutcome::HasNothingToInstall(*m_script))
            InstallOutcome::PrintNothingToInstall();
        InstallOutcome::SetPendingSummary(outcome);
        Finish(InstallOutcome::ExitCode(outcome));
    });
}
