// A lost display: any X connection of the program that breaks ends it through DisplayLoss, and
// the lines it leaves in the log say what the program waited for, however many operations ran.
#include "DisplayLoss.h"

#include "support/child_process.h"

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(DisplayLoss, LinesNameWhatTheProgramWaitedFor)
{
    const struct
    {
        std::vector<std::string> running;
        const char* loss;
        const char* end;
    } rows[] = {
        {{},
         "The connection to the display was lost: the program ends, no speaker operation was "
         "running",
         ""},
        {{"the settings write"},
         "The connection to the display was lost: the program ends once the settings write has "
         "ended (waits for the speaker and downloads are given up)",
         "The settings write has ended and the speaker is let go: the program ends without its "
         "display"},
        {{"the firmware update", "the firmware search"},
         "The connection to the display was lost: the program ends once the firmware update and "
         "the firmware search have ended (waits for the speaker and downloads are given up)",
         "The firmware update and the firmware search have ended and the speaker is let go: the "
         "program ends without its display"},
        {{"the reset", "the settings read", "the firmware search"},
         "The connection to the display was lost: the program ends once the reset, the settings "
         "read and the firmware search have ended (waits for the speaker and downloads are given "
         "up)",
         "The reset, the settings read and the firmware search have ended and the speaker is let "
         "go: the program ends without its display"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.running.size()) + " running");
        EXPECT_EQ(DisplayLoss::lossLine(row.running), row.loss);
        EXPECT_EQ(DisplayLoss::endLine(row.running), row.end);
    }
}

// The program's own second connection (FixedWindowSize keeps one) breaks, not JUCE's: the
// program still ends through DisplayLoss, with its line and its status, never by Xlib's exit().
// Run in a child process, which the loss ends.
TEST(DisplayLoss, AnyConnectionThatBreaksEndsTheProgramThroughIt)
{
    // JUCE's window system is made here, so that the child finds it and opens no connection.
    ASSERT_GT(juce::Desktop::getInstance().getDisplays().displays.size(), 0);
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(output[1], STDERR_FILENO);
        ::close(output[0]);
        if (!DisplayLoss::watch())
            ::_exit(97);
        ::Display* own = XOpenDisplay(nullptr);
        if (own == nullptr)
            ::_exit(98);
        // As when the server closes the connection: the next reply never comes.
        ::shutdown(ConnectionNumber(own), SHUT_RD);
        XSync(own, False);
        ::_exit(99);
    }
    ::close(output[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool timed_out = false;
    const std::string said = test_support::read_until_closed(output[0], deadline, timed_out);
    ::close(output[0]);
    int status = 0;
    // Its output ends as it exits; it is reaped a moment later.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (!test_support::reap_within(child, status, std::max<int>(0, static_cast<int>(left.count()))))
        FAIL() << "the child did not end within 10 s of its broken connection; it said: " << said;
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << ": " << said;
    EXPECT_EQ(WEXITSTATUS(status), DisplayLoss::exitStatus) << said;
    EXPECT_NE(said.find("The connection to the display was lost: the program ends, no speaker "
                        "operation was running\n"),
              std::string::npos)
        << said;
}

} // namespace
