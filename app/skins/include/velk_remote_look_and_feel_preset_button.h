// The look of the preset file buttons (Load, Save) and of the user-preset Get and Send
// buttons, and the base of the open/close toggle.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Draws buttons from `sprite` (4 cells of 186 x 46: normal, mouse-over, down, disabled); the
    caption is part of the sprite. The owner fills the sprite before the first paint. Message
    thread. */
class velk_remote_look_and_feel_preset_button : public juce::LookAndFeel_V3
{
public:
    velk_remote_look_and_feel_preset_button() = default;

    /** The button's cell stretched over the whole button; the colour is not used. */
    void drawButtonBackground(juce::Graphics& g, juce::Button& button,
                              const juce::Colour& backgroundColour, bool shouldDrawAsHighlighted,
                              bool shouldDrawAsDown) override;

    /** Nothing: the caption is part of the sprite. */
    void drawButtonText(juce::Graphics& g, juce::TextButton& button, bool shouldDrawAsHighlighted,
                        bool shouldDrawAsDown) override;

    juce::Image sprite;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_preset_button)
};
