// The equaliser's Q knob: its scale and the reading of typed values.
#include "EQQSlider.h"

#include "DecimalText.h"
#include "EqualiserScales.h"
#include "ScaleWheel.h"

double EQQSlider::getValueFromText(const juce::String& text)
{
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
    const int direction = ScaleWheel::directionOf(wheel);
    if (!isEnabled() || !isScrollWheelEnabled() || direction == 0) {
        juce::Component::mouseWheelMove(event, wheel);
        return;
    }
    constexpr int lastIndex = static_cast<int>(EqualiserScales::qValues.size()) - 1;
    const int index = ScaleWheel::steppedIndex(*this, lastIndex, direction);
    setValue(EqualiserScales::qValues[static_cast<std::size_t>(index)], juce::sendNotificationSync);
}
