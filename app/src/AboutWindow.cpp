// The About window.
#include "AboutWindow.h"

AboutWindow::AboutWindow(const juce::String& name, juce::Colour backgroundColour,
                         int requiredButtons)
    : juce::DocumentWindow(name, backgroundColour, requiredButtons, true)
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
