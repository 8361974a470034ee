#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// What the file manager asks of the platform. Each backend implements it in
// foundation/platform/<backend>/. Paths are NUL-terminated 8-bit strings in the native form; none of these
// functions logs: the file manager turns their results into its diagnostics.
namespace VFoundation::FilePlatform {

struct Status {
    bool exists = false;
    bool isDirectory = false;
    // The read-only attribute, emulated on POSIX by the owner-write bit: false when it is missing.
    bool isWritable = false;
    // The entry itself is a symbolic link (the other fields describe what it points at when followed).
    bool isLink = false;
    uint64_t size = 0;
    // Last write, in 100-nanosecond ticks since 1 January 1601 (UTC).
    uint64_t modificationTime = 0;
};

// Describes path. With followLinks a symbolic link describes what it points at (the link itself when
// it dangles); without, the entry itself. False (and exists false) when there is nothing at path.
bool GetStatus(const char* path, Status& out, bool followLinks = true);

// Calls visit once per entry of the folder (never for "." and ".."), in the order the system gives
// them, with links followed as GetStatus does (isLink tells them apart). False when the folder cannot be
// opened.
bool ListDirectory(const char* path, const std::function<void(const char* name, const Status&)>& visit);

enum class CopyResult { Copied, SourceOpenFailed, DestinationOpenFailed, ReadFailed, WriteFailed };

// Copies the content of the file source to destination (created, or replaced as a whole). Whatever the
// result, destination is either complete or untouched: nothing half-written stays behind. A read-only
// destination, a folder, a link to a folder and anything that is not a file (a device, a pipe) cannot be
// opened. A link at destination is never written through: the copy replaces the link itself. A new file
// takes the source's permission bits without write permission for group and others.
CopyResult CopyFile(const char* source, const char* destination);

enum class ReadResult { Read, OpenFailed, NotAFile, TooLarge, ReadFailed };

// Reads the whole file at path into out when it is a plain file (links followed) of at most limit bytes.
// Never waits on a pipe or a device.
ReadResult ReadFile(const char* path, uint64_t limit, std::vector<uint8_t>& out);

// Opens path for writing text, never through a link at path and never onto a pipe or a device: a new file
// replaces a link (and, without append, an existing file); with append an existing plain file with no
// other name (hard link) is continued. A new file gets mode 0644 (read for all, write for the owner only).
// Null on failure. The stream is not inherited by programs the process starts.
std::FILE* OpenTextFile(const char* path, bool append);

// Creates path for writing binary data only when nothing (not even a dangling link) is there. Null when
// something is, or on failure. The stream is not inherited by programs the process starts.
std::FILE* CreateNewFile(const char* path);

// Writes size bytes as the whole content of path: to a temporary file in the same folder that then
// replaces path (or a link at path), so path is never seen half-written. The new file gets mode 0644, or
// 0755 when executable.
bool ReplaceFile(const char* path, const void* bytes, size_t size, bool executable);

// A name, unique among the threads and processes writing to folder, for a temporary file there: it starts
// with VFileManager::kTemporaryPrefix and names the process and the machine that made it.
std::string TemporaryPathIn(const std::string& folder);
// True when name (a bare name) is a temporary name of this machine (or of no named machine) whose process
// no longer runs.
bool IsStaleTemporaryName(const char* name);

enum class RemoveResult { Removed, NotFound, IsDirectory, Denied, Failed };
RemoveResult RemoveFile(const char* path);
// Removes an empty folder.
bool RemoveDirectory(const char* path);
// Makes one folder; mode is a POSIX permission word that the platform may ignore. Group and others never
// get write permission, whatever the mode and the umask.
bool MakeDirectory(const char* path, uint16_t mode);
// Clears (writable) or sets the read-only attribute. On POSIX: adds the owner-write bit, or removes
// every write bit; read and execute bits stay. A link is not followed: it succeeds without a change.
bool SetWritable(const char* path, bool writable);

// The id of the user called name; false for an unknown user.
bool LookupUser(const char* name, uint32_t& userId);
// Makes userId the owner of path (of a link itself, never of what it points at). Succeeds without a
// change when the owner is already userId.
bool ChangeOwner(const char* path, uint32_t userId);

struct VolumeStatus {
    std::string rootPath;   // the mount point (the drive root where there are drives)
    std::string volumeName; // the label, or what names the volume best
    int32_t diskType = 0;   // the VDiskInfo codes
    uint64_t freeBytes = 0; // available to the calling user
    uint64_t totalBytes = 0;
    uint32_t sectorsPerCluster = 0;
    uint32_t bytesPerSector = 0;
    uint32_t freeClusters = 0;
    uint32_t totalClusters = 0;
    uint32_t serialNumber = 0;
};

// Describes the volume that holds path (an absolute path whose nearest existing ancestor is used).
bool GetVolumeStatus(const char* path, VolumeStatus& out);

// The roots a user may install to: the drive roots, or the mount points of real file systems with "/"
// first.
std::vector<std::string> LogicalDriveStrings();

} // namespace VFoundation::FilePlatform
