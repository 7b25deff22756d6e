// The knob of an equaliser band's frequency: it steps through the 62 fixed frequencies and
// shows and reads values in Hz or kHz.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A juce::Slider over the frequency scale of EqualiserScales. Message thread, as every
    juce::Slider. */
class EQFrequencySlider : public juce::Slider
{
public:
    using juce::Slider::Slider;

    /** The frequency in Hz of a typed text: the leading number (a comma counts as the decimal
        point) is taken as kHz when it is below 20 or the text holds "kHz" as a word, nudged by
        0.1 Hz so that an exact midpoint goes up, then snapped to the scale. A text that is not
        a signed decimal number, with " Hz" or " kHz" after it or not, gives the current value
        (DecimalText::namesValue). */
    double getValueFromText(const juce::String& text) override;

    /** "1.0 kHz" style from 1000 Hz up (tenths truncated), else "315 Hz" style. */
    juce::String getTextFromValue(double value) override;

    /** The scale entry at a proportion of the knob's travel. */
    double proportionOfLengthToValue(double proportion) override;

    /** The proportion of the knob's travel that shows a frequency. */
    double valueToProportionOfLength(double value) override;

    /** One step of the scale per notch, up or down, stopping at the ends. */
    void mouseWheelMove(const juce::MouseEvent& event,
                        const juce::MouseWheelDetails& wheel) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(EQFrequencySlider)
};
