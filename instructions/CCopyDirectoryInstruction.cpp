#include "instructions/CCopyDirectoryInstruction.h"

#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/InstructionArguments.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

using VFoundation::VFileInfo;
using VFoundation::VFileManager;
using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CCopyDirectoryInstruction, IInstallerInstruction)

namespace {

std::string CanonicalFolder(const char* path) {
    std::error_code error;
    std::string folder = std::filesystem::weakly_canonical(path, error).lexically_normal().string();
    if (error) folder = path;
    const char separator = VString::NativeSeparator();
    while (folder.size() > 1 && folder.back() == separator)
        folder.pop_back();
    return folder;
}

// True when inner lies below (not at) outer; both canonical.
bool IsBelow(const std::string& inner, const std::string& outer) {
    if (outer.empty() || inner.size() <= outer.size() || inner.compare(0, outer.size(), outer) != 0)
        return false;
    const char separator = VString::NativeSeparator();
    return outer.back() == separator || inner[outer.size()] == separator;
}

} // namespace

CCopyDirectoryInstruction::CCopyDirectoryInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    const uint32_t count = tokenizer.CountTokens();
    if (count < 2)
        InstructionArguments::ThrowArgumentError(this,
                                                 "CopyDirectory must have at least a source and destination");
    if (!tokenizer.NextToken(m_source) || !tokenizer.NextToken(m_destination))
        InstructionArguments::ThrowArgumentError(this, "Failed to get either source or destination tokens");
    m_source.Trim();
    m_destination.Trim();
    if (count > 2) {
        VString options;
        InstructionArguments::ExtractOptionText(arguments, options);
        m_recursive = InstructionArguments::ContainsWord(options, "recursive");
    }
}

CCopyDirectoryInstruction::~CCopyDirectoryInstruction() = default;

bool CCopyDirectoryInstruction::Execute() {
    VString source(m_source);
    VString destination(m_destination);
    if (!ExpandPathArgument(source, "CopyDirectory") || !ExpandPathArgument(destination, "CopyDirectory"))
        return false;

    if (!VFileManager::Instance()->DirectoryExistsAtPath(source.GetText())) {
        LogLine(false, "CopyDirectory. Source dir %s doesnt exist", source.GetText());
        return false;
    }
    SetProgress(0.0f);
    const uint32_t count = CountFiles(source);
    if (count == 0) {
        LogLine(false, "CopyDirectory, 0 copy paths");
        return false;
    }
    m_fileStep = 1.0f / static_cast<float>(count);

    // A recursive copy into its own tree would find its own output again and never end.
    const std::string sourceFolder = CanonicalFolder(source.GetText());
    const std::string destinationFolder = CanonicalFolder(destination.GetText());
    if (source.IsEqual(destination) || sourceFolder == destinationFolder ||
        (m_recursive && IsBelow(destinationFolder, sourceFolder))) {
        LogLine(false, "CopyDirectory, Src=%s Dst=%s", source.GetText(), destination.GetText());
        return false;
    }
    return CopyTree(source, destination);
}

bool CCopyDirectoryInstruction::LeadsBack(const VString& folder, const VFileInfo& entry,
                                          const VString& child) const {
    return entry.IsLink() && VFileManager::Instance()->IsInsideFolder(folder.GetText(), child.GetText());
}

uint32_t CCopyDirectoryInstruction::CountFiles(const VString& folder) const {
    auto entries = VFileManager::Instance()->DirectoryContentsAtPath(folder.GetText(), nullptr, true, true);
    if (!entries) return 0;
    uint32_t count = 0;
    for (VFileInfo* entry : *entries) {
        if (!entry->IsDirectory())
            ++count;
        else if (m_recursive && !LeadsBack(folder, *entry, entry->GetNameString()))
            count += CountFiles(entry->GetNameString());
    }
    return count;
}

bool CCopyDirectoryInstruction::CopyTree(const VString& source, const VString& destination) {
    VFileManager* files = VFileManager::Instance();
    if (source.IsEqual(destination) || !files->DirectoryExistsAtPath(source.GetText())) return false;
    // A link where a folder is to be filled may lead anywhere: the copy stops there.
    if (files->IsLinkAtPath(destination.GetText())) {
        LogLine(false, "CopyDirectory, Src=%s Dst=%s", source.GetText(), destination.GetText());
        return false;
    }
    if (!files->DirectoryExistsAtPath(destination.GetText())) {
        // Its missing parents are made too, and are the installation's as much as the folder itself.
        const std::vector<std::string> missing = CInstallLog::MissingFolders(destination);
        if (!files->CreateFoldersAtPath(destination.GetText(), InstructionArguments::kDefaultMode))
            return false;
        if (GetLog()) GetLog()->AddCreatedFolders(missing, destination);
    }
    files->RemoveStaleTemporaryFiles(destination.GetText());
    auto entries = files->DirectoryContentsAtPath(source.GetText(), nullptr, true, false);
    if (!entries) return false;

    for (VFileInfo* entry : *entries) {
        VString childSource(source);
        VString childDestination(destination);
        childSource.AppendPathComponent(entry->GetName());
        childDestination.AppendPathComponent(entry->GetName());
        if (entry->IsDirectory()) {
            if (LeadsBack(source, *entry, childSource)) continue;
            if (files->IsLinkAtPath(childDestination.GetText())) {
                LogLine(false, "CopyDirectory, Src=%s Dst=%s", childSource.GetText(),
                        childDestination.GetText());
                return false;
            }
            if (!files->DirectoryExistsAtPath(childDestination.GetText())) {
                if (!files->CreateFoldersAtPath(childDestination.GetText(),
                                                InstructionArguments::kDefaultMode))
                    return false;
                LogUninstallEntry(childDestination, UninstallFolder);
            }
            // A file that fails deeper down fails the whole copy, as one at the top does.
            if (m_recursive && !CopyTree(childSource, childDestination)) return false;
        } else {
            const bool fileCopied = files->CopyFileAtPath(childSource.GetText(), childDestination.GetText());
            LogLine(fileCopied, "CopyDirectory, Src=%s Dst=%s", childSource.GetText(),
                    childDestination.GetText());
            if (!fileCopied) return false;
            LogUninstallEntry(childDestination, UninstallFile);
            AddProgress(m_fileStep);
        }
    }
    return true;
}
