// The speaker lock across programs: where its file lives, the wait for another holder and how
// it is given up, and a lock file that cannot be used.
#include <speaker_link/device/speaker_lock.h>

#include <support/bounded_thread.h>
#include <support/bounded_wait.h>
#include <support/environment_variable.h>
#include <support/error_text.h>
#include <support/other_program_lock.h>
#include <support/temporary_folder.h>
#include <support/virtual_clock.h>

#include <quarro/files/filepath.h>
#include <quarro/log/logbook.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>

#include <unistd.h>

namespace {

using test_support::environment_variable;
using test_support::other_program_lock;
using test_support::virtual_clock;

TEST(SpeakerLock, FileIsInTheRuntimeFolderElseAFileOfTheUsersInTheTemporaryOne)
{
    test_support::temporary_folder temporary;
    const std::string uid = std::to_string(::geteuid());
    const struct
    {
        std::optional<std::string> runtime;
        std::optional<std::string> temporary;
        std::string path;
    } cases[] = {
        {"/run/user/7", temporary.path(), "/run/user/7/pellaro-speaker.lock"},
        {std::nullopt, temporary.path() + "/", temporary / "pellaro-speaker-" + uid + ".lock"},
        {"", std::nullopt, "/tmp/pellaro-speaker-" + uid + ".lock"},
    };
    for (const auto& c : cases) {
        const environment_variable runtime("XDG_RUNTIME_DIR", c.runtime);
        const environment_variable tmpdir("TMPDIR", c.temporary);
        EXPECT_EQ(speaker_lock_path(), c.path);
    }
}

TEST(SpeakerLock, WaitsWhileAnotherHoldsItUntilToldToGiveUp)
{
    const virtual_clock clock;
    std::atomic<bool> give_up{false};
    {
        other_program_lock other;
        test_support::bounded_thread waiter([&] {
            EXPECT_EQ(test_support::error_text<err::runtime_error>(
                          [&] { const speaker_lock lock(give_up); }),
                      "Another program is using the speaker; the wait for it was given up as the "
                      "panel closes");
        });
        ASSERT_TRUE(test_support::eventually([] { return virtual_clock::sleep_count() >= 3; }))
            << "the wait never looked again";
        give_up = true;
        waiter.join_within(std::chrono::seconds(10), "the wait to be given up");
        EXPECT_EQ(virtual_clock::now_ms(),
                  virtual_clock::sleep_count() * speaker_lock::poll_interval_ms);
    }
    // Only a wait is given up: a free lock is had even then, and kept until it goes.
    {
        const speaker_lock lock(give_up);
        EXPECT_TRUE(lock.held());
        EXPECT_FALSE(other_program_lock::lock_is_free());
    }
    EXPECT_TRUE(other_program_lock::lock_is_free());
}

TEST(SpeakerLock, UnusableFileIsLoggedAndGoneWithout)
{
    test_support::temporary_folder logs;
    quarro::logbook& book = quarro::logbook::instance();
    book.set_log_folder(files::filepath(logs.path()));
    book.set_levels({quarro::log_level::info, quarro::log_level::none, quarro::log_level::none});
    const std::atomic<bool> give_up{false};
    const struct
    {
        const char* name;
        void (*make)(const std::string& path); // what takes the lock file's place, if anything
        const char* reason;
    } cases[] = {
        {"a link",
         [](const std::string& path) { std::filesystem::create_symlink("/dev/null", path); },
         "Too many levels of symbolic links"},
        {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); },
         "Is a directory"},
        {"another user's file",
         [](const std::string& path) {
             test_support::write_text(path, "");
             ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0) << "only root gives a file away";
         },
         "not a regular file of this user"},
        {"no runtime folder", nullptr, "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::temporary_folder runtime;
        const environment_variable variable("XDG_RUNTIME_DIR", runtime / "run");
        if (c.make != nullptr) {
            std::filesystem::create_directory(runtime / "run");
            c.make(speaker_lock_path());
        }
        EXPECT_FALSE(speaker_lock(give_up).held());
        EXPECT_NE(test_support::read_text(book.get_log_file().get_path())
                      .find("The speaker's lock file " + speaker_lock_path() + " cannot be used (" +
                            c.reason +
                            "): other programs using the speaker are not waited for\r\n"),
                  std::string::npos);
    }
}

} // namespace
