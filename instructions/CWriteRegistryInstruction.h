#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "WriteRegistryEntry, value text, key path, value name": stores a string value in the settings store
// (making the missing keys) and records it for the uninstaller. The write's outcome is not observed, so
// the instruction always succeeds. Needs a script; without one Execute throws.
class CWriteRegistryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CWriteRegistryInstruction)
public:
    explicit CWriteRegistryInstruction(const VFoundation::VString& arguments);
    ~CWriteRegistryInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_valueText;
    VFoundation::VString m_keyPath;
    VFoundation::VString m_valueName;
};
