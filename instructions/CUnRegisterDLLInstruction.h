#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "UnRegisterDLL, path": loads a component library and calls its DllUnregisterServer; only a result of 0
// counts as success. Nothing is recorded for the uninstaller.
class CUnRegisterDLLInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CUnRegisterDLLInstruction)
public:
    explicit CUnRegisterDLLInstruction(const VFoundation::VString& arguments);
    ~CUnRegisterDLLInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_path;
};
