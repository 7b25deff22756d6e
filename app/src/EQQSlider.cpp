// The equaliser's Q knob: its scale and the reading of typed values.
#include "EQQSlider.h"

#include "DecimalText.h"
#include "EqualiserScales.h"
#include "ScaleWheel.h"

double EQQSlider::getValueFromText(const juce::String& text)
{
    if (!DecimalText::namesValue(text, {getTextValueSuffix()}))
        return getValue();
    const double typed = juce::Slider::getValueFromText(DecimalText::withDecimalPoints(text));
    return proportionOfLengthToValue(valueToProportionOfLength(typed));
}

double EQQSlider::proportionOfLengthToValue(double proportion)
{
    return EqualiserScales::qAtProportion(proportion);
}

double EQQSlider::valueToProportionOfLength(double value)
{
    return EqualiserScales::proportionOfQ(value);
}

void EQQSlider::mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    if (!ScaleWheel::turn(*this, wheel, EqualiserScales::qValues))
        juce::Component::mouseWheelMove(event, wheel);
}
