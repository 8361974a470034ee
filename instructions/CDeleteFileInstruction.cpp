#include "instructions/CDeleteFileInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

using VFoundation::VFileManager;
using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CDeleteFileInstruction, IInstallerInstruction)

CDeleteFileInstruction::CDeleteFileInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 2 || !tokenizer.NextToken(m_path)) m_path.Assign(arguments);
    m_path.Trim();
    m_force = InstructionArguments::ContainsWord(arguments, "force");
}

CDeleteFileInstruction::~CDeleteFileInstruction() = default;

bool CDeleteFileInstruction::Execute() {
    VString path(m_path);
    if (!ExpandPathArgument(path, "DeleteFile")) return false;

    VFileManager* files = VFileManager::Instance();
    if (!files->FileExistsAtPath(path.GetText())) {
        LogLine(false, "DeleteFile. File %s doesnt exist", path.GetText());
        return false;
    }
    if (m_force && !files->ChangePermissionsAtPath(path.GetText(), InstructionArguments::kDefaultMode, false))
        return false;
    const bool removed = files->RemoveFileAtPath(path.GetText());
    LogLine(removed, "DeleteFile. File=%s", path.GetText());
    return removed;
}
