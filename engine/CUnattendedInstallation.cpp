#include "engine/CUnattendedInstallation.h"

#include "application/VApplication.h"
#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "engine/CInstallerPage.h"
#include "engine/CInstallerThread.h"
#include "engine/CInstallerVariable.h"
#include "engine/CUnattendedKitPieceHost.h"
#include "engine/InstallOutcome.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VJobServer.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"
#include "foundation/VStringTokenizer.h"

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
    // The kit piece page's defaults choose what the compressed-audio copies decode.
    m_kitPieces = CUnattendedKitPieceHost::ForScript(*m_script);
    VRef<CInstallerThread> thread = MakeRef<CInstallerThread>(this, m_script, log.Get(), m_kitPieces.get());
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

void CUnattendedInstallation::ChooseLocation(const std::string& folder) {
    if (folder.empty() || !m_script) return;
    for (const CInstallerPage* page : m_script->GetPages()) {
        if (!page->GetViewType().IsEqual("InstallLocationView")) continue;
        VString name;
        VFoundation::VStringTokenizer(page->GetArgument(), ',').NextToken(name);
        name.Trim();
        m_script->ExpandVariables(name);
        CInstallerVariable* variable = m_script->FindVariable(name.GetText());
        if (!variable) return;
        VString path(folder.c_str());
        VFileManager::MakeNativePath(path);
        VFileManager::Instance()->CreateFoldersAtPath(path.GetText(), 0777);
        variable->SetValue(path.GetText());
        return;
    }
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
