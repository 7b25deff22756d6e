// The look of the toggle that opens and closes the equaliser.
#pragma once

#include "velk_remote_look_and_feel_preset_button.h"

/** Draws the toggle from the base's `sprite` (2 cells of 100 x 40: off, on) and nothing else:
    no tick box, no text. Message thread. */
class velk_remote_look_and_feel_open_close_button : public velk_remote_look_and_feel_preset_button
{
public:
    velk_remote_look_and_feel_open_close_button() = default;

    /** The on cell while the toggle is on, else the off cell, stretched over the whole button;
        the mouse is not shown. */
    void drawToggleButton(juce::Graphics& g, juce::ToggleButton& button,
                          bool shouldDrawAsHighlighted, bool shouldDrawAsDown) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_open_close_button)
};
