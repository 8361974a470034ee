#pragma once

#include <cstdint>
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
    // A symbolic link described without following it.
    bool isLink = false;
    // The read-only attribute, emulated on POSIX by the owner-write bit: false when it is missing.
    bool isWritable = false;
    uint64_t size = 0;
    // Last write, in 100-nanosecond ticks since 1 January 1601 (UTC).
    uint64_t modificationTime = 0;
};

// Describes path. With followLinks a symbolic link describes what it points at (the link itself when
// it dangles); without, the entry itself. False (and exists false) when there is nothing at path.
bool GetStatus(const char* path, Status& out, bool followLinks = true);

// Calls visit once per entry of the folder (never for "." and ".."), in the order the system gives
// them, with links followed as GetStatus does. False when the folder cannot be opened.
bool ListDirectory(const char* path, const std::function<void(const char* name, const Status&)>& visit);

enum class CopyResult { Copied, SourceOpenFailed, DestinationOpenFailed, ReadFailed, WriteFailed };

// Copies the content of the file source to destination (created, or replaced as a whole). Whatever the
// result, destination is either complete or untouched: nothing half-written stays behind. A read-only
// destination, or a folder, cannot be opened.
CopyResult CopyFile(const char* source, const char* destination);

enum class RemoveResult { Removed, NotFound, IsDirectory, Denied, Failed };
RemoveResult RemoveFile(const char* path);
// Removes an empty folder.
bool RemoveDirectory(const char* path);
// Makes one folder; mode is a POSIX permission word that the platform may ignore.
bool MakeDirectory(const char* path, uint16_t mode);
// Clears (writable) or sets the read-only attribute. On POSIX: adds the owner-write bit, or removes
// every write bit; read and execute bits stay.
bool SetWritable(const char* path, bool writable);

// The id of the user called name; false for an unknown user.
bool LookupUser(const char* name, uint32_t& userId);
// Makes userId the owner of path. Succeeds without a change when the owner is already userId.
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
