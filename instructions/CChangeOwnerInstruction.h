#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "ChangeOwner, path, owner[, recursive]": makes the named user the owner of a file or folder (and of the
// folder's tree with recursive).
class CChangeOwnerInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CChangeOwnerInstruction)
public:
    explicit CChangeOwnerInstruction(const VFoundation::VString& arguments);
    ~CChangeOwnerInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_path;
    VFoundation::VString m_owner;
    bool m_recursive = false;
};
