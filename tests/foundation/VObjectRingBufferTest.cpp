#include "foundation/VObjectRingBuffer.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace VFoundation;

namespace {

class Numbered : public VObject {
public:
    explicit Numbered(int number) : number(number) {}
    const int number;
};

std::vector<VRef<Numbered>> MakeNumbered(int n) {
    std::vector<VRef<Numbered>> objects;
    for (int i = 0; i < n; ++i)
        objects.push_back(MakeRef<Numbered>(i));
    return objects;
}

int NumberOf(VObject* object) {
    return static_cast<Numbered*>(object)->number;
}

} // namespace

TEST(VObjectRingBuffer, HoldsOneItemFewerThanItsSlots) {
    auto objects = MakeNumbered(4);
    auto buffer = MakeRef<VObjectRingBuffer>(3);
    EXPECT_EQ(buffer->GetSlotCount(), 4);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(buffer->Push(objects[i].Get()));
    EXPECT_FALSE(buffer->Push(objects[3].Get()));
    EXPECT_EQ(buffer->GetCount(), 3);
    EXPECT_EQ(objects[3]->GetRetainCount(), 1);
    EXPECT_EQ(objects[0]->GetRetainCount(), 2);
    EXPECT_EQ(NumberOf(buffer->GetObjectAtIndex(0)), 0);
    EXPECT_EQ(NumberOf(buffer->GetObjectAtIndex(2)), 2);
    EXPECT_EQ(buffer->GetObjectAtIndex(3), nullptr);
}

TEST(VObjectRingBuffer, PopsInOrderAcrossTheWrapAndRefusesNullAndEmpty) {
    auto objects = MakeNumbered(10);
    auto buffer = MakeRef<VObjectRingBuffer>(2);
    VObject* out = objects[0].Get();
    EXPECT_FALSE(buffer->Pop(out));
    EXPECT_EQ(out, nullptr);
    EXPECT_FALSE(buffer->Push(nullptr));
    for (int i = 0; i < 10; i += 2) {
        ASSERT_TRUE(buffer->Push(objects[i].Get()));
        ASSERT_TRUE(buffer->InsertObjectAtIndex(objects[i + 1].Get(), 0));
        for (int j = i; j < i + 2; ++j) {
            ASSERT_TRUE(buffer->Pop(out));
            VRef<VObject> popped = VRef<VObject>::Adopt(out);
            EXPECT_EQ(NumberOf(out), j);
        }
    }
    EXPECT_EQ(objects[9]->GetRetainCount(), 1);
}

TEST(VObjectRingBuffer, RemoveAllReleasesAndMakesRoomAgain) {
    auto objects = MakeNumbered(3);
    auto buffer = MakeRef<VObjectRingBuffer>(2);
    buffer->Push(objects[0].Get());
    buffer->Push(objects[1].Get());
    buffer->RemoveAllObjects();
    EXPECT_EQ(buffer->GetCount(), 0);
    EXPECT_EQ(objects[0]->GetRetainCount(), 1);
    EXPECT_TRUE(buffer->Push(objects[2].Get()));
    EXPECT_TRUE(buffer->Push(objects[0].Get()));
}

namespace {

// Pushes every object from `producers` threads and pops from `consumers` threads until all arrived;
// returns how often each object arrived. With one consumer, order per producer must be kept.
std::vector<int> RunStress(VObjectRingBuffer& buffer, const std::vector<VRef<Numbered>>& objects,
                           int producers, int consumers, bool* ordered) {
    const int total = static_cast<int>(objects.size());
    std::vector<std::atomic<int>> arrivals(objects.size());
    std::atomic<int> received{0};
    std::atomic<bool> inOrder{true};
    std::vector<std::thread> threads;
    for (int p = 0; p < producers; ++p)
        threads.emplace_back([&, p] {
            for (int i = p; i < total; i += producers)
                while (!buffer.Push(objects[static_cast<size_t>(i)].Get()))
                    std::this_thread::yield();
        });
    for (int c = 0; c < consumers; ++c)
        threads.emplace_back([&] {
            std::vector<int> last(static_cast<size_t>(producers), -1);
            while (received.load() < total) {
                VObject* out = nullptr;
                if (!buffer.Pop(out)) {
                    std::this_thread::yield();
                    continue;
                }
                const int number = NumberOf(out);
                int& previous = last[static_cast<size_t>(number % producers)];
                if (number <= previous) inOrder = false;
                previous = number;
                arrivals[static_cast<size_t>(number)].fetch_add(1);
                out->Release();
                received.fetch_add(1);
            }
        });
    for (auto& thread : threads)
        thread.join();
    *ordered = inOrder.load();
    std::vector<int> counts;
    for (auto& count : arrivals)
        counts.push_back(count.load());
    return counts;
}

} // namespace

TEST(VObjectRingBuffer, OnePusherAndOnePopperDeliverEveryObjectOnceInOrder) {
    auto objects = MakeNumbered(50000);
    auto buffer = MakeRef<VObjectRingBuffer>(8);
    bool ordered = false;
    std::vector<int> arrivals = RunStress(*buffer, objects, 1, 1, &ordered);
    EXPECT_TRUE(ordered);
    for (size_t i = 0; i < arrivals.size(); ++i)
        ASSERT_EQ(arrivals[i], 1) << "object " << i;
    for (auto& object : objects)
        ASSERT_EQ(object->GetRetainCount(), 1);
    EXPECT_EQ(buffer->GetCount(), 0);
}

TEST(VObjectRingBuffer, SeveralPushersAndPoppersLoseNothing) {
    auto objects = MakeNumbered(20000);
    auto buffer = MakeRef<VObjectRingBuffer>(4);
    bool ordered = false;
    std::vector<int> arrivals = RunStress(*buffer, objects, 2, 2, &ordered);
    for (size_t i = 0; i < arrivals.size(); ++i)
        ASSERT_EQ(arrivals[i], 1) << "object " << i;
    for (auto& object : objects)
        ASSERT_EQ(object->GetRetainCount(), 1);
    EXPECT_EQ(buffer->GetCount(), 0);
}
