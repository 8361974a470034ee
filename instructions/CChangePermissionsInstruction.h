#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

#include <cstdint>

// "ChangePermissions, path, mode[, recursive]": sets or clears the read-only mark of a file, or of a
// folder and its entries (its whole tree with recursive). Only the owner-write bit of the mode counts.
class CChangePermissionsInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CChangePermissionsInstruction)
public:
    explicit CChangePermissionsInstruction(const VFoundation::VString& arguments);
    ~CChangePermissionsInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_path;
    uint16_t m_mode;
    bool m_recursive = false;
};
