#include "instructions/CDeleteDirectoryInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

using VFoundation::VFileInfo;
using VFoundation::VFileManager;
using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CDeleteDirectoryInstruction, IInstallerInstruction)

CDeleteDirectoryInstruction::CDeleteDirectoryInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 2 || !tokenizer.NextToken(m_path)) m_path.Assign(arguments);
    m_path.Trim();
    VString options;
    InstructionArguments::ExtractOptionText(arguments, options);
    m_recursive = InstructionArguments::ContainsWord(options, "recursive");
    m_force = InstructionArguments::ContainsWord(options, "force");
}

CDeleteDirectoryInstruction::~CDeleteDirectoryInstruction() = default;

bool CDeleteDirectoryInstruction::Execute() {
    VString path(m_path);
    if (!ExpandPathArgument(path, "DeleteDirectory")) return false;

    VFileManager* files = VFileManager::Instance();
    if (!files->DirectoryExistsAtPath(path.GetText())) {
        LogLine(false, "DeleteDirectory. Directory %s doesnt exist", path.GetText());
        return false;
    }
    bool removed = false;
    if (files->IsLinkAtPath(path.GetText())) {
        // A link in the folder's place goes by itself: what it points at belongs to someone else,
        // whatever the options say.
        removed = files->RemoveFileAtPath(path.GetText());
    } else {
        if (!m_recursive) {
            auto entries = files->DirectoryContentsAtPath(path.GetText(), nullptr, false, false);
            if (entries && entries->GetCount() > 0) {
                LogLine(false, "DeleteDirectory. Cannot delete %s as it is not empty and not recursive",
                        path.GetText());
                return false;
            }
        }
        if (m_force &&
            !files->ChangePermissionsAtPath(path.GetText(), InstructionArguments::kDefaultMode, m_recursive))
            return false;
        if (!m_recursive || EmptyFolder(path)) removed = files->RemoveDirectoryAtPath(path.GetText());
    }
    LogLine(removed, "DeleteDirectory. Folder=%s, Options=[Rec=%s,Force=%s]", path.GetText(),
            InstructionArguments::FlagText(m_recursive), InstructionArguments::FlagText(m_force));
    return removed;
}

bool CDeleteDirectoryInstruction::EmptyFolder(const VString& folder) const {
    VFileManager* files = VFileManager::Instance();
    if (!files->DirectoryExistsAtPath(folder.GetText())) return false;
    auto entries = files->DirectoryContentsAtPath(folder.GetText(), nullptr, true, true);
    if (!entries) return true;

    bool ok = true;
    for (VFileInfo* entry : *entries) {
        if (!ok) continue;
        const char* path = entry->GetName();
        if (entry->IsLink()) {
            // A link goes by itself: the folder or file it points at belongs to someone else.
            ok = files->RemoveFileAtPath(path);
        } else if (entry->IsDirectory()) {
            ok = EmptyFolder(entry->GetNameString()) &&
                 (!m_force ||
                  files->ChangePermissionsAtPath(path, InstructionArguments::kDefaultMode, false)) &&
                 files->RemoveDirectoryAtPath(path);
        } else {
            ok = (!m_force ||
                  files->ChangePermissionsAtPath(path, InstructionArguments::kDefaultMode, false)) &&
                 files->RemoveFileAtPath(path);
        }
    }
    return ok;
}
