// A self-pipe: the signal handler writes one byte (write is async-signal-safe), the message
// loop watches the read end. JUCE's own SIGINT handling would quit without asking.
#include "QuitSignals.h"

#include <juce_events/juce_events.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int writeEnd = -1;

extern "C" void wakeMessageThread(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a pending request: nothing is lost by dropping this one.
    [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

void setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

QuitSignals::QuitSignals(std::function<void()> onQuitRequest_)
    : onQuitRequest(std::move(onQuitRequest_))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readEnd = ends[0];
    writeEnd = ends[1];
    juce::LinuxEventLoop::registerFdCallback(readEnd, [this](int fd) {
        char bytes[16];
        while (::read(fd, bytes, sizeof bytes) > 0) {
        }
        onQuitRequest();
    });
    setHandler(SIGINT, wakeMessageThread);
    setHandler(SIGTERM, wakeMessageThread);
}

QuitSignals::~QuitSignals()
{
    if (readEnd < 0)
        return;
    setHandler(SIGINT, SIG_DFL);
    setHandler(SIGTERM, SIG_DFL);
    juce::LinuxEventLoop::unregisterFdCallback(readEnd);
    ::close(readEnd);
    ::close(writeEnd);
    writeEnd = -1;
}
