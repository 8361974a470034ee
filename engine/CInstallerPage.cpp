#include "engine/CInstallerPage.h"

#include "foundation/VClass.h"

using namespace VFoundation;

V_IMPLEMENT_CLASS(CInstallerPage, VObject)

CInstallerPage::CInstallerPage() : CInstallerPage("Unknown", "NaN") {}

CInstallerPage::CInstallerPage(const char* viewType, const char* argument)
    : VObject(GetClassRecord()), m_viewType(viewType), m_argument(argument) {}

CInstallerPage::~CInstallerPage() = default;
