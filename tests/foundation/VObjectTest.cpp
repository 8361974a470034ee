#include "foundation/VObject.h"
#include "foundation/VClass.h"
#include "foundation/VFoundation.h"
#include "foundation/VPtrArray.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace VFoundation;

namespace {

int g_destroyed = 0;

class TestShape : public VObject {
    V_DECLARE_CLASS(TestShape)
public:
    explicit TestShape(VClass* record = nullptr) : VObject(record ? record : GetClassRecord()) {}
    ~TestShape() override { ++g_destroyed; }
};

class TestCircle : public TestShape {
    V_DECLARE_CLASS(TestCircle)
public:
    TestCircle() : TestShape(GetClassRecord()) {}
};

class TestAbstract : public VObject {
    V_DECLARE_CLASS(TestAbstract)
public:
    TestAbstract() : VObject(GetClassRecord()) {}
};

class TestReportOnly : public VObject {
    V_DECLARE_CLASS(TestReportOnly)
public:
    TestReportOnly() : VObject(GetClassRecord()) {}
};

} // namespace

V_IMPLEMENT_CLASS(TestShape, VObject)
V_IMPLEMENT_CLASS(TestCircle, TestShape)
V_IMPLEMENT_ABSTRACT_CLASS(TestAbstract, VObject)
V_IMPLEMENT_CLASS(TestReportOnly, VObject)

TEST(VObject, RetainThenTwoReleasesDestroyOnce) {
    g_destroyed = 0;
    auto* shape = new TestShape();
    EXPECT_EQ(shape->GetRetainCount(), 1);
    EXPECT_EQ(shape->Retain(), 2);
    EXPECT_EQ(shape->Release(), 1);
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(shape->Release(), 0);
    EXPECT_EQ(g_destroyed, 1);
}

TEST(VObject, HolderReleasesWhatItHolds) {
    g_destroyed = 0;
    {
        VRef<TestShape> first = MakeRef<TestShape>();
        VRef<TestShape> second = first;
        EXPECT_EQ(first->GetRetainCount(), 2);
        VRef<VObject> moved = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(first->GetRetainCount(), 2);
    }
    EXPECT_EQ(g_destroyed, 1);
}

TEST(VObject, CountsInstancesOfTheMostDerivedClass) {
    VClass* circles = TestCircle::GetClassRecord();
    VClass* shapes = TestShape::GetClassRecord();
    const int circlesBefore = circles->GetExistingCount();
    const int shapesBefore = shapes->GetExistingCount();
    {
        VRef<TestCircle> circle = MakeRef<TestCircle>();
        EXPECT_EQ(circle->GetClass(), circles);
        EXPECT_STREQ(circle->GetClassName(), "TestCircle");
        EXPECT_EQ(circles->GetExistingCount(), circlesBefore + 1);
        EXPECT_EQ(shapes->GetExistingCount(), shapesBefore);
    }
    EXPECT_EQ(circles->GetExistingCount(), circlesBefore);
}

TEST(VClass, KindAndMembership) {
    VRef<TestCircle> circle = MakeRef<TestCircle>();
    EXPECT_TRUE(circle->IsKindOf(TestCircle::GetClassRecord()));
    EXPECT_TRUE(circle->IsKindOf(TestShape::GetClassRecord()));
    EXPECT_TRUE(circle->IsKindOf(VObject::GetClassRecord()));
    EXPECT_FALSE(circle->IsKindOf(VString::GetClassRecord()));
    EXPECT_FALSE(circle->IsKindOf(nullptr));
    EXPECT_TRUE(circle->IsMemberOf(TestCircle::GetClassRecord()));
    EXPECT_FALSE(circle->IsMemberOf(TestShape::GetClassRecord()));
}

TEST(VClass, CreatesByNameAndRefusesWithoutCreateFunction) {
    TestCircle::GetClassRecord();
    VClass* record = VClass::FindByName("TestCircle");
    ASSERT_NE(record, nullptr);
    VRef<VObject> made = VRef<VObject>::Adopt(record->CreateInstance());
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->IsMemberOf(record));
    EXPECT_EQ(TestAbstract::GetClassRecord()->CreateInstance(), nullptr);
    EXPECT_EQ(VClass::FindByName("testcircle"), nullptr);
    EXPECT_EQ(VClass::FindByName(nullptr), nullptr);
}

TEST(VClass, CopyMakesANewInstanceOfTheSameClass) {
    VRef<TestCircle> circle = MakeRef<TestCircle>();
    VRef<VObject> copy = VRef<VObject>::Adopt(circle->Copy());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Get(), circle.Get());
    EXPECT_TRUE(copy->IsMemberOf(TestCircle::GetClassRecord()));
    EXPECT_FALSE(copy->IsEqual(circle.Get()));
    EXPECT_TRUE(circle->IsEqual(circle.Get()));
}

TEST(VClass, AliasesAndSubclasses) {
    VClass::AddAlias("OldShapeName", TestShape::GetClassRecord());
    EXPECT_EQ(VClass::FindAlias("OldShapeName"), TestShape::GetClassRecord());
    EXPECT_EQ(VClass::FindAlias("NoSuchName"), nullptr);

    TestCircle::GetClassRecord();
    VRef<VPtrArray> subclasses = VRef<VPtrArray>::Adopt(VClass::GetSubclasses(TestShape::GetClassRecord()));
    EXPECT_EQ(subclasses->GetCount(), 2);
    EXPECT_TRUE(subclasses->ContainsPointer(TestShape::GetClassRecord()));
    EXPECT_TRUE(subclasses->ContainsPointer(TestCircle::GetClassRecord()));
}

TEST(VClass, RegistryKeepsRegistrationOrderAndCountsRecords) {
    const int records = VClass::GetRecordCount();
    ASSERT_GT(records, 3);
    EXPECT_STREQ(VClass::GetRecordAtIndex(0)->GetName(), "VObject");
    VClass* recordsRecord = VClass::FindByName("VClass");
    ASSERT_NE(recordsRecord, nullptr);
    EXPECT_EQ(recordsRecord->GetExistingCount(), records);
    // A class used for the first time is appended at the end.
    TestReportOnly::GetClassRecord();
    EXPECT_EQ(VClass::GetRecordAtIndex(VClass::GetRecordCount() - 1), TestReportOnly::GetClassRecord());
}

TEST(MemoryReport, ListsOnlyLiveClassesButCountsAllInTotals) {
    TestReportOnly::GetClassRecord();
    { VRef<TestReportOnly> gone = MakeRef<TestReportOnly>(); }
    KisTest::LogCapture capture;
    PrintMemoryReport(true);
    const std::string report = capture.Text();
    EXPECT_NE(
        report.find(
            "+-----+----------------------------------+--------+--------+--------+--------+--------+\n"
            "| Num | Classname                        | Create | Exist  | Size   | SubCr  | SubCls |\n"),
        std::string::npos);
    EXPECT_EQ(report.find("TestReportOnly"), std::string::npos);
    EXPECT_NE(report.find("|                          VString |"), std::string::npos);
    EXPECT_NE(report.find("Total created: "), std::string::npos);

    capture.Clear();
    PrintMemoryReport(false);
    const std::string full = capture.Text();
    const int index = [] {
        for (int i = 0; i < VClass::GetRecordCount(); ++i)
            if (VClass::GetRecordAtIndex(i) == TestReportOnly::GetClassRecord()) return i;
        return -1;
    }();
    char row[160];
    std::snprintf(row, sizeof row, "| %03i | %32s | %6li | %6li | %6li | %6li | %6li |\n", index,
                  "TestReportOnly", 1L, 0L, static_cast<long>(sizeof(TestReportOnly)), 1L, 1L);
    EXPECT_NE(full.find(row), std::string::npos) << full;
    EXPECT_EQ(full.rfind("\n" + std::to_string(VClass::GetRecordCount()) + " classes\n\n", 0), 0u) << full;
}

TEST(VFoundationLibrary, SecondStartAndMatchingStopOnlyCount) {
    ASSERT_TRUE(IsLibraryInitialized());
    const int count = GetInitializationCount();
    InitializeLibrary();
    EXPECT_EQ(GetInitializationCount(), count + 1);
    UninitilizeLibrary(true);
    EXPECT_EQ(GetInitializationCount(), count);
    EXPECT_TRUE(IsLibraryInitialized());
    EXPECT_NE(VClass::FindByName("VString"), nullptr);
}
