#pragma once

#include "foundation/VObjectArray.h"

namespace VFoundation {

// A container whose top is its last entry.
class VObjectStack : public VObjectArray {
    V_DECLARE_CLASS(VObjectStack)
public:
    explicit VObjectStack(VClass* record = nullptr);
    ~VObjectStack() override;

    bool Push(VObject* object) { return AddObject(object); }
    // Removes the top entry (releasing the stack's reference); false when empty.
    bool Pop();
    // The top entry or none; the stack keeps its reference.
    VObject* Top() const { return GetLastObject(); }
};

} // namespace VFoundation
