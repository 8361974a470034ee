#pragma once

#include "engine/IInstallerInstruction.h"

// "RebootRequired": tells the main window, when there is one, that the computer must restart once the
// installation ends. Always succeeds; any argument text is ignored.
class CRebootInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CRebootInstruction)
public:
    CRebootInstruction();
    ~CRebootInstruction() override;

    bool Execute() override;
};
