#pragma once

#include "foundation/VObject.h"
#include "foundation/VString.h"

// A wizard page of the script: the panel kind and the panel's argument.
class CInstallerPage : public VFoundation::VObject {
    V_DECLARE_CLASS(CInstallerPage)
public:
    CInstallerPage();
    CInstallerPage(const char* viewType, const char* argument);
    ~CInstallerPage() override;

    const VFoundation::VString& GetViewType() const { return m_viewType; }
    const VFoundation::VString& GetArgument() const { return m_argument; }

private:
    VFoundation::VString m_viewType;
    VFoundation::VString m_argument;
};
