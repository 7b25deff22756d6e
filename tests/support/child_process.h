// Runs part of a test in a child process: to survive a signal that would end the test
// program, or to run as an unprivileged user, so that permission checks bite even where the
// tests run as root (as they do on the build machines).
#pragma once

#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

namespace test_support {

enum class child_user
{
    same,
    unprivileged, ///< user and group 65534 when this process is root
};

/// What `descriptor` gives until every writer has closed it (or reading fails), read until
/// `deadline` at the latest: `timed_out` tells whether the deadline ended it.
inline std::string read_until_closed(int descriptor,
                                     std::chrono::steady_clock::time_point deadline,
                                     bool& timed_out)
{
    std::string received;
    timed_out = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd readable{descriptor, POLLIN, 0};
        if (left <= 0 || ::poll(&readable, 1, static_cast<int>(left)) == 0) {
            timed_out = true;
            return received;
        }
        char buffer[512];
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got <= 0)
            return received;
        received.append(buffer, static_cast<std::size_t>(got));
    }
}

/// Runs `body` in a child process and returns what it returned: empty when all was well,
/// else what went wrong. A child that ends without an answer (a signal, say) or takes longer
/// than `limit_ms` is reported as such; the wait never exceeds the limit.
inline std::string run_in_child(child_user user, const std::function<std::string()>& body,
                                int limit_ms = 10000)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe() failed";
    const pid_t child = ::fork();
    if (child < 0)
        return "fork() failed";
    if (child == 0) {
        ::close(channel[0]);
        std::string answer;
        if (user == child_user::unprivileged && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            answer = "could not become user 65534";
        } else {
            try {
                answer = body();
            } catch (...) {
                answer = "the child's body threw";
            }
        }
        if (answer.empty())
            answer = "ok";
        const ssize_t sent = ::write(channel[1], answer.data(), answer.size());
        ::_exit(sent == static_cast<ssize_t>(answer.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    bool timed_out = false;
    std::string received = read_until_closed(
        channel[0], std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms),
        timed_out);
    if (timed_out) {
        ::kill(child, SIGKILL);
        received = "the child did not finish within " + std::to_string(limit_ms) + " ms";
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (received == "ok")
        return std::string();
    if (received.empty())
        return WIFSIGNALED(status)
                   ? "the child was ended by signal " + std::to_string(WTERMSIG(status))
                   : "the child ended without an answer";
    return received;
}

/// Waits for the child to end, at most `limit_ms` milliseconds, and gives its status; a child
/// still running then is killed (and false returned).
inline bool reap_within(pid_t child, int& status, int limit_ms = 10000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        ::usleep(1000); // a process of its own: no clock of ours can stand in for its time
    }
    return true;
}

/// Lets every user into the folder and the folders above it (adds search permission where it
/// is missing), so that an unprivileged child can reach it; `mode` becomes the folder's own.
inline void open_folder_to_everyone(const std::string& folder, mode_t mode)
{
    ::chmod(folder.c_str(), mode);
    for (std::string above = folder.substr(0, folder.rfind('/')); !above.empty();
         above = above.substr(0, above.rfind('/'))) {
        struct stat status
        {};
        if (::stat(above.c_str(), &status) == 0 && (status.st_mode & S_IXOTH) == 0)
            ::chmod(above.c_str(), (status.st_mode & 07777) | S_IXOTH);
    }
}

} // namespace test_support
