#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

#include <cstdint>
#include <string>
#include <vector>

// "CopyDirectory, source, destination[, [recursive]]": copies the files of a folder, and with the
// recursive option its whole tree (without it, sub-folders are made empty). Every file copied and every
// folder this run made is recorded for the uninstaller; progress rises by an equal step per file. The
// first file that cannot be copied stops the copy; what was copied stays, with its entries.
class CCopyDirectoryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CCopyDirectoryInstruction)
public:
    explicit CCopyDirectoryInstruction(const VFoundation::VString& arguments);
    ~CCopyDirectoryInstruction() override;

    bool Execute() override;

private:
    // The folders being walked, outermost first, as canonical paths: a folder reached again through a
    // link is not entered a second time.
    using FolderChain = std::vector<std::string>;

    uint32_t CountFiles(const VFoundation::VString& folder, FolderChain& chain) const;
    bool CopyTree(const VFoundation::VString& source, const VFoundation::VString& destination,
                  FolderChain& chain);

    VFoundation::VString m_source;
    VFoundation::VString m_destination;
    bool m_recursive = false;
    float m_fileStep = 0.0f;
};
