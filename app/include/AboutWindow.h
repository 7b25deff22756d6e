// The window that holds the About box; closing it only hides it.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A document window, 400 x 300 until its owner sizes it; its owner puts it on the desktop
    when it first shows it. It never lays out its content: the content keeps its own size at
    the top left. Message thread. */
class AboutWindow : public juce::DocumentWindow
{
public:
    /** `requiredButtons` are juce::DocumentWindow::TitleBarButtons flags. */
    AboutWindow(const juce::String& name, juce::Colour backgroundColour, int requiredButtons);

    /** White behind the content. */
    void paint(juce::Graphics& g) override;
    /** Nothing: the content is neither moved nor resized. */
    void resized() override;
    /** Hides the window; it stays alive for the next showing. */
    void closeButtonPressed() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AboutWindow)
};
