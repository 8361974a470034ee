#include "foundation/VString.h"
#include "foundation/VObjectArray.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace VFoundation;

namespace {

std::vector<std::string> Parts(const char* path) {
    VRef<VObjectArray> parts = VRef<VObjectArray>::Adopt(VString(path).SplitPath());
    std::vector<std::string> result;
    for (int i = 0; i < parts->GetCount(); ++i)
        result.push_back(static_cast<VString*>(parts->GetObjectAtIndex(i))->GetText());
    return result;
}

std::string Parent(const char* path) {
    VString parent("stale");
    VString(path).GetParentPath(parent);
    return parent.GetText();
}

} // namespace

TEST(VString, CapacityFollowsTheReservationRule) {
    VString s;
    EXPECT_EQ(s.GetCapacity(), 128u);
    s.Reserve(1);
    EXPECT_EQ(s.GetCapacity(), 128u);
    s.Reserve(128);
    EXPECT_EQ(s.GetCapacity(), 128u);
    s.Reserve(129);
    EXPECT_EQ(s.GetCapacity(), 256u);
    s.Reserve(0);
    EXPECT_EQ(s.GetCapacity(), 0u);
    EXPECT_STREQ(s.GetText(), "");
    // Large reservations never come out smaller than asked for.
    for (uint32_t n : {16512u, 33000u, 38700u, 1000000u}) {
        s.Reserve(n);
        EXPECT_GE(s.GetCapacity(), n) << n;
    }
}

TEST(VString, GrowthKeepsContentAndAddsSlack) {
    VString s("abc");
    EXPECT_EQ(s.GetCapacity(), 128u);
    const std::string long_text(200, 'x');
    s.Append(long_text.c_str());
    EXPECT_EQ(s.GetLength(), 203u);
    EXPECT_EQ(s.GetCapacity(), 204u + 127u);
    EXPECT_EQ(std::string(s.GetText()), "abc" + long_text);
}

TEST(VString, AppendingItselfIsSafe) {
    VString s("0123456789");
    for (int i = 0; i < 6; ++i)
        s.Append(s.GetText());
    EXPECT_EQ(s.GetLength(), 640u);
    s.Assign(s.GetText() + 630);
    EXPECT_STREQ(s.GetText(), "0123456789");
}

TEST(VString, CharacterZeroChangesNothing) {
    VString s;
    s.Assign('\0');
    EXPECT_TRUE(s.IsEmpty());
    s.Append('\0');
    EXPECT_TRUE(s.IsEmpty());
    s.Assign('x').Append('y');
    EXPECT_STREQ(s.GetText(), "xy");
    EXPECT_EQ(s.CharAt(2), 0);
    EXPECT_EQ(s.CharAt(50), 0);
}

TEST(VString, AssignWithCountStopsAtNul) {
    VString s;
    s.Assign("abcdef", 3);
    EXPECT_STREQ(s.GetText(), "abc");
    EXPECT_EQ(s.GetLength(), 3u);
    s.Assign("ab", 10);
    EXPECT_EQ(s.GetLength(), 2u);
    s.Assign(static_cast<const char*>(nullptr), 4);
    EXPECT_TRUE(s.IsEmpty());
    VString bounded("abcdef", 4);
    EXPECT_STREQ(bounded.GetText(), "abcd");
    VString none(nullptr, 4);
    EXPECT_EQ(none.GetCapacity(), 128u);
}

TEST(VString, NumbersToAndFromText) {
    VString s;
    EXPECT_STREQ(s.SetReal(3.0).GetText(), "3");
    EXPECT_STREQ(s.SetReal(-7.0).GetText(), "-7");
    EXPECT_STREQ(s.SetReal(0.125).GetText(), "0.125");
    EXPECT_STREQ(s.SetReal(1.5).GetText(), "1.5");
    EXPECT_STREQ(s.SetReal(0.000000001).GetText(), "0.0");
    EXPECT_EQ(VString("2.5").ToInteger(true), 3);
    EXPECT_EQ(VString("-2.5").ToInteger(true), -2);
    EXPECT_EQ(VString("2.4").ToInteger(true), 2);
    EXPECT_EQ(VString("").ToInteger(true), 0);
    EXPECT_EQ(VString("2.9").ToInteger(false), 2);
    EXPECT_EQ(VString("1e300").ToInteger(true), INT_MAX);
    EXPECT_DOUBLE_EQ(VString("2.25").ToReal(), 2.25);
    EXPECT_STREQ(s.SetInteger(-42).GetText(), "-42");
    EXPECT_STREQ(VString("n=").Append(-5).GetText(), "n=-5");
}

TEST(VString, FormatIsBoundedAndTakesArgumentsAsData) {
    VString s;
    const std::string big(5000, 'a');
    s.Format("%s", big.c_str());
    EXPECT_EQ(s.GetLength(), VString::kFormatLimit);
    s.Format("%s", "100%");
    EXPECT_STREQ(s.GetText(), "100%");
}

TEST(VString, SearchAndSubstrings) {
    VString s("a,b;c,d");
    EXPECT_EQ(s.Find(','), 1);
    EXPECT_EQ(s.Find(',', 2), 5);
    EXPECT_EQ(s.Find(',', 7), -1);
    EXPECT_EQ(s.Find('x'), -1);
    EXPECT_EQ(s.Find(VString("c,")), 4);
    EXPECT_EQ(s.Find(VString("")), 0);
    EXPECT_EQ(s.Find(VString("zz")), -1);

    VRef<VString> left = VRef<VString>::Adopt(s.Left(3));
    VRef<VString> right = VRef<VString>::Adopt(s.Right(100));
    VRef<VString> between = VRef<VString>::Adopt(s.Between(1, 5));
    VRef<VString> nothing = VRef<VString>::Adopt(s.Between(3, 4));
    EXPECT_STREQ(left->GetText(), "a,b");
    EXPECT_STREQ(right->GetText(), "a,b;c,d");
    EXPECT_STREQ(between->GetText(), "b;c");
    EXPECT_STREQ(nothing->GetText(), "");
    VRef<VString> tail = VRef<VString>::Adopt(s.Between(4, 99));
    EXPECT_STREQ(tail->GetText(), ",d");

    VString out("keep:");
    VString("mode [a, b] rest").ExtractDelimited('[', ']', out);
    EXPECT_STREQ(out.GetText(), "keep:a, b");
    VString open("x(unclosed");
    VString got;
    open.ExtractDelimited('(', ')', got);
    EXPECT_STREQ(got.GetText(), "unclosed");
    VString whole;
    VString("recursive force] tail").ExtractDelimited('[', ']', whole);
    EXPECT_STREQ(whole.GetText(), "recursive force");

    VString rest("untouched");
    EXPECT_TRUE(VString("%PATH%\\x").StripPrefix("%PATH%", rest));
    EXPECT_STREQ(rest.GetText(), "\\x");
    EXPECT_FALSE(VString("abc").StripPrefix("abd", rest));
    EXPECT_STREQ(rest.GetText(), "\\x");
    EXPECT_FALSE(VString("ab").StartsWith("abc"));
}

TEST(VString, TrimsSpacesTabsAndLineFeedsButNeverCarriageReturns) {
    VString s(" \tabc\n");
    EXPECT_STREQ(s.Trim().GetText(), "abc");
    VString cr("abc\r\n");
    EXPECT_STREQ(cr.Trim().GetText(), "abc\r");
    VString inner(" a b\tc\nd ");
    EXPECT_STREQ(inner.RemoveWhitespace().GetText(), "abcd");
    EXPECT_TRUE(VString(" \t ").IsBlank());
    EXPECT_TRUE(VString("").IsBlank());
    EXPECT_FALSE(VString(" \n").IsBlank());
    VString left("\t x ");
    EXPECT_STREQ(left.TrimLeft().GetText(), "x ");
}

TEST(VString, ComparisonsAreBytewise) {
    EXPECT_TRUE(VString("abc").IsEqual("abc"));
    EXPECT_FALSE(VString("abc").IsEqual("ABC"));
    EXPECT_FALSE(VString("abc").IsEqual(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(VString("abc").IsLess("abd"));
    EXPECT_FALSE(VString("abc").IsLess("abc"));
    EXPECT_TRUE(VString("ab").IsLess("abc"));
    EXPECT_TRUE(VString("z").IsLess("\xe9"));
    VString a("same");
    VString b("same");
    EXPECT_TRUE(a.IsEqual(static_cast<const VObject*>(&b)));
}

TEST(VString, DescriptionDoesNotIncludeTheText) {
    VString s("hello");
    VString description;
    s.GetDescription(description);
    EXPECT_STREQ(description.GetText(), "[VString] ");
}

TEST(VString, Extensions) {
    EXPECT_TRUE(VString("A.JPG").HasExtension("jpg", true));
    EXPECT_FALSE(VString("A.JPG").HasExtension("jpg", false));
    EXPECT_FALSE(VString("jpg").HasExtension("jpg", true));
    EXPECT_FALSE(VString("Ajpg").HasExtension("jpg", true));
    EXPECT_TRUE(VString("dir\\file.tga").HasAnyExtension());
    EXPECT_FALSE(VString("dir.d/file").HasAnyExtension());
    VString name("archive.tar.gz");
    EXPECT_STREQ(name.RemoveExtension().GetText(), "archive.tar");
    VString hidden(".profile");
    EXPECT_STREQ(hidden.RemoveExtension().GetText(), ".profile");
}

TEST(VString, PathOperationsTakeBackslashFirstThenSlash) {
    EXPECT_EQ(Parent("C:\\a"), "C:\\");
    EXPECT_EQ(Parent("C:\\"), "C:\\");
    EXPECT_EQ(Parent("dir"), "");
    EXPECT_EQ(Parent("a\\b\\c"), "a\\b");
    EXPECT_EQ(Parent("a/b/c"), "a/b");
    EXPECT_EQ(Parent("a/b\\c/d"), "a/b");

    VString last;
    VString("a\\b/c").GetLastPathComponent(last);
    EXPECT_STREQ(last.GetText(), "b/c");
    VString("x/y/z").GetLastPathComponent(last);
    EXPECT_STREQ(last.GetText(), "z");
    VString("plain").GetLastPathComponent(last);
    EXPECT_STREQ(last.GetText(), "plain");

    VString cut("a\\b\\c");
    EXPECT_STREQ(cut.RemoveLastPathComponent().GetText(), "a\\b");
    VString none("abc");
    EXPECT_STREQ(none.RemoveLastPathComponent().GetText(), "abc");

    EXPECT_EQ(Parts("C:\\a\\b"), (std::vector<std::string>{"C:\\", "a", "b"}));
    EXPECT_EQ(Parts("a\\b"), (std::vector<std::string>{"", "a", "b"}));
}

TEST(VString, PosixRootIsItsOwnParent) {
    if (VString::NativeSeparator() != '/') GTEST_SKIP() << "the slash is not the separator here";
    EXPECT_EQ(Parent("/a"), "/");
    EXPECT_EQ(Parent("/"), "/");
    EXPECT_EQ(Parts("/a/b"), (std::vector<std::string>{"/", "a", "b"}));
    EXPECT_EQ(Parts("/"), (std::vector<std::string>{"/"}));
}

TEST(VString, AppendPathComponentInsertsOneSeparator) {
    const std::string sep(1, VString::NativeSeparator());
    VString path("base");
    EXPECT_EQ(std::string(path.AppendPathComponent("file").GetText()), "base" + sep + "file");
    VString ended("base/");
    EXPECT_STREQ(ended.AppendPathComponent("file").GetText(), "base/file");
    VString led("base");
    EXPECT_STREQ(led.AppendPathComponent("\\file").GetText(), "base\\file");
    VString empty;
    EXPECT_STREQ(empty.AppendPathComponent("file").GetText(), "file");

    char buffer[12] = "dir";
    EXPECT_TRUE(VString::AppendPathComponent(buffer, sizeof buffer, "name"));
    EXPECT_EQ(std::string(buffer), "dir" + sep + "name");
    EXPECT_FALSE(VString::AppendPathComponent(buffer, sizeof buffer, "toolong"));
    EXPECT_EQ(std::string(buffer), "dir" + sep + "name");
}

TEST(VStringPool, ReleasedStringsAreHandedOutAgainEmpty) {
    VString* first = VString::Alloc("some text that is kept in the buffer");
    first->Release();
    EXPECT_TRUE(first->IsPooled());
    VString* second = VString::Alloc();
    EXPECT_EQ(second, first);
    EXPECT_FALSE(second->IsPooled());
    EXPECT_STREQ(second->GetText(), "");
    EXPECT_EQ(second->GetRetainCount(), 1);
    second->Release();
}

TEST(VStringPool, StringsStillReferencedAreNotPooled) {
    VString* kept = VString::Alloc("x");
    kept->Retain();
    kept->Release();
    EXPECT_FALSE(kept->IsPooled());
    kept->Release();
}

TEST(VStringPool, ManyThreadsAllocateAndReleaseAtOnce) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 5000; ++i) {
                VRef<VString> s = VRef<VString>::Adopt(VString::Alloc());
                s->SetInteger(t * 100000 + i);
                ASSERT_EQ(s->ToInteger(), t * 100000 + i);
            }
        });
    for (auto& thread : threads)
        thread.join();
}

TEST(VString, EqualTextsHashAlike) {
    VString a("same text");
    VString b("same text");
    VString c("other text");
    EXPECT_EQ(a.GetHash(), b.GetHash());
    EXPECT_NE(a.GetHash(), c.GetHash());
    EXPECT_TRUE(a.IsEqual(static_cast<const VObject*>(&b)));
}
