// The look of the help button.
#pragma once

#include "velk_remote_look_and_feel_standard_knob.h"

/** Draws the button from the base's `buttonSprite` (3 cells of 58 x 32: normal, mouse-over,
    down; no disabled cell). Message thread. */
class velk_remote_look_and_feel_help_button : public velk_remote_look_and_feel_standard_knob
{
public:
    velk_remote_look_and_feel_help_button() = default;

    /** The down cell while pressed, else the mouse-over cell under the mouse, else the normal
        cell, stretched over the whole button; the colour is not used. */
    void drawButtonBackground(juce::Graphics& g, juce::Button& button,
                              const juce::Colour& backgroundColour, bool shouldDrawAsHighlighted,
                              bool shouldDrawAsDown) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_help_button)
};
