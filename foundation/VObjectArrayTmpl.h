#pragma once

#include "foundation/VObjectArray.h"

namespace VFoundation {

// A VObjectArray whose entries are all of type T; it only narrows the element type.
template <typename T> class VObjectArrayTmpl : public VObjectArray {
public:
    explicit VObjectArrayTmpl(int initialCapacity = 0) : VObjectArray(initialCapacity) {}

    T* GetObjectAtIndex(int index) const { return static_cast<T*>(VObjectArray::GetObjectAtIndex(index)); }
    T* GetLastObject() const { return static_cast<T*>(VObjectArray::GetLastObject()); }
    using VObjectArray::AddObject;
    bool AddObject(T* object) { return VObjectArray::AddObject(object); }

    class Iterator {
    public:
        Iterator(const VObjectArrayTmpl* array, int index) : m_array(array), m_index(index) {}
        T* operator*() const { return m_array->GetObjectAtIndex(m_index); }
        Iterator& operator++() {
            ++m_index;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return m_index != other.m_index; }

    private:
        const VObjectArrayTmpl* m_array;
        int m_index;
    };
    // Iteration reads the count once; do not add or remove entries while iterating.
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, GetCount()); }
};

} // namespace VFoundation
