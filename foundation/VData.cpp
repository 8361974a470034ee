#include "foundation/VData.h"

#include "foundation/VClass.h"

namespace VFoundation {

V_IMPLEMENT_CLASS(VData, VObject)

VData::VData() : VObject(GetClassRecord()) {}

VData::VData(size_t length, VClass* record) : VObject(record ? record : GetClassRecord()), m_bytes(length) {}

VData::~VData() = default;

VObject* VData::Copy() const {
    auto* copy = new VData(m_bytes.size());
    copy->m_bytes = m_bytes;
    return copy;
}

bool VData::IsEqual(const VObject* other) const {
    if (!other || other->GetClass() != GetClass()) return false;
    return static_cast<const VData*>(other)->m_bytes == m_bytes;
}

} // namespace VFoundation
