#pragma once

#include "foundation/VObject.h"

#include <cstdint>

namespace VFoundation {

class VCriticalSection;
class VCriticalSectionLock;

// What every container exposes.
class IObjectContainer {
public:
    virtual ~IObjectContainer() = default;
    virtual int GetCount() const = 0;
    // None for an index outside 0 .. count - 1. The container keeps its reference.
    virtual VObject* GetObjectAtIndex(int index) const = 0;
};

// An ordered, growable array of object pointers that retains what it holds (a null entry is allowed)
// and releases what it gives up. Every operation that changes or walks the entries takes the container's
// own guard; operations on two containers hold both, the receiver's first.
class VObjectContainer : public VObject, public IObjectContainer {
    V_DECLARE_CLASS(VObjectContainer)
public:
    static constexpr int kDefaultGrowStep = 32;

    explicit VObjectContainer(int initialCapacity = 0, VClass* record = nullptr);
    VObjectContainer(const VObjectContainer&) = delete;
    VObjectContainer& operator=(const VObjectContainer&) = delete;
    ~VObjectContainer() override;

    bool IsEqual(const VObject* other) const override;
    virtual void FreeStorage();
    virtual void ResetStorage();
    virtual bool AddObject(VObject* object);
    virtual bool AddObjectUnlocked(VObject* object);
    virtual bool AddObjectsFromContainer(const IObjectContainer* other);
    virtual bool RemoveObject(const VObject* object);
    virtual void RemoveAllObjects();
    virtual bool RemoveObjectAtIndex(int index);
    virtual void RemoveObjectsInContainer(const IObjectContainer* other);
    virtual bool ReplaceObjectAtIndex(VObject* object, int index);
    virtual bool InsertObjectAtIndex(VObject* object, int index);
    virtual bool ExchangeObjectsAtIndices(int i, int j);
    // Takes the guard into holder (given up with it) and returns the entry array.
    virtual VObject* const* GetObjectsLocked(VCriticalSectionLock& holder) const;
    virtual VObject* const* GetObjects() const;
    virtual bool ContainsObject(const VObject* object) const;
    virtual int IndexOfObject(const VObject* object) const;
    virtual void SetGrowStep(int step);
    virtual int GetGrowStep() const;
    virtual bool IsEqualToContainer(const VObjectContainer* other) const;
    virtual bool IsNotEqualToContainer(const VObjectContainer* other) const;

    int GetCount() const override { return m_count; }
    VObject* GetObjectAtIndex(int index) const override;
    VObject* GetLastObject() const { return GetObjectAtIndex(m_count - 1); }
    int GetCapacity() const { return m_capacity; }
    VCriticalSection* GetGuard() const { return m_guard; }

protected:
    bool Reserve(int capacity);

    int m_capacity = 0;
    int m_growStep = kDefaultGrowStep;
    VObject** m_storage = nullptr;
    int m_count = 0;
    VObject** m_entries = nullptr;
    VCriticalSection* m_guard = nullptr;
};

} // namespace VFoundation
