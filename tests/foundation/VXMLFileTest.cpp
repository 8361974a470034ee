#include "foundation/VXMLFile.h"
#include "foundation/VClass.h"
#include "foundation/VDictionary.h"
#include "foundation/VObjectArray.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace VFoundation;

namespace {

VRef<VObjectArray> MakeStrings(std::initializer_list<const char*> texts) {
    auto array = MakeRef<VObjectArray>();
    for (const char* text : texts)
        array->AddObject(MakeRef<VString>(text).Get());
    return array;
}

std::string Stored(VObject* object) {
    auto file = MakeRef<VXMLFile>();
    file->BeginDocument("document");
    file->WriteObject(object);
    VString text;
    file->SaveText(text);
    return text.GetText();
}

// Loads text and reads the first child of the root as an object.
VRef<VObject> ReadBack(const std::string& text) {
    auto file = MakeRef<VXMLFile>();
    if (!file->LoadText(text.c_str()) || !file->EnterFirstChild()) return nullptr;
    return VRef<VObject>::Adopt(file->ReadObject());
}

} // namespace

TEST(VXMLFile, ArrayOfStringsComesBackEqual) {
    // Short texts go to an attribute, long ones to the element text; white space and markup survive.
    auto array = MakeStrings({"", "short", "a longer text  with  two spaces\nand a line", "<&>\"'",
                              "             ", "a &#x41; reference stays text"});
    const std::string text = Stored(array.Get());
    EXPECT_NE(text.find("count=\"6\""), std::string::npos);
    VRef<VObject> read = ReadBack(text);
    ASSERT_TRUE(read);
    ASSERT_TRUE(read->IsMemberOf(VObjectArray::GetClassRecord()));
    auto* strings = static_cast<VObjectArray*>(read.Get());
    ASSERT_EQ(strings->GetCount(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_STREQ(static_cast<VString*>(strings->GetObjectAtIndex(i))->GetText(),
                     static_cast<VString*>(array->GetObjectAtIndex(i))->GetText());
}

TEST(VXMLFile, NestedObjectsLeaveTheCursorOnTheirElement) {
    auto inner = MakeStrings({"i1", "i2"});
    auto outer = MakeRef<VObjectArray>();
    outer->AddObject(inner.Get());
    outer->AddObject(MakeRef<VString>("after").Get());
    auto dictionary = MakeRef<VDictionary>();
    dictionary->SetObjectForKey(outer.Get(), "list");
    dictionary->SetObjectForKey(MakeRef<VString>("value text longer than ten").Get(), "name");

    VRef<VObject> read = ReadBack(Stored(dictionary.Get()));
    ASSERT_TRUE(read);
    auto* copy = static_cast<VDictionary*>(read.Get());
    ASSERT_EQ(copy->GetCount(), 2);
    auto* list = dynamic_cast<VObjectArray*>(copy->ObjectForKey("list"));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->IsEqualToContainer(outer.Get()));
    auto* name = dynamic_cast<VString*>(copy->ObjectForKey("name"));
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name->GetText(), "value text longer than ten");
}

TEST(VXMLFile, ArrayWithoutCountIsLoggedAndLeftAlone) {
    KisTest::LogCapture log;
    auto array = MakeStrings({"kept"});
    auto file = MakeRef<VXMLFile>();
    ASSERT_TRUE(file->LoadText("<VObjectArray><VString string=\"x\"/></VObjectArray>"));
    array->SerializeAsXML(*file);
    EXPECT_TRUE(log.Contains("VObjectArray::SerializeAsXML - Attribute 'count' not found\n"));
    ASSERT_EQ(array->GetCount(), 1);
    EXPECT_STREQ(static_cast<VString*>(array->GetObjectAtIndex(0))->GetText(), "kept");

    log.Clear();
    ASSERT_TRUE(file->LoadText("<VObjectArray count=\"1x\"/>"));
    array->SerializeAsXML(*file);
    EXPECT_TRUE(log.Contains("Attribute 'count' not found"));
}

TEST(VXMLFile, UnknownAndAbstractClassesAreLoggedAndSkipped) {
    KisTest::LogCapture log;
    auto file = MakeRef<VXMLFile>();
    ASSERT_TRUE(file->LoadText("<VObjectArray count=\"4\"><NoSuchClass/><VString string=\"a\"/>"
                               "<VClass/><Other class=\"VString\" string=\"b\"/></VObjectArray>"));
    auto array = MakeRef<VObjectArray>();
    array->SerializeAsXML(*file);
    EXPECT_TRUE(log.Contains("VObjectArray::SerializeAsXML - No class for className 'NoSuchClass'\n"));
    EXPECT_TRUE(
        log.Contains("VObjectArray::SerializeAsXML - Error allocating new object of class: VClass\n"));
    ASSERT_EQ(array->GetCount(), 2);
    EXPECT_STREQ(static_cast<VString*>(array->GetObjectAtIndex(1))->GetText(), "b");
    EXPECT_STREQ(file->GetElementName(), "VObjectArray");

    log.Clear();
    ASSERT_TRUE(file->EnterFirstChild());
    EXPECT_EQ(file->ReadObject(), nullptr);
    EXPECT_TRUE(log.Contains("VXMLFile::ReadObject - No class for className 'NoSuchClass'\n"));
}

TEST(VXMLFile, ReadsClassesByAlternativeName) {
    VClass::AddAlias("OldStringName", VString::GetClassRecord());
    VRef<VObject> read = ReadBack("<root><OldStringName string=\"legacy\"/></root>");
    ASSERT_TRUE(read);
    ASSERT_TRUE(read->IsKindOf(VString::GetClassRecord()));
    EXPECT_STREQ(static_cast<VString*>(read.Get())->GetText(), "legacy");
}

TEST(VXMLFile, SavesAndLoadsFilesAndRefusesBrokenOnes) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "kis_vxmlfile_test.xml";
    auto array = MakeStrings({"one", "two"});
    auto file = MakeRef<VXMLFile>();
    file->BeginDocument("document");
    file->WriteObject(array.Get(), "list");
    ASSERT_TRUE(file->SaveFile(path.string().c_str()));

    auto loaded = MakeRef<VXMLFile>();
    ASSERT_TRUE(loaded->LoadFile(path.string().c_str()));
    EXPECT_TRUE(loaded->IsLoading());
    EXPECT_STREQ(loaded->GetElementName(), "document");
    ASSERT_TRUE(loaded->EnterChildNamed("list"));
    VRef<VObject> read = VRef<VObject>::Adopt(loaded->ReadObject());
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->IsEqual(array.Get()));
    std::filesystem::remove(path);

    KisTest::LogCapture log;
    EXPECT_FALSE(loaded->LoadFile(path.string().c_str()));
    EXPECT_FALSE(loaded->LoadText("<open><unclosed></open>"));
    EXPECT_FALSE(loaded->IsLoading());
    EXPECT_FALSE(log.Text().empty());
}
