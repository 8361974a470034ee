#pragma once

#include "foundation/VObject.h"

#include <cstddef>
#include <utility>

namespace VFoundation {

// An intrusive holder: keeps one reference to a VObject and gives it up when it goes. Adopt() takes over a
// reference the caller already owns, such as the one a new object starts with; Retained() takes a new one.
template <typename T> class VRef {
public:
    VRef() = default;
    VRef(std::nullptr_t) {}
    VRef(const VRef& other) : m_ptr(other.m_ptr) {
        if (m_ptr) Base(m_ptr)->Retain();
    }
    VRef(VRef&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    template <typename U> VRef(const VRef<U>& other) : m_ptr(other.Get()) {
        if (m_ptr) Base(m_ptr)->Retain();
    }
    template <typename U> VRef(VRef<U>&& other) noexcept : m_ptr(other.Leak()) {}
    ~VRef() { Reset(); }

    VRef& operator=(const VRef& other) {
        if (other.m_ptr) Base(other.m_ptr)->Retain();
        Reset();
        m_ptr = other.m_ptr;
        return *this;
    }
    VRef& operator=(VRef&& other) noexcept {
        if (this != &other) {
            Reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }

    static VRef Adopt(T* object) {
        VRef ref;
        ref.m_ptr = object;
        return ref;
    }
    static VRef Retained(T* object) {
        if (object) Base(object)->Retain();
        return Adopt(object);
    }

    void Reset() {
        if (T* old = std::exchange(m_ptr, nullptr)) Base(old)->Release();
    }
    // Hands the reference to the caller, who must release it.
    T* Leak() { return std::exchange(m_ptr, nullptr); }

    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    T& operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

private:
    // Reference counting always goes through VObject's slots, so a class with an operation of the same
    // name (VLock::Release gives up the lock) cannot be mistaken for it.
    static const VObject* Base(const T* object) { return object; }

    T* m_ptr = nullptr;
};

// Makes a new object and holds the reference it starts with.
template <typename T, typename... Args> VRef<T> MakeRef(Args&&... args) {
    return VRef<T>::Adopt(new T(std::forward<Args>(args)...));
}

template <typename T, typename U> bool operator==(const VRef<T>& a, const VRef<U>& b) {
    return a.Get() == b.Get();
}
template <typename T> bool operator==(const VRef<T>& a, std::nullptr_t) {
    return a.Get() == nullptr;
}

} // namespace VFoundation
