// The bytes of log lines, level texts and log file names.
#include <quarro/log/log_data.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LogLevelText, EveryLevel)
{
    const struct
    {
        quarro::u32 level;
        const char* text;
    } cases[] = {{0, " (none) \t\t"},   {1, " (emergency)\t"}, {2, " (alert)\t\t"},
                 {3, " (critical)\t"},  {4, " (error)\t\t"},   {5, " (warning)\t\t"},
                 {6, " (notice)\t\t"},  {7, " (info)\t\t"},    {8, " (debug)\t\t"},
                 {9, " (user)\t\t"},    {10, " (max)\t\t\t"},  {254, " (max)\t\t\t"},
                 {255, " (dev)\t\t\t"}, {256, " (max)\t\t\t"}, {4294967295u, " (max)\t\t\t"}};
    for (const auto& c : cases)
        EXPECT_STREQ(quarro::log_level_text(c.level), c.text) << c.level;
}

TEST(LogLine, TimeLevelTextAndCrLf)
{
    const struct
    {
        quarro::date_time time;
        quarro::u32 level;
        std::string message;
        std::string line;
    } cases[] = {
        {{1, 1, 2024, 7, 5, 9, 0}, 4, "abc", "07:05:09:000 (error)\t\tabc\r\n"},
        {{1, 1, 2024, 23, 59, 59, 0}, 7, "", "23:59:59:000 (info)\t\t\r\n"},
        {{1, 1, 2024, 0, 0, 0, 5}, 255, "x", "00:00:00:005 (dev)\t\t\tx\r\n"},
        {{1, 1, 2024, 123, 0, 0, 1234}, 0, "y", "123:00:00:1234 (none) \t\ty\r\n"},
    };
    for (const auto& c : cases) {
        std::string text = "before\r\n";
        quarro::append_log_line(text, quarro::log_data{c.message, 0, c.level, c.time});
        EXPECT_EQ(text, "before\r\n" + c.line);
    }
}

TEST(LogFileName, NumbersWithoutLeadingZeros)
{
    EXPECT_EQ(quarro::make_log_file_name({5, 7, 2024, 7, 5, 9, 0}, "0123456789012345"),
              "Log 5_7_2024 7_5_9_0123456789012345.log");
    EXPECT_EQ(quarro::make_log_file_name({31, 12, 1999, 23, 59, 0, 0}, "9999999999999999"),
              "Log 31_12_1999 23_59_0_9999999999999999.log");
}

} // namespace
