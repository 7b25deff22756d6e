// What the panel asks of the desktop: modal message boxes, a web page in the browser, a file in
// its default application. One replaceable object, so that a test can answer the boxes and see
// what would have been opened.
#pragma once

#include <quarro/files/filepath.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The desktop services of the interface. The installed object is used by every caller; until
    one is installed, the native one: JUCE's native message boxes, juce::URL's browser launch and
    quarro's default-application opener. Message thread only. */
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;

    /** A modal box with an information icon, the title, the text and one "OK" button; returns
        when it has been closed. */
    virtual void showMessage(const juce::String& title, const juce::String& text,
                             juce::Component* associatedComponent) = 0;

    /** A modal box with a question icon and the buttons "Yes" and "No"; true for "Yes". */
    virtual bool askYesNo(const juce::String& title, const juce::String& text,
                          juce::Component* associatedComponent) = 0;

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
