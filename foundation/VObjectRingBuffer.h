#pragma once

#include "foundation/VObjectContainer.h"

#include <atomic>

namespace VFoundation {

// A lock-free queue of retained objects: one thread may push while another pops. A buffer made for
// m items has m + 1 slots (read position equal to write position means empty).
class VObjectRingBuffer : public VObject, public IObjectContainer {
    V_DECLARE_CLASS(VObjectRingBuffer)
public:
    explicit VObjectRingBuffer(int maximumItems = 1, VClass* record = nullptr);
    VObjectRingBuffer(const VObjectRingBuffer&) = delete;
    VObjectRingBuffer& operator=(const VObjectRingBuffer&) = delete;
    ~VObjectRingBuffer() override;

    void GetDescription(VString& out) const override;

    // Retains object; false for null, a full buffer, or when the claims run out of attempts.
    bool Push(VObject* object);
    // Hands the oldest object and its reference to the caller.
    bool Pop(VObject*& object);
    int GetCount() const override;
    // From the oldest; not retained.
    VObject* GetObjectAtIndex(int index) const override;
    void RemoveAllObjects();
    // Appends, whatever the index.
    bool InsertObjectAtIndex(VObject* object, int index);
    int GetSlotCount() const { return m_slotCount; }

private:
    int m_slotCount;
    std::atomic<int> m_count{0};
    std::atomic<int> m_free;
    std::atomic<VObject*>* m_slots;
    std::atomic<int> m_read{0};
    std::atomic<int> m_write{0};
};

} // namespace VFoundation
