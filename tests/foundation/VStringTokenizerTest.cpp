#include "foundation/VStringTokenizer.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace VFoundation;

namespace {

std::vector<std::string> Tokens(VStringTokenizer& tokenizer) {
    std::vector<std::string> tokens;
    VString token;
    while (tokenizer.NextToken(token))
        tokens.emplace_back(token.GetText());
    return tokens;
}

std::vector<std::string> Split(const char* text) {
    VStringTokenizer tokenizer(text, ',');
    return Tokens(tokenizer);
}

} // namespace

TEST(VStringTokenizer, KeepsEmptyFieldsButNoTrailingOne) {
    EXPECT_EQ(Split("a,,b"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Split(",a"), (std::vector<std::string>{"", "a"}));
    EXPECT_EQ(Split("a,"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Split("a,,"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(Split("").empty());
    EXPECT_EQ(Split(" a , b "), (std::vector<std::string>{" a ", " b "}));
}

TEST(VStringTokenizer, CountsWithoutMoving) {
    VStringTokenizer tokenizer("a,,b", ',');
    EXPECT_EQ(tokenizer.CountTokens(), 3u);
    VString first;
    ASSERT_TRUE(tokenizer.NextToken(first));
    EXPECT_EQ(tokenizer.CountTokens(), 3u);
    ASSERT_TRUE(tokenizer.NextToken(first));
    EXPECT_STREQ(first.GetText(), "");
    VStringTokenizer empty("", ',');
    EXPECT_EQ(empty.CountTokens(), 0u);
    EXPECT_FALSE(empty.HasMoreTokens());
}

TEST(VStringTokenizer, SplitsAtAnyOfSeveralSeparators) {
    VStringTokenizer tokenizer(VString(" a,b c"), VString(", "));
    EXPECT_EQ(Tokens(tokenizer), (std::vector<std::string>{"", "a", "b", "c"}));
}

TEST(VStringTokenizer, SetTextStartsAgainAndEndLeavesOutUntouched) {
    VStringTokenizer tokenizer("x,y", ',');
    VString token;
    ASSERT_TRUE(tokenizer.NextToken(token));
    tokenizer.SetText("p,q");
    ASSERT_TRUE(tokenizer.NextToken(token));
    EXPECT_STREQ(token.GetText(), "p");
    ASSERT_TRUE(tokenizer.NextToken(token));
    EXPECT_FALSE(tokenizer.NextToken(token));
    EXPECT_STREQ(token.GetText(), "q");
    EXPECT_EQ(tokenizer.NextToken(), nullptr);

    tokenizer.SetText(VString("one"));
    VRef<VString> pooled = VRef<VString>::Adopt(tokenizer.NextToken());
    ASSERT_TRUE(pooled);
    EXPECT_STREQ(pooled->GetText(), "one");
}
