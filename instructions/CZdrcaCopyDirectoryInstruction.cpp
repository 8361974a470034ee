#include "instructions/CZdrcaCopyDirectoryInstruction.h"

#include "engine/CSetMessageHandler.h"
#include "engine/IZdrcaInstallHost.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VObjectArray.h"
#include "foundation/VRef.h"
#include "foundation/VStringTokenizer.h"
#include "instructions/CFlacDecoder.h"
#include "instructions/InstructionArguments.h"

#include <algorithm>
#include <cstring>

using VFoundation::VException;
using VFoundation::VFileInfo;
using VFoundation::VFileInfoArray;
using VFoundation::VFileManager;
using VFoundation::VObjectArray;
using VFoundation::VRef;
using VFoundation::VString;
using VFoundation::VStringTokenizer;

V_IMPLEMENT_ABSTRACT_CLASS(CZdrcaCopyDirectoryInstruction, IInstallerInstruction)

namespace {

constexpr char kCompressedExtension[] = "zdrca";

bool IsCompressedFile(const VFileInfo& entry) {
    return !entry.IsDirectory() && entry.GetNameString().HasExtension(kCompressedExtension, false);
}

VString Child(const VString& folder, const char* name) {
    VString path(folder);
    path.AppendPathComponent(name);
    return path;
}

bool IsSeparatorOnly(const VString& component) {
    const char* text = component.GetText();
    return component.GetLength() == 1 && (text[0] == '/' || text[0] == '\\');
}

} // namespace

CZdrcaCopyDirectoryInstruction::CZdrcaCopyDirectoryInstruction(const VString& arguments,
                                                               VFoundation::VClass* record)
    : IInstallerInstruction(record ? record : GetClassRecord()) {
    VStringTokenizer tokenizer(arguments, ',');
    if (tokenizer.CountTokens() < 2)
        InstructionArguments::ThrowArgumentError(
            "ZdrcaCopyDirectory must have at least a source and destination");
    if (!tokenizer.NextToken(m_source) || !tokenizer.NextToken(m_destination))
        InstructionArguments::ThrowArgumentError("Failed to get either source or destination tokens");
    m_source.Trim();
    m_destination.Trim();
}

CZdrcaCopyDirectoryInstruction::~CZdrcaCopyDirectoryInstruction() = default;

void CZdrcaCopyDirectoryInstruction::Abort() {
    m_stopRequested.store(true, std::memory_order_relaxed);
}

bool CZdrcaCopyDirectoryInstruction::Execute() {
    if (!m_host) return false;
    VString source(m_source);
    VString destination(m_destination);
    ExpandPath(source);
    ExpandPath(destination);

    if (!VFileManager::Instance()->DirectoryExistsAtPath(source.GetText())) {
        LogLine(false, "ZdrcaCopyDirectory. Source dir %s doesnt exist", source.GetText());
        return false;
    }
    if (IsStopRequested()) return false;
    SetProgress(0.0f);
    const int32_t pathCount = m_host->GetInstallPathCount();
    if (pathCount == 0) {
        LogLine(false, "ZdrcaCopyDirectory, Host returned 0 install paths");
        return false;
    }
    m_folderStep = 1.0f / static_cast<float>(pathCount);
    return CopyFolder(source, destination);
}

bool CZdrcaCopyDirectoryInstruction::CopyFolder(const VString& source, const VString& destination) {
    try {
        if (IsStopRequested()) return false;
        const VRef<VFileInfoArray> listing =
            VFileManager::Instance()->DirectoryContentsAtPath(source.GetText(), nullptr, true, false);
        if (!listing) return false;
        if (listing->GetCount() == 0) return true;

        bool hasCompressed = false;
        for (VFileInfo* entry : *listing)
            hasCompressed = hasCompressed || IsCompressedFile(*entry);
        if (!hasCompressed) return CopyPlainFolder(source, destination, *listing);

        if (!m_host->IsOnInstallPath(source) && !m_host->IsInstallPath(source)) return true;
        const bool result = DecodeFolder(source, destination, *listing);
        AddProgress(m_folderStep);
        return result;
    } catch (const VException& exception) {
        LogException("%s", exception.GetDescriptionText().GetText());
    } catch (...) {
        LogException("ZdrcaCopyDirectory, Unknown Exception occured during decode operation");
    }
    return false;
}

bool CZdrcaCopyDirectoryInstruction::CopyPlainFolder(const VString& source, const VString& destination,
                                                     const VFileInfoArray& listing) {
    try {
        VFileManager* files = VFileManager::Instance();
        for (VFileInfo* entry : listing) {
            if (IsStopRequested()) return false;
            const char* name = entry->GetName();
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            if (entry->IsDirectory()) {
                const VString childSource = Child(source, name);
                if (!m_host->IsOnInstallPath(childSource)) continue;
                const VString childDestination = Child(destination, name);
                if (!files->DirectoryExistsAtPath(childDestination.GetText())) {
                    if (!files->CreateFoldersAtPath(childDestination.GetText(), 511)) {
                        LogLine(false, "ZdrcaCopyDirectory, Failed to create directory %s",
                                childDestination.GetText());
                        return false;
                    }
                    LogLine(true, "ZdrcaCopyDirectory, Created directory %s", childDestination.GetText());
                    LogUninstallEntry(childDestination, UninstallFolder);
                }
                if (!CopyFolder(childSource, childDestination))
                    LogLine(false, "ZdrcaCopyDirectory, Failed Decode, Src=%s Dst=%s", childSource.GetText(),
                            childDestination.GetText());
            } else if (!CopyPlainFile(source, destination, name)) {
                LogLine(false, "ZdrcaCopyDirectory, Failed non comp Decode, Src=%s Dst=%s", source.GetText(),
                        destination.GetText());
            }
        }
        return true;
    } catch (const VException& exception) {
        LogException("%s", exception.GetDescriptionText().GetText());
    } catch (...) {
        LogException(
            "ZdrcaCopyDirectory, Unknown Exception occured during non compressed folder installation");
    }
    return false;
}

bool CZdrcaCopyDirectoryInstruction::CopyPlainFile(const VString& source, const VString& destination,
                                                   const char* name) {
    if (std::strcmp(name, ".DS_Store") == 0) return true;
    SendStatus(destination, name);
    const VString sourceFile = Child(source, name);
    const VString destinationFile = Child(destination, name);
    const bool copied =
        VFileManager::Instance()->CopyFileAtPath(sourceFile.GetText(), destinationFile.GetText());
    LogLine(copied, "ZdrcaCopyDirectory. Src=%s, Dst=%s", sourceFile.GetText(), destinationFile.GetText());
    LogUninstallEntry(destinationFile, UninstallFile);
    return copied;
}

bool CZdrcaCopyDirectoryInstruction::DecodeFolder(const VString& source, const VString& destination,
                                                  const VFileInfoArray& listing) {
    try {
        if (IsStopRequested()) return false;
        const int n = listing.GetCount();
        const int k = std::min(n, static_cast<int>(m_host->GetMaxFilesPerFolder()));
        if (k <= 0) return true;
        int failures = 0;
        for (int i = 0; i < k; ++i) {
            if (IsStopRequested()) return false;
            // k entries spread evenly over the sorted listing, the first one always among them.
            const int index = k == n ? i : static_cast<int>(static_cast<int64_t>(n - 1) * i / k);
            const VFileInfo* entry = listing.GetObjectAtIndex(index);
            if (!entry || !IsCompressedFile(*entry)) continue;
            if (!DecodeFile(source, destination, entry->GetName()) && ++failures > k / 2) {
                LogException("Failure count has reached half the files in the directory %s",
                             source.GetText());
                return false;
            }
        }
        return true;
    } catch (const VException& exception) {
        LogException("%s", exception.GetDescriptionText().GetText());
    } catch (...) {
        LogException("ZdrcaCopyDirectory, Unknown Exception occured during compressed folder installation");
    }
    return false;
}

bool CZdrcaCopyDirectoryInstruction::DecodeFile(const VString& source, const VString& destination,
                                                const char* name) {
    if (IsStopRequested()) return false;
    SendStatus(destination, name);
    VString destinationFile = Child(destination, name);
    destinationFile.RemoveExtension();
    destinationFile.Append(".wav");
    const VString sourceFile = Child(source, name);

    for (long attempt = 0; attempt < kDecodeTries; ++attempt) {
        if (attempt > 0 && IsStopRequested()) {
            RemovePartialOutput(destinationFile);
            return false;
        }
        if (RunDecode(sourceFile, destinationFile) == 0) {
            LogLine(true, "ZdrcaCopyDirectory,Attempt=%li Src=%s Dest=%s", attempt, sourceFile.GetText(),
                    destinationFile.GetText());
            LogUninstallEntry(destinationFile, UninstallFile);
            return true;
        }
    }
    RemovePartialOutput(destinationFile);
    LogLine(false, "ZdrcaCopyDirectory,Attempt=%li Src=%s Dest=%s", static_cast<long>(kDecodeTries),
            sourceFile.GetText(), destinationFile.GetText());
    return false;
}

// Whatever a failed decode left behind is no installed sample: leave no file that looks like one.
void CZdrcaCopyDirectoryInstruction::RemovePartialOutput(const VString& destinationFile) {
    VFileManager* files = VFileManager::Instance();
    bool isFolder = false;
    if (files->FileExistsAtPath(destinationFile.GetText(), &isFolder) && !isFolder)
        files->RemoveFileAtPath(destinationFile.GetText());
}

int CZdrcaCopyDirectoryInstruction::RunDecode(const VString& source, const VString& destination) {
    if (m_decode) return m_decode(source, destination);
    if (!m_decoder) m_decoder = std::make_unique<CFlacDecoder>();
    return m_decoder->Decode(source.GetText(), destination.GetText());
}

void CZdrcaCopyDirectoryInstruction::SendStatus(const VString& destinationFolder, const char* name) const {
    CSetMessageHandler* handler = CSetMessageHandler::GetMessageHandler();
    if (!handler) return;
    const VRef<VObjectArray> components = VRef<VObjectArray>::Adopt(destinationFolder.SplitPath());
    // The last three components of the folder; a shorter path gives what it has, without its root.
    const int count = components->GetCount();
    VString text("Unpacking: ");
    for (int i = std::max(0, count - 3); i < count; ++i) {
        const auto* component = static_cast<const VString*>(components->GetObjectAtIndex(i));
        if (!component || component->IsEmpty() || IsSeparatorOnly(*component)) continue;
        text.Append(*component);
        text.Append('/');
    }
    text.Append(name);
    handler->SetMessage(text);
}
