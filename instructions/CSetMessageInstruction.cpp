#include "instructions/CSetMessageInstruction.h"

#include "engine/CSetMessageHandler.h"
#include "foundation/VClass.h"

using namespace VFoundation;

V_IMPLEMENT_CLASS(CSetMessageInstruction, IInstallerInstruction)

CSetMessageInstruction::CSetMessageInstruction() : IInstallerInstruction(GetClassRecord()) {}

CSetMessageInstruction::CSetMessageInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_text(arguments) {
    m_text.Trim();
}

CSetMessageInstruction::~CSetMessageInstruction() = default;

bool CSetMessageInstruction::Execute() {
    if (CSetMessageHandler* handler = CSetMessageHandler::GetMessageHandler()) handler->SetMessage(m_text);
    return true;
}
