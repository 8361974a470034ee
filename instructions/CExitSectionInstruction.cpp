#include "instructions/CExitSectionInstruction.h"

#include "foundation/VClass.h"

V_IMPLEMENT_CLASS(CExitSectionInstruction, IInstallerInstruction)

CExitSectionInstruction::CExitSectionInstruction() : IInstallerInstruction(GetClassRecord()) {}

CExitSectionInstruction::~CExitSectionInstruction() = default;

bool CExitSectionInstruction::Execute() {
    LogLine(true, "Section exited");
    return true;
}
