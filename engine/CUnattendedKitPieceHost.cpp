#include "engine/CUnattendedKitPieceHost.h"

#include "application/VRegistry.h"
#include "engine/CInstallScript.h"
#include "engine/CInstallerPage.h"
#include "foundation/VFileInfo.h"
#include "foundation/VFileManager.h"
#include "foundation/VStringTokenizer.h"

#include <cstring>

using VFoundation::VFileManager;
using VFoundation::VString;

namespace {

constexpr const char* kPageKind = "ZDRKitPieceView";
constexpr const char* kDataKeyPath = "Software\\Kestrawin\\ZDR";

bool StartsWithBytes(const VString& text, const VString& prefix) {
    return text.GetLength() >= prefix.GetLength() &&
           std::memcmp(text.GetText(), prefix.GetText(), prefix.GetLength()) == 0;
}

// The folders of a listing, without "." and "..".
std::vector<VString> Subfolders(const VString& folder) {
    std::vector<VString> folders;
    auto entries = VFileManager::Instance()->DirectoryContentsAtPath(folder.GetText(), nullptr, true, true);
    if (!entries) return folders;
    for (VFoundation::VFileInfo* entry : *entries) {
        if (!entry->IsDirectory()) continue;
        VString name;
        entry->GetNameString().GetLastPathComponent(name);
        if (name.IsEqual(".") || name.IsEqual("..")) continue;
        folders.push_back(entry->GetNameString());
    }
    return folders;
}

} // namespace

std::unique_ptr<CUnattendedKitPieceHost> CUnattendedKitPieceHost::ForScript(const CInstallScript& script) {
    for (const CInstallerPage* page : script.GetPages()) {
        if (!page->GetViewType().IsEqual(kPageKind)) continue;
        std::unique_ptr<CUnattendedKitPieceHost> host(new CUnattendedKitPieceHost());
        host->ReadOptions(page->GetArgument(), script);
        return host;
    }
    return nullptr;
}

// The page's options: the path variable, the size factor, the library folder, the title and the install
// sizes "[{files:name:description}, ...]", of which the first is the default.
void CUnattendedKitPieceHost::ReadOptions(const VString& options, const CInstallScript& script) {
    VFoundation::VStringTokenizer tokenizer(options, ',');
    VString piece;
    VString libraryFolder;
    for (int index = 0; index < 3 && tokenizer.NextToken(piece); ++index) {
        if (index != 2) continue;
        piece.Trim();
        libraryFolder = piece;
        script.ExpandVariables(libraryFolder);
        VFileManager::MakeNativePath(libraryFolder);
    }
    if (options.Find('[') >= 0) {
        VString list;
        options.ExtractDelimited('[', ']', list);
        VFoundation::VStringTokenizer entries(list, ',');
        VString entry;
        while (entries.NextToken(entry)) {
            VString body;
            entry.Trim();
            entry.ExtractDelimited('{', '}', body);
            VFoundation::VStringTokenizer parts(body, ':');
            VString part;
            std::vector<VString> fields;
            while (parts.NextToken(part)) {
                part.Trim();
                fields.push_back(part);
            }
            if (fields.size() != 3) continue;
            m_filesPerFolder = static_cast<int32_t>(fields[0].ToInteger());
            break;
        }
    }
    if (!libraryFolder.IsEmpty()) SelectPieces(libraryFolder);
}

void CUnattendedKitPieceHost::SelectPieces(const VString& libraryFolder) {
    VString dataPath;
    VApplication::VRegistry(kDataKeyPath).GetString("DataPath", "NULL", dataPath);
    for (const VString& category : Subfolders(libraryFolder)) {
        VString categoryName;
        category.GetLastPathComponent(categoryName);
        for (const VString& piece : Subfolders(category)) {
            if (!dataPath.IsEqual("NULL")) {
                VString pieceName;
                piece.GetLastPathComponent(pieceName);
                VString installed(dataPath);
                installed.AppendPathComponent("Data");
                installed.AppendPathComponent(categoryName.GetText());
                installed.AppendPathComponent(pieceName.GetText());
                VFileManager::MakeNativePath(installed);
                if (VFileManager::Instance()->DirectoryExistsAtPath(installed.GetText())) continue;
            }
            m_selected.push_back(piece);
        }
    }
}

bool CUnattendedKitPieceHost::IsInstallPath(const VString& folder) {
    for (const VString& piece : m_selected)
        if (piece.GetLength() == folder.GetLength() && StartsWithBytes(piece, folder)) return true;
    return false;
}

bool CUnattendedKitPieceHost::IsOnInstallPath(const VString& folder) {
    for (const VString& piece : m_selected)
        if (StartsWithBytes(piece, folder) || StartsWithBytes(folder, piece)) return true;
    return false;
}

int32_t CUnattendedKitPieceHost::GetMaxFilesPerFolder() {
    return m_filesPerFolder;
}

int32_t CUnattendedKitPieceHost::GetInstallPathCount() {
    int32_t count = 0;
    for (const VString& piece : m_selected)
        count += static_cast<int32_t>(Subfolders(piece).size());
    return count;
}
