#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "DeleteRegistryEntry, key path, subkey": deletes a subkey (with its values) of the settings store. The
// log row tells whether it went; the instruction always succeeds. Needs a script; without one Execute
// throws.
class CDeleteRegistryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CDeleteRegistryInstruction)
public:
    explicit CDeleteRegistryInstruction(const VFoundation::VString& arguments);
    ~CDeleteRegistryInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_keyPath;
    VFoundation::VString m_subkeyName;
};
