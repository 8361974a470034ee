#include "instructions/CRebootInstruction.h"

#include "engine/CSetMessageHandler.h"
#include "foundation/VClass.h"

V_IMPLEMENT_CLASS(CRebootInstruction, IInstallerInstruction)

CRebootInstruction::CRebootInstruction() : IInstallerInstruction(GetClassRecord()) {}

CRebootInstruction::~CRebootInstruction() = default;

bool CRebootInstruction::Execute() {
    if (CSetMessageHandler* handler = CSetMessageHandler::GetRebootHandler()) handler->RebootRequired();
    return true;
}
