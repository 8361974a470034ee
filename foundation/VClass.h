#pragma once

#include "foundation/VObject.h"

#include <atomic>
#include <cstdint>

namespace VFoundation {

class VObject;
class VPtrArray;

// A class pool takes over creation, start-up and shut-down of its class and reports two figures in the
// memory report. No class of the foundation installs one; the hook is kept for classes that want to
// recycle their instances.
class VClassPool {
public:
    virtual ~VClassPool() = default;
    virtual VObject* CreateInstance() = 0;
    virtual void StartUp() {}
    virtual void ShutDown() {}
    virtual long GetPoolSize() const = 0;
    virtual long GetPoolMaximum() const = 0;
};

// The runtime record of a class: its name, parent, factory and instance counts. Records live in a
// process-wide registry in the order they were made; they are made on first use of a class (or eagerly
// by a library's InitializeLibrary) and destroyed by the registry teardown at library shut-down.
class VClass {
public:
    using CreateFunction = VObject* (*)();
    using LifecycleFunction = void (*)();
    using RecordAccessor = VClass* (*)();

    VClass(const char* name, VClass* parent, CreateFunction create, LifecycleFunction startUp,
           LifecycleFunction shutDown, uint32_t instanceSize, std::atomic<VClass*>* home,
           VClassPool* pool = nullptr);
    virtual ~VClass();
    VClass(const VClass&) = delete;
    VClass& operator=(const VClass&) = delete;

    // Returns the record in home, making and registering it first when the slot is empty.
    static VClass* Obtain(std::atomic<VClass*>& home, const char* name, RecordAccessor parent,
                          CreateFunction create, LifecycleFunction startUp, LifecycleFunction shutDown,
                          uint32_t instanceSize);

    VObject* CreateInstance() const;
    bool IsKindOf(const VClass* record) const;

    const char* GetName() const { return m_name; }
    VClass* GetParent() const { return m_parent; }
    VClassPool* GetPool() const { return m_pool; }
    int32_t GetCreatedCount() const { return m_created.load(std::memory_order_relaxed); }
    int32_t GetExistingCount() const { return m_existing.load(std::memory_order_relaxed); }
    uint32_t GetInstanceSize() const { return m_instanceSize; }
    bool HasCreateFunction() const { return m_create != nullptr || m_pool != nullptr; }

    // Bookkeeping called by VObject's constructor and destructor.
    void InstanceCreated();
    void InstanceDestroyed();

    static VClass* FindByName(const char* name);
    static VClass* FindAlias(const char* name);
    // Makes name an alternative name of record (skins and archives written with older class names).
    static void AddAlias(const char* name, VClass* record);
    // A new array (the caller releases it) of every registered record that is record or descends from it.
    static VPtrArray* GetSubclasses(const VClass* record);
    static int GetRecordCount();
    static VClass* GetRecordAtIndex(int index);

    // The record counting the records themselves.
    static VClass* GetClassRecord();

    // Used by the library's shut-down (stage 7 to 9).
    static void TearDownRegistry();
    static void DestroyObjectRecord();
    static void DestroyRemainingRecords();

private:
    friend class VClassRegistry;
    void Register();

    VClassPool* m_pool;
    char* m_name;
    std::atomic<int32_t> m_created{0};
    std::atomic<int32_t> m_existing{0};
    VClass* m_parent;
    std::atomic<VClass*>* m_home;
    CreateFunction m_create;
    LifecycleFunction m_startUp;
    LifecycleFunction m_shutDown;
    uint32_t m_instanceSize;
};

namespace Detail {
template <typename T> VObject* CreateInstanceOf() {
    return new T();
}
} // namespace Detail

} // namespace VFoundation

#define V_IMPLEMENT_CLASS_FULL(ClassName, ParentName, Create, StartUp, ShutDown)                             \
    ::VFoundation::VClass* ClassName::GetClassRecord() {                                                     \
        static std::atomic<::VFoundation::VClass*> home{nullptr};                                            \
        return ::VFoundation::VClass::Obtain(home, #ClassName, &ParentName::GetClassRecord, Create, StartUp, \
                                             ShutDown, sizeof(ClassName));                                   \
    }

// A class that can be made by name (it must have a public default constructor).
#define V_IMPLEMENT_CLASS(ClassName, ParentName)                                                             \
    V_IMPLEMENT_CLASS_FULL(ClassName, ParentName, &::VFoundation::Detail::CreateInstanceOf<ClassName>,       \
                           nullptr, nullptr)

// A class that cannot be made by name: abstract classes and those without a default constructor.
#define V_IMPLEMENT_ABSTRACT_CLASS(ClassName, ParentName)                                                    \
    V_IMPLEMENT_CLASS_FULL(ClassName, ParentName, nullptr, nullptr, nullptr)
