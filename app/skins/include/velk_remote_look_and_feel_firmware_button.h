// The look of the Update Firmware button.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Draws the button from `sprite` (2 cells of 62 x 60: up, down). There is no mouse-over or
    disabled cell: a disabled button shows the up cell. The owner fills the sprite before the
    first paint. Message thread. */
class velk_remote_look_and_feel_firmware_button : public juce::LookAndFeel_V3
{
public:
    velk_remote_look_and_feel_firmware_button() = default;

    /** The down cell while pressed, else the up cell, stretched over the whole button. */
    void drawButtonBackground(juce::Graphics& g, juce::Button& button,
                              const juce::Colour& backgroundColour, bool shouldDrawAsHighlighted,
                              bool shouldDrawAsDown) override;

    /** Nothing: the symbol is part of the sprite. */
    void drawButtonText(juce::Graphics& g, juce::TextButton& button, bool shouldDrawAsHighlighted,
                        bool shouldDrawAsDown) override;

    juce::Image sprite;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_firmware_button)
};
