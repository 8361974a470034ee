#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "DeleteFile, path[, force]": removes one file. The word force anywhere in the argument text clears the
// file's read-only mark first; without it a read-only file stays and the instruction fails.
class CDeleteFileInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CDeleteFileInstruction)
public:
    explicit CDeleteFileInstruction(const VFoundation::VString& arguments);
    ~CDeleteFileInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_path;
    bool m_force = false;
};
