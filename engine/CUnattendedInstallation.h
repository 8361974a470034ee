#pragma once

#include "engine/CSetMessageHandler.h"
#include "foundation/IVJobDelegate.h"

#include <atomic>
#include <memory>
#include <string>

class CInstallScript;
class CUnattendedKitPieceHost;

// Runs a parsed script's installation without a window: the log setup and the installer thread of the
// main window's install step, on a job server of its own, while the caller's thread runs the message
// loop (so that dialogs asked for by instructions on the installer thread can be answered there). While
// it runs it receives the instructions' status texts (dropped: there is no status line) and restart
// notice.
class CUnattendedInstallation : public VFoundation::IVJobDelegate, public CSetMessageHandler {
public:
    explicit CUnattendedInstallation(CInstallScript& script);
    // For RunJob alone.
    CUnattendedInstallation();
    ~CUnattendedInstallation() override;

    // Call on the user-interface thread. Returns the exit code of InstallOutcome (0 succeeded, 1 aborted
    // or stopped, 3 failed steps) and leaves the summary line on standard error. VException from the log
    // setup passes to the caller.
    int Run();
    // The install location page's answer (--location): the page's variable takes the folder, made when it
    // is missing, as the page does on Next. Nothing for an empty folder or a script without the page.
    void ChooseLocation(const std::string& folder);
    // Runs job (made with this object as its delegate) on a job server of its own the same way: 0 when it
    // succeeded, 1 when it failed or was aborted.
    int RunJob(VFoundation::VJob* job);

    void JobAdded(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobStarted(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobSucceeded(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobFailed(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void SetMessage(const VFoundation::VString& text) override;
    void RebootRequired() override;

    bool IsRebootNeeded() const { return m_rebootNeeded.load(); }

private:
    void Finish(int code);
    void JobEnded(VFoundation::VJob* job, bool succeeded);

    CInstallScript* m_script = nullptr;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_rebootNeeded{false};
    std::unique_ptr<CUnattendedKitPieceHost> m_kitPieces;
};
