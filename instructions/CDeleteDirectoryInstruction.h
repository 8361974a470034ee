#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "DeleteDirectory, path[, [recursive force]]": removes a folder. Without recursive only an empty folder
// goes; with it the tree is emptied first, and the first entry that cannot be removed leaves it and
// everything after it in place. force clears read-only marks on the way.
class CDeleteDirectoryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CDeleteDirectoryInstruction)
public:
    explicit CDeleteDirectoryInstruction(const VFoundation::VString& arguments);
    ~CDeleteDirectoryInstruction() override;

    bool Execute() override;

private:
    bool EmptyFolder(const VFoundation::VString& folder) const;

    VFoundation::VString m_path;
    bool m_force = false;
    bool m_recursive = false;
};
