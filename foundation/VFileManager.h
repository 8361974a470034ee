#pragma once

#include "foundation/VData.h"
#include "foundation/VDiskInfo.h"
#include "foundation/VFileInfo.h"
#include "foundation/VObject.h"
#include "foundation/VRef.h"

#include <cstdint>
#include <cstdio>

namespace VFoundation {

class VCriticalSection;
class VObjectArray;
class VString;

// The library's one gateway to the file system. There is one manager per process (Instance); the
// operations keep no state of their own, so any thread may call any of them at any time.
//
// Paths are NUL-terminated 8-bit strings in the native form (apply MakeNativePath to a path written with
// the other separator first). A null path makes an operation fail without touching anything. Failures
// in ordinary use are results (false or none) with a diagnostic line; only ReadFileAtPath throws.
//
// Read-only mark: an entry without the owner-write bit counts as read-only. Removing one is refused,
// whoever the process runs as, until ChangePermissionsAtPath clears the mark.
class VFileManager : public VObject {
    V_DECLARE_CLASS(VFileManager)
public:
    ~VFileManager() override;

    // The process's manager, made on first use (safe against two first users at once). Not retained
    // for the caller; it lives until the library shuts down.
    static VFileManager* Instance();

    // True when path names an existing file or folder; isDirectory (optional) tells which.
    bool FileExistsAtPath(const char* path, bool* isDirectory = nullptr) const;
    bool DirectoryExistsAtPath(const char* path) const;

    // Removes a file (not a folder); refuses a read-only one.
    bool RemoveFileAtPath(const char* path) const;
    // Removes an empty folder; refuses a read-only one.
    bool RemoveDirectoryAtPath(const char* path) const;

    // Copies a file's content. A new destination takes the source's permission bits without write
    // permission for group and others (the umask may take more away); an existing destination keeps its
    // own. Times are not copied.
    // The destination's folder must exist. A folder source is copied as a tree. A failed copy leaves no
    // partial destination: the data goes to a temporary file in the destination's folder that replaces
    // the destination only when complete, so an existing destination stays as it was. A link at the
    // destination is replaced, never written through; a link to a folder, a device or a pipe there fails.
    bool CopyFileAtPath(const char* source, const char* destination) const;
    // Copies the files of source into destination (made with its parents when missing), and the
    // sub-folders' trees when recursive (without it, sub-folders are made empty). Stops with failure at
    // the first file that cannot be copied, and at a destination folder that is a link. A destination
    // inside the source is refused; a linked source folder that leads back into its own tree is skipped.
    bool CopyDirectoryAtPath(const char* source, const char* destination, bool recursive) const;

    // Makes every missing folder of path, each with mode (a POSIX permission word, less group and other
    // write permission; the umask may take more away).
    bool CreateFoldersAtPath(const char* path, uint16_t mode) const;

    // True when path itself is a symbolic link (whether or not what it points at exists).
    bool IsLinkAtPath(const char* path) const;
    // True when the folder path lies inside tree or is tree itself, links resolved: a linked folder whose
    // target holds the folder being walked leads back into it.
    bool IsInsideFolder(const char* path, const char* tree) const;

    // The entries of a folder, or none when it does not exist or cannot be read. Names beginning with
    // "._" are skipped. With an extension (written without its dot; compared without regard to case)
    // only files with it are listed. Sorted: folders first, then by name without regard to case. Names
    // are bare or full paths as asked.
    VRef<VFileInfoArray> DirectoryContentsAtPath(const char* path, const char* extension, bool sort,
                                                 bool fullPaths) const;

    // Sets or clears the read-only mark: a mode with the owner-write bit (0200) clears it (adds only
    // the owner's write permission), any other mode sets it (takes every write permission away); read
    // and execute permissions are kept. On a folder it also treats the folder's files, and with
    // recursive its whole tree. Stops changing at the first failure. Links are left as they are and
    // never followed, not even into a linked folder.
    bool ChangePermissionsAtPath(const char* path, uint16_t mode, bool recursive) const;

    // Makes the user called owner the owner of path (and of its tree when recursive). An unknown user is
    // a failure; an entry the user owns already succeeds without a change. A link gets the owner itself;
    // what it points at is never changed, and a linked folder is not walked.
    bool ChangeOwnerAtPath(const char* path, const char* owner, bool recursive) const;

    // The largest script, document or picture the program reads.
    static constexpr uint64_t kDocumentSizeLimit = 16u * 1024u * 1024u;

    // The whole file, or none when it does not exist, cannot be opened, is not a plain file (a pipe or a
    // device is never waited on) or holds more than maxBytes. Throws VException when it cannot be held in
    // memory or read in full.
    VRef<VData> ReadFileAtPath(const char* path, uint64_t maxBytes = UINT64_MAX) const;

    // A text stream writing path, never through a link at path nor onto a pipe or a device (those are
    // replaced or refused): a new file (mode 0644, less what the umask takes) replaces what was there, or,
    // with append, an existing file is continued. Not inherited by programs the process starts. Null, with
    // a diagnostic line, on failure; the caller closes it with fclose.
    std::FILE* OpenTextFileAtPath(const char* path, bool append) const;
    // Makes bytes the whole content of path through a temporary file that replaces it when complete (a
    // link at path is replaced, not followed). Mode 0644, or 0755 when executable.
    bool WriteFileAtPath(const char* path, const void* bytes, size_t size, bool executable) const;
    // Removes the temporary files (kTemporaryPrefix) that a copy interrupted in an earlier run left in
    // folder; those of a process still running stay. Returns how many were removed.
    int RemoveStaleTemporaryFiles(const char* folder) const;

    // Turns every separator of the other platform into the native one, in place.
    static void MakeNativePath(VString& path);
    static void MakeNativePath(char* path);
    static char PathSeparator();

    // Every temporary file that stands in for a file being written (a copy, a decoded sample, a log being
    // replaced) starts with this prefix, so that a later run can recognise and remove what an interrupted
    // one left behind.
    static constexpr const char* kTemporaryPrefix = ".kis-tmp-";

    // True when path is a root: "/" on POSIX, a drive root such as "C:\" on Windows.
    bool IsRootPath(const char* path) const;

    // The volume that holds path (an absolute path; it need not exist yet), or none.
    VRef<VDiskInfo> DiskInfoForPath(const char* path) const;

    // The roots of the machine's volumes (strings), made once and kept until the library shuts down or
    // ReleaseLogicalDriveRoots is called. Not retained for the caller.
    static VObjectArray* LogicalDriveRoots();
    static void ReleaseLogicalDriveRoots();
    // A new array (the caller releases it) of new strings: the platform's logical drive strings.
    static VObjectArray* CreateLogicalDriveStrings();

    // The class record's shut-down function: gives up the instance and the drive list.
    static void ShutDown();

private:
    friend VObject* CreateSharedFileManager();
    VFileManager();

    bool CopyTree(const char* source, const char* destination, bool recursive) const;
    bool ChangePermissionsTree(const char* path, bool writable, bool recursive) const;
    bool ChangeOwnerTree(const char* path, uint32_t userId, bool recursive) const;

    VRef<VCriticalSection> m_guard;
};

} // namespace VFoundation
