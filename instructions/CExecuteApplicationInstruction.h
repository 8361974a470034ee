#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VString.h"

#include <string>
#include <vector>

// "ExecuteApplication, program[, argument, ...]": starts a program and returns at once; nothing watches
// it afterwards. Each script argument becomes one argument of the program after its variables are
// expanded and its separators made native. An argument text without a comma is the program path as it
// stands, blanks included.
class CExecuteApplicationInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CExecuteApplicationInstruction)
public:
    explicit CExecuteApplicationInstruction(const VFoundation::VString& arguments,
                                            VFoundation::VClass* record = nullptr);
    ~CExecuteApplicationInstruction() override;

    bool Execute() override;

protected:
    // Starts the program with its expanded arguments; true when it started (and, for a waiting form,
    // when the wait succeeded).
    virtual bool Launch(const VFoundation::VString& program, const std::vector<std::string>& arguments);

private:
    VFoundation::VString m_program;
    VFoundation::VObjectArrayTmpl<VFoundation::VString> m_arguments;
};
