#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

// "NotifyUser": shows the text (variables expanded, paths native) in an alert box and waits for it to be
// closed. The thread that runs it is blocked meanwhile.
class CNotifyUserInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CNotifyUserInstruction)
public:
    CNotifyUserInstruction();
    explicit CNotifyUserInstruction(const VFoundation::VString& arguments);
    ~CNotifyUserInstruction() override;

    bool Execute() override;
    const VFoundation::VString& GetText() const { return m_text; }

private:
    VFoundation::VString m_text;
};
