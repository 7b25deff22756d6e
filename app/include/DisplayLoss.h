// The program's end when its connection to the X display is lost (the X server ended, a
// logout, a dropped ssh -X): the speaker is let go whole before the process ends.
#pragma once

#include <string>
#include <vector>

class dsp_control;

/** Xlib ends the process with exit() once its I/O error handler (JUCE's) has returned: static
    objects would then be destroyed while a worker still writes to the speaker. DisplayLoss puts
    a handler of its own in JUCE's place, one that never returns. When a connection is lost it
    starts nothing more, gives up waits for the speaker and downloads, waits until every worker
    of the watched speaker links has ended (a write runs to its end), logs why, and ends the
    process with _exit and a non-zero status: no destructor runs at all, so none runs under a
    live worker. */
class DisplayLoss
{
public:
    /** The status the program ends with when its display is lost. */
    static constexpr int exitStatus = 1;

    /** Takes over the end of the program that follows a lost connection, on every X
        connection of the process: JUCE's, which the windows live on, and the program's own
        (FixedWindowSize watches the window's size hints on a second one). Makes JUCE's window
        system first, so that JUCE's own handler is in place before this one replaces it. False
        when JUCE has no display. Message thread, once JUCE's message manager exists. */
    static bool watch();

    /** A speaker link whose workers a lost display waits for, for the life of this object:
        made before the link's first operation starts, destroyed before the link is. Any
        thread. */
    class WatchedLink
    {
    public:
        explicit WatchedLink(dsp_control& control);
        ~WatchedLink();
        WatchedLink(const WatchedLink&) = delete;
        WatchedLink& operator=(const WatchedLink&) = delete;

    private:
        dsp_control& control;
    };

    /** Ends the program as a lost display does: logs the first line below (file and
        console), lets every watched speaker link finish its operations
        (dsp_control::finish_operations), logs the second line and ends the process with
        exitStatus. Never returns; a second caller waits for the first to end the process.
        Any thread but a speaker link worker's. */
    [[noreturn]] static void endProgram();

    /** The line logged when the connection is lost, naming the operations waited for
        (dsp_control::running_operations). */
    static std::string lossLine(const std::vector<std::string>& running);
    /** The line logged once they have ended; empty when none ran. */
    static std::string endLine(const std::vector<std::string>& running);
};
