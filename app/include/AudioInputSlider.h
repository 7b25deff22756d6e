// The input selector: 0 the analog input, 1 and 2 the left and right channels of the AES input.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A juce::Slider whose values are named after the speaker's inputs. Message thread, as every
    juce::Slider. */
class AudioInputSlider : public juce::Slider
{
public:
    using juce::Slider::Slider;

    /** 1 for exactly "AES L", 2 for exactly "AES R", 0 (analog) for any other text. */
    double getValueFromText(const juce::String& text) override;

    /** "AES L" for exactly 1, "AES R" for exactly 2, "Analog" for anything else. */
    juce::String getTextFromValue(double value) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AudioInputSlider)
};
