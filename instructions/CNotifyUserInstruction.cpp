#include "instructions/CNotifyUserInstruction.h"

#include "application/VApplication.h"
#include "foundation/VClass.h"

using namespace VFoundation;

V_IMPLEMENT_CLASS(CNotifyUserInstruction, IInstallerInstruction)

CNotifyUserInstruction::CNotifyUserInstruction() : IInstallerInstruction(GetClassRecord()) {}

CNotifyUserInstruction::CNotifyUserInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_text(arguments) {
    m_text.Trim();
}

CNotifyUserInstruction::~CNotifyUserInstruction() = default;

bool CNotifyUserInstruction::Execute() {
    VString text(m_text);
    ExpandPath(text);
    // The text is data: a '%' in it is shown as it stands.
    VApplication::AlertText(text.GetText());
    return true;
}
