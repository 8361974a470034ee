#pragma once

#include "engine/InstallOutcome.h"
#include "foundation/VJob.h"
#include "foundation/VRef.h"

#include <atomic>

class CInstallLog;
class CInstallScript;
class IInstallerInstruction;
class IZdrcaInstallHost;

// The job that performs an installation: it runs the instructions of the selected sections on the job
// server's worker thread, records failures in the install log and keeps a progress value.
//
// Threads: Run runs on the worker. Abort, GetProgress and GetCurrentInstructionProgress are called on the
// user-interface thread while Run runs; the abort request and the progress cross threads as atomics and
// take effect between instructions. The script's lists do not change while the job runs.
class CInstallerThread : public VFoundation::VJob {
    V_DECLARE_CLASS(CInstallerThread)
public:
    CInstallerThread();
    // The log is retained until the thread object goes, which closes the log files.
    CInstallerThread(VFoundation::IVJobDelegate* delegate, CInstallScript* script, CInstallLog* log,
                     IZdrcaInstallHost* installHost);
    ~CInstallerThread() override;

    bool Run() override;
    float GetProgress() override;
    void Abort() override;
    float GetCurrentInstructionProgress() const;
    // The overall progress with the running instruction's share filled as far as it has come: it moves
    // during a long instruction and never goes back.
    float GetDetailedProgress() const;

    bool IsAbortRequested() const { return m_abortRequested.load(); }
    // The run's outcome for the program's exit code, once Run returned (finished: its result).
    InstallOutcome::Record DescribeOutcome(bool finished) const;
    // After Run: the run was aborted or stopped with rollback on (APPLICATION_ROLLBACK, true) and every
    // change it recorded was undone.
    bool HasRolledBack() const { return m_rolledBack.load(); }

private:
    bool RunSections();
    bool IsRollbackOn() const;
    // Undoes what this run recorded in the uninstall script (its own head), writing the rows to its log.
    void RollBack();
    void AddProgress(float amount);

    std::atomic<bool> m_abortRequested{false};
    // An AbortInstallation with Exit ended the run: a successful end whose own row is no failed step.
    std::atomic<bool> m_endedByExit{false};
    std::atomic<float> m_progress{0.0f};
    CInstallScript* m_script = nullptr;
    VFoundation::VRef<CInstallLog> m_log;
    std::atomic<IInstallerInstruction*> m_currentInstruction{nullptr};
    std::atomic<float> m_currentShare{0.0f};
    IZdrcaInstallHost* m_installHost = nullptr;
    std::atomic<bool> m_rolledBack{false};
};
