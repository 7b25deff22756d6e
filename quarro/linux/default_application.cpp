// The default application through xdg-open.
#include <quarro/desktop/default_application.h>

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

extern char** environ;

namespace quarro {

void open_with_default_application(const files::filepath& item) noexcept
{
    std::string path;
    try {
        path = item.get_path();
    } catch (...) {
        return;
    }
    if (path.empty())
        return;
    char opener[] = "xdg-open";
    char* arguments[] = {opener, path.data(), nullptr};
    // xdg-open may run the viewer in the foreground until it is closed, and the caller is
    // often the message thread. So a short-lived middle process starts it and ends at once:
    // the middle one is reaped here, and the opener, left without a parent, by init.
    const pid_t middle = ::fork();
    if (middle == 0) {
        // The caller's signal handlers must not run in this copy of it. The opener gets the
        // default actions and no blocked signal, whatever the caller had ignored or held back
        // (both would outlive the exec), so that closing its terminal or `kill` ends it.
        sigset_t signals;
        sigfillset(&signals);
        ::pthread_sigmask(SIG_SETMASK, &signals, nullptr);
        posix_spawnattr_t attributes;
        pid_t started = 0;
        int result = ::posix_spawnattr_init(&attributes);
        if (result == 0) {
            sigset_t none;
            sigemptyset(&none);
            ::posix_spawnattr_setsigdefault(&attributes, &signals);
            ::posix_spawnattr_setsigmask(&attributes, &none);
            ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
            result = ::posix_spawnp(&started, opener, nullptr, &attributes, arguments, environ);
        }
        ::_exit(result == 0 ? 0 : 127);
    }
    if (middle < 0)
        return;
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace quarro
