// The look of the silver Q knobs: the standard knob with narrower value boxes, set off to the
// right.
#pragma once

#include "velk_remote_look_and_feel_standard_knob.h"

/** The standard knob skin whose value boxes are VELKLabelQs, placed 11 pixels right of where
    the stock layout puts them. Message thread. */
class velk_remote_look_and_feel_silver_knob : public velk_remote_look_and_feel_standard_knob
{
public:
    velk_remote_look_and_feel_silver_knob() = default;

    /** A new VELKLabelQ set up by setupSliderTextBox; the slider owns it. */
    juce::Label* createSliderTextBox(juce::Slider& slider) override;

    /** The stock layout with the value box moved 11 pixels to the right. */
    juce::Slider::SliderLayout getSliderLayout(juce::Slider& slider) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_silver_knob)
};
