#pragma once

#include "foundation/VObject.h"

#include <vector>

namespace VFoundation {

// An array of plain pointers that it neither retains nor releases (the class registry keeps its
// records in one).
class VPtrArray : public VObject {
    V_DECLARE_CLASS(VPtrArray)
public:
    explicit VPtrArray(VClass* record = nullptr);
    ~VPtrArray() override;

    int GetCount() const { return static_cast<int>(m_items.size()); }
    void* GetPointerAtIndex(int index) const;
    void AddPointer(void* pointer) { m_items.push_back(pointer); }
    bool InsertPointerAtIndex(void* pointer, int index);
    bool RemovePointerAtIndex(int index);
    bool RemovePointer(void* pointer);
    int IndexOfPointer(const void* pointer) const;
    bool ContainsPointer(const void* pointer) const { return IndexOfPointer(pointer) >= 0; }
    void RemoveAllPointers() { m_items.clear(); }

    void GetDescription(VString& out) const override;

private:
    std::vector<void*> m_items;
};

} // namespace VFoundation
