// Exclusive creation of the run's log file: another run's file of the same name is never
// opened or emptied.
#include <quarro/files/file_error.h>

#include "log/log_file.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using test_support::read_text;
using test_support::temporary_folder;

const quarro::date_time now{5, 7, 2024, 7, 5, 9, 0};

TEST(CreateLogFile, TakenNameIsLeftAloneAndNewDigitsTried)
{
    temporary_folder folder;
    test_support::write_text(folder / "Log 5_7_2024 7_5_9_1111111111111111.log", "other run");
    std::vector<std::string> digits = {"1111111111111111", "2222222222222222"};
    std::size_t calls = 0;
    const files::filepath made = quarro::detail::create_log_file(
        files::filepath(folder.path()), now, [&] { return digits.at(calls++); });
    EXPECT_EQ(made.get_path(), folder / "Log 5_7_2024 7_5_9_2222222222222222.log");
    EXPECT_EQ(calls, 2u);
    EXPECT_EQ(read_text(folder / "Log 5_7_2024 7_5_9_1111111111111111.log"), "other run");
    EXPECT_EQ(read_text(made.get_path()), "");
}

} // namespace
