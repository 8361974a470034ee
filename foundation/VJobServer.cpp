#include "foundation/VJobServer.h"

#include "foundation/IVJobDelegate.h"
#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VException.h"
#include "foundation/VJob.h"
#include "foundation/VLock.h"
#include "foundation/VLog.h"
#include "foundation/VObjectRingBuffer.h"
#include "foundation/VStopWatch.h"
#include "foundation/VThread.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

namespace VFoundation {

V_IMPLEMENT_ABSTRACT_CLASS(VJobServer, VObject)

namespace {

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

VJobServer::VJobServer(const char* name, int32_t maximumJobs, VClass* record)
    : VObject(record ? record : GetClassRecord()), m_queueGuard(MakeRef<VCriticalSection>()),
      m_activeGuard(MakeRef<VCriticalSection>()), m_stateGuard(MakeRef<VCriticalSection>()),
      m_pauseLock(MakeRef<VLock>()), m_name(name), m_serverRunningLock(MakeRef<VLock>()),
      m_maximumJobs(std::max<int32_t>(maximumJobs, 1)) {
    // A ring buffer made for n items has n + 1 slots.
    m_queue = MakeRef<VObjectRingBuffer>(m_maximumJobs);
}

VJobServer::~VJobServer() {
    LogPrintf("VJobServer [DESTRUCTOR]: %s  START\n", m_name.GetText());
    bool running = true;
    if (m_serverRunningLock->WaitFor(100)) {
        m_serverRunningLock->Release();
        running = false;
    }
    LogPrintf("VJobServer [DESTRUCTOR]: %s  Server running: %s\n", m_name.GetText(), running ? "yes" : "no");
    RemoveQueuedJobs();
    m_activeJob.Reset();
    m_clock.Reset();
    LogPrintf("VJobServer [DESTRUCTOR]: %s  END\n", m_name.GetText());
}

void VJobServer::GetDescription(VString& out) const {
    VObject::GetDescription(out);
    out.Append("  JobsPending: ").Append(GetPendingJobCount()).Append('\n');
    VString text;
    {
        VCriticalSectionLock hold(m_queueGuard.Get());
        m_queue->GetDescription(text);
    }
    out.Append(text);
    VCriticalSectionLock hold(m_activeGuard.Get());
    if (m_activeJob) {
        m_activeJob->GetDescription(text);
        out.Append("\nActive Job:\n").Append(text);
    } else {
        out.Append("\nNo active Job.\n");
    }
}

bool VJobServer::AddJob(VJob* job) {
    if (!job) return false;
    // Our own reference: the worker may run and release the job before JobAdded is sent.
    const VRef<VJob> keep = VRef<VJob>::Retained(job);
    if (!m_running.load()) StartServer();

    bool added = false;
    {
        VCriticalSectionLock hold(m_queueGuard.Get());
        const int count = m_queue->GetCount();
        if (count < m_maximumJobs) {
            int position = count;
            for (int i = 0; i < count; ++i) {
                const auto* queued = static_cast<const VJob*>(m_queue->GetObjectAtIndex(i));
                if (queued && queued->GetPriority() < job->GetPriority()) {
                    position = i;
                    break;
                }
            }
            added = position == count ? m_queue->Push(job) : InsertQueued(job, position);
            if (added) {
                job->m_queued.store(true);
                if (m_clock) job->m_queuedTime.store(m_clock->GetElapsedSeconds());
            }
        }
    }
    if (added && job->GetDelegate()) job->GetDelegate()->JobAdded(this, job);
    return added;
}

// The ring buffer only appends, so inserting rebuilds it in the new order. Called under the queue
// guard with room for one more job; the worker cannot take a job meanwhile.
bool VJobServer::InsertQueued(VJob* job, int position) {
    std::vector<VObject*> pending;
    pending.reserve(static_cast<size_t>(m_queue->GetCount()));
    VObject* object = nullptr;
    while (m_queue->Pop(object))
        pending.push_back(object);
    bool inserted = false;
    for (size_t i = 0; i <= pending.size(); ++i) {
        if (static_cast<int>(i) == position) inserted = m_queue->Push(job);
        if (i < pending.size()) {
            m_queue->Push(pending[i]);
            pending[i]->Release();
        }
    }
    return inserted;
}

bool VJobServer::StartServer() {
    VCriticalSectionLock hold(m_stateGuard.Get());
    if (m_running.load() || m_thread) return false;
    if (!m_serverRunningLock->WaitFor(0)) return false;
    m_stopRequested.store(false);
    // The worker's reference, taken here so that the server cannot go before the worker gets going.
    Retain();
    VThread* thread = VThread::Start(&VJobServer::WorkerEntry, this);
    if (thread) {
        m_thread = VRef<VThread>::Adopt(thread);
        thread->SetPriority(m_threadPriority.load());
    } else {
        VObject::Release();
    }
    m_serverRunningLock->Release();
    if (thread) {
        for (int i = 0; i < 10 && !m_running.load(); ++i)
            SleepMs(10);
    }
    return true;
}

bool VJobServer::KillAllJobs() {
    {
        VCriticalSectionLock hold(m_activeGuard.Get());
        if (m_activeJob) m_activeJob->Abort();
    }
    RemoveQueuedJobs();
    return true;
}

void VJobServer::RemoveQueuedJobs() {
    VCriticalSectionLock hold(m_queueGuard.Get());
    VObject* object = nullptr;
    while (m_queue->Pop(object)) {
        static_cast<VJob*>(object)->m_queued.store(false);
        object->Release();
    }
}

VRef<VJob> VJobServer::GetActiveJob() const {
    VCriticalSectionLock hold(m_activeGuard.Get(), 100);
    if (!hold.IsLocked()) return nullptr;
    return m_activeJob;
}

float VJobServer::GetActiveJobProgress() const {
    VCriticalSectionLock hold(m_activeGuard.Get());
    return m_activeJob ? m_activeJob->GetProgress() : 0.0f;
}

int VJobServer::GetPendingJobCount() const {
    return m_queue->GetCount();
}

bool VJobServer::StopServer(uint32_t timeoutMs) {
    VRef<VThread> thread;
    {
        VCriticalSectionLock hold(m_stateGuard.Get());
        if (!m_thread) return true;
        thread = m_thread;
        m_stopRequested.store(true);
    }
    return thread->WaitForEnd(timeoutMs);
}

bool VJobServer::PauseServer(uint32_t timeoutMs) {
    if (m_paused.load()) return false;
    if (!m_pauseLock->WaitFor(timeoutMs)) return false;
    m_paused.store(true);
    return true;
}

void VJobServer::ResumeServer() {
    if (m_paused.exchange(false)) m_pauseLock->Release();
}

void VJobServer::SetThreadPriority(uint32_t level) {
    m_threadPriority.store(level);
    VCriticalSectionLock hold(m_stateGuard.Get());
    if (m_thread) m_thread->SetPriority(level);
}

bool VJobServer::HasWorker() const {
    VCriticalSectionLock hold(m_stateGuard.Get());
    return static_cast<bool>(m_thread);
}

double VJobServer::ClockSeconds() const {
    return m_clock ? m_clock->GetElapsedSeconds() : 0.0;
}

void VJobServer::WorkerEntry(void* server) {
    static_cast<VJobServer*>(server)->RunWorker();
}

// The stage numbers name the step that a failure report points at.
void VJobServer::RunWorker() {
    int32_t stage = -3;
    bool holdsServerRunningLock = false;
    VRef<VJob> job;
    bool outcomePending = false;
    try {
        stage = -2;
        LogPrintf("[%s] thread STARTED\n", m_name.GetText());
        stage = -1;
        {
            VCriticalSectionLock hold(m_queueGuard.Get());
            m_clock = MakeRef<VStopWatch>();
        }
        stage = 1;
        if (m_serverRunningLock->WaitFor(500)) {
            holdsServerRunningLock = true;
            m_running.store(true);
            RunJobs(stage, job, outcomePending);
        } else {
            LogPrintf("[%s] (server thread) ERROR: did not obtain server running lock! Aborting.\n",
                      m_name.GetText());
        }
    } catch (const VException& exception) {
        LogPrintf("VException in server: %s (stage:%i)\n", m_name.GetText(), static_cast<int>(stage));
        LogObject(&exception);
    } catch (...) {
        LogPrintf("Exception in server: %s (stage:%li)\n", m_name.GetText(), static_cast<long>(stage));
    }
    if (job) AbandonJob(job, outcomePending);
    EndWorker(holdsServerRunningLock);
}

void VJobServer::RunJobs(int32_t& stage, VRef<VJob>& job, bool& outcomePending) {
    while (m_running.load() && !m_stopRequested.load()) {
        stage = 3;
        if (!m_pauseLock->WaitFor(50)) continue;
        m_pauseLock->Release();
        stage = 5;
        if (m_queue->GetCount() == 0) {
            SleepMs(5);
            continue;
        }
        stage = 6;
        VRef<VStopWatch> jobWatch = MakeRef<VStopWatch>();
        {
            VCriticalSectionLock hold(m_queueGuard.Get());
            VObject* object = nullptr;
            if (m_queue->Pop(object)) job = VRef<VJob>::Adopt(static_cast<VJob*>(object));
        }
        stage = 7;
        if (!job) continue;
        {
            VCriticalSectionLock hold(m_activeGuard.Get());
            m_activeJob = job;
        }
        stage = 8;
        job->JobWillStart();
        outcomePending = true;
        if (IVJobDelegate* delegate = job->GetDelegate()) delegate->JobStarted(this, job.Get());
        stage = 9;
        job->m_startTime.store(ClockSeconds());
        const bool succeeded = job->Run();
        job->m_endTime.store(ClockSeconds());
        stage = 13;
        outcomePending = false;
        if (IVJobDelegate* delegate = job->GetDelegate(); delegate && m_running.load()) {
            if (succeeded)
                delegate->JobSucceeded(this, job.Get());
            else
                delegate->JobFailed(this, job.Get());
        }
        stage = 16;
        job->JobDidFinish();
        stage = 17;
        const double serviceTime = jobWatch->GetElapsedSeconds();
        {
            VCriticalSectionLock hold(m_activeGuard.Get());
            m_activeJob.Reset();
        }
        job.Reset();
        m_lastServiceTime.store(serviceTime);
        stage = 18;
        jobWatch.Reset();
    }
}

// An exception ended the worker while it held a job: the job gets its failure notice (when it had
// been started and had none yet) and its flags cleared, and is released, so that nobody waits for it.
void VJobServer::AbandonJob(VRef<VJob>& job, bool outcomePending) {
    try {
        IVJobDelegate* delegate = job->GetDelegate();
        if (outcomePending && delegate) delegate->JobFailed(this, job.Get());
    } catch (...) {
    }
    try {
        job->JobDidFinish();
    } catch (...) {
    }
    {
        VCriticalSectionLock hold(m_activeGuard.Get());
        m_activeJob.Reset();
    }
    job.Reset();
}

void VJobServer::EndWorker(bool holdsServerRunningLock) {
    {
        VCriticalSectionLock hold(m_queueGuard.Get());
        m_clock.Reset();
    }
    // The reference that StartServer took for this worker; given up last, as it may be the final one.
    VRef<VJobServer> self = VRef<VJobServer>::Adopt(this);
    {
        VCriticalSectionLock hold(m_stateGuard.Get());
        m_thread.Reset();
        if (m_stopRequested.load()) m_running.store(false);
        LogPrintf("[%s] thread ENDED  %li\n", m_name.GetText(), static_cast<long>(std::time(nullptr)));
        if (holdsServerRunningLock) m_serverRunningLock->Release();
    }
}

} // namespace VFoundation
