// The look of the anthracite knobs (volume, delay, gains) and of the Get, Send and Reset
// buttons, and the base of the silver and gold knobs: frames and cells copied from images,
// value boxes that glow.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Draws knobs from `filmStrip` (129 frames of 150 x 150, shown at 75 x 75) and buttons from
    `buttonSprite` (4 cells of 188 x 48: normal, mouse-over, down, disabled). Value boxes are
    VELKLabels in `font`, glowing with `glow`, which this skin owns and shares among them; the
    editors get a MyCaretComponent. The owner fills the images and the font before the first
    paint. Message thread. */
class velk_remote_look_and_feel_standard_knob : public juce::LookAndFeel_V3
{
public:
    /** Null images, the default font, and a grey glow of radius 2.5. */
    velk_remote_look_and_feel_standard_knob();

    /** The button's cell stretched over the whole button; the colour is not used. */
    void drawButtonBackground(juce::Graphics& g, juce::Button& button,
                              const juce::Colour& backgroundColour, bool shouldDrawAsHighlighted,
                              bool shouldDrawAsDown) override;

    /** Nothing: the caption is part of the sprite. */
    void drawButtonText(juce::Graphics& g, juce::TextButton& button, bool shouldDrawAsHighlighted,
                        bool shouldDrawAsDown) override;

    /** A new MyCaretComponent for the key-focus owner; the caller owns it. */
    juce::CaretComponent* createCaretComponent(juce::Component* keyFocusOwner) override;

    /** The frame for `sliderPos`, 75 x 75, centred in the area given (halves truncated); the
        rotary angles are not used. */
    void drawRotarySlider(juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                          float rotaryStartAngle, float rotaryEndAngle,
                          juce::Slider& slider) override;

    /** A new VELKLabel set up by setupSliderTextBox; the slider owns it. */
    juce::Label* createSliderTextBox(juce::Slider& slider) override;

    /** Gives a new value box the slider's text-box colours (read from the slider itself), this
        skin's font and glow, and transparent edit colours. */
    void setupSliderTextBox(juce::Label& label, juce::Slider& slider);

    juce::Image filmStrip;
    juce::Image buttonSprite;
    juce::GlowEffect glow;
    juce::Font font;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_standard_knob)
};
