#pragma once

#include <cstdint>

namespace VFoundation {
class VString;
}

// What the compressed-audio folder copy asks the kit piece page. Paths are source-side folder paths
// compared byte-wise, by whole path components. The four questions are called on the installer thread;
// BeginInstallation is called on the user-interface thread before the installer thread is queued, and
// from then on the answers come from the choice as it was at that moment, never from the page's controls.
class IZdrcaInstallHost {
public:
    virtual ~IZdrcaInstallHost() = default;
    // The folder is the folder of a selected kit piece.
    virtual bool IsInstallPath(const VFoundation::VString& folder) = 0;
    // The folder lies above, at or below a selected kit piece's folder (whole components: "Deep" is not
    // above "Deep2").
    virtual bool IsOnInstallPath(const VFoundation::VString& folder) = 0;
    // The most compressed files to take from one folder (the chosen install size).
    virtual int32_t GetMaxFilesPerFolder() = 0;
    // The number of folders that will be decoded: the progress denominator.
    virtual int32_t GetInstallPathCount() = 0;
    // Keeps the user's choice for the installation about to start.
    virtual void BeginInstallation() {}
};
