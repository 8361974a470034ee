#pragma once

#include "engine/IZdrcaInstallHost.h"
#include "foundation/VString.h"

#include <memory>
#include <vector>

class CInstallScript;

// The kit piece page's answers for an installation without the wizard: the choices a user accepting the
// page's defaults makes. Every kit piece (a folder of a category folder of the page's library folder) that
// is not installed already (below the data folder that "Software\Kestrawin\ZDR" names) is selected, at
// the first install size of the page's list.
class CUnattendedKitPieceHost : public IZdrcaInstallHost {
public:
    // The host of the script's first kit piece page; nullptr when the script has none.
    static std::unique_ptr<CUnattendedKitPieceHost> ForScript(const CInstallScript& script);

    bool IsInstallPath(const VFoundation::VString& folder) override;
    bool IsOnInstallPath(const VFoundation::VString& folder) override;
    int32_t GetMaxFilesPerFolder() override;
    int32_t GetInstallPathCount() override;

    const std::vector<VFoundation::VString>& GetSelectedFolders() const { return m_selected; }

private:
    CUnattendedKitPieceHost() = default;
    void ReadOptions(const VFoundation::VString& options, const CInstallScript& script);
    void SelectPieces(const VFoundation::VString& libraryFolder);

    std::vector<VFoundation::VString> m_selected;
    int32_t m_filesPerFolder = 0;
};
