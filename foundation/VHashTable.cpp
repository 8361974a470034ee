#include "foundation/VHashTable.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VObjectArray.h"
#include "foundation/VString.h"

namespace VFoundation {

V_IMPLEMENT_CLASS(VHashTable, VObject)

VHashTable::VHashTable(int bucketCount, VClass* record)
    : VObject(record ? record : GetClassRecord()),
      m_buckets(static_cast<size_t>(bucketCount > 0 ? bucketCount : 1)),
      m_guard(MakeRef<VCriticalSection>()) {}

VHashTable::~VHashTable() = default;

VHashTable::Entry* VHashTable::Find(const VObject* key, uintptr_t hash) const {
    Bucket& bucket = m_buckets[hash % m_buckets.size()];
    for (Entry& entry : bucket)
        if (entry.hash == hash && entry.key->IsEqual(key)) return &entry;
    return nullptr;
}

void VHashTable::Rehash(size_t bucketCount) {
    std::vector<Bucket> buckets(bucketCount);
    for (Bucket& bucket : m_buckets)
        for (Entry& entry : bucket)
            buckets[entry.hash % bucketCount].push_back(std::move(entry));
    m_buckets.swap(buckets);
}

bool VHashTable::SetObjectForKey(VObject* value, const VObject* key) {
    if (!key) return false;
    VCriticalSectionLock lock(m_guard.Get());
    const uintptr_t hash = key->GetHash();
    if (Entry* entry = Find(key, hash)) {
        entry->value = VRef<VObject>::Retained(value);
        return true;
    }
    VRef<VObject> stored = VRef<VObject>::Adopt(key->Copy());
    if (!stored || !stored->IsEqual(key) || stored->GetHash() != hash)
        stored = VRef<VObject>::Retained(const_cast<VObject*>(key));
    // Keeps the chains short: at most two entries per bucket on average.
    if (static_cast<size_t>(m_count) >= 2 * m_buckets.size()) Rehash(m_buckets.size() * 2 + 1);
    m_buckets[hash % m_buckets.size()].push_back(
        Entry{hash, std::move(stored), VRef<VObject>::Retained(value)});
    ++m_count;
    return true;
}

VObject* VHashTable::ObjectForKey(const VObject* key) const {
    if (!key) return nullptr;
    VCriticalSectionLock lock(m_guard.Get());
    const Entry* entry = Find(key, key->GetHash());
    return entry ? entry->value.Get() : nullptr;
}

bool VHashTable::ContainsKey(const VObject* key) const {
    if (!key) return false;
    VCriticalSectionLock lock(m_guard.Get());
    return Find(key, key->GetHash()) != nullptr;
}

bool VHashTable::RemoveObjectForKey(const VObject* key) {
    if (!key) return false;
    VCriticalSectionLock lock(m_guard.Get());
    const uintptr_t hash = key->GetHash();
    Bucket& bucket = m_buckets[hash % m_buckets.size()];
    for (auto it = bucket.begin(); it != bucket.end(); ++it) {
        if (it->hash != hash || !it->key->IsEqual(key)) continue;
        // The pair leaves the table before it is released.
        Entry removed = std::move(*it);
        bucket.erase(it);
        --m_count;
        return true;
    }
    return false;
}

void VHashTable::RemoveAllObjects() {
    VCriticalSectionLock lock(m_guard.Get());
    std::vector<Bucket> removed(m_buckets.size());
    removed.swap(m_buckets);
    m_count = 0;
}

int VHashTable::GetCount() const {
    VCriticalSectionLock lock(m_guard.Get());
    return m_count;
}

int VHashTable::GetBucketCount() const {
    VCriticalSectionLock lock(m_guard.Get());
    return static_cast<int>(m_buckets.size());
}

VObjectArray* VHashTable::CopyKeys() const {
    VCriticalSectionLock lock(m_guard.Get());
    auto* keys = new VObjectArray(m_count);
    for (const Bucket& bucket : m_buckets)
        for (const Entry& entry : bucket)
            keys->AddObject(entry.key.Get());
    return keys;
}

void VHashTable::GetDescription(VString& out) const {
    out.Assign("[");
    out.Append(GetClassName()).Append("] items: ").Append(GetCount());
}

} // namespace VFoundation
