#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "CreateDirectory, path": makes the folder and its missing parents. The whole argument text is the
// path. Nothing is recorded for the uninstaller.
class CCreateDirectoryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CCreateDirectoryInstruction)
public:
    explicit CCreateDirectoryInstruction(const VFoundation::VString& arguments);
    ~CCreateDirectoryInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_path;
};
