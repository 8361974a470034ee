#include "foundation/VObjectUndoStack.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"

namespace VFoundation {

V_IMPLEMENT_CLASS(VObjectUndoStack, VObjectStack)

VObjectUndoStack::VObjectUndoStack(int depthLimit, VClass* record)
    : VObjectStack(record ? record : GetClassRecord()), m_depthLimit(depthLimit > 0 ? depthLimit : 0),
      m_redo(MakeRef<VObjectStack>()) {}

VObjectUndoStack::~VObjectUndoStack() = default;

bool VObjectUndoStack::PushStep(VObject* step) {
    if (!step) return false;
    VCriticalSectionLock lock(m_guard);
    if (!Push(step)) return false;
    m_redo->RemoveAllObjects();
    TrimToLimit();
    return true;
}

VObject* VObjectUndoStack::Undo() {
    VCriticalSectionLock lock(m_guard);
    VObject* step = Top();
    if (!step) return nullptr;
    m_redo->Push(step);
    Pop();
    return step;
}

VObject* VObjectUndoStack::Redo() {
    VCriticalSectionLock lock(m_guard);
    VObject* step = m_redo->Top();
    if (!step) return nullptr;
    Push(step);
    m_redo->Pop();
    return step;
}

void VObjectUndoStack::ClearHistory() {
    VCriticalSectionLock lock(m_guard);
    RemoveAllObjects();
    m_redo->RemoveAllObjects();
}

void VObjectUndoStack::SetDepthLimit(int depthLimit) {
    VCriticalSectionLock lock(m_guard);
    m_depthLimit = depthLimit > 0 ? depthLimit : 0;
    TrimToLimit();
}

void VObjectUndoStack::TrimToLimit() {
    if (m_depthLimit == 0) return;
    while (m_count > m_depthLimit)
        RemoveObjectAtIndex(0);
}

} // namespace VFoundation
