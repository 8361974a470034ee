#include "foundation/VObject.h"

#include "foundation/VArchive.h"
#include "foundation/VClass.h"
#include "foundation/VString.h"
#include "foundation/VXMLFile.h"

namespace VFoundation {

namespace ClassRegistryState {
bool IsShutDown();
}

VClass* VObject::GetClassRecord() {
    static std::atomic<VClass*> home{nullptr};
    return VClass::Obtain(home, "VObject", nullptr, &Detail::CreateInstanceOf<VObject>, nullptr, nullptr,
                          sizeof(VObject));
}

VObject::VObject(VClass* record) : m_class(record ? record : GetClassRecord()), m_refCount(1) {
    m_class->InstanceCreated();
}

VObject::VObject(const VObject& other) : m_class(other.m_class), m_refCount(1) {
    m_class->InstanceCreated();
}

VObject::~VObject() {
    if (!ClassRegistryState::IsShutDown()) m_class->InstanceDestroyed();
}

int32_t VObject::Retain() const {
    return static_cast<int32_t>((m_refCount.fetch_add(1, std::memory_order_relaxed) + 1) & kCountMask);
}

int32_t VObject::Release() const {
    const uint32_t count = (m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1) & kCountMask;
    if (count == 0) Destroy();
    return static_cast<int32_t>(count);
}

void VObject::Destroy() const {
    delete this;
}

VObject* VObject::Copy() const {
    return m_class->CreateInstance();
}

void VObject::Serialize(VArchive& archive) {
    archive.SerializeObject(*this);
}

void VObject::SerializeAsXML(VXMLFile& xmlFile) {
    xmlFile.SerializeObject(*this);
}

void VObject::GetDescription(VString& out) const {
    out.Assign("[");
    out.Append(GetClassName()).Append(']');
}

uintptr_t VObject::GetHash() const {
    return reinterpret_cast<uintptr_t>(this);
}

bool VObject::IsEqual(const VObject* other) const {
    return other && GetHash() == other->GetHash();
}

const char* VObject::GetClassName() const {
    return m_class->GetName();
}

bool VObject::IsMemberOf(const VClass* record) const {
    return record && m_class == record;
}

bool VObject::IsKindOf(const VClass* record) const {
    return m_class->IsKindOf(record);
}

int32_t VObject::GetRetainCount() const {
    return static_cast<int32_t>(m_refCount.load(std::memory_order_relaxed) & kCountMask);
}

} // namespace VFoundation
