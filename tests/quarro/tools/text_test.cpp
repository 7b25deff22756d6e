// Text helpers.
#include <quarro/tools/text.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(CompareNoCase, LengthFirstThenFoldedCharacters)
{
    EXPECT_EQ(quarro::compare_no_case("post", "POST"), 0);
    EXPECT_NE(quarro::compare_no_case("PUT", "POST"), 0);
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
    EXPECT_FALSE(quarro::platform_string_from_string("a\xFF"
                                                     "b")
                     .has_value());
    EXPECT_FALSE(quarro::platform_string_from_string("\xC0\xAF").has_value());     // overlong '/'
    EXPECT_FALSE(quarro::platform_string_from_string("\xED\xA0\x80").has_value()); // surrogate
    EXPECT_FALSE(quarro::platform_string_from_string("\xE2\x82").has_value());     // truncated
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

} // namespace
