#include "foundation/VObjectContainer.h"
#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VHashTable.h"
#include "foundation/VObjectArray.h"
#include "foundation/VObjectQueue.h"
#include "foundation/VObjectStack.h"
#include "foundation/VObjectUndoStack.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace VFoundation;

namespace {

std::vector<VRef<VObject>> MakeObjects(int n) {
    std::vector<VRef<VObject>> objects;
    for (int i = 0; i < n; ++i)
        objects.push_back(MakeRef<VObject>());
    return objects;
}

} // namespace

TEST(VObjectContainer, GrowsByOneStepWhenFullAndRetainsWhatItHolds) {
    auto objects = MakeObjects(33);
    auto container = MakeRef<VObjectContainer>(32);
    EXPECT_EQ(container->GetCapacity(), 32);
    for (int i = 0; i < 32; ++i)
        ASSERT_TRUE(container->AddObject(objects[i].Get()));
    EXPECT_EQ(container->GetCapacity(), 32);
    ASSERT_TRUE(container->AddObject(objects[32].Get()));
    EXPECT_EQ(container->GetCapacity(), 64);
    EXPECT_EQ(container->GetCount(), 33);
    EXPECT_EQ(container->GetObjectAtIndex(32), objects[32].Get());
    EXPECT_EQ(objects[0]->GetRetainCount(), 2);

    container->RemoveAllObjects();
    EXPECT_EQ(container->GetCount(), 0);
    EXPECT_EQ(container->GetCapacity(), 64);
    EXPECT_EQ(objects[0]->GetRetainCount(), 1);
    container->ResetStorage();
    EXPECT_EQ(container->GetCapacity(), 32);
    container->FreeStorage();
    EXPECT_EQ(container->GetCapacity(), 0);
}

TEST(VObjectContainer, IndexOperationsRefuseOutOfRangeAndChangeNothing) {
    auto objects = MakeObjects(4);
    auto container = MakeRef<VObjectContainer>();
    for (int i = 0; i < 3; ++i)
        container->AddObject(objects[i].Get());

    EXPECT_FALSE(container->RemoveObjectAtIndex(3));
    EXPECT_FALSE(container->RemoveObjectAtIndex(-1));
    EXPECT_FALSE(container->ReplaceObjectAtIndex(objects[3].Get(), 4));
    EXPECT_FALSE(container->ReplaceObjectAtIndex(objects[3].Get(), -1));
    EXPECT_FALSE(container->InsertObjectAtIndex(objects[3].Get(), 4));
    EXPECT_FALSE(container->InsertObjectAtIndex(objects[3].Get(), -1));
    EXPECT_FALSE(container->ExchangeObjectsAtIndices(0, 3));
    EXPECT_FALSE(container->ExchangeObjectsAtIndices(-1, 0));
    EXPECT_EQ(container->GetCount(), 3);
    EXPECT_EQ(objects[3]->GetRetainCount(), 1);
    EXPECT_EQ(container->GetObjectAtIndex(3), nullptr);
    EXPECT_EQ(container->GetObjectAtIndex(-1), nullptr);
}

TEST(VObjectContainer, ReplaceAndInsertAtCountAppend) {
    auto objects = MakeObjects(4);
    auto container = MakeRef<VObjectContainer>();
    container->AddObject(objects[0].Get());
    ASSERT_TRUE(container->ReplaceObjectAtIndex(objects[1].Get(), 1));
    ASSERT_TRUE(container->InsertObjectAtIndex(objects[2].Get(), 2));
    ASSERT_TRUE(container->InsertObjectAtIndex(objects[3].Get(), 0));
    ASSERT_EQ(container->GetCount(), 4);
    EXPECT_EQ(container->GetObjectAtIndex(0), objects[3].Get());
    EXPECT_EQ(container->GetObjectAtIndex(1), objects[0].Get());
    EXPECT_EQ(container->GetObjectAtIndex(3), objects[2].Get());

    // Replacing an entry releases the old one and retains the new one, even when both are the same.
    ASSERT_TRUE(container->ReplaceObjectAtIndex(objects[1].Get(), 0));
    EXPECT_EQ(objects[3]->GetRetainCount(), 1);
    EXPECT_EQ(objects[1]->GetRetainCount(), 3);
    ASSERT_TRUE(container->ReplaceObjectAtIndex(objects[1].Get(), 0));
    EXPECT_EQ(objects[1]->GetRetainCount(), 3);

    ASSERT_TRUE(container->ExchangeObjectsAtIndices(0, 3));
    EXPECT_EQ(container->GetObjectAtIndex(0), objects[2].Get());
    EXPECT_TRUE(container->RemoveObject(objects[1].Get()));
    EXPECT_EQ(container->IndexOfObject(objects[1].Get()), 2);
    EXPECT_EQ(objects[1]->GetRetainCount(), 2);
}

TEST(VObjectContainer, KeepsNullEntriesButNeverFindsThem) {
    auto container = MakeRef<VObjectContainer>();
    EXPECT_TRUE(container->AddObject(nullptr));
    EXPECT_EQ(container->GetCount(), 1);
    EXPECT_EQ(container->IndexOfObject(nullptr), -1);
    EXPECT_FALSE(container->ContainsObject(nullptr));
    EXPECT_TRUE(container->RemoveObjectAtIndex(0));
}

TEST(VObjectContainer, TakesItselfAsTheOtherContainer) {
    auto objects = MakeObjects(2);
    auto container = MakeRef<VObjectContainer>();
    for (auto& object : objects)
        container->AddObject(object.Get());
    ASSERT_TRUE(container->AddObjectsFromContainer(container.Get()));
    EXPECT_EQ(container->GetCount(), 4);
    EXPECT_EQ(container->GetObjectAtIndex(2), objects[0].Get());

    container->RemoveObjectsInContainer(container.Get());
    EXPECT_EQ(container->GetCount(), 0);
    EXPECT_EQ(objects[0]->GetRetainCount(), 1);
}

TEST(VObjectContainer, ComparesByValueOnlyWithinOneClass) {
    auto a = MakeRef<VObjectArray>();
    auto b = MakeRef<VObjectArray>();
    for (const char* text : {"one", "two"}) {
        a->AddObject(MakeRef<VString>(text).Get());
        b->AddObject(MakeRef<VString>(text).Get());
    }
    a->AddObject(nullptr);
    b->AddObject(nullptr);
    EXPECT_TRUE(a->IsEqual(b.Get()));
    b->ReplaceObjectAtIndex(MakeRef<VString>("three").Get(), 1);
    EXPECT_TRUE(a->IsNotEqualToContainer(b.Get()));
    b->ReplaceObjectAtIndex(nullptr, 1);
    EXPECT_FALSE(a->IsEqualToContainer(b.Get()));

    auto stack = MakeRef<VObjectStack>();
    stack->SetObjects(a.Get());
    EXPECT_TRUE(stack->IsEqualToContainer(a.Get()));
    EXPECT_FALSE(stack->IsEqual(a.Get()));
}

TEST(VObjectContainer, LockedEntriesKeepOtherThreadsOut) {
    auto container = MakeRef<VObjectContainer>();
    container->AddObject(MakeRef<VObject>().Get());
    std::atomic<bool> entered{true};
    {
        VCriticalSectionLock holder;
        VObject* const* entries = container->GetObjectsLocked(holder);
        EXPECT_EQ(entries[0], container->GetObjectAtIndex(0));
        std::thread other([&] { entered = container->GetGuard()->TryEnter(0); });
        other.join();
        EXPECT_FALSE(entered);
    }
    std::thread other([&] {
        entered = container->GetGuard()->TryEnter(0);
        if (entered) container->GetGuard()->Leave();
    });
    other.join();
    EXPECT_TRUE(entered);
}

TEST(VObjectStack, PopsAndShowsTheLastEntry) {
    auto objects = MakeObjects(2);
    auto stack = MakeRef<VObjectStack>();
    EXPECT_FALSE(stack->Pop());
    EXPECT_EQ(stack->Top(), nullptr);
    stack->Push(objects[0].Get());
    stack->Push(objects[1].Get());
    EXPECT_EQ(stack->Top(), objects[1].Get());
    EXPECT_TRUE(stack->Pop());
    EXPECT_EQ(objects[1]->GetRetainCount(), 1);
    EXPECT_EQ(stack->Top(), objects[0].Get());
}

TEST(VObjectQueue, HandsOutInArrivalOrderWithTheReference) {
    auto objects = MakeObjects(3);
    auto queue = MakeRef<VObjectQueue>();
    for (auto& object : objects)
        queue->Enqueue(object.Get());
    EXPECT_FALSE(queue->Enqueue(nullptr));
    for (auto& object : objects) {
        VRef<VObject> out = VRef<VObject>::Adopt(queue->Dequeue());
        EXPECT_EQ(out.Get(), object.Get());
        EXPECT_EQ(object->GetRetainCount(), 2);
    }
    EXPECT_EQ(objects[0]->GetRetainCount(), 1);
    EXPECT_EQ(queue->Dequeue(), nullptr);
}

TEST(VObjectUndoStack, DropsOldestBeyondLimitAndRedoAfterNewStep) {
    auto steps = MakeObjects(4);
    auto history = MakeRef<VObjectUndoStack>(2);
    for (int i = 0; i < 3; ++i)
        history->PushStep(steps[i].Get());
    EXPECT_EQ(history->GetCount(), 2);
    EXPECT_EQ(steps[0]->GetRetainCount(), 1);
    EXPECT_EQ(history->Undo(), steps[2].Get());
    EXPECT_EQ(history->Undo(), steps[1].Get());
    EXPECT_EQ(history->Undo(), nullptr);
    EXPECT_EQ(history->Redo(), steps[1].Get());
    EXPECT_TRUE(history->CanRedo());
    history->PushStep(steps[3].Get());
    EXPECT_FALSE(history->CanRedo());
    EXPECT_EQ(steps[2]->GetRetainCount(), 1);
    history->SetDepthLimit(1);
    EXPECT_EQ(history->GetCount(), 1);
    EXPECT_EQ(history->Top(), steps[3].Get());
}

namespace {

// A key whose equality and hash follow its number, as value keys must.
class NumberKey : public VObject {
public:
    explicit NumberKey(int number) : m_number(number) {}
    VObject* Copy() const override { return new NumberKey(m_number); }
    uintptr_t GetHash() const override { return static_cast<uintptr_t>(m_number % 7); }
    bool IsEqual(const VObject* other) const override {
        auto* key = dynamic_cast<const NumberKey*>(other);
        return key && key->m_number == m_number;
    }

private:
    int m_number;
};

} // namespace

TEST(VHashTable, FindsEqualKeysThroughCollisionsAndGrowth) {
    auto table = MakeRef<VHashTable>(3);
    auto value = MakeRef<VObject>();
    std::vector<VRef<VObject>> values;
    for (int i = 0; i < 40; ++i) {
        values.push_back(MakeRef<VObject>());
        NumberKey key(i);
        ASSERT_TRUE(table->SetObjectForKey(values.back().Get(), &key));
    }
    EXPECT_EQ(table->GetCount(), 40);
    EXPECT_GT(table->GetBucketCount(), 3);
    NumberKey probe(23);
    EXPECT_EQ(table->ObjectForKey(&probe), values[23].Get());
    table->SetObjectForKey(value.Get(), &probe);
    EXPECT_EQ(table->GetCount(), 40);
    EXPECT_EQ(table->ObjectForKey(&probe), value.Get());
    EXPECT_EQ(values[23]->GetRetainCount(), 1);
    EXPECT_TRUE(table->RemoveObjectForKey(&probe));
    EXPECT_FALSE(table->ContainsKey(&probe));
    EXPECT_EQ(value->GetRetainCount(), 1);
    VRef<VObjectArray> keys = VRef<VObjectArray>::Adopt(table->CopyKeys());
    EXPECT_EQ(keys->GetCount(), 39);
    table->RemoveAllObjects();
    EXPECT_EQ(values[0]->GetRetainCount(), 1);
}
