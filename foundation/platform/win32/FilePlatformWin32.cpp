#include "foundation/FilePlatform.h"
#include "foundation/VFileManager.h"

#include <windows.h>
// The system's header names its ANSI functions through macros that would rename these.
#undef CopyFile
#undef RemoveDirectory

#include <atomic>
#include <cstdio>
#include <cstring>

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

// A name for the copy under way, unique among the threads and processes that copy into the same folder.
std::string TemporaryNameIn(const std::string& folder) {
    static std::atomic<uint32_t> counter{0};
    char name[64];
    std::snprintf(name, sizeof name, "%s%lu-%u.tmp", VFileManager::kTemporaryPrefix,
                  static_cast<unsigned long>(::GetCurrentProcessId()),
                  counter.fetch_add(1, std::memory_order_relaxed));
    return Joined(folder, name);
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
    if (followLinks && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && DescribeTarget(path, out))
        return true;
    Describe(data.dwFileAttributes, Combine(data.nFileSizeHigh, data.nFileSizeLow), data.ftLastWriteTime,
             out);
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
        visit(name, status);
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    return true;
}

// The copy goes to a temporary file beside the destination, is flushed, and replaces the destination in
// one write-through move only when complete: a failure removes the temporary file and leaves an existing
// destination as it was. A destination that is a reparse point is replaced by the file, never written
// through. The read-only attribute travels with the copy, as the system's own copy does it.
CopyResult CopyFile(const char* source, const char* destination) {
    if (!source || !destination || !*destination) return CopyResult::SourceOpenFailed;
    FileHandle in(::CreateFileA(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.IsOpen()) return CopyResult::SourceOpenFailed;
    BY_HANDLE_FILE_INFORMATION sourceInfo;
    if (!::GetFileInformationByHandle(in.Get(), &sourceInfo) ||
        (sourceInfo.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return CopyResult::SourceOpenFailed;

    const DWORD existing = ::GetFileAttributesA(destination);
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return CopyResult::DestinationOpenFailed;

    const std::string folder = ParentFolder(destination);
    std::string temporary;
    FileHandle out;
    for (int attempt = 0; attempt < 16 && !out.IsOpen(); ++attempt) {
        temporary = TemporaryNameIn(folder);
        out.Reset(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!out.IsOpen() && ::GetLastError() != ERROR_FILE_EXISTS &&
            ::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (!out.IsOpen()) return CopyResult::DestinationOpenFailed;

    CopyResult result = CopyContents(in.Get(), out.Get());
    if (result == CopyResult::Copied && !::FlushFileBuffers(out.Get())) result = CopyResult::WriteFailed;
    if (!out.Close() && result == CopyResult::Copied) result = CopyResult::WriteFailed;
    if (result == CopyResult::Copied) {
        const DWORD kept = sourceInfo.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                          FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM);
        ::SetFileAttributesA(temporary.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // A link to a folder is removed as a folder; the move then puts the file in its place.
            if (!((existing & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryA(destination)
                                                        : ::DeleteFileA(destination)))
                result = CopyResult::DestinationOpenFailed;
        }
        if (result == CopyResult::Copied &&
            !::MoveFileExA(temporary.c_str(), destination,
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            result = CopyResult::WriteFailed;
    }
    if (result != CopyResult::Copied) {
        ::SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(temporary.c_str());
    }
    return result;
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
