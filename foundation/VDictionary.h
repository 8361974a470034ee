#pragma once

#include "foundation/VObject.h"
#include "foundation/VObjectArray.h"
#include "foundation/VRef.h"

namespace VFoundation {

// Keys and values in two parallel arrays; keys are found by IsEqual. A new key is stored as its Copy()
// when that copy equals it, else as the key itself (retained): keys compared by identity stay findable.
class VDictionary : public VObject {
    V_DECLARE_CLASS(VDictionary)
public:
    explicit VDictionary(VClass* record = nullptr);
    VDictionary(const VDictionary&) = delete;
    VDictionary& operator=(const VDictionary&) = delete;
    ~VDictionary() override;

    VObject* Copy() const override;
    void SerializeAsXML(VXMLFile& xmlFile) override;
    void GetDescription(VString& out) const override;

    // The dictionary keeps its reference; none when the key is absent.
    VObject* ObjectForKey(const VObject* key) const;
    VObject* ObjectForKey(const char* key) const;
    // Replaces the key's value, or appends a Copy() of key with value.
    void SetObjectForKey(VObject* value, const VObject* key);
    void SetObjectForKey(VObject* value, const char* key);
    bool RemoveObjectForKey(const VObject* key);
    int GetCount() const;
    VObjectArray* GetKeys() const { return m_keys.Get(); }
    VObjectArray* GetValues() const { return m_values.Get(); }

private:
    VRef<VObjectArray> m_keys;
    VRef<VObjectArray> m_values;
};

} // namespace VFoundation
