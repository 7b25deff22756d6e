// Tokens of folder paths and version texts.
#include <quarro/tools/string_tokenizer.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> tokens_of(const std::string& text, const std::string& delimiters)
{
    std::vector<std::string> tokens;
    for (quarro::string_tokenizer t(text, delimiters); t.has_token(); t.next())
        tokens.push_back(t.token());
    return tokens;
}

using list = std::vector<std::string>;

TEST(StringTokenizer, YieldsNoEmptyTokens)
{
    const struct
    {
        const char* text;
        const char* delimiters;
        list expected;
    } cases[] = {
        {"/a//b/", "/\\", {"a", "b"}},
        {"", "/", {}},
        {"///", "/", {}},
        {"a", "/", {"a"}},
        {"a\\b/c", "/\\", {"a", "b", "c"}},
        {"1..2", ".", {"1", "2"}},
        {"1.0.10", ".", {"1", "0", "10"}},
        {"abc", "", {"abc"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tokens_of(c.text, c.delimiters), c.expected) << '"' << c.text << '"';
}

TEST(StringTokenizer, NextAfterTheEndStaysAtTheEnd)
{
    quarro::string_tokenizer t("", "/");
    EXPECT_FALSE(t.has_token());
    t.next();
    t.next();
    EXPECT_FALSE(t.has_token());
    EXPECT_EQ(t.token(), "");

    quarro::string_tokenizer u("x/", "/");
    EXPECT_EQ(u.token(), "x");
    EXPECT_EQ(u.token_start(), 0u);
    u.next();
    EXPECT_FALSE(u.has_token());
    u.next();
    EXPECT_FALSE(u.has_token());
}

TEST(StringTokenizer, KeepsItsOwnDelimiters)
{
    // The delimiter set is a temporary that is gone before the walk.
    quarro::string_tokenizer t("a,b;c", std::string(",;"));
    std::string joined;
    for (; t.has_token(); t.next())
        joined += t.token();
    EXPECT_EQ(joined, "abc");
}

} // namespace
