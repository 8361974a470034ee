#include "foundation/VFileInfo.h"

#include "foundation/VArchive.h"
#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VRef.h"

#include <atomic>

namespace VFoundation {

namespace {

std::atomic<VFileInfoArray*> g_pool{nullptr};
std::atomic<VCriticalSection*> g_poolGuard{nullptr};

VObject* CreatePooledFileInfo() {
    return VFileInfo::Alloc();
}

} // namespace

V_IMPLEMENT_CLASS_FULL(VFileInfo, VObject, &CreatePooledFileInfo, &VFileInfo::StartPool,
                       &VFileInfo::ShutDownPool)

VFileInfo::VFileInfo() : VObject(GetClassRecord()) {}

VFileInfo::~VFileInfo() = default;

void VFileInfo::StartPool() {
    if (g_poolGuard.load()) return;
    g_poolGuard.store(new VCriticalSection());
    g_pool.store(new VFileInfoArray());
}

void VFileInfo::ShutDownPool() {
    VCriticalSection* guard = g_poolGuard.load();
    VFileInfoArray* pool = nullptr;
    if (guard) {
        VCriticalSectionLock lock(guard);
        pool = g_pool.exchange(nullptr);
    }
    // Without the pool and its guard the releases below free the instances instead of keeping them, and
    // they take no pool guard while the array holds its own (Release takes the two the other way round).
    guard = g_poolGuard.exchange(nullptr);
    if (pool) {
        pool->RemoveAllObjects();
        pool->Release();
    }
    if (guard) guard->Release();
}

int VFileInfo::GetPoolCount() {
    VCriticalSection* guard = g_poolGuard.load();
    if (!guard) return 0;
    VCriticalSectionLock lock(guard);
    VFileInfoArray* pool = g_pool.load();
    return pool ? pool->GetCount() : 0;
}

VFileInfo* VFileInfo::Alloc() {
    GetClassRecord(); // makes the pool on first use
    if (VCriticalSection* guard = g_poolGuard.load()) {
        VCriticalSectionLock lock(guard);
        VFileInfoArray* pool = g_pool.load();
        if (pool && pool->GetCount() > 0) {
            VFileInfo* info = pool->GetLastObject();
            info->Retain();
            pool->RemoveObjectAtIndex(pool->GetCount() - 1);
            info->m_inPool = false;
            return info;
        }
    }
    return new VFileInfo();
}

int32_t VFileInfo::Release() const {
    if (VCriticalSection* guard = g_poolGuard.load()) {
        VCriticalSectionLock lock(guard);
        VFileInfoArray* pool = g_pool.load();
        if (pool && GetRetainCount() == 1 && !m_inPool && pool->GetCount() < kPoolLimit) {
            auto* self = const_cast<VFileInfo*>(this);
            self->Clear();
            m_inPool = true;
            pool->AddObject(self);
        }
        return VObject::Release();
    }
    return VObject::Release();
}

void VFileInfo::Clear() {
    m_name.Assign("");
    m_isDirectory = false;
    m_isLink = false;
    m_isWritable = false;
    m_exists = false;
    m_size = 0;
    m_modificationTime = 0;
}

void VFileInfo::Serialize(VArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteString(m_name.GetText());
        archive.WriteInt32(m_isDirectory ? 1 : 0);
        return;
    }
    if (char* name = archive.ReadString()) {
        m_name.Assign(name);
        VArchive::FreeString(name);
    }
    int32_t isDirectory = 0;
    if (archive.ReadInt32(isDirectory)) m_isDirectory = isDirectory != 0;
}

} // namespace VFoundation
