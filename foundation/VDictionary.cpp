#include "foundation/VDictionary.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VString.h"
#include "foundation/VXMLFile.h"

namespace VFoundation {

V_IMPLEMENT_CLASS(VDictionary, VObject)

// The keys' guard is taken first and stands for the pair, so a key and its value change together.

VDictionary::VDictionary(VClass* record)
    : VObject(record ? record : GetClassRecord()), m_keys(MakeRef<VObjectArray>()),
      m_values(MakeRef<VObjectArray>()) {}

VDictionary::~VDictionary() = default;

VObject* VDictionary::Copy() const {
    auto* copy = new VDictionary();
    VCriticalSectionLock lock(m_keys->GetGuard());
    copy->m_keys->SetObjectsCopying(m_keys.Get());
    copy->m_values->SetObjectsCopying(m_values.Get());
    return copy;
}

VObject* VDictionary::ObjectForKey(const VObject* key) const {
    VCriticalSectionLock lock(m_keys->GetGuard());
    const int index = m_keys->IndexOfEqualObject(key);
    if (index < 0 || index >= m_values->GetCount()) return nullptr;
    return m_values->GetObjectAtIndex(index);
}

VObject* VDictionary::ObjectForKey(const char* key) const {
    VString text(key);
    return ObjectForKey(&text);
}

void VDictionary::SetObjectForKey(VObject* value, const VObject* key) {
    if (!key) return;
    VCriticalSectionLock lock(m_keys->GetGuard());
    const int index = m_keys->IndexOfEqualObject(key);
    if (index >= 0) {
        // Values read from a file may be fewer than the keys: the gap is filled with empty entries.
        while (m_values->GetCount() < index)
            m_values->AddObject(nullptr);
        m_values->ReplaceObjectAtIndex(value, index);
        return;
    }
    VRef<VObject> stored = VRef<VObject>::Adopt(key->Copy());
    if (!stored || !stored->IsEqual(key)) stored = VRef<VObject>::Retained(const_cast<VObject*>(key));
    while (m_values->GetCount() < m_keys->GetCount())
        m_values->AddObject(nullptr);
    m_keys->AddObject(stored.Get());
    m_values->AddObject(value);
}

void VDictionary::SetObjectForKey(VObject* value, const char* key) {
    // On the heap: the key may end up stored itself.
    VRef<VString> text = VRef<VString>::Adopt(VString::Alloc(key));
    SetObjectForKey(value, text.Get());
}

bool VDictionary::RemoveObjectForKey(const VObject* key) {
    VCriticalSectionLock lock(m_keys->GetGuard());
    const int index = m_keys->IndexOfEqualObject(key);
    if (index < 0) return false;
    m_keys->RemoveObjectAtIndex(index);
    m_values->RemoveObjectAtIndex(index);
    return true;
}

int VDictionary::GetCount() const {
    return m_keys->GetCount();
}

void VDictionary::GetDescription(VString& out) const {
    VCriticalSectionLock lock(m_keys->GetGuard());
    out.Format("[%s]\n items: %i\n", GetClassName(), GetCount());
    VString part;
    out.Append("keyArray:\n");
    if (m_keys) {
        m_keys->GetDescription(part);
        out.Append(part);
    } else {
        out.Append("NULL");
    }
    out.Append("\n");
    out.Append("valueArray:\n");
    if (m_values) {
        m_values->GetDescription(part);
        out.Append(part);
    } else {
        out.Append("NULL");
    }
}

void VDictionary::SerializeAsXML(VXMLFile& xmlFile) {
    VCriticalSectionLock lock(m_keys->GetGuard());
    if (xmlFile.IsStoring()) {
        xmlFile.WriteObject(m_keys.Get(), "keyArray");
        xmlFile.WriteObject(m_values.Get(), "valueArray");
        return;
    }
    if (!xmlFile.IsLoading()) return;
    if (xmlFile.EnterChildNamed("keyArray")) {
        m_keys->SerializeAsXML(xmlFile);
        xmlFile.LeaveElement();
    }
    if (xmlFile.EnterChildNamed("valueArray")) {
        m_values->SerializeAsXML(xmlFile);
        xmlFile.LeaveElement();
    }
}

} // namespace VFoundation
