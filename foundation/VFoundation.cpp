#include "foundation/VFoundation.h"

#include "foundation/FoundationPlatform.h"
#include "foundation/VArchive.h"
#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VData.h"
#include "foundation/VDictionary.h"
#include "foundation/VDiskInfo.h"
#include "foundation/VException.h"
#include "foundation/VFileInfo.h"
#include "foundation/VFileManager.h"
#include "foundation/VHashTable.h"
#include "foundation/VImage.h"
#include "foundation/VImageIOJPEG.h"
#include "foundation/VImageIOTarga.h"
#include "foundation/VJob.h"
#include "foundation/VJobServer.h"
#include "foundation/VLock.h"
#include "foundation/VLog.h"
#include "foundation/VLogFile.h"
#include "foundation/VMutex.h"
#include "foundation/VObjectArray.h"
#include "foundation/VObjectContainer.h"
#include "foundation/VObjectQueue.h"
#include "foundation/VObjectRingBuffer.h"
#include "foundation/VObjectStack.h"
#include "foundation/VObjectUndoStack.h"
#include "foundation/VPtrArray.h"
#include "foundation/VRef.h"
#include "foundation/VSemaphore.h"
#include "foundation/VStopWatch.h"
#include "foundation/VString.h"
#include "foundation/VStringTokenizer.h"
#include "foundation/VThread.h"
#include "foundation/VXMLFile.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace VFoundation {

namespace ClassRegistryState {
void SetShutDown(bool shutDown);
}

namespace {

std::recursive_mutex g_stateMutex;
int g_initializationCount = 0;
bool g_initialized = false;
std::atomic<AlertHandler> g_alertHandler{nullptr};
Platform::CpuIdLeaf1 g_cpu;
VObjectArray* g_logicalDrives = nullptr;

// The library's classes, made in a fixed order so that they register in it: objects, strings,
// containers, locks, threads, jobs, files, images, archives, XML and logs.
constexpr VClass::RecordAccessor kLibraryClasses[] = {
    &VObject::GetClassRecord,
    &VString::GetClassRecord,
    &VStringTokenizer::GetClassRecord,
    &VObjectContainer::GetClassRecord,
    &VObjectArray::GetClassRecord,
    &VDictionary::GetClassRecord,
    &VObjectRingBuffer::GetClassRecord,
    &VObjectStack::GetClassRecord,
    &VObjectQueue::GetClassRecord,
    &VObjectUndoStack::GetClassRecord,
    &VHashTable::GetClassRecord,
    &VPtrArray::GetClassRecord,
    &VCriticalSection::GetClassRecord,
    &VLock::GetClassRecord,
    &VMutex::GetClassRecord,
    &VSemaphore::GetClassRecord,
    &VThread::GetClassRecord,
    &VJob::GetClassRecord,
    &VJobServer::GetClassRecord,
    &VStopWatch::GetClassRecord,
    &VData::GetClassRecord,
    &VFileInfo::GetClassRecord,
    &VDiskInfo::GetClassRecord,
    &VFileManager::GetClassRecord,
    &VImage::GetClassRecord,
    &VImageIOTarga::GetClassRecord,
    &VImageIOJPEG::GetClassRecord,
    &VArchive::GetClassRecord,
    &VXMLFile::GetClassRecord,
    &VException::GetClassRecord,
    &VLog::GetClassRecord,
    &VLogFile::GetClassRecord,
};

void ReleaseShared(VObjectArray*& object) {
    if (object) object->Release();
    object = nullptr;
}

} // namespace

void InitializeLibrary() {
    std::lock_guard<std::recursive_mutex> lock(g_stateMutex);
    ++g_initializationCount;
    if (g_initialized) return;

    ClassRegistryState::SetShutDown(false);
    LogState::Enable();
    VStopWatch::GetCounterFrequency();

    int failures = 0;
    for (VClass::RecordAccessor accessor : kLibraryClasses)
        if (!accessor()) ++failures;
    // The string pool starts with its record; a record that outlived an earlier shut-down needs it again.
    VString::StartPool();

    VXMLFile::InstallDefaultFactory();
    g_cpu = Platform::ReadCpuFeatures();
    ReleaseShared(g_logicalDrives);
    g_logicalDrives = VFileManager::CreateLogicalDriveStrings();

    if (failures > 0) LogPrintf("%i classes failed to initialize.\n", failures);
    g_initialized = true;
}

void UninitilizeLibrary(bool full) {
    std::lock_guard<std::recursive_mutex> lock(g_stateMutex);
    --g_initializationCount;
    if (g_initializationCount >= 1) return;
    g_initializationCount = 0;

    int stage = 1;
    try {
        stage = 2;
        ReleaseShared(g_logicalDrives);
        PrintMemoryReport(true);
        stage = 3;
        LogState::ShutDown();
        stage = 4;
        VXMLFile::RemoveFactory();
        stage = 5;
        if (full) VString::ShutDownPool();
        stage = 6;
        if (full) {
            stage = 7;
            VClass::TearDownRegistry();
            stage = 8;
            ClassRegistryState::SetShutDown(true);
            VClass::DestroyObjectRecord();
            stage = 9;
            VClass::DestroyRemainingRecords();
        }
        stage = 10;
        g_initialized = false;
        SetLog(nullptr);
    } catch (const VException& exception) {
        throw VException(exception);
    } catch (...) {
        char description[256];
        std::snprintf(description, sizeof description,
                      "Unknown exception in VFoundation::UninitilizeLibrary(), stage:%i", stage);
        throw VException(0, nullptr, description);
    }
}

bool IsLibraryInitialized() {
    std::lock_guard<std::recursive_mutex> lock(g_stateMutex);
    return g_initialized;
}

int GetInitializationCount() {
    std::lock_guard<std::recursive_mutex> lock(g_stateMutex);
    return g_initializationCount;
}

void PrintMemoryReport(bool onlyExisting) {
    static const char* const kSeparator =
        "+-----+----------------------------------+--------+--------+--------+--------+--------+\n";
    static const char* const kPoolSeparator =
        "+-----+----------------------------------+----------+----------+\n";
    const int count = VClass::GetRecordCount();
    LogPrintf("\n");
    LogPrintf("%i classes\n", count);
    LogPrintf("\n");
    LogPrintf("%s", kSeparator);
    LogPrintf("| Num | Classname                        | Create | Exist  | Size   | SubCr  | SubCls |\n");
    LogPrintf("%s", kSeparator);
    long totalCreated = 0, totalExisting = 0;
    bool anyPool = false;
    for (int i = 0; i < count; ++i) {
        VClass* record = VClass::GetRecordAtIndex(i);
        if (!record) continue;
        totalCreated += record->GetCreatedCount();
        totalExisting += record->GetExistingCount();
        if (onlyExisting && record->GetExistingCount() <= 0) continue;
        long subCreated = 0, subClasses = 0;
        for (int j = 0; j < count; ++j) {
            VClass* other = VClass::GetRecordAtIndex(j);
            if (other && other->IsKindOf(record)) {
                ++subClasses;
                subCreated += other->GetCreatedCount();
            }
        }
        if (record->GetPool()) anyPool = true;
        LogPrintf("| %03i | %32s | %6li | %6li | %6li | %6li | %6li |\n", i, record->GetName(),
                  static_cast<long>(record->GetCreatedCount()), static_cast<long>(record->GetExistingCount()),
                  static_cast<long>(record->GetInstanceSize()), subCreated, subClasses);
    }
    LogPrintf("%s", kSeparator);
    LogPrintf("Total created: %6li  existing: %6li  size: VObject: %3li\n", totalCreated, totalExisting,
              static_cast<long>(VObject::GetClassRecord()->GetInstanceSize()));
    if (!anyPool) return;
    bool headed = false;
    for (int i = 0; i < count; ++i) {
        VClass* record = VClass::GetRecordAtIndex(i);
        if (!record || !record->GetPool()) continue;
        if (onlyExisting && record->GetExistingCount() <= 0) continue;
        if (!headed) {
            LogPrintf("%s", kPoolSeparator);
            LogPrintf("| Num | Classname                        | PoolSize | PoolMax  |\n");
            LogPrintf("%s", kPoolSeparator);
            headed = true;
        }
        LogPrintf("| %03i | %32s | %8li | %8li |\n", i, record->GetName(), record->GetPool()->GetPoolSize(),
                  record->GetPool()->GetPoolMaximum());
    }
    if (headed) LogPrintf("%s", kPoolSeparator);
}

int Alert(const char* format, ...) {
    char text[1024];
    text[0] = 0;
    if (format) {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(text, sizeof text, format, arguments);
        va_end(arguments);
    }
    if (AlertHandler handler = g_alertHandler.load()) return handler(text);
    std::fprintf(stderr, "Alert: %s\n", text);
    return 1;
}

AlertHandler SetAlertHandler(AlertHandler handler) {
    return g_alertHandler.exchange(handler);
}

bool HasCpuFeature(CpuFeature feature) {
    switch (feature) {
    case CpuFeature::FPU:
        return g_cpu.edx & (1u << 0);
    case CpuFeature::MMX:
        return g_cpu.edx & (1u << 23);
    case CpuFeature::SSE:
        return g_cpu.edx & (1u << 25);
    case CpuFeature::SSE2:
        return g_cpu.edx & (1u << 26);
    case CpuFeature::HTT:
        return g_cpu.edx & (1u << 28);
    case CpuFeature::SSE3:
        return g_cpu.ecx & (1u << 0);
    case CpuFeature::TM2:
        return g_cpu.ecx & (1u << 8);
    }
    return false;
}

VObjectArray* GetLogicalDrives() {
    return g_logicalDrives;
}

} // namespace VFoundation
