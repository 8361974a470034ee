#pragma once

#include "engine/IInstallerInstruction.h"

// "ExitSection": the runner leaves the rest of the current section after running it.
class CExitSectionInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CExitSectionInstruction)
public:
    CExitSectionInstruction();
    ~CExitSectionInstruction() override;

    bool Execute() override;
};
