#include "instructions/CExecuteApplicationSyncInstruction.h"

#include "foundation/VClass.h"
#include "instructions/ProgramPlatform.h"

using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CExecuteApplicationSyncInstruction, CExecuteApplicationInstruction)

CExecuteApplicationSyncInstruction::CExecuteApplicationSyncInstruction(const VString& arguments)
    : CExecuteApplicationInstruction(arguments, GetClassRecord()) {}

CExecuteApplicationSyncInstruction::~CExecuteApplicationSyncInstruction() = default;

bool CExecuteApplicationSyncInstruction::Launch(const VString& program,
                                                const std::vector<std::string>& arguments) {
    return ProgramPlatform::StartProgram(program.GetText(), arguments, true);
}
