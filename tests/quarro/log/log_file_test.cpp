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

TEST(CreateLogFile, GivesUpAfterBoundedAttempts)
{
    temporary_folder folder;
    const std::string taken = folder / "Log 5_7_2024 7_5_9_1111111111111111.log";
    test_support::write_text(taken, "other run");
    std::size_t calls = 0;
    const auto same_digits = [&] {
        ++calls;
        return std::string("1111111111111111");
    };
    try {
        quarro::detail::create_log_file(files::filepath(folder.path()), now, same_digits);
        ADD_FAILURE() << "no exception";
    } catch (const files::error::file_path& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot create the file! it may be opened by another application?\n"
                  "full path: \"" +
                      taken + "\"");
    }
    EXPECT_GT(calls, 1u);
    EXPECT_LE(calls, 64u);
    EXPECT_EQ(read_text(taken), "other run");

    const files::filepath gone(folder.path());
    std::filesystem::remove_all(folder.path());
    calls = 0;
    EXPECT_THROW(quarro::detail::create_log_file(gone, now, same_digits), files::error::file_path);
    EXPECT_EQ(calls, 1u); // a missing folder is not a name clash: no retries
}

} // namespace
