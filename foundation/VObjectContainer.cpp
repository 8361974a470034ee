#include "foundation/VObjectContainer.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VRef.h"

#include <climits>
#include <cstring>
#include <new>
#include <vector>

namespace VFoundation {

V_IMPLEMENT_CLASS(VObjectContainer, VObject)

namespace {

// The guard of another container, when it is one; plain IObjectContainers have none.
VCriticalSection* GuardOf(const IObjectContainer* other) {
    const auto* container = dynamic_cast<const VObjectContainer*>(other);
    return container ? container->GetGuard() : nullptr;
}

// Other's entries, each retained, read under other's guard; lets an operation walk a container that it
// may change itself (other may be the receiver).
std::vector<VRef<VObject>> SnapshotOf(const IObjectContainer* other) {
    std::vector<VRef<VObject>> entries;
    VCriticalSectionLock lock(GuardOf(other));
    const int count = other->GetCount();
    entries.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i)
        entries.push_back(VRef<VObject>::Retained(other->GetObjectAtIndex(i)));
    return entries;
}

} // namespace

VObjectContainer::VObjectContainer(int initialCapacity, VClass* record)
    : VObject(record ? record : GetClassRecord()), m_guard(new VCriticalSection()) {
    if (initialCapacity > 0) Reserve(initialCapacity);
}

VObjectContainer::~VObjectContainer() {
    // Not the virtual FreeStorage: a subclass is already gone here.
    VObjectContainer::FreeStorage();
    m_guard->Release();
}

bool VObjectContainer::Reserve(int capacity) {
    if (capacity <= m_capacity) return true;
    auto* storage = new (std::nothrow) VObject*[static_cast<size_t>(capacity)];
    if (!storage) return false;
    if (m_count > 0) std::memcpy(storage, m_entries, sizeof(VObject*) * static_cast<size_t>(m_count));
    delete[] m_storage;
    m_storage = storage;
    m_entries = storage;
    m_capacity = capacity;
    return true;
}

bool VObjectContainer::IsEqual(const VObject* other) const {
    if (!other || other->GetClass() != GetClass()) return false;
    return IsEqualToContainer(static_cast<const VObjectContainer*>(other));
}

void VObjectContainer::FreeStorage() {
    VCriticalSectionLock lock(m_guard);
    VObjectContainer::RemoveAllObjects();
    delete[] m_storage;
    m_storage = nullptr;
    m_entries = nullptr;
    m_capacity = 0;
}

void VObjectContainer::ResetStorage() {
    VCriticalSectionLock lock(m_guard);
    FreeStorage();
    Reserve(m_growStep);
}

bool VObjectContainer::AddObject(VObject* object) {
    VCriticalSectionLock lock(m_guard);
    return AddObjectUnlocked(object);
}

bool VObjectContainer::AddObjectUnlocked(VObject* object) {
    if (m_count == m_capacity) {
        // A step below 1 would never make room.
        const int step = m_growStep > 0 ? m_growStep : 1;
        if (m_capacity > INT_MAX - step || !Reserve(m_capacity + step)) return false;
    }
    m_entries[m_count++] = object;
    if (object) object->Retain();
    return true;
}

bool VObjectContainer::AddObjectsFromContainer(const IObjectContainer* other) {
    if (!other) return false;
    VCriticalSectionLock lock(m_guard);
    VCriticalSectionLock otherLock(GuardOf(other));
    // Read once, so that adding a container to itself doubles it instead of running for ever.
    const int count = other->GetCount();
    bool added = true;
    for (int i = 0; i < count; ++i)
        if (!AddObjectUnlocked(other->GetObjectAtIndex(i))) added = false;
    return added;
}

bool VObjectContainer::RemoveObject(const VObject* object) {
    VCriticalSectionLock lock(m_guard);
    const int index = IndexOfObject(object);
    return index >= 0 && RemoveObjectAtIndex(index);
}

void VObjectContainer::RemoveAllObjects() {
    VCriticalSectionLock lock(m_guard);
    // The entries leave the container before they are released: a destructor that reaches back into the
    // container sees it empty rather than half-released.
    std::vector<VObject*> released(m_entries, m_entries + m_count);
    m_count = 0;
    for (VObject* object : released)
        if (object) object->Release();
}

bool VObjectContainer::RemoveObjectAtIndex(int index) {
    VCriticalSectionLock lock(m_guard);
    if (index < 0 || index >= m_count) return false;
    VObject* removed = m_entries[index];
    std::memmove(m_entries + index, m_entries + index + 1,
                 sizeof(VObject*) * static_cast<size_t>(m_count - index - 1));
    --m_count;
    if (removed) removed->Release();
    return true;
}

void VObjectContainer::RemoveObjectsInContainer(const IObjectContainer* other) {
    if (!other) return;
    VCriticalSectionLock lock(m_guard);
    VCriticalSectionLock otherLock(GuardOf(other));
    for (const VRef<VObject>& object : SnapshotOf(other))
        RemoveObject(object.Get());
}

bool VObjectContainer::ReplaceObjectAtIndex(VObject* object, int index) {
    VCriticalSectionLock lock(m_guard);
    if (index == m_count) return AddObjectUnlocked(object);
    if (index < 0 || index > m_count) return false;
    VObject* old = m_entries[index];
    if (object) object->Retain();
    m_entries[index] = object;
    if (old) old->Release();
    return true;
}

bool VObjectContainer::InsertObjectAtIndex(VObject* object, int index) {
    VCriticalSectionLock lock(m_guard);
    if (index < 0 || index > m_count) return false;
    if (!AddObjectUnlocked(object)) return false;
    std::memmove(m_entries + index + 1, m_entries + index,
                 sizeof(VObject*) * static_cast<size_t>(m_count - 1 - index));
    m_entries[index] = object;
    return true;
}

bool VObjectContainer::ExchangeObjectsAtIndices(int i, int j) {
    VCriticalSectionLock lock(m_guard);
    if (i < 0 || i >= m_count || j < 0 || j >= m_count) return false;
    VObject* swap = m_entries[i];
    m_entries[i] = m_entries[j];
    m_entries[j] = swap;
    return true;
}

VObject* const* VObjectContainer::GetObjectsLocked(VCriticalSectionLock& holder) const {
    holder.Hold(m_guard);
    return m_entries;
}

VObject* const* VObjectContainer::GetObjects() const {
    return m_entries;
}

bool VObjectContainer::ContainsObject(const VObject* object) const {
    return IndexOfObject(object) >= 0;
}

int VObjectContainer::IndexOfObject(const VObject* object) const {
    if (!object) return -1;
    VCriticalSectionLock lock(m_guard);
    for (int i = 0; i < m_count; ++i)
        if (m_entries[i] == object) return i;
    return -1;
}

void VObjectContainer::SetGrowStep(int step) {
    m_growStep = step;
}

int VObjectContainer::GetGrowStep() const {
    return m_growStep;
}

bool VObjectContainer::IsEqualToContainer(const VObjectContainer* other) const {
    if (!other) return false;
    if (other == this) return true;
    VCriticalSectionLock lock(m_guard);
    VCriticalSectionLock otherLock(other->m_guard);
    if (m_count != other->m_count) return false;
    for (int i = 0; i < m_count; ++i) {
        const VObject* mine = m_entries[i];
        const VObject* theirs = other->m_entries[i];
        if (!mine || !theirs) {
            if (mine != theirs) return false;
        } else if (!mine->IsEqual(theirs)) {
            return false;
        }
    }
    return true;
}

bool VObjectContainer::IsNotEqualToContainer(const VObjectContainer* other) const {
    return !IsEqualToContainer(other);
}

VObject* VObjectContainer::GetObjectAtIndex(int index) const {
    VCriticalSectionLock lock(m_guard);
    if (index < 0 || index >= m_count) return nullptr;
    return m_entries[index];
}

} // namespace VFoundation
