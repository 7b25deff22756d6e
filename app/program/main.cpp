// The program's entry: JUCE makes the application object and runs it.
#include "BrokenPipes.h"
#include "QuitSignals.h"
#include "VelkRemoteApplication.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

juce::JUCEApplicationBase* createApplication()
{
    return new VelkRemoteApplication();
}

// JUCE goes on without a display and then crashes placing the first window, so the program
// checks for one itself, before JUCE starts. Returns the line to print when there is none.
std::string missingDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
        return "pellaro needs a graphical display, but DISPLAY is not set\n";
    ::Display* display = XOpenDisplay(name);
    if (display == nullptr)
        return std::string("pellaro needs a graphical display, but cannot open the display \"") +
               name + "\"\n";
    XCloseDisplay(display);
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    // Output whose reader has gone is dropped, from the first line on.
    BrokenPipes::letWritesFail();
    // Until the application takes them, Ctrl-C and `kill` wait: JUCE's start would otherwise
    // end the program, or quit it without asking.
    QuitSignals::holdUntilTaken();
    if (const std::string line = missingDisplay(); !line.empty()) {
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
        return EXIT_FAILURE;
    }
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
