#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "SetMessage": puts the text, exactly as written, in the main window's status line when one exists.
class CSetMessageInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CSetMessageInstruction)
public:
    CSetMessageInstruction();
    explicit CSetMessageInstruction(const VFoundation::VString& arguments);
    ~CSetMessageInstruction() override;

    bool Execute() override;
    const VFoundation::VString& GetText() const { return m_text; }

private:
    VFoundation::VString m_text;
};
