// A decibel knob (volume, equaliser gain) that shows a boost with its plus sign.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A linear juce::Slider whose text puts "+" before positive values. Message thread, as every
    juce::Slider. */
class AudioVolumeSlider : public juce::Slider
{
public:
    using juce::Slider::Slider;

    /** The stock reading of the text, a comma counting as the decimal point ("-3,5" is -3.5);
        a text that is not a signed decimal number, with the suffix after it or not, gives the
        current value (DecimalText::namesValue). */
    double getValueFromText(const juce::String& text) override;

    /** The stock text ("3.5 dB"), with "+" in front when the value is above 0. */
    juce::String getTextFromValue(double value) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(AudioVolumeSlider)
};
