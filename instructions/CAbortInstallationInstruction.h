#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "AbortInstallation": ends the whole run; the run counts as successful only with the argument "Exit".
class CAbortInstallationInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CAbortInstallationInstruction)
public:
    CAbortInstallationInstruction();
    explicit CAbortInstallationInstruction(const VFoundation::VString& arguments);
    ~CAbortInstallationInstruction() override;

    bool Execute() override;
    bool IsExit() const { return m_exit; }

private:
    bool m_exit = false;
};
