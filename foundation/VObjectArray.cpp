#include "foundation/VObjectArray.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "foundation/VXMLFile.h"

#include <vector>

namespace VFoundation {

V_IMPLEMENT_CLASS(VObjectArray, VObjectContainer)

namespace {

// The entries of other, each retained, read under both guards (the receiver's first). Working from this
// copy lets SetObjects and SetObjectsCopying take the receiver itself as their source.
std::vector<VRef<VObject>> TakeEntries(const VObjectContainer* receiver, const VObjectContainer* other) {
    std::vector<VRef<VObject>> entries;
    VCriticalSectionLock lock(receiver->GetGuard());
    VCriticalSectionLock otherLock(other->GetGuard());
    VObject* const* objects = other->GetObjects();
    const int count = other->GetCount();
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        entries.push_back(VRef<VObject>::Retained(objects[i]));
    return entries;
}

} // namespace

VObjectArray::VObjectArray(int initialCapacity, VClass* record)
    : VObjectContainer(initialCapacity, record ? record : GetClassRecord()) {}

VObjectArray::~VObjectArray() = default;

VObject* VObjectArray::Copy() const {
    return CopyArray();
}

VObjectArray* VObjectArray::CopyArray() const {
    // A copy of a stack is a stack: made by this class's record when it can make arrays.
    VObjectArray* copy = nullptr;
    if (VObject* made = GetClass()->CreateInstance()) {
        copy = dynamic_cast<VObjectArray*>(made);
        if (!copy) made->Release();
    }
    if (!copy) copy = new VObjectArray();
    copy->SetGrowStep(GetGrowStep());
    copy->SetObjectsCopying(this);
    return copy;
}

void VObjectArray::SetObjects(const VObjectContainer* other) {
    if (!other) return;
    VCriticalSectionLock lock(m_guard);
    VCriticalSectionLock otherLock(other->GetGuard());
    std::vector<VRef<VObject>> entries = TakeEntries(this, other);
    RemoveAllObjects();
    for (const VRef<VObject>& object : entries)
        AddObjectUnlocked(object.Get());
}

void VObjectArray::SetObjectsCopying(const VObjectContainer* other) {
    if (!other) return;
    VCriticalSectionLock lock(m_guard);
    VCriticalSectionLock otherLock(other->GetGuard());
    std::vector<VRef<VObject>> entries = TakeEntries(this, other);
    RemoveAllObjects();
    for (const VRef<VObject>& object : entries) {
        if (!object) {
            AddObjectUnlocked(nullptr);
            continue;
        }
        VRef<VObject> copy = VRef<VObject>::Adopt(object->Copy());
        AddObjectUnlocked(copy.Get());
    }
}

int VObjectArray::IndexOfEqualObject(const VObject* object) const {
    if (!object) return -1;
    VCriticalSectionLock lock(m_guard);
    for (int i = 0; i < m_count; ++i)
        if (m_entries[i] && m_entries[i]->IsEqual(object)) return i;
    return -1;
}

void VObjectArray::GetDescription(VString& out) const {
    VCriticalSectionLock lock(m_guard);
    out.Assign("[");
    out.Append(GetClassName()).Append("] items: ").Append(m_count);
    VString entry;
    for (int i = 0; i < m_count; ++i) {
        out.Append("\n  ");
        if (m_entries[i]) {
            m_entries[i]->GetDescription(entry);
            out.Append(entry);
        } else {
            out.Append("[NULL]");
        }
    }
}

void VObjectArray::SerializeAsXML(VXMLFile& xmlFile) {
    VCriticalSectionLock lock(m_guard);
    if (xmlFile.IsStoring()) {
        // Null entries have no element; "count" tells how many elements follow.
        int written = 0;
        for (int i = 0; i < m_count; ++i)
            if (m_entries[i]) ++written;
        xmlFile.SetIntAttribute("count", written);
        for (int i = 0; i < m_count; ++i)
            if (m_entries[i]) xmlFile.WriteObject(m_entries[i]);
        return;
    }
    if (!xmlFile.IsLoading()) return;

    int count = 0;
    if (!xmlFile.GetIntAttribute("count", count)) {
        LogPrintf("VObjectArray::SerializeAsXML - Attribute 'count' not found\n");
        return;
    }
    // Reading replaces the content: the array becomes what the file describes.
    RemoveAllObjects();
    const VXMLFile::Cursor own = xmlFile.GetCursor();
    if (!xmlFile.EnterFirstChild()) return;
    do {
        const VXMLFile::Cursor child = xmlFile.GetCursor();
        VString className;
        if (!xmlFile.GetAttribute("class", className)) className.Assign(xmlFile.GetElementName());
        VClass* record = VClass::FindByName(className.GetText());
        if (!record) record = VClass::FindAlias(className.GetText());
        if (!record) {
            LogPrintf("VObjectArray::SerializeAsXML - No class for className '%s'\n", className.GetText());
            continue;
        }
        VRef<VObject> object = VRef<VObject>::Adopt(record->CreateInstance());
        if (!object) {
            LogPrintf("VObjectArray::SerializeAsXML - Error allocating new object of class: %s\n",
                      className.GetText());
            continue;
        }
        object->SerializeAsXML(xmlFile);
        xmlFile.SetCursor(child);
        AddObjectUnlocked(object.Get());
    } while (xmlFile.EnterNextSibling());
    xmlFile.SetCursor(own);
}

} // namespace VFoundation
