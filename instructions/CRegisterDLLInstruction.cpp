#include "instructions/CRegisterDLLInstruction.h"

#include "foundation/VClass.h"
#include "instructions/LibraryRegistration.h"

using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CRegisterDLLInstruction, IInstallerInstruction)

CRegisterDLLInstruction::CRegisterDLLInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_path(arguments) {
    m_path.Trim();
}

CRegisterDLLInstruction::~CRegisterDLLInstruction() = default;

bool CRegisterDLLInstruction::Execute() {
    VString path(m_path);
    if (!ExpandPathArgument(path, "CRegisterDLLInstruction")) return false;
    const LibraryRegistration::Outcome outcome = LibraryRegistration::Call(path, "DllRegisterServer", false);
    const bool succeeded = outcome == LibraryRegistration::Outcome::Succeeded;
    LogLine(succeeded, LibraryRegistration::RowFormat(outcome), GetClassName(), path.GetText());
    if (succeeded) LogUninstallEntry(path, UninstallRegisterDLL);
    return succeeded;
}
