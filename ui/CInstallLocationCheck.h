#pragma once

#include "foundation/VString.h"

#include <cstdint>

class CInstallScript;

// What the install location page can tell before anything is installed: whether the chosen folder (or,
// when it does not exist yet, the nearest folder above it that does) takes new files, and how the space
// the selected sections need compares with the space free on that disk.
class CInstallLocationCheck {
public:
    // The nearest existing folder at or above path. Empty when not even a root exists (a relative path
    // below a missing folder is taken from the current folder).
    static VFoundation::VString NearestExistingFolder(const VFoundation::VString& path);
    // Whether a file can be made in the nearest existing folder; tried with a temporary file, so that
    // read-only mounts, permissions and access lists all count. On false, folder names the folder tried
    // and reason the system's words for the refusal. A plain file in the way is not judged here (true):
    // creating the folder fails on it later.
    static bool IsWritable(const VFoundation::VString& path, VFoundation::VString& folder,
                           VFoundation::VString& reason);
    // The bytes of every section that will run: the selected and the mandatory ones.
    static int64_t RequiredBytes(const CInstallScript& script);
    // A size for people: "12 KB", "3.4 MB", "1.20 GB".
    static VFoundation::VString FormatBytes(double bytes);
    // "Space required: X    Space free: Y" for the disk of path's nearest existing folder; the free part
    // reads "unknown" when the disk cannot be asked.
    static VFoundation::VString DescribeSpace(const CInstallScript& script, const VFoundation::VString& path,
                                              bool* fits = nullptr);
};
