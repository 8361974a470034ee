#include "foundation/VObjectQueue.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"

namespace VFoundation {

V_IMPLEMENT_CLASS(VObjectQueue, VObjectArray)

VObjectQueue::VObjectQueue(VClass* record) : VObjectArray(0, record ? record : GetClassRecord()) {}

VObjectQueue::~VObjectQueue() = default;

bool VObjectQueue::Enqueue(VObject* object) {
    return object && AddObject(object);
}

VObject* VObjectQueue::Dequeue() {
    VCriticalSectionLock lock(m_guard);
    if (m_count == 0) return nullptr;
    VObject* oldest = m_entries[0];
    if (oldest) oldest->Retain();
    RemoveObjectAtIndex(0);
    return oldest;
}

} // namespace VFoundation
