#include "foundation/VPtrArray.h"

#include "foundation/VClass.h"
#include "foundation/VString.h"

namespace VFoundation {

V_IMPLEMENT_CLASS(VPtrArray, VObject)

VPtrArray::VPtrArray(VClass* record) : VObject(record ? record : GetClassRecord()) {}

VPtrArray::~VPtrArray() = default;

void* VPtrArray::GetPointerAtIndex(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[static_cast<size_t>(index)];
}

bool VPtrArray::InsertPointerAtIndex(void* pointer, int index) {
    if (index < 0 || index > GetCount()) return false;
    m_items.insert(m_items.begin() + index, pointer);
    return true;
}

bool VPtrArray::RemovePointerAtIndex(int index) {
    if (index < 0 || index >= GetCount()) return false;
    m_items.erase(m_items.begin() + index);
    return true;
}

bool VPtrArray::RemovePointer(void* pointer) {
    return RemovePointerAtIndex(IndexOfPointer(pointer));
}

int VPtrArray::IndexOfPointer(const void* pointer) const {
    for (int i = 0; i < GetCount(); ++i)
        if (m_items[static_cast<size_t>(i)] == pointer) return i;
    return -1;
}

void VPtrArray::GetDescription(VString& out) const {
    VObject::GetDescription(out);
    out.Append(" items: ").Append(GetCount());
}

} // namespace VFoundation
