#include "ui/CInstallLocationCheck.h"

#include "engine/CInstallScript.h"
#include "engine/CInstallerSection.h"
#include "foundation/VDiskInfo.h"
#include "foundation/VFileManager.h"
#include "foundation/VRef.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

using VFoundation::VString;

VString CInstallLocationCheck::NearestExistingFolder(const VString& path) {
    if (path.IsEmpty()) return VString();
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(std::filesystem::path(path.GetText()), error);
    if (error) return VString();
    while (!std::filesystem::exists(folder, error)) {
        const std::filesystem::path parent = folder.parent_path();
        if (parent.empty() || parent == folder) return VString();
        folder = parent;
    }
    return VString(folder.string().c_str());
}

bool CInstallLocationCheck::IsWritable(const VString& path, VString& folder, VString& reason) {
    folder = NearestExistingFolder(path);
    reason.Assign("");
    if (folder.IsEmpty()) {
        folder = path;
        reason.Assign("no part of the path exists");
        return false;
    }
    // A plain file in the way is left to the folder creation, which reports it in its own words.
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::path(folder.GetText()), error)) return true;
    // An exclusive create never touches a file that is already there; the name is one that every other
    // part of the system treats as a stray temporary file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string probe = (std::filesystem::path(folder.GetText()) /
                             (std::string(VFoundation::VFileManager::kTemporaryPrefix) + "write-check-" +
                              std::to_string(attempt)))
                                .string();
        errno = 0;
        if (FILE* file = std::fopen(probe.c_str(), "wx")) {
            std::fclose(file);
            std::remove(probe.c_str());
            return true;
        }
        if (errno != EEXIST) {
            reason.Assign(std::strerror(errno != 0 ? errno : EACCES));
            return false;
        }
    }
    reason.Assign(std::strerror(EEXIST));
    return false;
}

int64_t CInstallLocationCheck::RequiredBytes(const CInstallScript& script) {
    int64_t total = 0;
    for (const CInstallerSection* section : script.GetSections())
        if (section->IsSelected() || !section->IsOptional()) total += section->GetSize();
    return total;
}

VString CInstallLocationCheck::FormatBytes(double bytes) {
    char text[64];
    if (bytes < 1024.0 * 1024.0)
        std::snprintf(text, sizeof text, "%.0f KB", std::ceil(bytes / 1024.0));
    else if (bytes < 1024.0 * 1024.0 * 1024.0)
        std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024.0));
    else
        std::snprintf(text, sizeof text, "%.2f GB", bytes / (1024.0 * 1024.0 * 1024.0));
    return VString(text);
}

VString CInstallLocationCheck::DescribeSpace(const CInstallScript& script, const VString& path, bool* fits) {
    const int64_t required = RequiredBytes(script);
    VString text("Space required: ");
    text.Append(FormatBytes(double(required)));
    text.Append("    Space free: ");
    const VString folder = NearestExistingFolder(path);
    VFoundation::VRef<VFoundation::VDiskInfo> disk =
        folder.IsEmpty() ? nullptr : VFoundation::VFileManager::Instance()->DiskInfoForPath(folder.GetText());
    if (fits) *fits = true;
    if (!disk) {
        text.Append("unknown");
        return text;
    }
    text.Append(FormatBytes(double(disk->GetFreeBytes())));
    if (fits) *fits = uint64_t(required) <= disk->GetFreeBytes();
    return text;
}
