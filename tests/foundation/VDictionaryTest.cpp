#include "foundation/VDictionary.h"
#include "foundation/VObjectArray.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <gtest/gtest.h>

#include <string>

using namespace VFoundation;

TEST(VDictionary, StoresACopyOfTheKeyAndReplacesValues) {
    auto dictionary = MakeRef<VDictionary>();
    auto first = MakeRef<VObject>();
    auto second = MakeRef<VObject>();
    VString key("colour");
    dictionary->SetObjectForKey(first.Get(), &key);
    key.Assign("size");
    EXPECT_EQ(dictionary->ObjectForKey("colour"), first.Get());
    EXPECT_EQ(dictionary->ObjectForKey(&key), nullptr);

    dictionary->SetObjectForKey(second.Get(), "colour");
    EXPECT_EQ(dictionary->GetCount(), 1);
    EXPECT_EQ(dictionary->ObjectForKey("colour"), second.Get());
    EXPECT_EQ(first->GetRetainCount(), 1);

    EXPECT_TRUE(dictionary->RemoveObjectForKey(dictionary->GetKeys()->GetObjectAtIndex(0)));
    EXPECT_EQ(dictionary->GetCount(), 0);
    EXPECT_EQ(second->GetRetainCount(), 1);
}

TEST(VDictionary, KeysComparedByIdentityStayFindable) {
    auto dictionary = MakeRef<VDictionary>();
    auto key = MakeRef<VObject>();
    auto value = MakeRef<VObject>();
    dictionary->SetObjectForKey(value.Get(), key.Get());
    EXPECT_EQ(dictionary->ObjectForKey(key.Get()), value.Get());
    dictionary->SetObjectForKey(value.Get(), key.Get());
    EXPECT_EQ(dictionary->GetCount(), 1);
}

TEST(VDictionary, AnswersNoneWhenTheValuesFallShort) {
    auto dictionary = MakeRef<VDictionary>();
    auto value = MakeRef<VObject>();
    dictionary->SetObjectForKey(value.Get(), "a");
    dictionary->SetObjectForKey(value.Get(), "b");
    dictionary->GetValues()->RemoveObjectAtIndex(1);
    EXPECT_EQ(dictionary->ObjectForKey("b"), nullptr);
    EXPECT_EQ(dictionary->ObjectForKey("a"), value.Get());
    // Setting a value again fills the gap instead of pairing the value with the wrong key.
    dictionary->SetObjectForKey(value.Get(), "c");
    EXPECT_EQ(dictionary->ObjectForKey("c"), value.Get());
    EXPECT_EQ(dictionary->ObjectForKey("b"), nullptr);
}

TEST(VDictionary, DescribesBothArrays) {
    auto dictionary = MakeRef<VDictionary>();
    dictionary->SetObjectForKey(nullptr, "k");
    VString out;
    dictionary->GetDescription(out);
    VString key;
    dictionary->GetKeys()->GetObjectAtIndex(0)->GetDescription(key);
    EXPECT_EQ(std::string(out.GetText()),
              std::string("[VDictionary]\n items: 1\nkeyArray:\n[VObjectArray] items: 1\n  ") +
                  key.GetText() + "\nvalueArray:\n[VObjectArray] items: 1\n  [NULL]");
}

TEST(VDictionary, CopyHoldsItsOwnEntries) {
    auto dictionary = MakeRef<VDictionary>();
    dictionary->SetObjectForKey(MakeRef<VString>("v").Get(), "k");
    VRef<VDictionary> copy = VRef<VDictionary>::Adopt(static_cast<VDictionary*>(dictionary->Copy()));
    ASSERT_EQ(copy->GetCount(), 1);
    auto* value = static_cast<VString*>(copy->ObjectForKey("k"));
    ASSERT_NE(value, nullptr);
    EXPECT_NE(value, dictionary->ObjectForKey("k"));
    EXPECT_STREQ(value->GetText(), "v");
}
