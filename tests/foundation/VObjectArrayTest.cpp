#include "foundation/VObjectArray.h"
#include "foundation/VObjectStack.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <gtest/gtest.h>

#include <string>

using namespace VFoundation;

namespace {

VRef<VObjectArray> MakeStrings(std::initializer_list<const char*> texts) {
    auto array = MakeRef<VObjectArray>();
    for (const char* text : texts)
        array->AddObject(text ? MakeRef<VString>(text).Get() : nullptr);
    return array;
}

std::string DescriptionOf(const VObject& object) {
    VString out;
    object.GetDescription(out);
    return out.GetText();
}

} // namespace

TEST(VObjectArray, DescribesEveryEntryOnItsOwnLine) {
    auto empty = MakeRef<VObjectArray>();
    EXPECT_EQ(DescriptionOf(*empty), "[VObjectArray] items: 0");

    auto array = MakeRef<VObjectArray>();
    array->AddObject(MakeRef<VObject>().Get());
    array->AddObject(nullptr);
    EXPECT_EQ(DescriptionOf(*array), "[VObjectArray] items: 2\n  [VObject]\n  [NULL]");
}

TEST(VObjectArray, CopyHoldsEqualCopiesAndKeepsNullsAndClass) {
    auto array = MakeStrings({"a", nullptr, "b"});
    VRef<VObjectArray> copy = VRef<VObjectArray>::Adopt(array->CopyArray());
    ASSERT_EQ(copy->GetCount(), 3);
    EXPECT_TRUE(copy->IsEqual(array.Get()));
    EXPECT_NE(copy->GetObjectAtIndex(0), array->GetObjectAtIndex(0));
    EXPECT_EQ(copy->GetObjectAtIndex(1), nullptr);
    EXPECT_EQ(array->GetObjectAtIndex(0)->GetRetainCount(), 1);

    auto stack = MakeRef<VObjectStack>();
    stack->SetObjects(array.Get());
    VRef<VObject> stackCopy = VRef<VObject>::Adopt(stack->Copy());
    EXPECT_TRUE(stackCopy->IsMemberOf(VObjectStack::GetClassRecord()));
    EXPECT_TRUE(stackCopy->IsEqual(stack.Get()));
}

TEST(VObjectArray, SetObjectsSharesAndSurvivesItselfAsSource) {
    auto source = MakeStrings({"x", "y"});
    auto array = MakeStrings({"old"});
    array->SetObjects(source.Get());
    ASSERT_EQ(array->GetCount(), 2);
    EXPECT_EQ(array->GetObjectAtIndex(1), source->GetObjectAtIndex(1));
    EXPECT_EQ(source->GetObjectAtIndex(1)->GetRetainCount(), 2);

    array->SetObjects(array.Get());
    ASSERT_EQ(array->GetCount(), 2);
    EXPECT_EQ(array->GetObjectAtIndex(0), source->GetObjectAtIndex(0));

    VObject* shared = array->GetObjectAtIndex(0);
    array->SetObjectsCopying(array.Get());
    ASSERT_EQ(array->GetCount(), 2);
    EXPECT_NE(array->GetObjectAtIndex(0), shared);
    EXPECT_TRUE(array->IsEqualToContainer(source.Get()));
    EXPECT_EQ(shared->GetRetainCount(), 1);
}

TEST(VObjectArray, FindsEqualEntriesByValueAndSameEntriesByIdentity) {
    auto array = MakeStrings({nullptr, "one", "two", "one"});
    VString two("two");
    EXPECT_EQ(array->IndexOfEqualObject(&two), 2);
    EXPECT_EQ(array->IndexOfObject(&two), -1);
    EXPECT_EQ(array->IndexOfObject(array->GetObjectAtIndex(3)), 3);
    VString one("one");
    EXPECT_EQ(array->IndexOfEqualObject(&one), 1);
    EXPECT_EQ(array->IndexOfEqualObject(nullptr), -1);
}
