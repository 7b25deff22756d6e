// Console lines: printed as they are, one whole line per call.
#include <quarro/desktop/console.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(ConsoleLog, TextIsNeverAFormat)
{
    testing::internal::CaptureStderr();
    quarro::console_log("100% %d %s %n done");
    quarro::console_log("");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "100% %d %s %n done\n\n");
}

TEST(ConsoleLog, LinesOfThreadsNeverMix)
{
    testing::internal::CaptureStderr();
    std::vector<std::thread> threads;
    for (char c = 'a'; c < 'e'; ++c)
        threads.emplace_back([c] {
            for (int i = 0; i < 200; ++i)
                quarro::console_log(std::string(2000, c));
        });
    for (auto& thread : threads)
        thread.join();
    std::istringstream output(testing::internal::GetCapturedStderr());
    int count = 0;
    for (std::string line; std::getline(output, line); ++count) {
        ASSERT_EQ(line.size(), 2000u);
        EXPECT_EQ(line.find_first_not_of(line[0]), std::string::npos);
    }
    EXPECT_EQ(count, 800);
}

} // namespace
