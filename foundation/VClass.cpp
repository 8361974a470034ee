#include "foundation/VClass.h"

#include "foundation/VLog.h"

#include "foundation/VCriticalSection.h"
#include "foundation/VObject.h"
#include "foundation/VPtrArray.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace VFoundation {

namespace {

// Record creation and the registry are guarded by one recursive mutex: making a record makes its
// parent's first, and a start-up function may make further records.
std::recursive_mutex& RegistryMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

VPtrArray* g_registry = nullptr;
bool g_creatingRegistry = false;
std::vector<VClass*> g_pending;
// Records kept through the teardown because their instances outlived the library; registered again
// when a new registry is made.
std::vector<VClass*> g_survivors;
// Framework records the teardown leaves for the last two stages.
std::vector<VClass*> g_framework;
std::map<std::string, VClass*>* g_aliases = nullptr;
std::atomic<bool> g_shutDown{false};
std::atomic<VClass*> g_recordsHome{nullptr};

void CountRecord(int delta) {
    VClass* records = delta > 0 ? VClass::GetClassRecord() : g_recordsHome.load();
    if (!records) return;
    if (delta > 0)
        records->InstanceCreated();
    else
        records->InstanceDestroyed();
}

void AddToRegistry(VClass* record) {
    if (g_registry->ContainsPointer(record)) return;
    g_registry->AddPointer(record);
    CountRecord(+1);
}

} // namespace

namespace ClassRegistryState {
bool IsShutDown() {
    return g_shutDown.load(std::memory_order_relaxed);
}
void SetShutDown(bool shutDown) {
    g_shutDown.store(shutDown);
}
} // namespace ClassRegistryState

VClass::VClass(const char* name, VClass* parent, CreateFunction create, LifecycleFunction startUp,
               LifecycleFunction shutDown, uint32_t instanceSize, std::atomic<VClass*>* home,
               VClassPool* pool)
    : m_pool(pool), m_name(strdup(name ? name : "")), m_parent(parent), m_home(home), m_create(create),
      m_startUp(startUp), m_shutDown(shutDown), m_instanceSize(instanceSize) {
    if (m_home) m_home->store(this, std::memory_order_release);
    Register();
}

VClass::~VClass() {
    if (this != g_recordsHome.load()) CountRecord(-1);
    std::free(m_name);
    m_name = nullptr;
    if (m_home && m_home->load() == this) m_home->store(nullptr);
    if (m_pool) {
        m_pool->ShutDown();
        delete m_pool;
    } else if (m_shutDown) {
        m_shutDown();
    }
}

VClass* VClass::GetClassRecord() {
    return Obtain(g_recordsHome, "VClass", nullptr, nullptr, nullptr, nullptr, sizeof(VClass));
}

void VClass::DestroyObjectRecord() {
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    VClass* record = VObject::GetClassRecord();
    if (record->GetExistingCount() > 0) return;
    for (auto it = g_framework.begin(); it != g_framework.end(); ++it)
        if (*it == record) {
            g_framework.erase(it);
            break;
        }
    delete record;
}

VClass* VClass::Obtain(std::atomic<VClass*>& home, const char* name, RecordAccessor parent,
                       CreateFunction create, LifecycleFunction startUp, LifecycleFunction shutDown,
                       uint32_t instanceSize) {
    if (VClass* record = home.load(std::memory_order_acquire)) return record;
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    if (VClass* record = home.load(std::memory_order_acquire)) return record;
    VClass* parentRecord = parent ? parent() : nullptr;
    if (VClass* record = home.load(std::memory_order_acquire)) return record;
    auto* record =
        new (std::nothrow) VClass(name, parentRecord, create, startUp, shutDown, instanceSize, &home);
    if (!record) return nullptr;
    if (record->m_pool)
        record->m_pool->StartUp();
    else if (record->m_startUp)
        record->m_startUp();
    return record;
}

void VClass::Register() {
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    if (g_registry) {
        AddToRegistry(this);
        return;
    }
    g_pending.push_back(this);
    if (g_creatingRegistry) return;
    // Making the registry makes the records of its own class, which wait in the pending list.
    g_creatingRegistry = true;
    auto* registry = new VPtrArray();
    g_registry = registry;
    g_creatingRegistry = false;
    std::vector<VClass*> waiting;
    waiting.swap(g_survivors);
    waiting.insert(waiting.end(), g_pending.begin(), g_pending.end());
    g_pending.clear();
    for (VClass* record : waiting)
        AddToRegistry(record);
}

VObject* VClass::CreateInstance() const {
    if (m_pool) return m_pool->CreateInstance();
    if (m_create) return m_create();
    return nullptr;
}

bool VClass::IsKindOf(const VClass* record) const {
    if (!record) return false;
    for (const VClass* walk = this; walk; walk = walk->m_parent)
        if (walk == record) return true;
    return false;
}

void VClass::InstanceCreated() {
    m_created.fetch_add(1, std::memory_order_relaxed);
    m_existing.fetch_add(1, std::memory_order_relaxed);
}

void VClass::InstanceDestroyed() {
    m_existing.fetch_sub(1, std::memory_order_relaxed);
}

VClass* VClass::FindByName(const char* name) {
    if (!name) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    if (!g_registry) return nullptr;
    for (int i = 0; i < g_registry->GetCount(); ++i) {
        auto* record = static_cast<VClass*>(g_registry->GetPointerAtIndex(i));
        if (std::strcmp(record->GetName(), name) == 0) return record;
    }
    return nullptr;
}

VClass* VClass::FindAlias(const char* name) {
    if (!name) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    if (!g_aliases) return nullptr;
    auto found = g_aliases->find(name);
    return found == g_aliases->end() ? nullptr : found->second;
}

void VClass::AddAlias(const char* name, VClass* record) {
    if (!name || !record) return;
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    if (!g_aliases) g_aliases = new std::map<std::string, VClass*>();
    (*g_aliases)[name] = record;
}

VPtrArray* VClass::GetSubclasses(const VClass* record) {
    auto* result = new VPtrArray();
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    if (!g_registry) return result;
    for (int i = 0; i < g_registry->GetCount(); ++i) {
        auto* candidate = static_cast<VClass*>(g_registry->GetPointerAtIndex(i));
        if (candidate->IsKindOf(record)) result->AddPointer(candidate);
    }
    return result;
}

int VClass::GetRecordCount() {
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    return g_registry ? g_registry->GetCount() : 0;
}

VClass* VClass::GetRecordAtIndex(int index) {
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    return g_registry ? static_cast<VClass*>(g_registry->GetPointerAtIndex(index)) : nullptr;
}

void VClass::TearDownRegistry() {
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    if (!g_registry) return;
    VClass* objectRecord = VObject::GetClassRecord();
    VClass* recordsRecord = GetClassRecord();
    VClass* registryRecord = g_registry->GetClass();
    VClass* sectionRecord = VCriticalSection::GetClassRecord();
    for (int i = g_registry->GetCount() - 1; i >= 1; --i) {
        auto* record = static_cast<VClass*>(g_registry->GetPointerAtIndex(i));
        g_registry->RemovePointerAtIndex(i);
        if (!record->m_home || record->m_home->load() != record) continue;
        // The records of the records themselves and of the registry's own instance outlive the registry.
        if (record == recordsRecord || (record == registryRecord && record->GetExistingCount() == 1) ||
            (record == sectionRecord && record->GetExistingCount() == 1)) {
            g_framework.push_back(record);
            continue;
        }
        if (record->GetExistingCount() > 0) {
            if (record->m_pool)
                record->m_pool->ShutDown();
            else if (record->m_shutDown)
                record->m_shutDown();
            if (record->GetExistingCount() > 0) {
                // The log may be gone by now: the line goes straight to the console stream.
                if (FILE* console = GetConsoleStream())
                    std::fprintf(console, "VClass: argh: %i instances still exist: %s\n",
                                 record->GetExistingCount(), record->GetName());
                g_survivors.push_back(record);
                continue;
            }
            delete record;
        } else if (record != objectRecord) {
            record->m_home->store(nullptr);
            delete record;
        }
    }
    VPtrArray* registry = g_registry;
    if (registry->GetCount() > 0) {
        auto* first = static_cast<VClass*>(registry->GetPointerAtIndex(0));
        if (first != objectRecord) g_framework.push_back(first);
    }
    g_registry = nullptr;
    registry->Release();
    delete g_aliases;
    g_aliases = nullptr;
}

void VClass::DestroyRemainingRecords() {
    std::lock_guard<std::recursive_mutex> lock(RegistryMutex());
    VClass* recordsRecord = nullptr;
    for (VClass* record : g_framework) {
        if (record->m_home && record->m_home->load() != record) continue;
        if (record->m_name && std::strcmp(record->m_name, "VClass") == 0) {
            recordsRecord = record;
            continue;
        }
        delete record;
    }
    g_framework.clear();
    // The record of the records goes last, when only it remains.
    delete recordsRecord;
}

} // namespace VFoundation
