#include "foundation/VJobServer.h"
#include "foundation/IVJobDelegate.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VJob.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace VFoundation;

namespace {

using Clock = std::chrono::steady_clock;

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class TestJob : public VJob {
    V_DECLARE_CLASS(TestJob)
public:
    enum class Outcome { Succeed, Fail, ThrowVException, ThrowOther, RunUntilAborted };

    TestJob(const char* name, Outcome outcome, IVJobDelegate* delegate, int32_t priority = 0,
            std::vector<std::string>* runOrder = nullptr, std::mutex* runOrderMutex = nullptr)
        : VJob(nullptr, delegate, GetClassRecord()), m_name(name), m_outcome(outcome), m_runOrder(runOrder),
          m_runOrderMutex(runOrderMutex) {
        SetPriority(priority);
    }

    bool Run() override {
        if (m_runOrder) {
            std::lock_guard<std::mutex> lock(*m_runOrderMutex);
            m_runOrder->push_back(m_name);
        }
        runningNow.store(true);
        switch (m_outcome) {
        case Outcome::Succeed:
            return true;
        case Outcome::Fail:
            return false;
        case Outcome::ThrowVException:
            throw VException(7, this, "job broke");
        case Outcome::ThrowOther:
            throw std::runtime_error("job broke");
        case Outcome::RunUntilAborted:
            while (!aborted.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return false;
        }
        return false;
    }
    float GetProgress() override { return 0.25f; }
    void Abort() override { aborted.store(true); }

    const std::string& Name() const { return m_name; }

    std::atomic<bool> aborted{false};
    std::atomic<bool> runningNow{false};

private:
    std::string m_name;
    Outcome m_outcome;
    std::vector<std::string>* m_runOrder;
    std::mutex* m_runOrderMutex;
};

V_IMPLEMENT_ABSTRACT_CLASS(TestJob, VJob)

// Records every notice as "<kind>:<job>" with the thread it came on.
class RecordingDelegate : public IVJobDelegate {
public:
    struct Notice {
        std::string text;
        std::thread::id thread;
    };

    void JobAdded(VJobServer*, VJob* job) override { Record("added", job); }
    void JobStarted(VJobServer*, VJob* job) override { Record("started", job); }
    void JobSucceeded(VJobServer*, VJob* job) override { Record("succeeded", job); }
    void JobFailed(VJobServer*, VJob* job) override { Record("failed", job); }

    std::vector<Notice> Notices() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_notices;
    }
    bool Has(const std::string& text) const {
        for (const Notice& notice : Notices())
            if (notice.text == text) return true;
        return false;
    }
    bool WaitFor(const std::string& text) const {
        return WaitUntil([&] { return Has(text); });
    }
    std::thread::id ThreadOf(const std::string& text) const {
        for (const Notice& notice : Notices())
            if (notice.text == text) return notice.thread;
        return {};
    }

private:
    void Record(const char* kind, VJob* job) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_notices.push_back(
            {std::string(kind) + ":" + static_cast<TestJob*>(job)->Name(), std::this_thread::get_id()});
    }

    mutable std::mutex m_mutex;
    std::vector<Notice> m_notices;
};

} // namespace

TEST(VJobServer, FirstAddJobStartsTheWorkerWhichRunsTheJobAndNotifiesOnItsOwnThread) {
    KisTest::LogCapture log;
    RecordingDelegate delegate;
    {
        VRef<VJobServer> server = MakeRef<VJobServer>("Test Server", 1);
        EXPECT_FALSE(server->IsRunning());
        EXPECT_FALSE(server->HasWorker());
        EXPECT_FALSE(server->AddJob(nullptr));
        EXPECT_FALSE(server->IsRunning());

        VRef<TestJob> job = MakeRef<TestJob>("one", TestJob::Outcome::Succeed, &delegate);
        ASSERT_TRUE(server->AddJob(job.Get()));
        EXPECT_TRUE(server->IsRunning());
        EXPECT_TRUE(server->HasWorker());
        ASSERT_TRUE(delegate.WaitFor("succeeded:one"));

        const auto notices = delegate.Notices();
        ASSERT_EQ(notices.size(), 3u);
        EXPECT_EQ(notices[0].text, "added:one");
        EXPECT_EQ(notices[1].text, "started:one");
        EXPECT_EQ(notices[0].thread, std::this_thread::get_id());
        EXPECT_NE(notices[1].thread, std::this_thread::get_id());
        EXPECT_EQ(notices[2].thread, notices[1].thread);

        // The worker releases the job after JobDidFinish; wait for its reference to go.
        ASSERT_TRUE(WaitUntil([&] { return job->GetRetainCount() == 1; }));
        EXPECT_FALSE(job->IsRunning());
        EXPECT_FALSE(job->IsQueued());
        EXPECT_TRUE(job->IsFinished());
        EXPECT_LE(job->GetQueuedTime(), job->GetStartTime());
        EXPECT_LE(job->GetStartTime(), job->GetEndTime());

        EXPECT_TRUE(server->StopServer(5000));
        EXPECT_FALSE(server->HasWorker());
        EXPECT_FALSE(server->IsRunning());
        EXPECT_EQ(server->GetRetainCount(), 1);
    }
    const std::string text = log.Text();
    EXPECT_NE(text.find("[Test Server] thread STARTED\n"), std::string::npos);
    EXPECT_NE(text.find("[Test Server] thread ENDED  "), std::string::npos);
    EXPECT_NE(text.find("VJobServer [DESTRUCTOR]: Test Server  START\n"
                        "VJobServer [DESTRUCTOR]: Test Server  Server running: no\n"
                        "VJobServer [DESTRUCTOR]: Test Server  END\n"),
              std::string::npos);
}

TEST(VJobServer, QueueHoldsItsMaximumAndRefusesOneMore) {
    KisTest::LogCapture log;
    RecordingDelegate delegate;
    VRef<VJobServer> server = MakeRef<VJobServer>("Bounded", 3);
    ASSERT_TRUE(server->StartServer());
    EXPECT_FALSE(server->StartServer());
    ASSERT_TRUE(server->PauseServer(1000));

    std::vector<VRef<TestJob>> jobs;
    for (const char* name : {"a", "b", "c", "d"})
        jobs.push_back(MakeRef<TestJob>(name, TestJob::Outcome::Succeed, &delegate));
    EXPECT_TRUE(server->AddJob(jobs[0].Get()));
    EXPECT_TRUE(server->AddJob(jobs[1].Get()));
    EXPECT_TRUE(server->AddJob(jobs[2].Get()));
    EXPECT_FALSE(server->AddJob(jobs[3].Get()));
    EXPECT_EQ(server->GetPendingJobCount(), 3);
    EXPECT_TRUE(jobs[2]->IsQueued());
    EXPECT_FALSE(jobs[3]->IsQueued());
    EXPECT_FALSE(delegate.Has("added:d"));
    EXPECT_EQ(jobs[3]->GetRetainCount(), 1);

    VString description;
    server->GetDescription(description);
    EXPECT_NE(std::string(description.GetText()).find("JobsPending: 3\n"), std::string::npos);
    EXPECT_NE(std::string(description.GetText()).find("\nNo active Job.\n"), std::string::npos);

    server->ResumeServer();
    ASSERT_TRUE(delegate.WaitFor("succeeded:c"));
    EXPECT_FALSE(delegate.Has("started:d"));
    EXPECT_TRUE(server->StopServer(5000));
}

TEST(VJobServer, HigherPriorityJobsGoBeforeLowerOnesAndEqualOnesKeepTheirOrder) {
    KisTest::LogCapture log;
    RecordingDelegate delegate;
    std::vector<std::string> runOrder;
    std::mutex runOrderMutex;
    VRef<VJobServer> server = MakeRef<VJobServer>("Priorities", 4);
    ASSERT_TRUE(server->StartServer());
    ASSERT_TRUE(server->PauseServer(1000));

    auto make = [&](const char* name, int32_t priority) {
        return MakeRef<TestJob>(name, TestJob::Outcome::Succeed, &delegate, priority, &runOrder,
                                &runOrderMutex);
    };
    VRef<TestJob> low1 = make("low1", 0);
    VRef<TestJob> low2 = make("low2", 0);
    VRef<TestJob> high = make("high", 5);
    VRef<TestJob> mid = make("mid", 2);
    VRef<TestJob> urgent = make("urgent", 9);
    ASSERT_TRUE(server->AddJob(low1.Get()));
    ASSERT_TRUE(server->AddJob(low2.Get()));
    ASSERT_TRUE(server->AddJob(high.Get()));
    ASSERT_TRUE(server->AddJob(mid.Get()));
    // A full queue refuses even a job that would go first, and keeps what it holds.
    EXPECT_FALSE(server->AddJob(urgent.Get()));
    EXPECT_FALSE(urgent->IsQueued());
    EXPECT_EQ(server->GetPendingJobCount(), 4);
    EXPECT_TRUE(low1->IsQueued());
    EXPECT_EQ(low1->GetRetainCount(), 2);

    server->ResumeServer();
    ASSERT_TRUE(delegate.WaitFor("succeeded:low2"));
    {
        std::lock_guard<std::mutex> lock(runOrderMutex);
        EXPECT_EQ(runOrder, (std::vector<std::string>{"high", "mid", "low1", "low2"}));
    }
    EXPECT_TRUE(server->StopServer(5000));
    EXPECT_TRUE(WaitUntil([&] { return low2->GetRetainCount() == 1; }));
}

TEST(VJobServer, FalseRunGetsJobFailedAndNeverJobSucceeded) {
    KisTest::LogCapture log;
    RecordingDelegate delegate;
    VRef<VJobServer> server = MakeRef<VJobServer>("Failing", 1);
    VRef<TestJob> job = MakeRef<TestJob>("bad", TestJob::Outcome::Fail, &delegate);
    ASSERT_TRUE(server->AddJob(job.Get()));
    ASSERT_TRUE(delegate.WaitFor("failed:bad"));
    EXPECT_TRUE(server->StopServer(5000));
    EXPECT_FALSE(delegate.Has("succeeded:bad"));
    EXPECT_TRUE(delegate.Has("started:bad"));
    EXPECT_FALSE(job->IsRunning());
}

TEST(VJobServer, KillAllJobsAbortsTheRunningJobAndEmptiesTheQueue) {
    KisTest::LogCapture log;
    RecordingDelegate delegate;
    VRef<VJobServer> server = MakeRef<VJobServer>("Killer", 2);
    VRef<TestJob> running = MakeRef<TestJob>("running", TestJob::Outcome::RunUntilAborted, &delegate);
    VRef<TestJob> waiting = MakeRef<TestJob>("waiting", TestJob::Outcome::Succeed, &delegate);
    EXPECT_EQ(server->GetActiveJobProgress(), 0.0f);
    EXPECT_FALSE(server->GetActiveJob());

    ASSERT_TRUE(server->AddJob(running.Get()));
    ASSERT_TRUE(WaitUntil([&] { return running->runningNow.load(); }));
    ASSERT_TRUE(server->AddJob(waiting.Get()));
    EXPECT_EQ(server->GetActiveJob().Get(), running.Get());
    EXPECT_EQ(server->GetActiveJobProgress(), 0.25f);
    VString description;
    server->GetDescription(description);
    EXPECT_NE(std::string(description.GetText()).find("\nActive Job:\n[TestJob]"), std::string::npos);

    EXPECT_TRUE(server->KillAllJobs());
    EXPECT_TRUE(running->aborted.load());
    EXPECT_EQ(server->GetPendingJobCount(), 0);
    EXPECT_FALSE(waiting->IsQueued());
    EXPECT_EQ(waiting->GetRetainCount(), 1);
    ASSERT_TRUE(delegate.WaitFor("failed:running"));
    EXPECT_TRUE(WaitUntil([&] { return !server->GetActiveJob(); }));

    // The worker goes on after KillAllJobs.
    ASSERT_TRUE(server->AddJob(waiting.Get()));
    ASSERT_TRUE(delegate.WaitFor("succeeded:waiting"));
    EXPECT_TRUE(server->StopServer(5000));
}

TEST(VJobServer, ExceptionFromAJobEndsTheWorkerAndTheDestructorFindsItStopped) {
    KisTest::LogCapture log;
    RecordingDelegate delegate;
    VRef<TestJob> thrower = MakeRef<TestJob>("thrower", TestJob::Outcome::ThrowVException, &delegate);
    VRef<TestJob> left = MakeRef<TestJob>("left", TestJob::Outcome::Succeed, &delegate);
    {
        VRef<VJobServer> server = MakeRef<VJobServer>("Broken", 2);
        ASSERT_TRUE(server->AddJob(thrower.Get()));
        ASSERT_TRUE(WaitUntil([&] { return !server->HasWorker(); }));
        EXPECT_TRUE(WaitUntil([&] { return log.Contains("[Broken] thread ENDED  "); }));
        // The started job is told it failed and is let go.
        EXPECT_TRUE(delegate.Has("failed:thrower"));
        EXPECT_FALSE(delegate.Has("succeeded:thrower"));
        EXPECT_TRUE(WaitUntil([&] { return thrower->GetRetainCount() == 1; }));
        EXPECT_FALSE(thrower->IsRunning());

        // Nothing runs queued jobs any more; the destructor lets them go.
        EXPECT_TRUE(server->IsRunning());
        ASSERT_TRUE(server->AddJob(left.Get()));
        EXPECT_EQ(left->GetRetainCount(), 2);
        // The worker gives up its reference to the server last of all.
        ASSERT_TRUE(WaitUntil([&] { return server->GetRetainCount() == 1; }));
    }
    EXPECT_EQ(left->GetRetainCount(), 1);
    EXPECT_FALSE(delegate.Has("started:left"));
    const std::string text = log.Text();
    EXPECT_NE(text.find("VException in server: Broken (stage:9)\n"
                        "Exception id: 7 src: TestJob descr: job broke\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("VJobServer [DESTRUCTOR]: Broken  Server running: no\n"), std::string::npos) << text;
}

TEST(VJobServer, OtherExceptionsAreReportedWithTheirStage) {
    KisTest::LogCapture log;
    RecordingDelegate delegate;
    VRef<VJobServer> server = MakeRef<VJobServer>("Foreign", 1);
    VRef<TestJob> job = MakeRef<TestJob>("foreign", TestJob::Outcome::ThrowOther, &delegate);
    ASSERT_TRUE(server->AddJob(job.Get()));
    ASSERT_TRUE(WaitUntil([&] { return !server->HasWorker(); }));
    EXPECT_TRUE(log.Contains("Exception in server: Foreign (stage:9)\n"));
    EXPECT_FALSE(log.Contains("VException in server"));
    ASSERT_TRUE(WaitUntil([&] { return server->GetRetainCount() == 1; }));
}

TEST(VJobServer, StoppedServerStartsAgainOnTheNextJob) {
    KisTest::LogCapture log;
    RecordingDelegate delegate;
    VRef<VJobServer> server = MakeRef<VJobServer>("Restart", 1);
    server->SetThreadPriority(0);
    ASSERT_TRUE(server->StartServer());
    EXPECT_TRUE(server->StopServer(5000));
    EXPECT_FALSE(server->IsRunning());

    VRef<TestJob> job = MakeRef<TestJob>("again", TestJob::Outcome::Succeed, &delegate);
    ASSERT_TRUE(server->AddJob(job.Get()));
    ASSERT_TRUE(delegate.WaitFor("succeeded:again"));
    EXPECT_EQ(server->GetThreadPriority(), 0u);
    EXPECT_TRUE(server->StopServer(5000));
}
