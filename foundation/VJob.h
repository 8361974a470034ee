#pragma once

#include "foundation/VObject.h"
#include "foundation/VRef.h"

#include <atomic>
#include <cstdint>

namespace VFoundation {

class IVJobDelegate;
class VJobServer;

// A unit of work that a VJobServer runs on its worker thread.
//
// Subclasses implement Run (the work; true for success), GetProgress (0 to 1) and Abort. Run and
// JobWillStart/JobDidFinish are called on the worker; GetProgress and Abort are called from other
// threads while Run is running (the user interface polls the progress, KillAllJobs aborts), so the
// state they share with Run must be safe to touch from two threads.
//
// Setup, SetContext, SetDelegate and SetPriority belong to the job's owner before the job is queued.
//
// Times are seconds on the server's clock (started with its worker): when the job was queued, when
// its Run started and when it returned.
class VJob : public VObject {
    V_DECLARE_CLASS(VJob)
public:
    explicit VJob(VObject* context = nullptr, IVJobDelegate* delegate = nullptr, VClass* record = nullptr);
    VJob(const VJob&) = delete;
    VJob& operator=(const VJob&) = delete;
    ~VJob() override;

    void GetDescription(VString& out) const override;

    virtual bool Run() = 0;
    virtual float GetProgress() = 0;
    virtual void Abort() = 0;
    // Sets running and clears finished.
    virtual void JobWillStart();
    // Clears running and queued, sets finished; returns false.
    virtual bool JobDidFinish();
    // Clears the flags and the status word, replaces the context, stores delegate and priority.
    virtual void Setup(VObject* context, IVJobDelegate* delegate, int32_t priority);
    // Retains the new context and releases the old one (nothing happens when they are the same).
    virtual void SetContext(VObject* context);

    VObject* GetContext() const { return m_context.Get(); }
    IVJobDelegate* GetDelegate() const { return m_delegate; }
    void SetDelegate(IVJobDelegate* delegate) { m_delegate = delegate; }
    // Higher runs sooner: AddJob puts a job before the first queued job of lower priority.
    int32_t GetPriority() const { return m_priority.load(); }
    void SetPriority(int32_t priority) { m_priority.store(priority); }
    // A free word for subclasses; Setup clears it.
    int32_t GetStatus() const { return m_status.load(); }
    void SetStatus(int32_t status) { m_status.store(status); }

    bool IsRunning() const { return m_running.load(); }
    bool IsQueued() const { return m_queued.load(); }
    bool IsFinished() const { return m_finished.load(); }
    double GetQueuedTime() const { return m_queuedTime.load(); }
    double GetStartTime() const { return m_startTime.load(); }
    double GetEndTime() const { return m_endTime.load(); }

private:
    friend class VJobServer;

    IVJobDelegate* m_delegate;
    VRef<VObject> m_context;
    std::atomic<double> m_queuedTime{0.0};
    std::atomic<double> m_startTime{0.0};
    std::atomic<double> m_endTime{0.0};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_queued{false};
    std::atomic<bool> m_finished{false};
    std::atomic<int32_t> m_priority{0};
    std::atomic<int32_t> m_status{0};
};

} // namespace VFoundation
