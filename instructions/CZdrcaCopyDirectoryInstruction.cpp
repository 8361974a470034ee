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
#include "instructions/CZdrcaDecodePool.h"
#include "instructions/InstructionArguments.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

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

std::atomic<int> g_defaultJobs{1};

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
    if (GetJobCount() > 1) {
        CZdrcaDecodePool::DecodeFunction decode;
        if (m_decode)
            decode = [this](const std::string& source, const std::string& output) {
                return m_decode(VString(source.c_str()), VString(output.c_str()));
            };
        m_pool = std::make_unique<CZdrcaDecodePool>(GetJobCount(), std::move(decode), m_stopRequested);
    }
    const bool result = CopyFolder(source, destination);
    m_pool.reset();
    return result;
}

int CZdrcaCopyDirectoryInstruction::GetJobCount() const {
    return m_jobs > 0 ? m_jobs : GetDefaultJobCount();
}

void CZdrcaCopyDirectoryInstruction::SetDefaultJobCount(int jobs) {
    g_defaultJobs.store(std::clamp(jobs, 1, kMaxJobs));
}

int CZdrcaCopyDirectoryInstruction::GetDefaultJobCount() {
    return g_defaultJobs.load();
}

int CZdrcaCopyDirectoryInstruction::OnlineProcessorJobs() {
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxJobs);
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
        // The files of the folder advance the progress one by one; the folder's end completes its step.
        const float before = GetProgress();
        const bool result = DecodeFolder(source, destination, *listing);
        SetProgress(std::max(GetProgress(), before + m_folderStep));
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
        RemoveStaleTemporaries(destination);
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
    struct Pick {
        VString name, sourceFile, destinationFile, temporaryFile;
        std::shared_ptr<CZdrcaDecodePool::Task> task;
    };
    std::vector<Pick> picks;
    size_t taken = 0;
    size_t submitted = 0;
    CZdrcaDecodePool* pool = m_pool.get();
    // Files submitted to the pool whose outcome was not taken: whatever ends the folder early withdraws
    // them, so no temporary file stays behind.
    struct Withdraw {
        CZdrcaDecodePool* pool;
        std::vector<Pick>& picks;
        size_t& taken;
        size_t& submitted;
        ~Withdraw() {
            if (!pool || taken >= submitted) return;
            std::vector<std::shared_ptr<CZdrcaDecodePool::Task>> tasks;
            for (size_t i = taken; i < submitted; ++i)
                tasks.push_back(picks[i].task);
            pool->Discard(tasks);
        }
    } withdraw{pool, picks, taken, submitted};
    try {
        if (IsStopRequested()) return false;
        const int n = listing.GetCount();
        const int k = std::min(n, static_cast<int>(m_host->GetMaxFilesPerFolder()));
        if (k <= 0) return true;
        RemoveStaleTemporaries(destination);
        for (int i = 0; i < k; ++i) {
            // k entries spread evenly over the sorted listing, the first one always among them.
            const int index = k == n ? i : static_cast<int>(static_cast<int64_t>(n - 1) * i / k);
            const VFileInfo* entry = listing.GetObjectAtIndex(index);
            if (!entry || !IsCompressedFile(*entry)) continue;
            Pick pick;
            pick.name.Assign(entry->GetName());
            pick.sourceFile = Child(source, entry->GetName());
            pick.destinationFile = Child(destination, entry->GetName());
            pick.destinationFile.RemoveExtension();
            pick.destinationFile.Append(".wav");
            VString temporaryName(VFileManager::kTemporaryPrefix);
            temporaryName.Append(VString(entry->GetName()));
            temporaryName.RemoveExtension();
            temporaryName.Append(".wav");
            pick.temporaryFile = Child(destination, temporaryName.GetText());
            picks.push_back(std::move(pick));
        }
        // Enough files in flight to keep every worker busy while the installer thread takes outcomes,
        // few enough that the temporary files of a folder stay few.
        const size_t ahead = pool ? static_cast<size_t>(2 * GetJobCount()) : 0;
        const float fileStep = picks.empty() ? 0.0f : m_folderStep / static_cast<float>(picks.size());
        int failures = 0;
        for (; taken < picks.size(); ++taken) {
            if (IsStopRequested()) return false;
            for (; pool && submitted < picks.size() && submitted < taken + ahead; ++submitted)
                picks[submitted].task = pool->Submit(picks[submitted].sourceFile.GetText(),
                                                     picks[submitted].temporaryFile.GetText());
            Pick& pick = picks[taken];
            SendStatus(destination, pick.name.GetText());
            int outcome;
            if (pool) {
                pool->Wait(*pick.task);
                outcome = pick.task->stopped ? -2 : pick.task->succeededTry;
            } else {
                const std::string temporary = pick.temporaryFile.GetText();
                outcome =
                    CZdrcaDecodePool::RunTries([&] { return RunDecode(pick.sourceFile, pick.temporaryFile); },
                                               temporary, m_stopRequested);
            }
            if (outcome == -2) return false;
            const bool installed =
                CommitFile(pick.sourceFile, pick.destinationFile, pick.temporaryFile, outcome);
            AddProgress(fileStep);
            if (!installed && ++failures > k / 2) {
                ++taken;
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

bool CZdrcaCopyDirectoryInstruction::CommitFile(const VString& sourceFile, const VString& destinationFile,
                                                const VString& temporaryFile, int succeededTry) {
    if (succeededTry < 0) {
        LogLine(false, "ZdrcaCopyDirectory,Attempt=%li Src=%s Dest=%s", static_cast<long>(kDecodeTries),
                sourceFile.GetText(), destinationFile.GetText());
        return false;
    }
    // The new file replaces a link at its name, never what the link points to; a folder there (or a link
    // to one) is not replaced at all.
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target(destinationFile.GetText());
    const fs::file_status own = fs::symlink_status(target, error);
    const bool folder = own.type() == fs::file_type::directory ||
                        (own.type() == fs::file_type::symlink && fs::is_directory(fs::status(target, error)));
    if (folder) {
        CZdrcaDecodePool::RemoveOutput(temporaryFile.GetText());
        LogLine(false, "ZdrcaCopyDirectory, Destination %s is a folder or a link to a folder",
                destinationFile.GetText());
        return false;
    }
    error.clear();
    fs::rename(fs::path(temporaryFile.GetText()), target, error);
    if (error) {
        CZdrcaDecodePool::RemoveOutput(temporaryFile.GetText());
        LogLine(false, "ZdrcaCopyDirectory, Failed to move the decoded file into place, Src=%s Dest=%s",
                sourceFile.GetText(), destinationFile.GetText());
        return false;
    }
    LogLine(true, "ZdrcaCopyDirectory,Attempt=%li Src=%s Dest=%s", static_cast<long>(succeededTry),
            sourceFile.GetText(), destinationFile.GetText());
    LogUninstallEntry(destinationFile, UninstallFile);
    return true;
}

// An interrupted run (a crash, kill -9) leaves its temporary files; a later run of the same copy removes
// those it finds in the folders it writes. Links with the prefix go too, never what they point to.
void CZdrcaCopyDirectoryInstruction::RemoveStaleTemporaries(const VString& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    const std::string prefix = VFileManager::kTemporaryPrefix;
    std::vector<fs::path> stale;
    for (fs::directory_iterator it(fs::path(folder.GetText()), error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().rfind(prefix, 0) != 0) continue;
        const fs::file_type type = it->symlink_status(error).type();
        if (!error && (type == fs::file_type::regular || type == fs::file_type::symlink))
            stale.push_back(it->path());
    }
    for (const fs::path& path : stale)
        fs::remove(path, error);
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
