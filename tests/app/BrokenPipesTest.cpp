// Output whose reader has gone: the write fails, and the program goes on.
#include "BrokenPipes.h"

#include "support/child_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <unistd.h>

namespace {

TEST(BrokenPipes, AWriteWhoseReaderHasGoneFailsAndTheProgramGoesOn)
{
    // In a child: SIGPIPE's default action would end the test program.
    const std::string answer = test_support::run_in_child(test_support::child_user::same, [] {
        BrokenPipes::letWritesFail();
        int ends[2];
        if (::pipe(ends) != 0)
            return std::string("pipe() failed");
        ::close(ends[0]);
        const char line[] = "a line nobody reads\n";
        const ssize_t written = ::write(ends[1], line, sizeof line - 1);
        const int error = errno;
        ::close(ends[1]);
        if (written != -1 || error != EPIPE)
            return "the write gave " + std::to_string(written) + ", errno " + std::to_string(error);
        // Programs started from here would keep an ignored SIGPIPE ignored.
        struct sigaction now = {};
        sigaction(SIGPIPE, nullptr, &now);
        if (now.sa_handler == SIG_IGN || now.sa_handler == SIG_DFL)
            return std::string("SIGPIPE is not handled");
        return std::string();
    });
    EXPECT_EQ(answer, "");
}

} // namespace
