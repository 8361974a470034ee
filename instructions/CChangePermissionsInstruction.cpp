#include "instructions/CChangePermissionsInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

using VFoundation::VFileManager;
using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CChangePermissionsInstruction, IInstallerInstruction)

CChangePermissionsInstruction::CChangePermissionsInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_mode(InstructionArguments::kDefaultMode) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 2)
        InstructionArguments::ThrowArgumentError(
            this, "There are not enough arguments for the permissions operation to proceed");
    VString mode;
    if (!tokenizer.NextToken(m_path) || !tokenizer.NextToken(mode))
        InstructionArguments::ThrowArgumentError(
            this, "Failed to extract the source and destination objects for a copy instruction");
    m_path.Trim();
    m_mode = InstructionArguments::ParseModeText(mode.Trim());
    VString option;
    if (tokenizer.NextToken(option)) m_recursive = option.Trim().IsEqual("recursive");
}

CChangePermissionsInstruction::~CChangePermissionsInstruction() = default;

bool CChangePermissionsInstruction::Execute() {
    VString path(m_path);
    if (!ExpandPathArgument(path, "ChangePermissions")) return false;

    VFileManager* files = VFileManager::Instance();
    if (!files->FileExistsAtPath(path.GetText())) {
        LogLine(false, "ChangePermissions. Source file %s doesnt exist", path.GetText());
        return false;
    }
    const bool changed = files->ChangePermissionsAtPath(path.GetText(), m_mode, m_recursive);
    LogLine(changed, "ChangePermissions. Permission change Dst=%s to %hi", path.GetText(),
            static_cast<short>(m_mode));
    return changed;
}
