#include "instructions/CCreateDirectoryInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "instructions/InstructionArguments.h"

#include <string>
#include <vector>

using VFoundation::VFileManager;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CCreateDirectoryInstruction, IInstallerInstruction)

CCreateDirectoryInstruction::CCreateDirectoryInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_path(arguments) {
    m_path.Trim();
}

CCreateDirectoryInstruction::~CCreateDirectoryInstruction() = default;

bool CCreateDirectoryInstruction::Execute() {
    VString path(m_path);
    if (!ExpandPathArgument(path, "CreateDirectory")) return false;
    const std::vector<std::string> missing = CInstallLog::MissingFolders(path);
    const bool created =
        VFileManager::Instance()->CreateFoldersAtPath(path.GetText(), InstructionArguments::kDefaultMode);
    LogLine(created, "CreateDirectory. DST=%s", path.GetText());
    // The folders it made are the installation's, for the uninstaller to remove when they are empty.
    if (GetLog()) GetLog()->AddCreatedFolders(missing, path);
    return created;
}
