#include "engine/CInstallerSection.h"

#include "foundation/VClass.h"

using namespace VFoundation;

V_IMPLEMENT_CLASS(CInstallerSection, VObject)

CInstallerSection::CInstallerSection() : CInstallerSection("Unknown", "Unknown", true, SectionPlatformNone) {}

CInstallerSection::CInstallerSection(const char* name, const char* description, bool optional,
                                     SectionPlatform platform)
    : VObject(GetClassRecord()), m_optional(optional), m_platform(platform), m_name(name),
      m_description(description) {}

CInstallerSection::~CInstallerSection() = default;
