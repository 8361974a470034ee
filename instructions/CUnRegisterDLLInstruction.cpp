#include "instructions/CUnRegisterDLLInstruction.h"

#include "foundation/VClass.h"
#include "instructions/LibraryRegistration.h"

using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CUnRegisterDLLInstruction, IInstallerInstruction)

CUnRegisterDLLInstruction::CUnRegisterDLLInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_path(arguments) {
    m_path.Trim();
}

CUnRegisterDLLInstruction::~CUnRegisterDLLInstruction() = default;

bool CUnRegisterDLLInstruction::Execute() {
    VString path(m_path);
    if (!ExpandPathArgument(path, "CUnRegisterDLLInstruction")) return false;
    const LibraryRegistration::Outcome outcome = LibraryRegistration::Call(path, "DllUnregisterServer", true);
    const bool succeeded = outcome == LibraryRegistration::Outcome::Succeeded;
    LogLine(succeeded, LibraryRegistration::RowFormat(outcome), GetClassName(), path.GetText());
    return succeeded;
}
