// The number appenders' exact texts and counts, reading numbers from texts, the text helpers
// and the tokenizer of folder paths and version texts.
#include <quarro/tools/number_text.h>
#include <quarro/tools/string_tokenizer.h>
#include <quarro/tools/text.h>

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using quarro::append_number;
using quarro::append_unsigned;
using quarro::to_string_with_precision;
using limits = std::numeric_limits<double>;

// What the appender added to "x", then "|" and the count it returned.
template <class... Parameters, class... Arguments>
std::string appended(quarro::u64 (*append)(std::string&, Parameters...), Arguments... arguments)
{
    std::string text = "x";
    const quarro::u64 count = append(text, arguments...);
    return text.substr(1) + "|" + std::to_string(count);
}

TEST(NumberText, ExactTextAndCount)
{
    const std::tuple<std::string, const char*> cases[] = {
        {appended(append_unsigned, 7, 2), "07|2"},
        {appended(append_unsigned, 0, 0), "0|1"},
        {appended(append_unsigned, 5, 40), "00000000000000000000000000000005|32"}, // clamped
        {appended(append_unsigned, 18446744073709551615ull, 1), "18446744073709551615|20"},
        {appended(append_number, -7, 3), "-007|4"},
        {appended(append_number, std::numeric_limits<quarro::i64>::min(), 1),
         "-9223372036854775808|20"},
        // Fixed notation, ties to even; whole numbers keep one decimal.
        {appended(to_string_with_precision, 1, 5.0), "5.0|3"},
        {appended(to_string_with_precision, 1, 2.25), "2.2|3"},
        {appended(to_string_with_precision, 1, 0.05), "0.1|3"},
        {appended(to_string_with_precision, 1, -0.25), "-0.2|4"},
        {appended(to_string_with_precision, 0, 2.5), "2|1"},
        // Values a 64-bit integer cannot hold take the decimals branch, never a cast.
        {appended(to_string_with_precision, 1, 1e20), "100000000000000000000.0|23"},
        {appended(to_string_with_precision, 1, 9223372036854775808.0), "9223372036854775808.0|21"},
        {appended(to_string_with_precision, 1, limits::quiet_NaN()), "nan|3"},
        {appended(to_string_with_precision, 1, -limits::infinity()), "-inf|4"}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, expected);
    const std::string lowest = appended(to_string_with_precision, 1, -limits::max());
    EXPECT_EQ(lowest.substr(0, 4), "-179");
    EXPECT_EQ(lowest.substr(lowest.size() - 6), ".0|312");
}

TEST(HexPairToByte, DigitsOfBothCasesAndOthersAsZero)
{
    EXPECT_EQ(quarro::hex_pair_to_byte('F', 'F'), 255);
    EXPECT_EQ(quarro::hex_pair_to_byte('0', 'a'), 10);
    EXPECT_EQ(quarro::hex_pair_to_byte('G', '1'), 1);
    EXPECT_EQ(quarro::hex_pair_to_byte('1', 'G'), 16);
}

TEST(TextToInt, LeadingIntegerOrDefault)
{
    const std::tuple<const char*, int> cases[] = {{"", 9},
                                                  {"x12", 9},
                                                  {"-5", -5},
                                                  {"12abc", 12},
                                                  {"-", 0},
                                                  {"+3", 9},
                                                  {" 4", 9},
                                                  {"99999999999", 2147483647},
                                                  {"-99999999999", -2147483647 - 1}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(quarro::text_to_int(text, 9), expected) << '"' << text << '"';
    EXPECT_EQ(quarro::int_to_text(-2147483647 - 1), "-2147483648");
}

TEST(CompareNoCase, LengthFirstThenFoldedCharacters)
{
    EXPECT_EQ(quarro::compare_no_case("PUT", "POST"), -1);
    EXPECT_EQ(quarro::compare_no_case("GET", "GEA"), 1);
    EXPECT_EQ(quarro::compare_no_case("ab", "abcd"), -2);
    // Only a-z fold; other bytes compare as signed 8-bit values.
    EXPECT_EQ(quarro::compare_no_case("\xC3", "a"), -1);
    // The folded range, and the bytes just outside it, which do not fold.
    EXPECT_EQ(quarro::compare_no_case("a", "A"), 0);
    EXPECT_EQ(quarro::compare_no_case("`", "@"), 1);
    EXPECT_EQ(quarro::compare_no_case("{", "["), 1);
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
    const std::tuple<const char*, const char*, list> cases[] = {
        {"/a//b/", "/\\", {"a@1", "b@4"}},
        {"", "/", {}},
        {"///", "/", {}},
        {"a\\b/c", "/\\", {"a@0", "b@2", "c@4"}},
        {"1.0.10", ".", {"1@0", "0@2", "10@4"}},
        {"abc", "", {"abc@0"}}};
    for (const auto& [text, delimiters, expected] : cases)
        EXPECT_EQ(tokens_of(text, delimiters), expected) << '"' << text << '"';
}

} // namespace
