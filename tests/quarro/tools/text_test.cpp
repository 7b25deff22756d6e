// Text helpers and the tokenizer of folder paths and version texts.
#include <quarro/tools/string_tokenizer.h>
#include <quarro/tools/text.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(CompareNoCase, LengthFirstThenFoldedCharacters)
{
    EXPECT_EQ(quarro::compare_no_case("post", "POST"), 0);
    EXPECT_EQ(quarro::compare_no_case("PUT", "POST"), -1);
    EXPECT_EQ(quarro::compare_no_case("GET", "GEA"), 1);
    EXPECT_EQ(quarro::compare_no_case("ab", "abcd"), -2);
    EXPECT_EQ(quarro::compare_no_case("", ""), 0);
    // Only a-z fold; other bytes compare as signed 8-bit values.
    EXPECT_EQ(quarro::compare_no_case("\xC3", "a"), -1);
}

TEST(RandomDigits, SixteenDigitsThatDifferWithinOneSecond)
{
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string digits = quarro::random_digits();
        ASSERT_EQ(digits.size(), 16u);
        EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos);
        seen.insert(digits);
    }
    EXPECT_EQ(seen.size(), 50u);
}

TEST(PlatformString, AcceptsOnlyValidUtf8)
{
    EXPECT_EQ(quarro::platform_string_from_string("Grüße"), std::string("Grüße"));
    for (const char* invalid : {"a\xFF"
                                "b",
                                "\xC0\xAF",     // overlong '/'
                                "\xED\xA0\x80", // surrogate
                                "\xE2\x82"})    // truncated
        EXPECT_FALSE(quarro::platform_string_from_string(invalid).has_value()) << invalid;
    EXPECT_EQ(quarro::string_from_platform_string("a\xFF"
                                                  "b\xC3\xA9"),
              "a.b\xC3\xA9");
    EXPECT_EQ(quarro::string_from_platform_string(""), "");
}

TEST(ReplaceAll, ContinuesAfterEachInsertedText)
{
    std::string url = "a b/c d";
    quarro::replace_all(url, " ", "%20");
    EXPECT_EQ(url, "a%20b/c%20d");
    std::string text = "aaa";
    quarro::replace_all(text, "a", "aa");
    EXPECT_EQ(text, "aaaaaa");
}

// The tokens, each at its start; a step past the end stays at the end. Text and delimiters
// are temporaries gone before the walk: the tokenizer keeps its own copies.
std::vector<std::string> tokens_of(const char* text, const char* delimiters)
{
    std::vector<std::string> tokens;
    quarro::string_tokenizer t{std::string(text), std::string(delimiters)};
    for (; t.has_token(); t.next())
        tokens.push_back(t.token() + "@" + std::to_string(t.token_start()));
    t.next();
    if (t.has_token() || !t.token().empty())
        tokens.push_back("(past the end)");
    return tokens;
}

TEST(StringTokenizer, YieldsNoEmptyTokens)
{
    using list = std::vector<std::string>;
    const struct
    {
        const char* text;
        const char* delimiters;
        list expected;
    } cases[] = {{"/a//b/", "/\\", {"a@1", "b@4"}},
                 {"", "/", {}},
                 {"///", "/", {}},
                 {"x/", "/", {"x@0"}},
                 {"a\\b/c", "/\\", {"a@0", "b@2", "c@4"}},
                 {"1..2", ".", {"1@0", "2@3"}},
                 {"1.0.10", ".", {"1@0", "0@2", "10@4"}},
                 {"abc", "", {"abc@0"}}};
    for (const auto& c : cases)
        EXPECT_EQ(tokens_of(c.text, c.delimiters), c.expected) << '"' << c.text << '"';
}

} // namespace
