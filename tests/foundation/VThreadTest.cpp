#include "foundation/VThread.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VLock.h"
#include "foundation/VMutex.h"
#include "foundation/VRef.h"
#include "foundation/VSemaphore.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace VFoundation;

namespace {

using Clock = std::chrono::steady_clock;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

struct ThreadRecord {
    std::atomic<int> value{0};
    std::atomic<bool> afterExit{false};
    std::atomic<bool> unwound{false};
};

void StoreArgument(void* argument) {
    static_cast<ThreadRecord*>(argument)->value.store(42);
}

struct UnwindMark {
    ThreadRecord* record;
    ~UnwindMark() { record->unwound.store(true); }
};

void ExitEarly(void* argument) {
    auto* record = static_cast<ThreadRecord*>(argument);
    UnwindMark mark{record};
    record->value.store(1);
    VThread::Exit();
    record->afterExit.store(true);
}

void WaitForRelease(void* argument) {
    auto* gate = static_cast<std::atomic<bool>*>(argument);
    while (!gate->load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

TEST(VThread, RunsEntryWithArgumentAndReportsItsEnd) {
    ThreadRecord record;
    VRef<VThread> thread = VRef<VThread>::Adopt(VThread::Start(&StoreArgument, &record));
    ASSERT_TRUE(thread);
    EXPECT_EQ(thread->GetClassRecord(), VThread::GetClassRecord());
    ASSERT_TRUE(thread->WaitForEnd(5000));
    EXPECT_TRUE(thread->HasEnded());
    EXPECT_EQ(record.value.load(), 42);
}

TEST(VThread, ExitEndsTheThreadAndUnwindsItsFrames) {
    ThreadRecord record;
    VRef<VThread> thread = VRef<VThread>::Adopt(VThread::Start(&ExitEarly, &record));
    ASSERT_TRUE(thread);
    ASSERT_TRUE(thread->WaitForEnd(5000));
    EXPECT_EQ(record.value.load(), 1);
    EXPECT_FALSE(record.afterExit.load());
    EXPECT_TRUE(record.unwound.load());
}

TEST(VThread, PriorityLevelsAreStoredAndLoweringIsApplied) {
    std::atomic<bool> gate{false};
    VRef<VThread> thread = VRef<VThread>::Adopt(VThread::Start(&WaitForRelease, &gate));
    ASSERT_TRUE(thread);
    EXPECT_EQ(thread->GetPriority(), VThread::kPriorityNormal);
    // Lowering a thread's priority is allowed to every process.
    thread->SetPriority(VThread::kPriorityBelowNormal);
    EXPECT_EQ(thread->GetPriority(), VThread::kPriorityBelowNormal);
    EXPECT_TRUE(thread->IsPriorityApplied());
    thread->SetPriority(7);
    EXPECT_EQ(thread->GetPriority(), 7u);
    gate.store(true);
    ASSERT_TRUE(thread->WaitForEnd(5000));
    // A level given after the end is still stored.
    thread->SetPriority(VThread::kPriorityAboveNormal);
    EXPECT_EQ(thread->GetPriority(), VThread::kPriorityAboveNormal);
}

TEST(VCriticalSection, TryEnterOnABusySectionFailsAtOnceWithZeroAndAfterTheTimeOut) {
    VRef<VCriticalSection> section = MakeRef<VCriticalSection>();
    std::atomic<bool> entered{false};
    std::atomic<bool> leave{false};
    std::thread holder([&] {
        section->Enter();
        entered.store(true);
        while (!leave.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        section->Leave();
    });
    while (!entered.load())
        std::this_thread::yield();

    auto start = Clock::now();
    EXPECT_FALSE(section->TryEnter(0));
    EXPECT_LT(MillisecondsSince(start), 50);

    start = Clock::now();
    EXPECT_FALSE(section->TryEnter(60));
    EXPECT_GE(MillisecondsSince(start), 55);

    leave.store(true);
    holder.join();
    EXPECT_TRUE(section->TryEnter(0));
    // Recursive for its owner.
    EXPECT_TRUE(section->TryEnter(0));
    section->Leave();
    section->Leave();
}

TEST(VCriticalSection, TryEnterSucceedsWhenTheHolderLeavesWithinTheTimeOut) {
    VRef<VCriticalSection> section = MakeRef<VCriticalSection>();
    std::atomic<bool> entered{false};
    std::thread holder([&] {
        section->Enter();
        entered.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        section->Leave();
    });
    while (!entered.load())
        std::this_thread::yield();
    EXPECT_TRUE(section->TryEnter(2000));
    section->Leave();
    holder.join();
}

TEST(VLock, IsNotRecursiveAndMayBeReleasedByAnotherThread) {
    VRef<VLock> lock = MakeRef<VLock>();
    ASSERT_TRUE(lock->WaitFor(0));
    EXPECT_TRUE(lock->IsHeld());
    EXPECT_FALSE(lock->WaitFor(0));
    EXPECT_FALSE(lock->IsHeld());

    std::thread releaser([&] { lock->Release(); });
    releaser.join();
    EXPECT_TRUE(lock->WaitFor(0));

    // A waiter is woken by a release from another thread.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lock->Release();
    });
    EXPECT_TRUE(lock->WaitFor(5000));
    late.join();
    lock->Release();
}

TEST(VMutex, IsRecursiveAndOnlyItsOwnerUnlocksIt) {
    VRef<VMutex> mutex = MakeRef<VMutex>();
    ASSERT_TRUE(mutex->Lock(0));
    ASSERT_TRUE(mutex->Lock(0));
    std::thread other([&] {
        EXPECT_FALSE(mutex->Lock(0));
        EXPECT_FALSE(mutex->Unlock());
    });
    other.join();
    EXPECT_TRUE(mutex->Unlock());
    EXPECT_TRUE(mutex->IsOwnedByCurrentThread());
    EXPECT_TRUE(mutex->Unlock());
    EXPECT_FALSE(mutex->Unlock());

    std::thread next([&] {
        EXPECT_TRUE(mutex->Lock(0));
        EXPECT_TRUE(mutex->Unlock());
    });
    next.join();
}

TEST(VSemaphore, CountsUpToItsMaximumAndWakesAWaiter) {
    VRef<VSemaphore> semaphore = MakeRef<VSemaphore>(1, 2);
    EXPECT_TRUE(semaphore->Signal());
    EXPECT_FALSE(semaphore->Signal());
    EXPECT_FALSE(semaphore->Signal(0));
    EXPECT_EQ(semaphore->GetCount(), 2);
    EXPECT_TRUE(semaphore->WaitFor(0));
    EXPECT_TRUE(semaphore->WaitFor(0));
    EXPECT_FALSE(semaphore->WaitFor(0));

    std::thread signaller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        semaphore->Signal();
    });
    EXPECT_TRUE(semaphore->WaitFor(5000));
    signaller.join();
    EXPECT_EQ(semaphore->GetCount(), 0);
}
