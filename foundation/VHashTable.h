#pragma once

#include "foundation/VObject.h"
#include "foundation/VRef.h"

#include <cstdint>
#include <vector>

namespace VFoundation {

class VCriticalSection;
class VObjectArray;

// Maps key objects to value objects by the keys' GetHash and IsEqual (a key class that overrides
// IsEqual must override GetHash so that equal keys hash alike). Keys are stored like VDictionary's: as
// their Copy() when it equals them, else retained. Values are retained. Operations take the table's guard.
class VHashTable : public VObject {
    V_DECLARE_CLASS(VHashTable)
public:
    explicit VHashTable(int bucketCount = 31, VClass* record = nullptr);
    VHashTable(const VHashTable&) = delete;
    VHashTable& operator=(const VHashTable&) = delete;
    ~VHashTable() override;

    void GetDescription(VString& out) const override;

    // Replaces the key's value or adds the pair; false for a null key.
    bool SetObjectForKey(VObject* value, const VObject* key);
    // The table keeps its reference; none when absent.
    VObject* ObjectForKey(const VObject* key) const;
    bool ContainsKey(const VObject* key) const;
    bool RemoveObjectForKey(const VObject* key);
    void RemoveAllObjects();
    int GetCount() const;
    int GetBucketCount() const;
    // A new array (the caller releases it) of the keys, in no particular order.
    VObjectArray* CopyKeys() const;

private:
    struct Entry {
        uintptr_t hash;
        VRef<VObject> key;
        VRef<VObject> value;
    };
    using Bucket = std::vector<Entry>;

    Entry* Find(const VObject* key, uintptr_t hash) const;
    void Rehash(size_t bucketCount);

    mutable std::vector<Bucket> m_buckets;
    int m_count = 0;
    VRef<VCriticalSection> m_guard;
};

} // namespace VFoundation
