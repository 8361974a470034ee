#pragma once

#include "engine/IInstallerInstruction.h"

// "NoOp": does nothing and succeeds.
class CNoOpInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CNoOpInstruction)
public:
    CNoOpInstruction();
    ~CNoOpInstruction() override;

    bool Execute() override;
};
