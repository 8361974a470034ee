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
    ~CUnattendedInstallation() override;

    // Call on the user-interface thread. Returns 0 when the installation succeeded, 1 when it failed or
    // was aborted. VException from the log setup passes to the caller.
    int Run();
    // The install location page's answer (--location): the page's variable takes the folder, made when it
    // is missing, as the page does on Next. Nothing for an empty folder or a script without the page.
    void ChooseLocation(const std::string& folder);

    void JobAdded(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobStarted(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobSucceeded(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void JobFailed(VFoundation::VJobServer* server, VFoundation::VJob* job) override;
    void SetMessage(const VFoundation::VString& text) override;
    void RebootRequired() override;

    bool IsRebootNeeded() const { return m_rebootNeeded.load(); }

private:
    void Finish(int code);

    CInstallScript& m_script;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_rebootNeeded{false};
    std::unique_ptr<CUnattendedKitPieceHost> m_kitPieces;
};
