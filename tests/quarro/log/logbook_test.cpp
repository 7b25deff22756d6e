// The log's byte forms (level texts, lines, file names), exclusive creation of the run's log
// file, the logbook's targets and levels, a failing file that must not recurse, the order of
// many threads' lines, and the closing line at exit.
#include <quarro/files/filepath.h>
#include <quarro/log/log_data.h>
#include <quarro/log/logbook.h>
#include <quarro/notification/notification.h>

#include "log/log_file.h"
#include "support/child_process.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

using quarro::logbook;
namespace level = quarro::log_level;
using test_support::read_text;
using test_support::temporary_folder;

const char* const header = "Velk Audio Pellaro 1.0.2 Linux 64 bit\r\n";

TEST(LogLevelText, EveryLevel)
{
    const char* const texts[] = {" (none) \t\t", " (emergency)\t", " (alert)\t\t",  " (critical)\t",
                                 " (error)\t\t", " (warning)\t\t", " (notice)\t\t", " (info)\t\t",
                                 " (debug)\t\t", " (user)\t\t",    " (max)\t\t\t"};
    for (quarro::u32 level = 0; level <= 10; ++level)
        EXPECT_STREQ(quarro::log_level_text(level), texts[level]) << level;
    EXPECT_STREQ(quarro::log_level_text(254), texts[10]);
    EXPECT_STREQ(quarro::log_level_text(255), " (dev)\t\t\t");
    EXPECT_STREQ(quarro::log_level_text(256), texts[10]);
}

TEST(LogLine, TimeLevelTextAndCrLf)
{
    std::string text = "before\r\n";
    quarro::append_log_line(text, quarro::log_data{"abc", 0, 4, {1, 1, 2024, 7, 5, 9, 5}});
    quarro::append_log_line(text, quarro::log_data{"y", 0, 0, {1, 1, 2024, 123, 0, 0, 1234}});
    EXPECT_EQ(text, "before\r\n07:05:09:005 (error)\t\tabc\r\n123:00:00:1234 (none) \t\ty\r\n");
}

// The name has its numbers without leading zeros; a name another run took is left alone.
TEST(CreateLogFile, TakenNameIsLeftAloneAndNewDigitsTried)
{
    temporary_folder folder;
    test_support::write_text(folder / "Log 5_7_2024 7_5_9_1111111111111111.log", "other run");
    std::size_t calls = 0;
    const files::filepath made = quarro::detail::create_log_file(
        files::filepath(folder.path()), {5, 7, 2024, 7, 5, 9, 0},
        [&] { return std::string(16, "12"[std::min<std::size_t>(calls++, 1)]); });
    EXPECT_EQ(made.get_path(), folder / "Log 5_7_2024 7_5_9_2222222222222222.log");
    EXPECT_EQ(read_text(folder / "Log 5_7_2024 7_5_9_1111111111111111.log"), "other run");
    EXPECT_EQ(read_text(made.get_path()), "");
}

// "Log d_m_yyyy h_m_s_<16 digits>.log" with plausible numbers and no leading zeros.
bool is_log_file_name(const std::string& name)
{
    int d = 0, mo = 0, y = 0, h = 0, mi = 0, s = 0;
    char digits[17] = {};
    return std::sscanf(name.c_str(), "Log %d_%d_%d %d_%d_%d_%16[0-9]", &d, &mo, &y, &h, &mi, &s,
                       digits) == 7 &&
           std::strlen(digits) == 16 && d >= 1 && d <= 31 && mo >= 1 && mo <= 12 && y >= 2000 &&
           h <= 23 && mi <= 59 && s <= 59 &&
           name == quarro::make_log_file_name({d, mo, y, h, mi, s, 0}, digits);
}

// Each line's time stamp (hh:mm:ss:000) becomes "T", so that the rest can be compared whole.
std::string without_time_stamps(const std::string& text)
{
    std::string result;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const bool stamped = line.size() >= 12 && line[2] == ':' && line[5] == ':' &&
                             line.compare(8, 4, ":000") == 0;
        result += (stamped ? "T" + line.substr(12) : line) + "\n";
    }
    return result;
}

std::vector<std::string> files_in(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Each test starts from the levels, folder and header of a fresh logbook and leaves them so.
class Logbook : public testing::Test
{
protected:
    void TearDown() override
    {
        book.set_levels({});
        book.set_log_folder(files::filepath());
        book.set_header("");
    }

    void use_folder(quarro::log_levels levels)
    {
        book.set_log_folder(files::filepath(folder.path()));
        book.set_header(header);
        book.set_levels(levels);
    }

    logbook& book = logbook::instance();
    temporary_folder folder;
};

TEST_F(Logbook, EachTargetTakesTheLinesOfItsLevel)
{
    using log_notification = quarro::notification_ex_2<std::string, unsigned int>;
    struct observer : quarro::notification_observer
    {
        void on_notification(const memory::data_ptr<quarro::notification>& posted) override
        {
            const auto& message = dynamic_cast<const log_notification&>(*posted);
            received.push_back(message.first() + "/" + std::to_string(message.second()));
        }
        std::vector<std::string> received;
    } watcher;
    logbook::get_notification_center().add_observer(&watcher, "quarro::logbook::message", 0);
    testing::internal::CaptureStderr();
    // The default levels (file 0, console 5), and no folder: no file.
    book.message("error line", level::error, logbook::file_and_console);
    book.message("file only", level::none, logbook::file_target);
    EXPECT_FALSE(book.get_log_file().exists_flag_set());
    use_folder({level::info, level::none, level::warning});
    book.message("posted", level::warning, logbook::notification_target);
    book.message("too detailed", level::notice, logbook::notification_target);
    book.message("first", level::info, logbook::file_and_console);
    book.message("not for the file", level::debug, logbook::file_and_console);
    book.message("", level::error, logbook::file_and_console);
    book.message("console", level::none, logbook::console_target);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "error line\nconsole\n");
    logbook::get_notification_center().remove_observer(&watcher);
    EXPECT_EQ(watcher.received, std::vector<std::string>{"posted/5"});

    const auto names = files_in(folder.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(is_log_file_name(names[0])) << names[0];
    EXPECT_EQ(without_time_stamps(read_text(folder / names[0])),
              std::string(header) + "T (info)\t\tfirst\r\nT (error)\t\t\r\n");
}

TEST_F(Logbook, FolderThatCannotTakeTheFileReportsOnceToTheConsole)
{
    use_folder({level::info, level::info, level::none});
    std::filesystem::remove_all(folder.path());
    const std::string report = "cannot create the file! it may be opened by another "
                               "application?\nfull path: \"" +
                               folder.path() + "/";
    for (const std::string line : {"lost", "tried again"}) {
        testing::internal::CaptureStderr();
        book.message(line, level::info, logbook::file_and_console);
        const std::string console = testing::internal::GetCapturedStderr();
        // The report, once, then the line itself on the console.
        ASSERT_EQ(console.compare(0, report.size(), report), 0) << console;
        const auto name_end = console.find("\"\n", report.size());
        ASSERT_NE(name_end, std::string::npos) << console;
        EXPECT_TRUE(is_log_file_name(console.substr(report.size(), name_end - report.size())));
        EXPECT_EQ(console.substr(name_end), "\"\n" + line + "\n");
    }
    std::filesystem::create_directory(folder.path());
    book.message("back", level::info, logbook::file_target);
    EXPECT_EQ(files_in(folder.path()).size(), 1u);
}

TEST_F(Logbook, EveryThreadsLinesArriveInOrder)
{
    use_folder({level::info, level::none, level::none});
    constexpr int threads = 8, lines = 1000;
    const auto text_of = [](int t, int i) { return std::to_string(t) + "." + std::to_string(i); };
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < lines; ++i)
                book.message(text_of(t, i), level::info, logbook::file_target);
        });
    for (auto& worker : workers)
        worker.join();

    const std::string text = without_time_stamps(read_text(book.get_log_file().get_path()));
    EXPECT_EQ(text.rfind(header, 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), threads * lines + 1);
    for (int t = 0; t < threads; ++t) {
        std::size_t at = 0; // each line of a thread comes after the one before
        for (int i = 0; i < lines && at != std::string::npos; ++i)
            at = text.find("T (info)\t\t" + text_of(t, i) + "\r\n", at);
        EXPECT_NE(at, std::string::npos) << "thread " << t;
    }
}

// The closing line comes from the static objects' destruction, so a child process runs until
// its own exit and the parent reads what it left on the console and in the folder.
TEST(LogbookAtExit, ClosingLineOnlyWhereLevel8IsAdmitted)
{
    // levels; the console; the log without time stamps (empty: no file at all)
    const std::tuple<quarro::log_levels, std::string, std::string> cases[] = {
        {{level::debug, level::none, level::none}, "", "T (debug)\t\t~logbook\r\n"},
        {{level::none, level::debug, level::none}, "~logbook\n", ""},
        {{level::info, level::none, level::none}, "", ""}};
    for (const auto& [levels, console_text, file_text] : cases) {
        temporary_folder folder, console;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(open((console / "err").c_str(), O_WRONLY | O_CREAT, 0600), STDERR_FILENO);
            logbook::instance().set_log_folder(files::filepath(folder.path()));
            logbook::instance().set_levels(levels);
            std::exit(0);
        }
        int status = 0;
        ASSERT_TRUE(test_support::reap_within(child, status))
            << "the child did not exit within 10 s (a lock held at exit?)";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(read_text(console / "err"), console_text) << int{levels.file};
        const auto names = files_in(folder.path());
        EXPECT_EQ(names.size(), file_text.empty() ? 0u : 1u);
        if (!names.empty()) {
            EXPECT_EQ(without_time_stamps(read_text(folder / names[0])), file_text);
        }
    }
}

} // namespace
