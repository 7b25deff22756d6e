// The knob of a parametric band's Q: it steps through the 29 fixed Q values.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A juce::Slider over the Q scale of EqualiserScales; its text is the stock one. Message
    thread, as every juce::Slider. */
class EQQSlider : public juce::Slider
{
public:
    using juce::Slider::Slider;

    /** The stock reading of the text (a comma counts as the decimal point), snapped to the
        nearest Q step; an exact midpoint goes up. A text that is not a signed decimal number
        gives the current value (DecimalText::namesValue). */
    double getValueFromText(const juce::String& text) override;

    /** The scale entry at a proportion of the knob's travel. */
    double proportionOfLengthToValue(double proportion) override;

    /** The proportion of the knob's travel that shows a Q value. */
    double valueToProportionOfLength(double value) override;

    /** One step of the scale per notch, up or down, stopping at the ends. */
    void mouseWheelMove(const juce::MouseEvent& event,
                        const juce::MouseWheelDetails& wheel) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(EQQSlider)
};
