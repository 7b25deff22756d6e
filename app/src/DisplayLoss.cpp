// The end after a lost display: Xlib's I/O error handler replaced by one that never returns.
//
// Why a handler that never returns, rather than one that returns and lets JUCE's dispatch loop
// stop: after a lost connection every further Xlib call fails, and JUCE's shutdown would tear
// its windows and singletons down on a dead display while the panel's workers still run; the
// handler would return into whatever Xlib call met the loss, in the middle of JUCE's event
// handling. Waiting right here, on the thread that met the loss (the message thread, where the
// program talks to the X server), keeps that thread from starting anything, and the workers
// never need it: their reports set flags, and alerts they raise are posted, never waited for.
//
// Why the I/O error handler and not Xlib's exit handler: the exit handler belongs to one
// connection, and the program has two (JUCE's and FixedWindowSize's). Whichever meets the loss
// first ends the program; with only JUCE's connection taken over, the other one now and then
// met it first, and Xlib's exit() ran under a live worker. The I/O error handler is the
// process's, for every connection.

// JUCE declares its window system, which owns the display, only with the X headers.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "DisplayLoss.h"

#include <speaker_link/dsp_control.h>

#include <quarro/desktop/console.h>
#include <quarro/log/logbook.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>

#include <unistd.h>

namespace {

// Neither is ever destroyed: the end may come while static objects are being destroyed.
std::mutex& linksMutex()
{
    static auto* const mutex = new std::mutex();
    return *mutex;
}

std::vector<dsp_control*>& links()
{
    static auto* const list = new std::vector<dsp_control*>();
    return *list;
}

// "the reset", "the reset and the firmware search", "a, b and c".
std::string joined(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

// Written through before it returns: the log file gets the line even though the process ends
// right after. The console too, since the display can show nothing any more.
void logLine(const std::string& text) noexcept
{
    try {
        quarro::logbook::instance().message(text, quarro::log_level::error,
                                            quarro::logbook::file_target);
    } catch (...) {
    }
    quarro::console_log(text);
}

extern "C" int displayLost(::Display*)
{
    DisplayLoss::endProgram();
}

} // namespace

bool DisplayLoss::watch()
{
    // JUCE installs its handlers as it makes its window system; ours must come after.
    if (juce::XWindowSystem::getInstance()->getDisplay() == nullptr)
        return false;
    XSetIOErrorHandler(displayLost);
    return true;
}

DisplayLoss::WatchedLink::WatchedLink(dsp_control& control_) : control(control_)
{
    const std::lock_guard<std::mutex> lock(linksMutex());
    links().push_back(&control);
}

DisplayLoss::WatchedLink::~WatchedLink()
{
    const std::lock_guard<std::mutex> lock(linksMutex());
    auto& list = links();
    list.erase(std::find(list.begin(), list.end(), &control));
}

void DisplayLoss::endProgram()
{
    static std::atomic<bool> ending{false};
    if (ending.exchange(true)) {
        // The first caller ends the process.
        for (;;)
            ::pause();
    }
    // Held to the end: no speaker link is destroyed while it finishes.
    const std::lock_guard<std::mutex> lock(linksMutex());
    std::vector<std::string> running;
    for (dsp_control* control : links())
        for (std::string& name : control->running_operations())
            running.push_back(std::move(name));
    logLine(lossLine(running));
    for (dsp_control* control : links())
        control->finish_operations();
    if (const std::string line = endLine(running); !line.empty())
        logLine(line);
    ::_exit(exitStatus);
}

std::string DisplayLoss::lossLine(const std::vector<std::string>& running)
{
    const std::string lost = "The connection to the display was lost: the program ends";
    if (running.empty())
        return lost + ", no speaker operation was running";
    return lost + " once " + joined(running) + (running.size() == 1 ? " has" : " have") +
           " ended (waits for the speaker and downloads are given up)";
}

std::string DisplayLoss::endLine(const std::vector<std::string>& running)
{
    if (running.empty())
        return {};
    std::string text = joined(running);
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + (running.size() == 1 ? " has" : " have") +
           " ended and the speaker is let go: the program ends without its display";
}
