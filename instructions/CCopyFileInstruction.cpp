#include "instructions/CCopyFileInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

using VFoundation::VFileManager;
using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CCopyFileInstruction, IInstallerInstruction)

CCopyFileInstruction::CCopyFileInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()), m_mode(InstructionArguments::kDefaultMode) {
    VStringTokenizer tokenizer(arguments, ',');
    const uint32_t count = tokenizer.CountTokens();
    if (count < 2)
        InstructionArguments::ThrowArgumentError(
            this, "There are not enough arguments for the copy operation to proceed");
    if (!tokenizer.NextToken(m_source) || !tokenizer.NextToken(m_destination))
        InstructionArguments::ThrowArgumentError(
            this, "Failed to extract the source and destination objects for a copy instruction");
    m_source.Trim();
    m_destination.Trim();
    VString mode;
    if (count == 3 && tokenizer.NextToken(mode)) m_mode = InstructionArguments::ParseModeText(mode.Trim());
}

CCopyFileInstruction::~CCopyFileInstruction() = default;

bool CCopyFileInstruction::Execute() {
    VString source(m_source);
    VString destination(m_destination);
    if (!ExpandPathArgument(source, "CopyFile") || !ExpandPathArgument(destination, "CopyFile")) return false;

    VFileManager* files = VFileManager::Instance();
    if (!files->FileExistsAtPath(source.GetText())) {
        LogLine(false, "CopyFile. Source file %s doesnt exist", source.GetText());
        return false;
    }
    VString folder;
    destination.GetParentPath(folder);
    files->RemoveStaleTemporaryFiles(folder.IsEmpty() ? "." : folder.GetText());
    const bool copied = files->CopyFileAtPath(source.GetText(), destination.GetText());
    LogLine(copied, "CopyFile. Src=%s, Dst=%s", source.GetText(), destination.GetText());
    if (!copied) return false;
    LogUninstallEntry(destination, UninstallFile);

    const bool changed = files->ChangePermissionsAtPath(destination.GetText(), m_mode, false);
    LogLine(changed, "CopyFile. Permission change Dst=%s to %hi", destination.GetText(),
            static_cast<short>(m_mode));
    return changed;
}
