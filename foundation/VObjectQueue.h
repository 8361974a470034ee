#pragma once

#include "foundation/VObjectArray.h"

namespace VFoundation {

// A first-in, first-out queue: entries join at the end and leave from the front.
class VObjectQueue : public VObjectArray {
    V_DECLARE_CLASS(VObjectQueue)
public:
    explicit VObjectQueue(VClass* record = nullptr);
    ~VObjectQueue() override;

    // Retains object; false for null.
    bool Enqueue(VObject* object);
    // Takes the oldest entry out and hands its reference to the caller (who releases it); none when empty.
    VObject* Dequeue();
    // The oldest entry or none; the queue keeps its reference.
    VObject* Peek() const { return GetObjectAtIndex(0); }
    bool IsEmpty() const { return GetCount() == 0; }
};

} // namespace VFoundation
