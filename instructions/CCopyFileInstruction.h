#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"

#include <cstdint>

// "CopyFile, source, destination[, mode]": copies a file (a folder source as a whole tree), records the
// copy for the uninstaller and gives it the mode. The mode is read only when there are exactly three
// arguments; a text outside the mode table leaves the default 0777.
class CCopyFileInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CCopyFileInstruction)
public:
    explicit CCopyFileInstruction(const VFoundation::VString& arguments);
    ~CCopyFileInstruction() override;

    bool Execute() override;

private:
    VFoundation::VString m_source;
    VFoundation::VString m_destination;
    uint16_t m_mode;
};
