#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "ExecuteFile, path": opens a document with the program the desktop associates with it, or a folder in
// the file browser (as a file URL). The whole argument text is the path.
class CExecuteFileInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CExecuteFileInstruction)
public:
    explicit CExecuteFileInstruction(const VFoundation::VString& arguments);
    ~CExecuteFileInstruction() override;

    bool Execute() override;

    // The shell's explanation of an open failure code; empty for a code it does not explain.
    static const char* ReasonForCode(int code);

private:
    VFoundation::VString m_path;
};
