// The About window.
#include "AboutWindow.h"

AboutWindow::AboutWindow(const juce::String& name, juce::Colour backgroundColour,
                         int requiredButtons)
    // Put on the desktop by whoever first shows it: nothing can map a window not yet there.
    : juce::DocumentWindow(name, backgroundColour, requiredButtons, false)
{
    setSize(400, 300);
}

void AboutWindow::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::white);
}

void AboutWindow::resized() {}

void AboutWindow::closeButtonPressed()
{
    setVisible(false);
}
