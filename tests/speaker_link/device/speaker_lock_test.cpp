// The speaker lock across programs: where its file lives, the wait for another holder and how
// it is given up, a program started while it is held, and a lock file that cannot be used (the
// operation goes on without it, and holds the speaker all the same).
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

#include <filesystem>
#include <optional>
#include <string>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
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

TEST(SpeakerLock, AWaitIsGivenUpUnlessTheSpeakerIsHeldAndNothingIsTakenAfterwards)
{
    const virtual_clock clock;
    speaker_turns turns;
    {
        other_program_lock other;
        test_support::bounded_thread waiter([&] {
            EXPECT_EQ(test_support::error_text<err::runtime_error>(
                          [&] { const speaker_lock lock(turns); }),
                      "Another program is using the speaker; the wait for it was given up as the "
                      "panel closes");
        });
        ASSERT_TRUE(test_support::eventually([] { return virtual_clock::sleep_count() >= 3; }))
            << "the wait never looked again";
        EXPECT_TRUE(turns.waiting());
        EXPECT_TRUE(turns.give_up_unless_held());
        waiter.join_within(std::chrono::seconds(10), "the wait to be given up");
        EXPECT_FALSE(turns.waiting());
        EXPECT_EQ(virtual_clock::now_ms(),
                  virtual_clock::sleep_count() * speaker_lock::poll_interval_ms);
    }
    // A closing program begins nothing on the speaker, not even when the lock is free.
    EXPECT_EQ(test_support::error_text<err::runtime_error>([&] { const speaker_lock lock(turns); }),
              "The panel closes: the speaker was not used");
    EXPECT_TRUE(other_program_lock::lock_is_free());

    // A hold is never given up: it runs to its end, and only then may waits be.
    speaker_turns holding;
    {
        const speaker_lock lock(holding);
        EXPECT_TRUE(lock.held());
        EXPECT_FALSE(holding.waiting());
        EXPECT_FALSE(other_program_lock::lock_is_free());
        EXPECT_FALSE(holding.give_up_unless_held());
    }
    EXPECT_TRUE(other_program_lock::lock_is_free());
    const speaker_lock again(holding);
    EXPECT_TRUE(again.held()) << "a refused give-up gave nothing up";
}

TEST(SpeakerLock, AProgramStartedWhileItIsHeldDoesNotKeepIt)
{
    speaker_turns turns;
    pid_t child = -1;
    {
        const speaker_lock lock(turns);
        ASSERT_TRUE(lock.held());
        // What the panel starts meanwhile: the desktop's opener for the manual, say.
        char program[] = "sleep";
        char seconds[] = "30";
        char* arguments[] = {program, seconds, nullptr};
        ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, arguments, environ), 0);
    }
    const bool free_while_it_runs = other_program_lock::lock_is_free();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(free_while_it_runs) << "the started program kept the speaker held";
}

TEST(SpeakerLock, UnusableFileIsLoggedAndGoneWithout)
{
    test_support::temporary_folder logs;
    quarro::logbook& book = quarro::logbook::instance();
    book.set_log_folder(files::filepath(logs.path()));
    book.set_levels({quarro::log_level::info, quarro::log_level::none, quarro::log_level::none});
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
        speaker_turns turns;
        {
            // The operation goes on with the speaker all the same: a quit must not cut it.
            const speaker_lock lock(turns);
            EXPECT_FALSE(lock.held());
            EXPECT_FALSE(turns.give_up_unless_held()) << "an operation without the lock was cut";
        }
        EXPECT_TRUE(turns.give_up_unless_held()) << "the ended operation still holds the speaker";
        EXPECT_NE(test_support::read_text(book.get_log_file().get_path())
                      .find("The speaker's lock file " + speaker_lock_path() + " cannot be used (" +
                            c.reason +
                            "): other programs using the speaker are not waited for\r\n"),
                  std::string::npos);
    }
}

} // namespace
