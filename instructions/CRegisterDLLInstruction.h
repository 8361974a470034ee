#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "RegisterDLL, path": loads a component library and calls its DllRegisterServer; only a result of 0
// counts as registered, and only then is the library recorded for the uninstaller.
class CRegisterDLLInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CRegisterDLLInstruction)
public:
    explicit CRegisterDLLInstruction(const VFoundation::VString& arguments);
    ~CRegisterDLLInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_path;
};
