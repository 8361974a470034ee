#include "instructions/CCreateShortcutInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"
#include "instructions/ProgramPlatform.h"

using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CCreateShortcutInstruction, IInstallerInstruction)

CCreateShortcutInstruction::CCreateShortcutInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 3)
        InstructionArguments::ThrowArgumentError(
            this, "There are not enough arguments for the shortcut operation to proceed");
    if (tokenizer.NextToken(m_shortcutPath)) m_shortcutPath.Trim();
    if (tokenizer.NextToken(m_targetPath)) m_targetPath.Trim();
    if (tokenizer.NextToken(m_description)) m_description.Trim();
}

CCreateShortcutInstruction::~CCreateShortcutInstruction() = default;

bool CCreateShortcutInstruction::Execute() {
    VString shortcutPath(m_shortcutPath);
    VString targetPath(m_targetPath);
    VString description(m_description);
    if (!ExpandPathArgument(shortcutPath, "CreateShortcut") ||
        !ExpandPathArgument(targetPath, "CreateShortcut"))
        return false;
    ExpandPath(description);

    ProgramPlatform::InitializeComponents();
    VString workingFolder;
    targetPath.GetParentPath(workingFolder);
    const char* src = shortcutPath.GetText();
    const char* dst = targetPath.GetText();
    switch (ProgramPlatform::CreateShortcut(src, dst, workingFolder.GetText(), description.GetText())) {
    case ProgramPlatform::ShortcutResult::Created:
        LogLine(true, "CreateShortcut. Src=%s DST=%s", src, dst);
        LogUninstallEntry(shortcutPath, UninstallFile);
        return true;
    case ProgramPlatform::ShortcutResult::LinkObjectFailed:
        LogLine(false, "CreateShortcut. Failed CoCreateInstance, Src=%s DST=%s", src, dst);
        return false;
    case ProgramPlatform::ShortcutResult::NoLinkObject:
        return false;
    case ProgramPlatform::ShortcutResult::PersistFailed:
        LogLine(false, "CreateShortcut. Failed query interface, Src=%s DST=%s", src, dst);
        return false;
    case ProgramPlatform::ShortcutResult::NoPersistFile:
        LogLine(false, "CreateShortcut. Failed query interface - null output file, Src=%s DST=%s", src, dst);
        return false;
    case ProgramPlatform::ShortcutResult::PathConversionFailed:
        LogLine(false, "CreateShortcut. Failed multi byte to wide, Src=%s DST=%s", src, dst);
        return false;
    case ProgramPlatform::ShortcutResult::SaveFailed:
        LogLine(false, "CreateShortcut. Failed to save output file, Src=%s DST=%s", src, dst);
        return false;
    }
    return false;
}
