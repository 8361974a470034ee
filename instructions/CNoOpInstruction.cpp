#include "instructions/CNoOpInstruction.h"

#include "foundation/VClass.h"

V_IMPLEMENT_CLASS(CNoOpInstruction, IInstallerInstruction)

CNoOpInstruction::CNoOpInstruction() : IInstallerInstruction(GetClassRecord()) {}

CNoOpInstruction::~CNoOpInstruction() = default;

bool CNoOpInstruction::Execute() {
    return true;
}
