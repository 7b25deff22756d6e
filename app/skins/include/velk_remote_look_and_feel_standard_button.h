// The look of the About box's buttons: a sprite behind, the caption printed by the skin.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Draws buttons from `sprite` (4 cells of 336 x 48: normal, mouse-over, down, disabled) with
    the button's text on top in `font`, through JUCE's stock text-button text drawing, which
    asks getTextButtonFont. The owner fills the sprite and the font before the first paint.
    Message thread. */
class velk_remote_look_and_feel_standard_button : public juce::LookAndFeel_V4
{
public:
    velk_remote_look_and_feel_standard_button() = default;

    /** The button's cell stretched over the whole button; the colour is not used. */
    void drawButtonBackground(juce::Graphics& g, juce::Button& button,
                              const juce::Colour& backgroundColour, bool shouldDrawAsHighlighted,
                              bool shouldDrawAsDown) override;

    /** `font` at the smaller of 0.6 x the button height and 15. */
    juce::Font getTextButtonFont(juce::TextButton& button, int buttonHeight) override;

    juce::Image sprite;
    juce::Font font;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_standard_button)
};
