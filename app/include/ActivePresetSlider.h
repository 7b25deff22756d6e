// The voicing selector: slots 1 and 2 the factory voicings, 3 to 5 the user presets.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A juce::Slider whose values 1 to 5 are named after the voicing slots. Message thread, as
    every juce::Slider. */
class ActivePresetSlider : public juce::Slider
{
public:
    using juce::Slider::Slider;

    /** The slot of an exact slot name ("Preset 1: Tarn" is 1 ... "User Preset 3" is 5), 0 for
        any other text. */
    double getValueFromText(const juce::String& text) override;

    /** The slot's name for exactly 1 to 5, "unknown" for anything else. */
    juce::String getTextFromValue(double value) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ActivePresetSlider)
};
