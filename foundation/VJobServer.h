#pragma once

#include "foundation/VObject.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <atomic>
#include <cstdint>

namespace VFoundation {

class VCriticalSection;
class VJob;
class VLock;
class VObjectRingBuffer;
class VStopWatch;
class VThread;

// A named worker thread that takes jobs from a bounded queue one at a time, runs them, times them and
// reports to each job's delegate (IVJobDelegate).
//
// Ownership: hold a server through a VRef. The worker keeps its own reference for as long as it runs,
// so the server outlives its owners until the worker ends; the worker ends when StopServer asks it to
// or when an exception escapes a job (it then logs and stops taking jobs; a later AddJob still queues
// but nothing runs it). Stop a server before the library shuts down.
//
// Queue order: a job goes before the first queued job of lower priority (VJob::GetPriority), otherwise
// at the tail; jobs of equal priority keep the order they were added in. The queue holds at most the
// server's maximum number of jobs: AddJob refuses a job beyond that, whatever its priority, and sets the
// job's queued flag only when it was accepted.
//
// Threads: AddJob, KillAllJobs, GetActiveJob, GetActiveJobProgress, PauseServer and StopServer may be
// called from any thread. The worker takes jobs from the queue under the queue guard, so adding (which
// may rebuild the queue to insert by priority) and KillAllJobs never race with it. The state guard is
// taken alone; the queue guard and the active guard are never held together; no guard is held while a
// delegate is notified.
class VJobServer : public VObject {
    V_DECLARE_CLASS(VJobServer)
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    // maximumJobs below 1 counts as 1.
    VJobServer(const char* name, int32_t maximumJobs, VClass* record = nullptr);
    VJobServer(const VJobServer&) = delete;
    VJobServer& operator=(const VJobServer&) = delete;
    ~VJobServer() override;

    void GetDescription(VString& out) const override;

    // Queues job (retaining it), starting the worker first when it is not running. False for null or a
    // full queue, without a notice; on success the job's delegate receives JobAdded on this thread.
    virtual bool AddJob(VJob* job);
    // Starts the worker and waits up to about 100 ms for it to run. True when a start was attempted
    // (even when the platform refused the thread, which is logged); false when a worker runs or exists,
    // or the server running lock is busy.
    virtual bool StartServer();
    // Aborts the active job (VJob::Abort; it ends when its Run returns) and releases every queued job.
    // The worker goes on. Always true.
    virtual bool KillAllJobs();

    // The job being run, or none (also when the active guard stays busy for 100 ms).
    VRef<VJob> GetActiveJob() const;
    // The active job's progress, 0 when no job is active.
    float GetActiveJobProgress() const;
    int GetPendingJobCount() const;

    // Asks the worker to end once its current job (if any) is done and waits up to timeoutMs for its
    // thread to end; the running job is not aborted (call KillAllJobs first for that) and queued jobs stay
    // queued. True when no worker is left. Must not be called on the worker itself (from a job or a
    // notice). A later AddJob or StartServer starts a new worker.
    bool StopServer(uint32_t timeoutMs = kInfinite);
    // While paused the worker starts no job; the running job goes on. False when the pause could not be
    // taken within timeoutMs or this server is already paused.
    bool PauseServer(uint32_t timeoutMs);
    void ResumeServer();
    bool IsPaused() const { return m_paused.load(); }

    // The worker's priority level (VThread levels), applied to a running worker at once. Default 1.
    void SetThreadPriority(uint32_t level);
    uint32_t GetThreadPriority() const { return m_threadPriority.load(); }

    // Set by the worker when it starts; cleared only when a worker ends on StopServer's request.
    bool IsRunning() const { return m_running.load(); }
    // Whether a worker thread exists (it may still be starting or ending).
    bool HasWorker() const;
    const VString& GetName() const { return m_name; }
    int32_t GetMaximumJobs() const { return m_maximumJobs; }
    // Seconds from taking the last finished job off the queue to its release.
    double GetLastServiceTime() const { return m_lastServiceTime.load(); }

private:
    static void WorkerEntry(void* server);
    void RunWorker();
    void RunJobs(int32_t& stage, VRef<VJob>& job, bool& outcomePending);
    void AbandonJob(VRef<VJob>& job, bool outcomePending);
    void EndWorker(bool holdsServerRunningLock);
    bool InsertQueued(VJob* job, int position);
    void RemoveQueuedJobs();
    double ClockSeconds() const;

    VRef<VObjectRingBuffer> m_queue;
    VRef<VJob> m_activeJob;
    VRef<VCriticalSection> m_queueGuard;
    VRef<VCriticalSection> m_activeGuard;
    VRef<VCriticalSection> m_stateGuard;
    std::atomic<bool> m_running{false};
    VRef<VLock> m_pauseLock;
    VString m_name;
    VRef<VThread> m_thread;
    std::atomic<uint32_t> m_threadPriority{1};
    VRef<VStopWatch> m_clock;
    VRef<VLock> m_serverRunningLock;
    int32_t m_maximumJobs;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_paused{false};
    std::atomic<double> m_lastServiceTime{0.0};
};

} // namespace VFoundation
