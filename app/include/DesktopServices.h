// What the panel asks of the desktop: message boxes modal to a window, a web page in the
// browser, a file in its default application. One replaceable object, so that a test can answer
// the boxes and see what would have been opened.
#pragma once

#include <quarro/files/filepath.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** The desktop services of the interface. The installed object is used by every caller; until
    one is installed, the native one: JUCE's native message boxes, juce::URL's browser launch and
    quarro's default-application opener. Message thread only. */
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;

    // Boxes are modal (the windows behind them take no input) but never run an event loop of
    // their own: they are called from inside event callbacks, and a nested round of JUCE's
    // Linux event loop reuses the list of ready callbacks that the outer round is walking.

    /** Shows a box with an information icon, the title, the text and one "OK" button, and
        returns at once; `closed` (when set) runs later on the message thread, once the box has
        been closed. It does not run when the box goes otherwise (the program ends). */
    virtual void showMessage(const juce::String& title, const juce::String& text,
                             juce::Component* associatedComponent,
                             std::function<void()> closed = {}) = 0;

    /** Shows a box with a question icon and the buttons "Yes" and "No", and returns at once;
        `answered` runs later on the message thread, with true for "Yes". It does not run when
        the box goes without an answer (the program ends). */
    virtual void askYesNo(const juce::String& title, const juce::String& text,
                          juce::Component* associatedComponent,
                          std::function<void(bool yes)> answered) = 0;

    /** Opens a web page in the default browser; returns at once. */
    virtual void openInBrowser(const juce::URL& page) = 0;

    /** Opens a file with the application the desktop associates with it; returns at once. */
    virtual void openWithDefaultApplication(const files::filepath& file) = 0;

    /** The installed services. */
    static DesktopServices& get();

    /** Installs `services` and hands back the ones installed before; nullptr puts the native
        services back. */
    static std::unique_ptr<DesktopServices> install(std::unique_ptr<DesktopServices> services);
};
