// The signals that ask the program to quit, turned into quit requests on the message thread.
#pragma once

#include <functional>

/** While it lives, SIGHUP (the terminal went), SIGINT (Ctrl-C), SIGQUIT (Ctrl-\) and SIGTERM
    no longer end the process: the signal only wakes the message thread, which then calls
    `onQuitRequest`. A SIGHUP that was ignored as the program started (nohup) stays ignored.
    One instance at a time; made and destroyed on the message thread, after JUCE's own signal
    set-up. Its destruction puts the default actions back, unless ignoreUntilExit() was
    called. */
class QuitSignals
{
public:
    /** Holds the quit signals back (blocked, kept pending) for the calling thread and the
        threads it starts from now on, until a QuitSignals takes them: so that a signal that
        comes while JUCE starts is a quit request too. Call first thing in main. */
    static void holdUntilTaken();

    /** Installs the handlers, then lets held signals through: one that came meanwhile is a
        quit request. */
    explicit QuitSignals(std::function<void()> onQuitRequest);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    /** True when the handlers are installed. */
    bool isActive() const noexcept { return readEnd >= 0; }

    /** Takes the requests that wait for the message loop (a signal that came while they were
        held, say): true when there was one. It calls nothing itself. */
    bool takePendingRequest();

    /** True once a quit signal has reached the handlers of the living instance (one that was
        held counts when it is let through), even before the message loop has taken it: what
        is about to start can see that the program is being asked to end. False without an
        instance. Any thread. */
    static bool hasOneArrived() noexcept;

    /** The program ends: from now until the process has ended, a quit signal does nothing, also
        once the instance has gone. (A handler that does nothing, not SIG_IGN, which programs
        started from here would inherit.) Signals ignored now stay ignored. Any thread. */
    static void ignoreUntilExit() noexcept;

private:
    std::function<void()> onQuitRequest;
    int readEnd = -1;
};
