// The number appenders' exact texts and counts.
#include <quarro/tools/number_text.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using quarro::i64;
using quarro::u64;

struct appended
{
    std::string text;
    u64 count;
};

TEST(AppendUnsigned, PadsToWidthAndWritesLongerValuesWhole)
{
    const struct
    {
        u64 value;
        u64 width;
        const char* expected;
    } cases[] = {{7, 2, "07"},
                 {123, 2, "123"},
                 {0, 3, "000"},
                 {0, 1, "0"},
                 {0, 0, "0"},
                 {42, 1, "42"},
                 {5, 40, "00000000000000000000000000000005"},
                 {18446744073709551615ull, 1, "18446744073709551615"}};
    for (const auto& c : cases) {
        std::string text = "x";
        const u64 count = quarro::append_unsigned(text, c.value, c.width);
        EXPECT_EQ(text, std::string("x") + c.expected) << c.value << " width " << c.width;
        EXPECT_EQ(count, std::string(c.expected).size());
    }
}

TEST(AppendNumber, SignInFrontOfPaddedMagnitude)
{
    const struct
    {
        i64 value;
        u64 width;
        const char* expected;
    } cases[] = {{-7, 3, "-007"},
                 {0, 1, "0"},
                 {-5, 1, "-5"},
                 {42, 1, "42"},
                 {std::numeric_limits<i64>::min(), 1, "-9223372036854775808"},
                 {std::numeric_limits<i64>::max(), 1, "9223372036854775807"}};
    for (const auto& c : cases) {
        std::string text;
        const u64 count = quarro::append_number(text, c.value, c.width);
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(count, text.size());
    }
}

TEST(ToStringWithPrecision, FixedNotationWithTiesToEven)
{
    const struct
    {
        int decimals;
        double value;
        const char* expected;
    } cases[] = {
        {1, 5.0, "5.0"},
        {1, -3.0, "-3.0"},
        {1, 2.25, "2.2"},
        {2, 0.125, "0.12"},
        {1, 1.26, "1.3"},
        {1, 10.0, "10.0"},
        {1, 0.05, "0.1"},
        {1, -0.25, "-0.2"},
        {3, 7.0, "7.0"},
        {1, 1000.0, "1000.0"},
        {1, 1e20, "100000000000000000000.0"},
        {1, 0.7, "0.7"},
        {1, -2.5, "-2.5"},
        {0, 2.5, "2"},
    };
    for (const auto& c : cases) {
        std::string text = "=";
        const u64 count = quarro::to_string_with_precision(text, c.decimals, c.value);
        EXPECT_EQ(text, std::string("=") + c.expected) << c.value;
        EXPECT_EQ(count, text.size() - 1);
    }
}

TEST(ToStringWithPrecision, NonFiniteAndHugeValuesAreWellDefined)
{
    // Values a 64-bit integer cannot hold take the decimals branch instead of a cast.
    std::string text;
    quarro::to_string_with_precision(text, 1, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(text, "nan");
    text.clear();
    quarro::to_string_with_precision(text, 1, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(text, "-inf");
    text.clear();
    quarro::to_string_with_precision(text, 1, 9223372036854775808.0);
    EXPECT_EQ(text, "9223372036854775808.0");
    text.clear();
    quarro::to_string_with_precision(text, 1, -std::numeric_limits<double>::max());
    EXPECT_EQ(text.substr(0, 4), "-179");
    EXPECT_EQ(text.substr(text.size() - 2), ".0");
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
