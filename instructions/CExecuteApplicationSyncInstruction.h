#pragma once

#include "instructions/CExecuteApplicationInstruction.h"

// "ExecuteApplicationSync, program[, argument, ...]": as ExecuteApplication, but waits without a time
// limit until the program ends (its exit code is not looked at). Abort does not end the wait.
class CExecuteApplicationSyncInstruction : public CExecuteApplicationInstruction {
    V_DECLARE_CLASS(CExecuteApplicationSyncInstruction)
public:
    explicit CExecuteApplicationSyncInstruction(const VFoundation::VString& arguments);
    ~CExecuteApplicationSyncInstruction() override;

protected:
    bool Launch(const VFoundation::VString& program, const std::vector<std::string>& arguments) override;
};
