#include "foundation/VFileManager.h"

#include "foundation/FilePlatform.h"
#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VException.h"
#include "foundation/VLog.h"
#include "foundation/VObjectArray.h"
#include "foundation/VString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace VFoundation {

namespace {

// Folders that a tree copy makes: everyone may enter them unless the umask says otherwise, as with the
// folders the installer makes itself.
constexpr uint16_t kCopiedFolderMode = 0777;

std::mutex g_instanceMutex;
VFileManager* g_instance = nullptr;
VObjectArray* g_logicalDriveRoots = nullptr;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// VString::HasExtension(extension, ignoring case) on a bare name, without making a string per entry.
bool HasExtensionIgnoringCase(const char* name, size_t nameLength, const char* extension, size_t extLength) {
    if (nameLength <= extLength || name[nameLength - extLength - 1] != '.') return false;
    const char* tail = name + nameLength - extLength;
    for (size_t i = 0; i < extLength; ++i)
        if (LowerAscii(tail[i]) != LowerAscii(extension[i])) return false;
    return true;
}

std::string Join(const char* folder, const char* name) {
    VString joined(folder);
    joined.AppendPathComponent(name);
    return joined.GetText();
}

// True when destination is source or lies inside it (links and "." or ".." resolved where they exist).
bool IsInside(const char* destination, const char* source) {
    std::error_code error;
    const std::filesystem::path from = std::filesystem::weakly_canonical(source, error);
    if (error) return false;
    const std::filesystem::path to = std::filesystem::weakly_canonical(destination, error);
    if (error) return false;
    auto f = from.begin();
    auto t = to.begin();
    for (; f != from.end(); ++f, ++t) {
        if (f->empty() && std::next(f) == from.end()) break; // the trailing separator of a folder path
        if (t == to.end() || *f != *t) return false;
    }
    return true;
}

} // namespace

VObject* CreateSharedFileManager() {
    VFileManager* manager = VFileManager::Instance();
    manager->Retain();
    return manager;
}

V_IMPLEMENT_CLASS_FULL(VFileManager, VObject, &CreateSharedFileManager, nullptr, &VFileManager::ShutDown)

VFileManager::VFileManager() : VObject(GetClassRecord()), m_guard(MakeRef<VCriticalSection>()) {}

VFileManager::~VFileManager() = default;

VFileManager* VFileManager::Instance() {
    // The class record is made before the instance mutex is taken: making a record takes the class
    // registry's lock, and the registry's teardown takes the instance mutex (through ShutDown) while it
    // holds its own.
    GetClassRecord();
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    if (!g_instance) g_instance = new VFileManager();
    return g_instance;
}

void VFileManager::ShutDown() {
    VFileManager* instance = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        instance = std::exchange(g_instance, nullptr);
    }
    if (instance) instance->Release();
    ReleaseLogicalDriveRoots();
}

bool VFileManager::FileExistsAtPath(const char* path, bool* isDirectory) const {
    if (isDirectory) *isDirectory = false;
    FilePlatform::Status status;
    if (!path || !FilePlatform::GetStatus(path, status)) return false;
    if (isDirectory) *isDirectory = status.isDirectory;
    return true;
}

bool VFileManager::DirectoryExistsAtPath(const char* path) const {
    FilePlatform::Status status;
    return path && FilePlatform::GetStatus(path, status) && status.isDirectory;
}

bool VFileManager::RemoveFileAtPath(const char* path) const {
    static const char* const kWho = "VFileManager::RemoveFileAtPath";
    FilePlatform::Status status;
    // The entry itself: a link is removed, not what it points at.
    if (!path || !FilePlatform::GetStatus(path, status, false)) return false;
    if (!status.isWritable) {
        LogPrintf("%s - ERR: %s is read only\n", kWho, path);
        return false;
    }
    switch (FilePlatform::RemoveFile(path)) {
    case FilePlatform::RemoveResult::Removed:
        return true;
    case FilePlatform::RemoveResult::NotFound:
    case FilePlatform::RemoveResult::IsDirectory:
        LogPrintf("%s - ERR: %s is a directory or doesn't exist\n", kWho, path);
        return false;
    case FilePlatform::RemoveResult::Denied:
        LogPrintf("%s - ERR: %s is read only\n", kWho, path);
        return false;
    case FilePlatform::RemoveResult::Failed:
        break;
    }
    LogPrintf("%s - ERR: %s could not be removed\n", kWho, path);
    return false;
}

bool VFileManager::RemoveDirectoryAtPath(const char* path) const {
    FilePlatform::Status status;
    if (!path || !FilePlatform::GetStatus(path, status) || !status.isDirectory) return false;
    if (!status.isWritable) {
        LogPrintf("%s - ERR: %s is read only\n", "VFileManager::RemoveDirectoryAtPath", path);
        return false;
    }
    return FilePlatform::RemoveDirectory(path);
}

bool VFileManager::CopyFileAtPath(const char* source, const char* destination) const {
    if (!source || !destination || std::strcmp(source, destination) == 0) return false;
    if (DirectoryExistsAtPath(source)) return CopyDirectoryAtPath(source, destination, true);
    switch (FilePlatform::CopyFile(source, destination)) {
    case FilePlatform::CopyResult::Copied:
        return true;
    case FilePlatform::CopyResult::SourceOpenFailed:
        LogPrintf("Error opening source file for copying: %s", source);
        return false;
    case FilePlatform::CopyResult::DestinationOpenFailed:
        LogPrintf("Error opening destination file for copying: %s", destination);
        return false;
    case FilePlatform::CopyResult::ReadFailed:
        LogPrintf("Error during copy reading from input file: %s", source);
        return false;
    case FilePlatform::CopyResult::WriteFailed:
        break;
    }
    LogPrintf("Error during copy writing to output file: %s", destination);
    return false;
}

bool VFileManager::CopyDirectoryAtPath(const char* source, const char* destination, bool recursive) const {
    if (!source || !destination || std::strcmp(source, destination) == 0) return false;
    if (!DirectoryExistsAtPath(source)) return false;
    // A copy into its own tree would find its own output and copy that again, without end.
    if (IsInside(destination, source)) {
        LogPrintf("VFileManager::CopyDirectoryAtPath: %s lies inside %s\n", destination, source);
        return false;
    }
    return CopyTree(source, destination, recursive);
}

bool VFileManager::CopyTree(const char* source, const char* destination, bool recursive) const {
    // A linked folder at the destination may lead anywhere: nothing is copied through it.
    if (IsLinkAtPath(destination)) {
        LogPrintf("VFileManager::CopyDirectoryAtPath: %s is a link\n", destination);
        return false;
    }
    if (!CreateFoldersAtPath(destination, kCopiedFolderMode)) return false;
    RemoveStaleTemporaryFiles(destination);
    VRef<VFileInfoArray> entries = DirectoryContentsAtPath(source, nullptr, true, false);
    if (!entries) return false;
    for (VFileInfo* entry : *entries) {
        const std::string from = Join(source, entry->GetName());
        const std::string to = Join(destination, entry->GetName());
        if (entry->IsDirectory()) {
            if (entry->IsLink() && IsInsideFolder(source, from.c_str())) continue; // a loop back up the tree
            if (IsLinkAtPath(to.c_str())) {
                LogPrintf("VFileManager::CopyDirectoryAtPath: %s is a link\n", to.c_str());
                return false;
            }
            if (!CreateFoldersAtPath(to.c_str(), kCopiedFolderMode)) return false;
            // A file lost deeper down fails the whole copy, as one lost at this level does.
            if (recursive && !CopyTree(from.c_str(), to.c_str(), recursive)) return false;
        } else if (!CopyFileAtPath(from.c_str(), to.c_str())) {
            return false;
        }
    }
    return true;
}

bool VFileManager::CreateFoldersAtPath(const char* path, uint16_t mode) const {
    if (!path) return false;
    const char separator = PathSeparator();
    // Where the slash separates, a leading one is the root; where the backslash does, a drive is.
    VString accumulated(separator == '/' && path[0] == '/' ? "/" : "");
    // The folders of the chain, outermost first.
    std::vector<std::string> chain;
    std::string component;
    for (const char* p = path;; ++p) {
        // Where the backslash separates, the system takes the slash as a separator too.
        const bool separates = *p == separator || (separator == '\\' && *p == '/');
        if (!separates && *p != 0) {
            component.push_back(*p);
            continue;
        }
        if (!component.empty()) {
            if (separator == '\\' && component.back() == ':') {
                accumulated.Assign(component.c_str());
            } else {
                accumulated.AppendPathComponent(component.c_str());
                chain.emplace_back(accumulated.GetText());
            }
            component.clear();
        }
        if (*p == 0) break;
    }
    // Looked at from the far end, so that making one folder below an existing one (a tree copy, at any
    // depth) costs one look rather than one per level.
    size_t missing = chain.size();
    while (missing > 0 && !DirectoryExistsAtPath(chain[missing - 1].c_str()))
        --missing;
    for (; missing < chain.size(); ++missing) {
        const char* folder = chain[missing].c_str();
        // Another thread or process may make the same folder at the same time.
        if (!FilePlatform::MakeDirectory(folder, mode) && !DirectoryExistsAtPath(folder)) return false;
    }
    return true;
}

VRef<VFileInfoArray> VFileManager::DirectoryContentsAtPath(const char* path, const char* extension, bool sort,
                                                           bool fullPaths) const {
    if (!DirectoryExistsAtPath(path)) {
        LogPrintf("VFileManager::DirectoryContentsAtPath: Directory does not exist:\n");
        LogPrintf("  %s\n", path ? path : "");
        return nullptr;
    }
    if (extension && extension[0] == '.') ++extension;
    const size_t extLength = extension ? std::strlen(extension) : 0;
    std::vector<VRef<VFileInfo>> entries;
    // The sort compares names folded to lower case, kept side by side in one buffer: a large folder
    // sorts without chasing every entry's own string.
    struct SortKey {
        size_t folded;
        uint32_t entry;
        bool isDirectory;
    };
    std::vector<SortKey> keys;
    std::string foldedNames;
    VString fullName;
    const bool listed = FilePlatform::ListDirectory(path, [&](const char* name,
                                                              const FilePlatform::Status& status) {
        if (name[0] == '.' && name[1] == '_') return;
        const size_t nameLength = std::strlen(name);
        if (extLength > 0 &&
            (status.isDirectory || !HasExtensionIgnoringCase(name, nameLength, extension, extLength)))
            return;
        auto info = VRef<VFileInfo>::Adopt(VFileInfo::Alloc());
        if (fullPaths) {
            fullName.Assign(path);
            fullName.AppendPathComponent(name);
            info->SetName(fullName.GetText());
        } else {
            info->SetName(name);
        }
        info->SetSize(status.size);
        info->SetModificationTime(status.modificationTime);
        info->SetExists(true);
        info->SetWritable(status.isWritable);
        info->SetDirectory(status.isDirectory);
        info->SetLink(status.isLink);
        if (sort) {
            keys.push_back({foldedNames.size(), static_cast<uint32_t>(entries.size()), status.isDirectory});
            for (size_t i = 0; i < nameLength; ++i)
                foldedNames.push_back(LowerAscii(name[i]));
            foldedNames.push_back(0);
        }
        entries.push_back(std::move(info));
    });
    // An empty listing of a folder that could not be read would pass for an empty folder.
    if (!listed) {
        LogPrintf("VFileManager::DirectoryContentsAtPath: Directory cannot be read:\n");
        LogPrintf("  %s\n", path);
        return nullptr;
    }
    auto result = VRef<VFileInfoArray>::Adopt(new VFileInfoArray(static_cast<int>(entries.size())));
    if (sort) {
        const char* folded = foldedNames.data();
        std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
            if (a.isDirectory != b.isDirectory) return a.isDirectory;
            const int order = std::strcmp(folded + a.folded, folded + b.folded);
            // Names equal but for case keep one order whatever order the system lists them in.
            return order != 0 ? order < 0
                              : std::strcmp(entries[a.entry]->GetName(), entries[b.entry]->GetName()) < 0;
        });
        for (const SortKey& key : keys)
            result->AddObject(entries[key.entry].Get());
    } else {
        for (const VRef<VFileInfo>& info : entries)
            result->AddObject(info.Get());
    }
    return result;
}

bool VFileManager::ChangePermissionsAtPath(const char* path, uint16_t mode, bool recursive) const {
    FilePlatform::Status status;
    if (!path || !FilePlatform::GetStatus(path, status, false)) return false;
    return ChangePermissionsTree(path, (mode & 0200) != 0, recursive);
}

bool VFileManager::ChangePermissionsTree(const char* path, bool writable, bool recursive) const {
    FilePlatform::Status status;
    if (!FilePlatform::GetStatus(path, status, false)) return false;
    // A link is changed at most itself (SetWritable leaves it), never walked into.
    if (status.isLink || !status.isDirectory) return FilePlatform::SetWritable(path, writable);
    bool ok = FilePlatform::SetWritable(path, writable);
    VRef<VFileInfoArray> entries = DirectoryContentsAtPath(path, nullptr, true, true);
    if (!entries) return false;
    for (VFileInfo* entry : *entries) {
        if (!ok) break;
        if (entry->IsLink()) continue;
        ok = FilePlatform::SetWritable(entry->GetName(), writable);
        if (ok && recursive && entry->IsDirectory())
            ok = ChangePermissionsTree(entry->GetName(), writable, recursive);
    }
    return ok;
}

bool VFileManager::ChangeOwnerAtPath(const char* path, const char* owner, bool recursive) const {
    if (!path || !owner || !FileExistsAtPath(path)) return false;
    uint32_t userId = 0;
    if (!FilePlatform::LookupUser(owner, userId)) {
        LogPrintf("VFileManager::ChangeOwnerAtPath - ERR: unknown user %s\n", owner);
        return false;
    }
    return ChangeOwnerTree(path, userId, recursive);
}

bool VFileManager::ChangeOwnerTree(const char* path, uint32_t userId, bool recursive) const {
    bool ok = FilePlatform::ChangeOwner(path, userId);
    if (!ok) LogPrintf("VFileManager::ChangeOwnerAtPath - ERR: cannot change the owner of %s\n", path);
    FilePlatform::Status status;
    // A linked folder belongs to whoever made what it points at: it is not walked.
    if (!ok || !recursive || !FilePlatform::GetStatus(path, status, false) || status.isLink ||
        !status.isDirectory)
        return ok;
    VRef<VFileInfoArray> entries = DirectoryContentsAtPath(path, nullptr, false, true);
    if (!entries) return false;
    for (VFileInfo* entry : *entries)
        if (!ChangeOwnerTree(entry->GetName(), userId, recursive)) return false;
    return true;
}

VRef<VData> VFileManager::ReadFileAtPath(const char* path, uint64_t maxBytes) const {
    if (!path) return nullptr;
    std::vector<uint8_t> bytes;
    FilePlatform::ReadResult result = FilePlatform::ReadResult::ReadFailed;
    try {
        result = FilePlatform::ReadFile(path, maxBytes, bytes);
        if (result == FilePlatform::ReadResult::Read) {
            auto data = MakeRef<VData>(bytes.size());
            if (!bytes.empty()) std::memcpy(data->GetBytes(), bytes.data(), bytes.size());
            return data;
        }
    } catch (const std::bad_alloc&) {
        throw VException(0, this, "VFileManager::ReadFileAtPath: not enough memory for the file");
    }
    switch (result) {
    case FilePlatform::ReadResult::NotAFile:
        if (!DirectoryExistsAtPath(path)) LogPrintf("VFileManager::ReadFileAtPath: %s is not a file\n", path);
        return nullptr;
    case FilePlatform::ReadResult::TooLarge:
        LogPrintf("VFileManager::ReadFileAtPath: %s is larger than %llu bytes\n", path,
                  static_cast<unsigned long long>(maxBytes));
        return nullptr;
    case FilePlatform::ReadResult::ReadFailed:
        throw VException(0, this, "VFileManager::ReadFileAtPath: the file could not be read");
    default:
        return nullptr;
    }
}

std::FILE* VFileManager::OpenTextFileAtPath(const char* path, bool append) const {
    std::FILE* file = FilePlatform::OpenTextFile(path, append);
    if (!file) LogPrintf("VFileManager::OpenTextFileAtPath: cannot open %s for writing\n", path ? path : "");
    return file;
}

bool VFileManager::WriteFileAtPath(const char* path, const void* bytes, size_t size, bool executable) const {
    if (FilePlatform::ReplaceFile(path, bytes, size, executable)) return true;
    LogPrintf("VFileManager::WriteFileAtPath: cannot write %s\n", path ? path : "");
    return false;
}

int VFileManager::RemoveStaleTemporaryFiles(const char* folder) const {
    if (!folder) return 0;
    std::vector<std::string> stale;
    FilePlatform::ListDirectory(folder, [&](const char* name, const FilePlatform::Status& status) {
        if (!status.isDirectory && !status.isLink && FilePlatform::IsStaleTemporaryName(name))
            stale.push_back(Join(folder, name));
    });
    int removed = 0;
    for (const std::string& path : stale)
        if (FilePlatform::RemoveFile(path.c_str()) == FilePlatform::RemoveResult::Removed) ++removed;
    return removed;
}

bool VFileManager::IsLinkAtPath(const char* path) const {
    FilePlatform::Status status;
    return path && FilePlatform::GetStatus(path, status, false) && status.isLink;
}

bool VFileManager::IsInsideFolder(const char* path, const char* tree) const {
    return path && tree && IsInside(path, tree);
}

void VFileManager::MakeNativePath(VString& path) {
    std::string text = path.GetText();
    MakeNativePath(text.data());
    path.Assign(text.c_str());
}

void VFileManager::MakeNativePath(char* path) {
    if (!path) return;
    const char native = PathSeparator();
    const char other = native == '/' ? '\\' : '/';
    for (char* p = path; *p; ++p)
        if (*p == other) *p = native;
}

char VFileManager::PathSeparator() {
    return VString::NativeSeparator();
}

bool VFileManager::IsRootPath(const char* path) const {
    if (!path) return false;
    VRef<VObjectArray> parts = VRef<VObjectArray>::Adopt(VString(path).SplitPath());
    return !parts || parts->GetCount() < 2;
}

VRef<VDiskInfo> VFileManager::DiskInfoForPath(const char* path) const {
    FilePlatform::VolumeStatus volume;
    if (!path || !FilePlatform::GetVolumeStatus(path, volume)) return nullptr;
    auto info = MakeRef<VDiskInfo>();
    info->m_rootPath.Assign(volume.rootPath.c_str());
    info->m_volumeName.Assign(volume.volumeName.c_str());
    info->m_diskType = volume.diskType;
    info->m_serialNumber = volume.serialNumber;
    info->m_freeBytes = volume.freeBytes;
    info->m_totalBytes = volume.totalBytes;
    info->m_usedBytes = volume.totalBytes >= volume.freeBytes ? volume.totalBytes - volume.freeBytes : 0;
    info->m_sectorsPerCluster = volume.sectorsPerCluster;
    info->m_bytesPerSector = volume.bytesPerSector;
    info->m_freeClusters = volume.freeClusters;
    info->m_totalClusters = volume.totalClusters;
    return info;
}

VObjectArray* VFileManager::CreateLogicalDriveStrings() {
    auto* roots = new VObjectArray();
    for (const std::string& root : FilePlatform::LogicalDriveStrings())
        roots->AddObject(VRef<VString>::Adopt(VString::Alloc(root.c_str())).Get());
    return roots;
}

VObjectArray* VFileManager::LogicalDriveRoots() {
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        if (g_logicalDriveRoots) return g_logicalDriveRoots;
    }
    // Made outside the mutex, for the same lock order as Instance.
    VObjectArray* made = CreateLogicalDriveStrings();
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    if (g_logicalDriveRoots)
        made->Release();
    else
        g_logicalDriveRoots = made;
    return g_logicalDriveRoots;
}

void VFileManager::ReleaseLogicalDriveRoots() {
    VObjectArray* roots = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        roots = std::exchange(g_logicalDriveRoots, nullptr);
    }
    if (roots) roots->Release();
}

} // namespace VFoundation
