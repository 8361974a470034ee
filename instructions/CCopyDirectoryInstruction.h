#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VFileInfo.h"
#include "foundation/VString.h"

#include <cstdint>

// "CopyDirectory, source, destination[, [recursive]]": copies the files of a folder, and with the
// recursive option its whole tree (without it, sub-folders are made empty). Every file copied and every
// folder this run made is recorded for the uninstaller; progress rises by an equal step per file. The
// first file that cannot be copied stops the copy; what was copied stays, with its entries. A destination
// folder that is a link is never written through: the copy fails there.
class CCopyDirectoryInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CCopyDirectoryInstruction)
public:
    explicit CCopyDirectoryInstruction(const VFoundation::VString& arguments);
    ~CCopyDirectoryInstruction() override;

    bool Execute() override;

private:
    // A linked source folder whose target holds the folder being walked would lead back into the tree
    // without end: it is neither counted nor copied. Only links are resolved, so a deep tree costs no
    // more per folder than a shallow one.
    bool LeadsBack(const VFoundation::VString& folder, const VFoundation::VFileInfo& entry,
                   const VFoundation::VString& child) const;
    uint32_t CountFiles(const VFoundation::VString& folder) const;
    bool CopyTree(const VFoundation::VString& source, const VFoundation::VString& destination);

    VFoundation::VString m_source;
    VFoundation::VString m_destination;
    bool m_recursive = false;
    float m_fileStep = 0.0f;
};
