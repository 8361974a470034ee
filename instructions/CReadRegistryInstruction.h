#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "ReadRegistryEntry, variable, key path, value name": copies a string value of the settings store into
// a declared script variable. A missing value, or one that holds the text NULL, leaves the variable as it
// was and fails. Needs a script; without one Execute throws.
class CReadRegistryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CReadRegistryInstruction)
public:
    explicit CReadRegistryInstruction(const VFoundation::VString& arguments);
    ~CReadRegistryInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_variableName;
    VFoundation::VString m_keyPath;
    VFoundation::VString m_valueName;
};
