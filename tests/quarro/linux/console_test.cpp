// Console lines: printed as they are, never read as a format.
#include <quarro/desktop/console.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ConsoleLog, TextIsNeverAFormat)
{
    testing::internal::CaptureStderr();
    quarro::console_log("100% %d %s %n done");
    quarro::console_log("");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "100% %d %s %n done\n\n");
}

} // namespace
