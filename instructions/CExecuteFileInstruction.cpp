#include "instructions/CExecuteFileInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"
#include "instructions/ProgramPlatform.h"

#include <string>

using VFoundation::VFileManager;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CExecuteFileInstruction, IInstallerInstruction)

CExecuteFileInstruction::CExecuteFileInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_path(arguments) {
    m_path.Trim();
}

CExecuteFileInstruction::~CExecuteFileInstruction() = default;

const char* CExecuteFileInstruction::ReasonForCode(int code) {
    switch (code) {
    case 2:
        return "The specified file was not found.";
    case 3:
        return "The specified path was not found.";
    case 5:
        return "The operating system denied access to the specified file.";
    case 8:
        return "There was not enough memory to complete the operation.";
    case 26:
        return "A sharing violation occurred.";
    case 27:
        return "The file name association is incomplete or invalid.";
    case 28:
        return "The DDE transaction could not be completed because the request timed out.";
    case 29:
        return "The DDE transaction failed.";
    case 30:
        return "The DDE transaction could not be completed because other DDE transactions were being "
               "processed.";
    case 31:
        return "There is no application associated with the given file name extension.";
    default:
        return "";
    }
}

bool CExecuteFileInstruction::Execute() {
    VString path(m_path);
    if (!ExpandPathArgument(path, "ExecuteFile")) return false;

    bool isFolder = false;
    if (!VFileManager::Instance()->FileExistsAtPath(path.GetText(), &isFolder)) {
        LogLine(false, "ExecuteFile. Source file %s doesnt exist", path.GetText());
        return false;
    }
    const std::string target =
        isFolder ? ProgramPlatform::FolderURL(path.GetText()) : std::string(path.GetText());
    const int code = ProgramPlatform::OpenWithDesktop(target.c_str());
    const bool opened = code > 31;
    if (!opened)
        VFoundation::LogPrintf("Error opening URL: \"%s\". Reason: %s \n", target.c_str(),
                               ReasonForCode(code));
    LogLine(opened, "ExecuteFile. Src=%s", path.GetText());
    return opened;
}
