#pragma once

#include <atomic>
#include <cstdint>

namespace VFoundation {

class VArchive;
class VClass;
class VString;
class VXMLFile;

// The root of every class of the system.
//
// Ownership: an object starts with a reference count of 1 that belongs to its creator. Whoever keeps a
// pointer calls Retain(); whoever gives one up calls Release(), never delete. Ordinary code holds objects
// through VRef<T>, which does both. Value members (a VString field inside another object) are the one
// exception: they live and die with their owner and must not be handed to a container that outlives it.
//
// Class records: every class declares its record with V_DECLARE_CLASS and defines it with one of the
// V_IMPLEMENT_CLASS macros. A constructor that a subclass may call takes the record of the class being
// built as its last argument (nullptr meaning "my own"), so the record of the most derived class counts
// the instance.
//
// Virtual slot order is fixed: subclasses append their own slots after these ten.
class VObject {
public:
    explicit VObject(VClass* record = nullptr);
    VObject(const VObject& other);
    VObject& operator=(const VObject&) { return *this; }

    virtual ~VObject();
    virtual int32_t Retain() const;
    virtual int32_t Release() const;
    virtual void Destroy() const;
    virtual VObject* Copy() const;
    virtual void Serialize(VArchive& archive);
    virtual void SerializeAsXML(VXMLFile& xmlFile);
    virtual void GetDescription(VString& out) const;
    virtual uintptr_t GetHash() const;
    virtual bool IsEqual(const VObject* other) const;

    VClass* GetClass() const { return m_class; }
    const char* GetClassName() const;
    bool IsMemberOf(const VClass* record) const;
    bool IsKindOf(const VClass* record) const;
    // The low 30 bits of the count; the two high bits are reserved.
    int32_t GetRetainCount() const;

    static VClass* GetClassRecord();

    static constexpr uint32_t kCountMask = 0x3FFFFFFFu;

private:
    VClass* m_class;
    mutable std::atomic<uint32_t> m_refCount;
};

} // namespace VFoundation

// Gives a class its record accessor. Put it first in the class body; it leaves the access at private.
#define V_DECLARE_CLASS(ClassName)                                                                           \
public:                                                                                                      \
    static ::VFoundation::VClass* GetClassRecord();                                                          \
                                                                                                             \
private:
