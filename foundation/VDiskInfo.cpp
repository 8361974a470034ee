#include "foundation/VDiskInfo.h"

#include "foundation/VClass.h"

#include <cinttypes>

namespace VFoundation {

V_IMPLEMENT_CLASS(VDiskInfo, VObject)

VDiskInfo::VDiskInfo() : VObject(GetClassRecord()), m_rootPath("Unknown"), m_volumeName("Unknown") {}

VDiskInfo::~VDiskInfo() = default;

void VDiskInfo::GetDescription(VString& out) const {
    out.Format("VolumeName [%s], Size [%" PRIu64 "], Free [%" PRIu64 "]", m_rootPath.GetText(), m_totalBytes,
               m_freeBytes);
}

} // namespace VFoundation
