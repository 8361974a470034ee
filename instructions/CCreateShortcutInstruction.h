#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "CreateShortcut, shortcut file, target, description": makes a shortcut file (used as given, in a folder
// that must exist) that starts or opens the target from the target's folder, and records it for the
// uninstaller.
class CCreateShortcutInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CCreateShortcutInstruction)
public:
    explicit CCreateShortcutInstruction(const VFoundation::VString& arguments);
    ~CCreateShortcutInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_shortcutPath;
    VFoundation::VString m_targetPath;
    VFoundation::VString m_description;
};
