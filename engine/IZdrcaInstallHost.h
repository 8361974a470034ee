#pragma once

#include <cstdint>

namespace VFoundation {
class VString;
}

// What the compressed-audio folder copy asks the kit piece page. Paths are source-side folder paths
// compared byte-wise. Called on the installer thread; the answers read the page's selection, which does
// not change while the installation runs.
class IZdrcaInstallHost {
public:
    virtual ~IZdrcaInstallHost() = default;
    // The folder is the folder of a selected kit piece.
    virtual bool IsInstallPath(const VFoundation::VString& folder) = 0;
    // The folder lies above, at or below a selected kit piece's folder (plain byte prefixes).
    virtual bool IsOnInstallPath(const VFoundation::VString& folder) = 0;
    // The most compressed files to take from one folder (the chosen install size).
    virtual int32_t GetMaxFilesPerFolder() = 0;
    // The number of folders that will be decoded: the progress denominator.
    virtual int32_t GetInstallPathCount() = 0;
};
