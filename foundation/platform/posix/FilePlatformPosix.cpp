#include "foundation/FilePlatform.h"
#include "foundation/VFileManager.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace VFoundation::FilePlatform {

namespace {

// Seconds from 1 January 1601 to 1 January 1970.
constexpr uint64_t kEpochDifference = 11644473600ull;
constexpr size_t kCopyBufferSize = 0x10000;

uint64_t ToFileTime(const struct timespec& time) {
    if (time.tv_sec < 0 && static_cast<uint64_t>(-time.tv_sec) > kEpochDifference) return 0;
    const uint64_t seconds = static_cast<uint64_t>(static_cast<int64_t>(kEpochDifference) + time.tv_sec);
    return seconds * 10000000ull + static_cast<uint64_t>(time.tv_nsec) / 100;
}

void Describe(const struct stat& info, Status& out) {
    out.exists = true;
    out.isDirectory = S_ISDIR(info.st_mode);
    out.isWritable = (info.st_mode & S_IWUSR) != 0;
    out.size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
    out.modificationTime = ToFileTime(info.st_mtim);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    // Takes fd over, closing what was held.
    void Reset(int fd) {
        Close();
        m_fd = fd;
    }
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // False when the system reports a failure that surfaces only on close (a delayed write error).
    bool Close() {
        if (m_fd < 0) return true;
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0;
    }

private:
    int m_fd;
};

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, bytes, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

// Streams in to out. The kernel copies in place where it can; where it cannot (another file system,
// a special file, a system without the call) one 64 KiB buffer on the stack carries the data.
CopyResult CopyContents(int in, int out) {
    // Any failure of the kernel copy hands over to the buffer loop, which tells a read failure from a
    // write failure; the file offsets stand where the kernel left them.
    for (;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
        if (copied > 0) continue;
        if (copied == 0) return CopyResult::Copied;
        if (errno == EINTR) continue;
        break;
    }
    char buffer[kCopyBufferSize];
    for (;;) {
        const ssize_t count = ::read(in, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            return CopyResult::ReadFailed;
        }
        if (count == 0) return CopyResult::Copied;
        if (!WriteAll(out, buffer, static_cast<size_t>(count))) return CopyResult::WriteFailed;
    }
}

std::string DecodeMountField(std::string_view field) {
    // /proc/self/mounts writes blanks, tabs, line feeds and backslashes as three octal digits.
    std::string decoded;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string_view::npos) {
                decoded.push_back(
                    static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0')));
                i += 3;
                continue;
            }
        }
        decoded.push_back(field[i]);
    }
    return decoded;
}

struct MountEntry {
    std::string source;
    std::string mountPoint;
    std::string type;
};

std::vector<MountEntry> ReadMounts() {
    std::vector<MountEntry> mounts;
    std::FILE* file = std::fopen("/proc/self/mounts", "re");
    if (!file) return mounts;
    char line[4096 * 2];
    while (std::fgets(line, sizeof line, file)) {
        std::string_view rest(line);
        std::string_view fields[3];
        int found = 0;
        while (found < 3) {
            const size_t start = rest.find_first_not_of(" \t\n");
            if (start == std::string_view::npos) break;
            rest.remove_prefix(start);
            const size_t end = rest.find_first_of(" \t\n");
            fields[found++] = rest.substr(0, end);
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
        }
        if (found == 3)
            mounts.push_back(
                {DecodeMountField(fields[0]), DecodeMountField(fields[1]), std::string(fields[2])});
    }
    std::fclose(file);
    return mounts;
}

bool IsPseudoFileSystem(const std::string& type) {
    static const char* const kPseudo[] = {
        "proc",    "sysfs",       "devtmpfs", "devpts",     "cgroup",    "cgroup2", "securityfs", "debugfs",
        "tracefs", "mqueue",      "pstore",   "bpf",        "configfs",  "fusectl", "autofs",     "hugetlbfs",
        "nsfs",    "binfmt_misc", "efivarfs", "rpc_pipefs", "selinuxfs", "squashfs"};
    for (const char* pseudo : kPseudo)
        if (type == pseudo) return true;
    return false;
}

bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.starts_with('/');
    return path == folder || (path.starts_with(folder) && path[folder.size()] == '/');
}

int32_t DiskTypeOf(const std::string& type) {
    if (type == "iso9660" || type == "udf") return 4;
    if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "smbfs" ||
        type == "9p" || type == "afs" || type == "ceph" || type.starts_with("fuse.sshfs"))
        return 5;
    if (type == "ramfs") return 1;
    return 2;
}

// The label that /dev/disk/by-label gives the device, or the device's own name.
std::string VolumeNameOf(const std::string& source) {
    char device[PATH_MAX];
    if (!::realpath(source.c_str(), device)) return source;
    DIR* labels = ::opendir("/dev/disk/by-label");
    if (!labels) return source;
    std::string result = source;
    while (const struct dirent* entry = ::readdir(labels)) {
        if (entry->d_name[0] == '.') continue;
        const std::string link = std::string("/dev/disk/by-label/") + entry->d_name;
        char target[PATH_MAX];
        if (::realpath(link.c_str(), target) && std::strcmp(target, device) == 0) {
            // udev writes blanks and other unsafe bytes as \xNN.
            result.clear();
            for (const char* p = entry->d_name; *p; ++p) {
                unsigned value = 0;
                if (p[0] == '\\' && p[1] == 'x' && std::sscanf(p + 2, "%2x", &value) == 1) {
                    result.push_back(static_cast<char>(value));
                    p += 3;
                } else {
                    result.push_back(*p);
                }
            }
            break;
        }
    }
    ::closedir(labels);
    return result;
}

} // namespace

bool GetStatus(const char* path, Status& out, bool followLinks) {
    out = Status();
    if (!path) return false;
    struct stat info;
    if (::lstat(path, &info) != 0) return false;
    const bool isLink = S_ISLNK(info.st_mode);
    struct stat target;
    Describe(isLink && followLinks && ::stat(path, &target) == 0 ? target : info, out);
    out.isLink = isLink;
    return true;
}

namespace {

// This machine's name as it may stand in a file name: folders on a shared drive receive temporary files
// from installers on other machines, whose process ids mean nothing here.
const std::string& MachineTag() {
    static const std::string tag = [] {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0) return std::string("localhost");
        std::string text;
        for (const char* c = name; *c; ++c)
            text += std::isalnum(static_cast<unsigned char>(*c)) || *c == '.' ? *c : '_';
        return text;
    }();
    return tag;
}

} // namespace

std::string TemporaryPathIn(const std::string& folder) {
    static std::atomic<uint32_t> counter{0};
    char name[320];
    std::snprintf(name, sizeof name, "%s%ld@%s-%u.tmp", VFoundation::VFileManager::kTemporaryPrefix,
                  static_cast<long>(::getpid()), MachineTag().c_str(),
                  counter.fetch_add(1, std::memory_order_relaxed));
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsStaleTemporaryName(const char* name) {
    const size_t prefixLength = std::strlen(VFoundation::VFileManager::kTemporaryPrefix);
    if (!name || std::strncmp(name, VFoundation::VFileManager::kTemporaryPrefix, prefixLength) != 0)
        return false;
    char* end = nullptr;
    const long process = std::strtol(name + prefixLength, &end, 10);
    if (end == name + prefixLength || process <= 0 || (*end != '-' && *end != '@')) return false;
    if (*end == '@') {
        // Only this machine can tell whether the process still runs.
        const char* last = std::strrchr(end, '-');
        if (!last || std::string(static_cast<const char*>(end) + 1, last) != MachineTag()) return false;
    }
    // Another installer still writing into the folder keeps its files.
    return process != static_cast<long>(::getpid()) && ::kill(static_cast<pid_t>(process), 0) != 0 &&
           errno == ESRCH;
}

bool ListDirectory(const char* path, const std::function<void(const char* name, const Status&)>& visit) {
    if (!path) return false;
    DIR* folder = ::opendir(path);
    if (!folder) return false;
    const int folderFd = ::dirfd(folder);
    while (const struct dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        Status status;
        struct stat info;
        if (::fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue; // gone since listed
        const bool isLink = S_ISLNK(info.st_mode);
        struct stat target;
        Describe(isLink && ::fstatat(folderFd, name, &target, 0) == 0 ? target : info, status);
        status.isLink = isLink;
        visit(name, status);
    }
    ::closedir(folder);
    return true;
}

namespace {

// Write permission for group and others is never given to what the installer makes: a permissive umask
// must not leave installed files or folders open to every user.
constexpr mode_t kNoSharedWrite = S_IWGRP | S_IWOTH;

// Creates a new, empty temporary file in folder with mode, less group and other write permission (the
// umask may take more away, never add).
int CreateTemporaryIn(const std::string& folder, mode_t mode, std::string& temporary) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = TemporaryPathIn(folder);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              mode & ~kNoSharedWrite);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    return -1;
}

// What may stand at a path that a new file is to replace: nothing, a plain file, or a link to anything but
// a folder. A folder, a link to one, a device or a pipe is never replaced.
bool MayReplace(const char* path, struct stat& existing, bool& exists) {
    exists = ::lstat(path, &existing) == 0;
    if (!exists) return true;
    if (S_ISLNK(existing.st_mode)) {
        struct stat target;
        exists = false; // the link itself goes; what it points at is left alone
        return ::stat(path, &target) != 0 || !S_ISDIR(target.st_mode);
    }
    return S_ISREG(existing.st_mode);
}

} // namespace

// The copy goes to a temporary file beside the destination and is renamed over it only when complete:
// a failure removes the temporary file and leaves an existing destination as it was, and a program
// running from the old file keeps its own copy instead of seeing it change under it. A replaced file
// keeps its permission bits (and, for root, its owner). A link at the destination is replaced, never
// written through: anyone who may write in the folder could have pointed it at another user's file.
CopyResult CopyFile(const char* source, const char* destination) {
    if (!source || !destination) return CopyResult::SourceOpenFailed;
    FileDescriptor in(::open(source, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!in.IsOpen()) return CopyResult::SourceOpenFailed;
    struct stat sourceInfo;
    if (::fstat(in.Get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode))
        return CopyResult::SourceOpenFailed;
    ::posix_fadvise(in.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    struct stat existing;
    bool exists = false;
    if (!MayReplace(destination, existing, exists)) return CopyResult::DestinationOpenFailed;
    if (exists && !(existing.st_mode & S_IWUSR)) return CopyResult::DestinationOpenFailed;

    // A new file takes the source's permission bits, as cp makes it: installed programs stay executable,
    // and a read-only source gives a read-only copy, as the read-only attribute travels with a copy on
    // Windows.
    std::string temporary;
    FileDescriptor out(CreateTemporaryIn(ParentFolder(destination), sourceInfo.st_mode & 0777, temporary));
    if (!out.IsOpen()) return CopyResult::DestinationOpenFailed;

    CopyResult result = CopyContents(in.Get(), out.Get());
    if (result == CopyResult::Copied && exists) {
        if (::geteuid() == 0 &&
            (existing.st_uid != sourceInfo.st_uid || existing.st_gid != sourceInfo.st_gid))
            (void)::fchown(out.Get(), existing.st_uid, existing.st_gid);
        (void)::fchmod(out.Get(), existing.st_mode & 07777);
    }
    if (!out.Close() && result == CopyResult::Copied) result = CopyResult::WriteFailed;
    if (result == CopyResult::Copied && ::rename(temporary.c_str(), destination) != 0)
        result = CopyResult::WriteFailed;
    if (result != CopyResult::Copied) ::unlink(temporary.c_str());
    return result;
}

ReadResult ReadFile(const char* path, uint64_t limit, std::vector<uint8_t>& out) {
    out.clear();
    if (!path) return ReadResult::OpenFailed;
    // Without O_NONBLOCK opening a pipe would wait for a writer.
    FileDescriptor in(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!in.IsOpen()) return ReadResult::OpenFailed;
    struct stat info;
    if (::fstat(in.Get(), &info) != 0) return ReadResult::ReadFailed;
    if (!S_ISREG(info.st_mode)) return ReadResult::NotAFile;
    if (static_cast<uint64_t>(info.st_size) > limit) return ReadResult::TooLarge;
    out.resize(static_cast<size_t>(info.st_size)); // std::bad_alloc passes to the caller
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t count = ::read(in.Get(), out.data() + done, out.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        done += static_cast<size_t>(count);
    }
    // A file that shrank while it was read is read as far as it goes; one that grew, only to its size.
    out.resize(done);
    return done == static_cast<size_t>(info.st_size) ? ReadResult::Read : ReadResult::ReadFailed;
}

std::FILE* OpenTextFile(const char* path, bool append) {
    if (!path || !*path) return nullptr;
    struct stat existing;
    bool exists = false;
    if (!MayReplace(path, existing, exists)) return nullptr;
    int fd = -1;
    // A file with a second name may be someone else's file linked in: it is replaced, not continued.
    if (append && exists && existing.st_nlink == 1) {
        // O_NOFOLLOW: a link planted since the check above makes the open fail instead of being followed.
        fd = ::open(path, O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        struct stat info;
        if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
            ::close(fd);
            return nullptr;
        }
    } else {
        std::string temporary;
        fd = CreateTemporaryIn(ParentFolder(path), 0644, temporary);
        if (fd >= 0 && ::rename(temporary.c_str(), path) != 0) {
            ::close(fd);
            ::unlink(temporary.c_str());
            return nullptr;
        }
    }
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, append ? "a" : "w");
    if (!file) ::close(fd);
    return file;
}

std::FILE* CreateNewFile(const char* path) {
    if (!path || !*path) return nullptr;
    // O_EXCL also refuses a link at path, dangling or not.
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) ::close(fd);
    return file;
}

bool ReplaceFile(const char* path, const void* bytes, size_t size, bool executable) {
    if (!path || !*path || (!bytes && size > 0)) return false;
    struct stat existing;
    bool exists = false;
    if (!MayReplace(path, existing, exists)) return false;
    std::string temporary;
    FileDescriptor out(CreateTemporaryIn(ParentFolder(path), executable ? 0755 : 0644, temporary));
    if (!out.IsOpen()) return false;
    bool written = WriteAll(out.Get(), static_cast<const char*>(bytes), size);
    written = out.Close() && written;
    if (written && ::rename(temporary.c_str(), path) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

RemoveResult RemoveFile(const char* path) {
    if (!path) return RemoveResult::NotFound;
    if (::unlink(path) == 0) return RemoveResult::Removed;
    switch (errno) {
    case ENOENT:
    case ENOTDIR:
        return RemoveResult::NotFound;
    case EISDIR:
        return RemoveResult::IsDirectory;
    case EACCES:
    case EPERM:
    case EROFS:
        return RemoveResult::Denied;
    default:
        return RemoveResult::Failed;
    }
}

bool RemoveDirectory(const char* path) {
    return path && ::rmdir(path) == 0;
}

bool MakeDirectory(const char* path, uint16_t mode) {
    return path && ::mkdir(path, static_cast<mode_t>(mode) & 07777 & ~kNoSharedWrite) == 0;
}

bool SetWritable(const char* path, bool writable) {
    struct stat info;
    if (!path || ::lstat(path, &info) != 0) return false;
    // A link has no permissions of its own here, and what it points at is not the caller's to change.
    if (S_ISLNK(info.st_mode)) return true;
    const mode_t current = info.st_mode & 07777;
    const mode_t wanted =
        writable ? (current | S_IWUSR) : (current & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH));
    // Nothing to change is success even for a caller who may not change the mode.
    if (wanted == current) return true;
    // AT_SYMLINK_NOFOLLOW: a link put in the entry's place since the check is refused, not followed.
    if (::fchmodat(AT_FDCWD, path, wanted, AT_SYMLINK_NOFOLLOW) == 0) return true;
    return errno == EOPNOTSUPP && ::lstat(path, &info) == 0 && S_ISLNK(info.st_mode);
}

bool LookupUser(const char* name, uint32_t& userId) {
    if (!name || !*name) return false;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    for (;;) {
        struct passwd record;
        struct passwd* found = nullptr;
        const int error = ::getpwnam_r(name, &record, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (size_t{1} << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || !found) return false;
        userId = static_cast<uint32_t>(found->pw_uid);
        return true;
    }
}

bool ChangeOwner(const char* path, uint32_t userId) {
    struct stat info;
    if (!path || ::lstat(path, &info) != 0) return false;
    if (info.st_uid == static_cast<uid_t>(userId)) return true;
    return ::lchown(path, static_cast<uid_t>(userId), static_cast<gid_t>(-1)) == 0;
}

bool GetVolumeStatus(const char* path, VolumeStatus& out) {
    out = VolumeStatus();
    if (!path || path[0] != '/') return false;
    // The install location often does not exist yet: its volume is that of its nearest existing ancestor.
    std::string existing = path;
    struct stat info;
    while (::stat(existing.c_str(), &info) != 0) {
        if (existing == "/") return false;
        while (existing.size() > 1 && existing.back() == '/')
            existing.pop_back();
        existing = ParentFolder(existing);
    }
    char real[PATH_MAX];
    if (!::realpath(existing.c_str(), real)) return false;
    struct statvfs volume;
    if (::statvfs(real, &volume) != 0) return false;

    MountEntry best{"", "/", ""};
    bool found = false;
    for (const MountEntry& mount : ReadMounts()) {
        // Later entries are mounted over earlier ones, so they win a tie.
        if (IsBelow(real, mount.mountPoint) &&
            (!found || mount.mountPoint.size() >= best.mountPoint.size())) {
            best = mount;
            found = true;
        }
    }
    out.rootPath = best.mountPoint;
    out.diskType = found ? DiskTypeOf(best.type) : 2;
    out.volumeName = found ? VolumeNameOf(best.source) : std::string("Unkown");
    out.serialNumber = static_cast<uint32_t>(volume.f_fsid);
    if (out.diskType == 3 || out.diskType == 4) return true;

    const uint64_t unit = volume.f_frsize ? volume.f_frsize : volume.f_bsize;
    out.freeBytes = static_cast<uint64_t>(volume.f_bavail) * unit;
    out.totalBytes = static_cast<uint64_t>(volume.f_blocks) * unit;
    auto clamp = [](uint64_t value) {
        return static_cast<uint32_t>(value > UINT32_MAX ? UINT32_MAX : value);
    };
    out.sectorsPerCluster = 1;
    out.bytesPerSector = clamp(unit);
    out.freeClusters = clamp(volume.f_bavail);
    out.totalClusters = clamp(volume.f_blocks);
    return true;
}

std::vector<std::string> LogicalDriveStrings() {
    std::vector<std::string> roots{"/"};
    for (const MountEntry& mount : ReadMounts()) {
        const std::string& point = mount.mountPoint;
        if (IsPseudoFileSystem(mount.type) || point.empty() || point[0] != '/') continue;
        if (IsBelow(point, "/proc") || IsBelow(point, "/sys") || IsBelow(point, "/dev") ||
            IsBelow(point, "/run"))
            continue;
        bool known = false;
        for (const std::string& root : roots)
            known = known || root == point;
        if (!known) roots.push_back(point);
    }
    return roots;
}

} // namespace VFoundation::FilePlatform
