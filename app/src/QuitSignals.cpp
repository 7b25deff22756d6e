// A self-pipe: the signal handler writes one byte (write is async-signal-safe), the message
// loop watches the read end. JUCE's own SIGINT handling would quit without asking.
#include "QuitSignals.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr int quitSignalNumbers[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// Read by the handlers: lock-free atomics are async-signal-safe.
std::atomic<int> writeEnd{-1};
std::atomic<bool> arrived{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

extern "C" void wakeMessageThread(int)
{
    const int savedErrno = errno;
    arrived.store(true);
    const char byte = 1;
    // A full pipe already holds a pending request: nothing is lost by dropping this one.
    if (const int end = writeEnd.load(); end >= 0) {
        [[maybe_unused]] const auto written = ::write(end, &byte, 1);
    }
    errno = savedErrno;
}

extern "C" void doNothing(int) {}

void setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

bool isHandledBy(int signalNumber, void (*handler)(int))
{
    struct sigaction now = {};
    return sigaction(signalNumber, nullptr, &now) == 0 && now.sa_handler == handler;
}

sigset_t quitSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : quitSignalNumbers)
        sigaddset(&set, signalNumber);
    return set;
}

} // namespace

QuitSignals::QuitSignals(std::function<void()> onQuitRequest_)
    : onQuitRequest(std::move(onQuitRequest_))
{
    arrived.store(false);
    sigset_t quitSignals = quitSignalSet();
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Not taken: the signals end the program as they would have.
        pthread_sigmask(SIG_UNBLOCK, &quitSignals, nullptr);
        return;
    }
    readEnd = ends[0];
    writeEnd.store(ends[1]);
    juce::LinuxEventLoop::registerFdCallback(readEnd, [this](int) {
        if (takePendingRequest())
            onQuitRequest();
    });
    for (const int signalNumber : quitSignalNumbers) {
        // Started with nohup, the program was asked to outlive its terminal.
        if (signalNumber == SIGHUP && isHandledBy(SIGHUP, SIG_IGN))
            continue;
        setHandler(signalNumber, wakeMessageThread);
    }
    // JUCE's own SIGINT handler, installed as it started, never saw a held signal.
    pthread_sigmask(SIG_UNBLOCK, &quitSignals, nullptr);
}

bool QuitSignals::takePendingRequest()
{
    if (readEnd < 0)
        return false;
    bool pending = false;
    char bytes[16];
    while (::read(readEnd, bytes, sizeof bytes) > 0)
        pending = true;
    return pending;
}

void QuitSignals::holdUntilTaken()
{
    sigset_t quitSignals = quitSignalSet();
    pthread_sigmask(SIG_BLOCK, &quitSignals, nullptr);
}

bool QuitSignals::hasOneArrived() noexcept
{
    return arrived.load();
}

void QuitSignals::ignoreUntilExit() noexcept
{
    for (const int signalNumber : quitSignalNumbers)
        if (!isHandledBy(signalNumber, SIG_IGN))
            setHandler(signalNumber, doNothing);
}

QuitSignals::~QuitSignals()
{
    if (readEnd < 0)
        return;
    // Only the handlers of this object go: while the program ends (its log and resume files
    // still being written), a second quit must not end it by the default action, and an
    // ignored hangup stays ignored.
    for (const int signalNumber : quitSignalNumbers)
        if (isHandledBy(signalNumber, wakeMessageThread))
            setHandler(signalNumber, SIG_DFL);
    juce::LinuxEventLoop::unregisterFdCallback(readEnd);
    ::close(readEnd);
    ::close(writeEnd.exchange(-1));
    arrived.store(false);
}
