#include "foundation/FilePlatform.h"
#include "foundation/VFileManager.h"

#include <windows.h>
// The system's header names its ANSI functions through macros that would rename these.
#undef CopyFile
#undef RemoveDirectory
#undef ReplaceFile

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>

namespace VFoundation::FilePlatform {

namespace {

constexpr DWORD kCopyBufferSize = 0x10000;

uint64_t Combine(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

void Describe(DWORD attributes, uint64_t size, const FILETIME& written, Status& out) {
    out.exists = true;
    out.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    out.isWritable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
    out.size = out.isDirectory ? 0 : size;
    // FILETIME counts the same 100-nanosecond ticks since 1601 that Status does.
    out.modificationTime = Combine(written.dwHighDateTime, written.dwLowDateTime);
}

// What a reparse point (a symbolic link or a junction) leads to; false when it dangles.
bool DescribeTarget(const char* path, Status& out) {
    HANDLE handle =
        ::CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (ok)
        Describe(info.dwFileAttributes, Combine(info.nFileSizeHigh, info.nFileSizeLow), info.ftLastWriteTime,
                 out);
    return ok;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    // Takes handle over, closing what was held.
    void Reset(HANDLE handle) {
        Close();
        m_handle = handle;
    }
    HANDLE Get() const { return m_handle; }
    // Gives the handle up to the caller.
    HANDLE Release() {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (m_handle == INVALID_HANDLE_VALUE) return true;
        const bool ok = ::CloseHandle(m_handle) != 0;
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle;
};

std::string ParentFolder(const std::string& path) {
    const size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    // "C:\x" lies in "C:\", not in the drive-relative "C:".
    if (separator == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, separator);
}

std::string Joined(const std::string& folder, const char* name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
    return folder + "\\" + name;
}

CopyResult CopyContents(HANDLE in, HANDLE out) {
    static_assert(kCopyBufferSize <= 0x10000, "the buffer lives on the stack");
    char buffer[kCopyBufferSize];
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(in, buffer, sizeof buffer, &count, nullptr)) return CopyResult::ReadFailed;
        if (count == 0) return CopyResult::Copied;
        for (DWORD done = 0; done < count;) {
            DWORD written = 0;
            if (!::WriteFile(out, buffer + done, count - done, &written, nullptr) || written == 0)
                return CopyResult::WriteFailed;
            done += written;
        }
    }
}

bool IsReparsePoint(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// What may stand at a path that a new file is to replace: nothing, a plain file, or a reparse point that
// does not lead to a folder. existing receives the attributes (INVALID_FILE_ATTRIBUTES when nothing is
// there).
bool MayReplace(const char* path, DWORD& existing) {
    existing = ::GetFileAttributesA(path);
    if (existing == INVALID_FILE_ATTRIBUTES) return true;
    if (IsReparsePoint(existing)) {
        Status target;
        return !DescribeTarget(path, target) || !target.isDirectory;
    }
    return !(existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// Creates a new, empty temporary file in folder; its handle is not inherited by child processes.
HANDLE CreateTemporaryIn(const std::string& folder, std::string& temporary) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = TemporaryPathIn(folder);
        // Readers may look in while it is written; FILE_SHARE_DELETE lets a file opened for text move into
        // place while it stays open.
        HANDLE handle = ::CreateFileA(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return handle;
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

void DeleteTemporary(const std::string& temporary) {
    ::SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(temporary.c_str());
}

// Puts the finished temporary file in place of path in one write-through move. A reparse point at path
// goes first, so the move replaces it instead of whatever it leads to.
bool MoveIntoPlace(const std::string& temporary, const char* path, DWORD existing, DWORD attributes) {
    ::SetFileAttributesA(temporary.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    if (IsReparsePoint(existing) &&
        !((existing & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryA(path) : ::DeleteFileA(path)))
        return false;
    return ::MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// A C stream over handle, which it then owns; the handle is closed when no stream can be made.
std::FILE* StreamOver(HANDLE handle, int flags, const char* mode) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        ::CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, mode);
    if (!file) ::_close(fd);
    return file;
}

// This machine's name as it may stand in a file name: folders on a shared drive receive temporary files
// from installers on other machines, whose process ids mean nothing here.
const std::string& MachineTag() {
    static const std::string tag = [] {
        char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD length = sizeof name;
        if (!::GetComputerNameA(name, &length)) return std::string("localhost");
        std::string text;
        for (const char* c = name; *c; ++c)
            text += std::isalnum(static_cast<unsigned char>(*c)) || *c == '.' ? *c : '_';
        return text;
    }();
    return tag;
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') &&
           !(path.size() == 3 && path[1] == ':'))
        path.pop_back();
    return path;
}

} // namespace

bool GetStatus(const char* path, Status& out, bool followLinks) {
    out = Status();
    if (!path || !*path) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    // The attribute data describes a reparse point itself; followed, it describes what it leads to, and a
    // dangling one describes itself.
    const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!followLinks || !isLink || !DescribeTarget(path, out))
        Describe(data.dwFileAttributes, Combine(data.nFileSizeHigh, data.nFileSizeLow), data.ftLastWriteTime,
                 out);
    out.isLink = isLink;
    return true;
}

bool ListDirectory(const char* path, const std::function<void(const char* name, const Status&)>& visit) {
    if (!path || !*path) return false;
    const std::string folder = path;
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA(Joined(folder, "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        // An empty folder still has "." and ".."; only a drive root can have nothing at all.
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
        const char* name = entry.cFileName;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        Status status;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
            !DescribeTarget(Joined(folder, name).c_str(), status))
            Describe(entry.dwFileAttributes, Combine(entry.nFileSizeHigh, entry.nFileSizeLow),
                     entry.ftLastWriteTime, status);
        status.isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        visit(name, status);
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return true;
}

// The copy goes to a temporary file beside the destination, is flushed, and replaces the destination in
// one write-through move only when complete: a failure removes the temporary file and leaves an existing
// destination as it was. A destination that is a reparse point is replaced by the file, never written
// through; one that leads to a folder is refused. The read-only attribute travels with the copy, as the
// system's own copy does it.
CopyResult CopyFile(const char* source, const char* destination) {
    if (!source || !destination || !*destination) return CopyResult::SourceOpenFailed;
    FileHandle in(::CreateFileA(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.IsOpen() || ::GetFileType(in.Get()) != FILE_TYPE_DISK) return CopyResult::SourceOpenFailed;
    BY_HANDLE_FILE_INFORMATION sourceInfo;
    if (!::GetFileInformationByHandle(in.Get(), &sourceInfo) ||
        (sourceInfo.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return CopyResult::SourceOpenFailed;

    DWORD existing = INVALID_FILE_ATTRIBUTES;
    if (!MayReplace(destination, existing)) return CopyResult::DestinationOpenFailed;
    if (!IsReparsePoint(existing) && existing != INVALID_FILE_ATTRIBUTES &&
        (existing & FILE_ATTRIBUTE_READONLY))
        return CopyResult::DestinationOpenFailed;

    std::string temporary;
    FileHandle out(CreateTemporaryIn(ParentFolder(destination), temporary));
    if (!out.IsOpen()) return CopyResult::DestinationOpenFailed;

    CopyResult result = CopyContents(in.Get(), out.Get());
    if (result == CopyResult::Copied && !::FlushFileBuffers(out.Get())) result = CopyResult::WriteFailed;
    if (!out.Close() && result == CopyResult::Copied) result = CopyResult::WriteFailed;
    const DWORD kept = sourceInfo.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM);
    if (result == CopyResult::Copied && !MoveIntoPlace(temporary, destination, existing, kept))
        result = CopyResult::WriteFailed;
    if (result != CopyResult::Copied) DeleteTemporary(temporary);
    return result;
}

ReadResult ReadFile(const char* path, uint64_t limit, std::vector<uint8_t>& out) {
    out.clear();
    if (!path || !*path) return ReadResult::OpenFailed;
    FileHandle in(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
    if (!in.IsOpen()) return ReadResult::OpenFailed;
    // A pipe, a console or a device is never read: reading one could wait for ever.
    if (::GetFileType(in.Get()) != FILE_TYPE_DISK) return ReadResult::NotAFile;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(in.Get(), &info)) return ReadResult::ReadFailed;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ReadResult::NotAFile;
    const uint64_t size = Combine(info.nFileSizeHigh, info.nFileSizeLow);
    if (size > limit) return ReadResult::TooLarge;
    out.resize(static_cast<size_t>(size)); // std::bad_alloc passes to the caller
    size_t done = 0;
    while (done < out.size()) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(out.size() - done, 0x40000000));
        DWORD count = 0;
        if (!::ReadFile(in.Get(), out.data() + done, wanted, &count, nullptr) || count == 0) break;
        done += count;
    }
    // A file that shrank while it was read is read as far as it goes; one that grew, only to its size.
    out.resize(done);
    return done == size ? ReadResult::Read : ReadResult::ReadFailed;
}

std::FILE* OpenTextFile(const char* path, bool append) {
    if (!path || !*path) return nullptr;
    DWORD existing = INVALID_FILE_ATTRIBUTES;
    if (!MayReplace(path, existing)) return nullptr;
    if (append && existing != INVALID_FILE_ATTRIBUTES && !IsReparsePoint(existing)) {
        // FILE_FLAG_OPEN_REPARSE_POINT: a link planted since the check above is opened itself, and then
        // refused, instead of being followed.
        FileHandle file(::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION info;
        if (!file.IsOpen() || ::GetFileType(file.Get()) != FILE_TYPE_DISK ||
            !::GetFileInformationByHandle(file.Get(), &info) ||
            (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
            return nullptr;
        // A file with a second name may be someone else's file linked in: it is replaced, not continued.
        if (info.nNumberOfLinks == 1) {
            return StreamOver(file.Release(), _O_APPEND | _O_BINARY, "ab");
        }
    }
    std::string temporary;
    HANDLE handle = CreateTemporaryIn(ParentFolder(path), temporary);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    if (!MoveIntoPlace(temporary, path, existing, FILE_ATTRIBUTE_NORMAL)) {
        ::CloseHandle(handle);
        DeleteTemporary(temporary);
        return nullptr;
    }
    return StreamOver(handle, _O_BINARY, "wb");
}

std::FILE* CreateNewFile(const char* path) {
    if (!path || !*path) return nullptr;
    // CREATE_NEW also refuses a reparse point at path, dangling or not.
    HANDLE handle =
        ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return StreamOver(handle, _O_BINARY, "wb");
}

bool ReplaceFile(const char* path, const void* bytes, size_t size, bool) {
    if (!path || !*path || (!bytes && size > 0)) return false;
    DWORD existing = INVALID_FILE_ATTRIBUTES;
    if (!MayReplace(path, existing)) return false;
    std::string temporary;
    FileHandle out(CreateTemporaryIn(ParentFolder(path), temporary));
    if (!out.IsOpen()) return false;
    bool written = true;
    for (size_t done = 0; written && done < size;) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size - done, 0x40000000));
        DWORD count = 0;
        written = ::WriteFile(out.Get(), static_cast<const char*>(bytes) + done, wanted, &count, nullptr) &&
                  count > 0;
        done += count;
    }
    written = written && ::FlushFileBuffers(out.Get());
    written = out.Close() && written;
    if (written && MoveIntoPlace(temporary, path, existing, FILE_ATTRIBUTE_NORMAL)) return true;
    DeleteTemporary(temporary);
    return false;
}

std::string TemporaryPathIn(const std::string& folder) {
    static std::atomic<uint32_t> counter{0};
    char name[320];
    std::snprintf(name, sizeof name, "%s%lu@%s-%u.tmp", VFileManager::kTemporaryPrefix,
                  static_cast<unsigned long>(::GetCurrentProcessId()), MachineTag().c_str(),
                  counter.fetch_add(1, std::memory_order_relaxed));
    if (folder.empty()) return name;
    return Joined(folder, name);
}

bool IsStaleTemporaryName(const char* name) {
    const size_t prefixLength = std::strlen(VFileManager::kTemporaryPrefix);
    if (!name || std::strncmp(name, VFileManager::kTemporaryPrefix, prefixLength) != 0) return false;
    char* end = nullptr;
    const unsigned long process = std::strtoul(name + prefixLength, &end, 10);
    if (end == name + prefixLength || process == 0 || (*end != '-' && *end != '@')) return false;
    if (*end == '@') {
        // Only this machine can tell whether the process still runs.
        const char* last = std::strrchr(end, '-');
        if (!last || std::string(static_cast<const char*>(end) + 1, last) != MachineTag()) return false;
    }
    // Another installer still writing into the folder keeps its files.
    if (process == ::GetCurrentProcessId()) return false;
    HANDLE handle = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
    // No such process; a process that exists but may not be asked about is taken as running.
    if (!handle) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool ended = ::GetExitCodeProcess(handle, &code) && code != STILL_ACTIVE;
    ::CloseHandle(handle);
    return ended;
}

RemoveResult RemoveFile(const char* path) {
    if (!path || !*path) return RemoveResult::NotFound;
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return RemoveResult::NotFound;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveResult::IsDirectory;
    if (::DeleteFileA(path)) return RemoveResult::Removed;
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return RemoveResult::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return RemoveResult::Denied;
    default:
        return RemoveResult::Failed;
    }
}

bool RemoveDirectory(const char* path) {
    // A link to a folder is removed itself; what it leads to stays.
    return path && ::RemoveDirectoryA(path) != 0;
}

bool MakeDirectory(const char* path, uint16_t) {
    return path && ::CreateDirectoryA(path, nullptr) != 0;
}

bool SetWritable(const char* path, bool writable) {
    if (!path) return false;
    const DWORD current = ::GetFileAttributesA(path);
    if (current == INVALID_FILE_ATTRIBUTES) return false;
    // The attributes of a reparse point are its own, and what it leads to is not the caller's to change.
    if (IsReparsePoint(current)) return true;
    DWORD wanted = writable ? (current & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))
                            : (current | FILE_ATTRIBUTE_READONLY);
    if (wanted == current) return true;
    // SetFileAttributes takes only the settable attributes; none left is "normal".
    wanted &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
              FILE_ATTRIBUTE_TEMPORARY;
    return ::SetFileAttributesA(path, wanted ? wanted : FILE_ATTRIBUTE_NORMAL) != 0;
}

// Owners are not changed on Windows: every name is accepted and the change succeeds without effect.
bool LookupUser(const char* name, uint32_t& userId) {
    if (!name || !*name) return false;
    userId = 0;
    return true;
}

bool ChangeOwner(const char* path, uint32_t) {
    return path && ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool GetVolumeStatus(const char* path, VolumeStatus& out) {
    out = VolumeStatus();
    if (!path || !*path) return false;
    // The install location often does not exist yet: its volume is that of its nearest existing ancestor.
    std::string existing = WithoutTrailingSeparators(path);
    while (::GetFileAttributesA(existing.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const std::string parent = ParentFolder(existing);
        if (parent == existing || parent == ".") return false;
        existing = parent;
    }
    char root[MAX_PATH + 1];
    if (!::GetVolumePathNameA(existing.c_str(), root, sizeof root)) return false;
    out.rootPath = root;

    char label[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (::GetVolumeInformationA(root, label, sizeof label, &serial, nullptr, nullptr, nullptr, 0)) {
        out.volumeName = label;
        out.serialNumber = serial;
    }
    switch (::GetDriveTypeA(root)) {
    case DRIVE_FIXED:
        out.diskType = 2;
        break;
    case DRIVE_REMOVABLE:
        out.diskType = 3;
        break;
    case DRIVE_CDROM:
        out.diskType = 4;
        break;
    case DRIVE_REMOTE:
        out.diskType = 5;
        break;
    case DRIVE_RAMDISK:
        out.diskType = 1;
        break;
    default:
        out.diskType = 0;
    }
    if (out.diskType == 3 || out.diskType == 4) return true;

    ULARGE_INTEGER available, total;
    if (::GetDiskFreeSpaceExA(root, &available, &total, nullptr)) {
        out.freeBytes = available.QuadPart;
        out.totalBytes = total.QuadPart;
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (::GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        out.sectorsPerCluster = sectorsPerCluster;
        out.bytesPerSector = bytesPerSector;
        out.freeClusters = freeClusters;
        out.totalClusters = totalClusters;
    }
    return true;
}

std::vector<std::string> LogicalDriveStrings() {
    std::vector<std::string> roots;
    std::vector<char> buffer(256);
    for (;;) {
        const DWORD length = ::GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return roots;
        if (length < buffer.size()) break;
        buffer.resize(length + 1);
    }
    for (const char* root = buffer.data(); *root; root += std::strlen(root) + 1)
        roots.emplace_back(root);
    return roots;
}

} // namespace VFoundation::FilePlatform
