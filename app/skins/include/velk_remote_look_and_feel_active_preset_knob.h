// The look of the voicing selector: a frame of its film strip, chosen by the knob's position, drawn
// over the whole of the slider.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Draws the voicing selector from `filmStrip` (5 frames of 334 x 292). The owner fills the strip
    before the slider is first painted and may swap it for another of the same layout (one for
    speakers with three user presets, one for fewer); a null strip draws nothing. Message
    thread. */
class velk_remote_look_and_feel_active_preset_knob : public juce::LookAndFeel_V3
{
public:
    velk_remote_look_and_feel_active_preset_knob() = default;

    /** Copies the frame for `sliderPos` into the rectangle x, y, width, height; the rotary
        angles are not used. */
    void drawRotarySlider(juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                          float rotaryStartAngle, float rotaryEndAngle,
                          juce::Slider& slider) override;

    juce::Image filmStrip;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_active_preset_knob)
};
