#include "instructions/CRegisterDLLInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "instructions/ProgramPlatform.h"

using VFoundation::VFileManager;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CRegisterDLLInstruction, IInstallerInstruction)

CRegisterDLLInstruction::CRegisterDLLInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_path(arguments) {
    m_path.Trim();
}

CRegisterDLLInstruction::~CRegisterDLLInstruction() = default;

bool CRegisterDLLInstruction::Execute() {
    VString path(m_path);
    ExpandPath(path);
    if (!VFileManager::Instance()->FileExistsAtPath(path.GetText())) {
        LogLine(false, "CRegisterDLLInstruction. Dll at path = %s doesnt exist", path.GetText());
        return false;
    }
    int32_t result = -1;
    switch (ProgramPlatform::CallLibraryEntryPoint(path.GetText(), "DllRegisterServer", result)) {
    case ProgramPlatform::LibraryCallResult::NoLibrary:
        LogLine(false, "CRegisterDLLInstruction. Failed to aquire library handle");
        return false;
    case ProgramPlatform::LibraryCallResult::NoEntryPoint:
        LogLine(false, "CRegisterDLLInstruction. Failed to aquire DllRegisterServer handle");
        return false;
    case ProgramPlatform::LibraryCallResult::Called:
        break;
    }
    if (result != 0) {
        LogLine(false, "CRegisterDLLInstruction. Failed to Registered DLL");
        return false;
    }
    LogLine(true, "CRegisterDLLInstruction. Registered DLL");
    LogUninstallEntry(path, UninstallRegisterDLL);
    return true;
}
