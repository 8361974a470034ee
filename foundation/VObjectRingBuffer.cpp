#include "foundation/VObjectRingBuffer.h"

#include "foundation/VClass.h"
#include "foundation/VString.h"

#include <thread>

namespace VFoundation {

V_IMPLEMENT_CLASS(VObjectRingBuffer, VObject)

namespace {

constexpr int kClaimAttempts = 9;

// Lowers counter by one when it is at least 1, in at most kClaimAttempts compare-and-exchanges.
bool ClaimOne(std::atomic<int>& counter) {
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        int value = counter.load(std::memory_order_acquire);
        if (value < 1) return false;
        if (counter.compare_exchange_strong(value, value - 1, std::memory_order_acq_rel)) return true;
    }
    return false;
}

// Moves position on by one slot (wrapping) and returns the slot it held, or -1 when the attempts run out.
int ClaimPosition(std::atomic<int>& position, int slotCount) {
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        int slot = position.load(std::memory_order_acquire);
        const int next = slot + 1 == slotCount ? 0 : slot + 1;
        if (position.compare_exchange_strong(slot, next, std::memory_order_acq_rel)) return slot;
    }
    return -1;
}

} // namespace

VObjectRingBuffer::VObjectRingBuffer(int maximumItems, VClass* record)
    : VObject(record ? record : GetClassRecord()), m_slotCount((maximumItems > 0 ? maximumItems : 1) + 1),
      m_free(m_slotCount - 1), m_slots(new std::atomic<VObject*>[static_cast<size_t>(m_slotCount)]) {
    for (int i = 0; i < m_slotCount; ++i)
        m_slots[i].store(nullptr, std::memory_order_relaxed);
}

VObjectRingBuffer::~VObjectRingBuffer() {
    RemoveAllObjects();
    delete[] m_slots;
}

// With one pusher and one popper a slot is always empty when claimed for writing and filled when claimed
// for reading. With several threads on one side, a neighbour may still be between its claim and its
// store (or take); the short waits below cover that window, which always closes without failing.
bool VObjectRingBuffer::Push(VObject* object) {
    if (!object || m_free.load(std::memory_order_acquire) < 1) return false;
    if (!ClaimOne(m_free)) return false;
    const int slot = ClaimPosition(m_write, m_slotCount);
    if (slot < 0) {
        // The slot was never written: give it back instead of losing it until RemoveAllObjects.
        m_free.fetch_add(1, std::memory_order_acq_rel);
        return false;
    }
    object->Retain();
    VObject* empty = nullptr;
    while (!m_slots[slot].compare_exchange_weak(empty, object, std::memory_order_acq_rel)) {
        empty = nullptr;
        std::this_thread::yield();
    }
    m_count.fetch_add(1, std::memory_order_acq_rel);
    return true;
}

bool VObjectRingBuffer::Pop(VObject*& object) {
    object = nullptr;
    if (!ClaimOne(m_count)) return false;
    const int slot = ClaimPosition(m_read, m_slotCount);
    if (slot < 0) {
        m_count.fetch_add(1, std::memory_order_acq_rel);
        return false;
    }
    VObject* taken;
    while (!(taken = m_slots[slot].exchange(nullptr, std::memory_order_acq_rel)))
        std::this_thread::yield();
    object = taken;
    m_free.fetch_add(1, std::memory_order_acq_rel);
    return true;
}

int VObjectRingBuffer::GetCount() const {
    return m_count.load(std::memory_order_acquire);
}

VObject* VObjectRingBuffer::GetObjectAtIndex(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    const int slot = (m_read.load(std::memory_order_acquire) + index) % m_slotCount;
    return m_slots[slot].load(std::memory_order_acquire);
}

// Not for use while other threads push or pop: it resets the positions.
void VObjectRingBuffer::RemoveAllObjects() {
    for (int i = 0; i < m_slotCount; ++i)
        if (VObject* object = m_slots[i].exchange(nullptr, std::memory_order_acq_rel)) object->Release();
    m_read.store(0, std::memory_order_release);
    m_write.store(0, std::memory_order_release);
    m_count.store(0, std::memory_order_release);
    m_free.store(m_slotCount - 1, std::memory_order_release);
}

bool VObjectRingBuffer::InsertObjectAtIndex(VObject* object, int) {
    return Push(object);
}

void VObjectRingBuffer::GetDescription(VString& out) const {
    out.Assign("[");
    out.Append(GetClassName()).Append("] items: ").Append(GetCount());
}

} // namespace VFoundation
