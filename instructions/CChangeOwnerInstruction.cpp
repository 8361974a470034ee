#include "instructions/CChangeOwnerInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

using VFoundation::VFileManager;
using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CChangeOwnerInstruction, IInstallerInstruction)

CChangeOwnerInstruction::CChangeOwnerInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 2)
        InstructionArguments::ThrowArgumentError(
            this, "There are not enough arguments for the permissions operation to proceed");
    if (!tokenizer.NextToken(m_path) || !tokenizer.NextToken(m_owner))
        InstructionArguments::ThrowArgumentError(
            this, "Failed to extract the source and owner objects for a change owner instruction");
    m_path.Trim();
    m_owner.Trim();
    VString option;
    if (tokenizer.NextToken(option)) m_recursive = option.Trim().IsEqual("recursive");
}

CChangeOwnerInstruction::~CChangeOwnerInstruction() = default;

bool CChangeOwnerInstruction::Execute() {
    VString path(m_path);
    VString owner(m_owner);
    if (!ExpandPathArgument(path, "ChangeOwner")) return false;
    ExpandText(owner);

    VFileManager* files = VFileManager::Instance();
    if (!files->FileExistsAtPath(path.GetText())) {
        LogLine(false, "ChangeOwner. Source file %s doesnt exist", path.GetText());
        return false;
    }
    const bool changed = files->ChangeOwnerAtPath(path.GetText(), owner.GetText(), m_recursive);
    LogLine(changed, "ChangeOwner. Owner changed to %s on path %s", owner.GetText(), path.GetText());
    return changed;
}
