// The number appenders' exact texts and counts, and reading numbers from texts.
#include <quarro/tools/number_text.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

using quarro::i64;
using quarro::u64;

// What an appender added to "x", then "|" and the count it returned.
template <class Append>
std::string appended(Append append)
{
    std::string text = "x";
    const u64 count = append(text);
    return text.substr(1) + "|" + std::to_string(count);
}

std::string of_unsigned(u64 value, u64 width)
{
    return appended([&](std::string& text) { return quarro::append_unsigned(text, value, width); });
}

std::string of_number(i64 value, u64 width)
{
    return appended([&](std::string& text) { return quarro::append_number(text, value, width); });
}

std::string with_precision(int decimals, double value)
{
    return appended(
        [&](std::string& text) { return quarro::to_string_with_precision(text, decimals, value); });
}

TEST(NumberText, PaddedIntegers)
{
    const struct
    {
        std::string text;
        const char* expected;
    } cases[] = {{of_unsigned(7, 2), "07|2"},
                 {of_unsigned(123, 2), "123|3"},
                 {of_unsigned(0, 3), "000|3"},
                 {of_unsigned(0, 0), "0|1"},
                 {of_unsigned(5, 40), "00000000000000000000000000000005|32"}, // clamped width
                 {of_unsigned(18446744073709551615ull, 1), "18446744073709551615|20"},
                 {of_number(-7, 3), "-007|4"},
                 {of_number(0, 1), "0|1"},
                 {of_number(42, 1), "42|2"},
                 {of_number(std::numeric_limits<i64>::min(), 1), "-9223372036854775808|20"},
                 {of_number(std::numeric_limits<i64>::max(), 1), "9223372036854775807|19"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected);
}

TEST(NumberText, FixedNotationWithTiesToEven)
{
    const struct
    {
        std::string text;
        const char* expected;
    } cases[] = {{with_precision(1, 5.0), "5.0|3"},
                 {with_precision(1, -3.0), "-3.0|4"},
                 {with_precision(3, 7.0), "7.0|3"}, // whole numbers keep one decimal
                 {with_precision(1, 2.25), "2.2|3"},
                 {with_precision(2, 0.125), "0.12|4"},
                 {with_precision(1, 1.26), "1.3|3"},
                 {with_precision(1, 0.05), "0.1|3"},
                 {with_precision(1, -0.25), "-0.2|4"},
                 {with_precision(1, -2.5), "-2.5|4"},
                 {with_precision(0, 2.5), "2|1"},
                 // Values a 64-bit integer cannot hold take the decimals branch, never a cast.
                 {with_precision(1, 1e20), "100000000000000000000.0|23"},
                 {with_precision(1, 9223372036854775808.0), "9223372036854775808.0|21"},
                 {with_precision(1, std::numeric_limits<double>::quiet_NaN()), "nan|3"},
                 {with_precision(1, -std::numeric_limits<double>::infinity()), "-inf|4"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected);
    const std::string lowest = with_precision(1, -std::numeric_limits<double>::max());
    EXPECT_EQ(lowest.substr(0, 4), "-179");
    EXPECT_EQ(lowest.substr(lowest.size() - 6), ".0|312");
}

TEST(HexPairToByte, DigitsOfBothCasesAndOthersAsZero)
{
    EXPECT_EQ(quarro::hex_pair_to_byte('F', 'F'), 255);
    EXPECT_EQ(quarro::hex_pair_to_byte('0', 'a'), 10);
    EXPECT_EQ(quarro::hex_pair_to_byte('a', '0'), 160);
    EXPECT_EQ(quarro::hex_pair_to_byte('G', '1'), 1);
    EXPECT_EQ(quarro::hex_pair_to_byte('1', 'G'), 16);
}

TEST(TextToInt, LeadingIntegerOrDefault)
{
    const struct
    {
        const char* text;
        int expected;
    } cases[] = {{"", 9},
                 {"x12", 9},
                 {"-5", -5},
                 {"12abc", 12},
                 {"-", 0},
                 {"+3", 9},
                 {" 4", 9},
                 {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
    for (const auto& c : cases)
        EXPECT_EQ(quarro::text_to_int(c.text, 9), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(quarro::int_to_text(-2147483647 - 1), "-2147483648");
}

} // namespace
