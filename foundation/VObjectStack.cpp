#include "foundation/VObjectStack.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"

namespace VFoundation {

V_IMPLEMENT_CLASS(VObjectStack, VObjectArray)

VObjectStack::VObjectStack(VClass* record) : VObjectArray(0, record ? record : GetClassRecord()) {}

VObjectStack::~VObjectStack() = default;

bool VObjectStack::Pop() {
    VCriticalSectionLock lock(m_guard);
    return RemoveObjectAtIndex(m_count - 1);
}

} // namespace VFoundation
