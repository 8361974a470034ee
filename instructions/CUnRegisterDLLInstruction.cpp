#include "instructions/CUnRegisterDLLInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "instructions/ProgramPlatform.h"

using VFoundation::VFileManager;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CUnRegisterDLLInstruction, IInstallerInstruction)

CUnRegisterDLLInstruction::CUnRegisterDLLInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_path(arguments) {
    m_path.Trim();
}

CUnRegisterDLLInstruction::~CUnRegisterDLLInstruction() = default;

bool CUnRegisterDLLInstruction::Execute() {
    VString path(m_path);
    ExpandPath(path);
    if (!VFileManager::Instance()->FileExistsAtPath(path.GetText())) {
        LogLine(false, "CUnRegisterDLLInstruction. Dll at path = %s doesnt exist", path.GetText());
        return false;
    }
    ProgramPlatform::InitializeOle();
    int32_t result = -1;
    switch (ProgramPlatform::CallLibraryEntryPoint(path.GetText(), "DllUnregisterServer", result)) {
    case ProgramPlatform::LibraryCallResult::NoLibrary:
        LogLine(false, "CUnRegisterDLLInstruction. Failed to aquire library handle");
        return false;
    case ProgramPlatform::LibraryCallResult::NoEntryPoint:
        LogLine(false, "CUnRegisterDLLInstruction. Failed to aquire DllRegisterServer handle");
        return false;
    case ProgramPlatform::LibraryCallResult::Called:
        break;
    }
    const bool unregistered = result == 0;
    if (unregistered)
        LogLine(true, "CUnRegisterDLLInstruction. Registered DLL");
    else
        LogLine(false, "CUnRegisterDLLInstruction. Failed to Registered DLL");
    return unregistered;
}
