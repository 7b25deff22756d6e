// The equaliser's frequency knob: its scale and its Hz and kHz texts.
#include "EQFrequencySlider.h"

#include "DecimalText.h"
#include "EqualiserScales.h"
#include "ScaleWheel.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

double EQFrequencySlider::getValueFromText(const juce::String& text)
{
    if (!DecimalText::namesValue(text, {" Hz", " kHz"}))
        return getValue();
    const auto typed = DecimalText::withDecimalPoints(text);
    double hertz = typed.getDoubleValue();
    if (hertz < 20.0 || typed.indexOfWholeWord("kHz") >= 0)
        hertz *= 1000.0;
    // Lifts a value lying exactly on a midpoint to the upper step.
    hertz += 0.1;
    return proportionOfLengthToValue(valueToProportionOfLength(hertz));
}

juce::String EQFrequencySlider::getTextFromValue(double value)
{
    if (value >= 1000.0) {
        // Bounded so that no value, however large, overflows the whole-number conversion.
        const double bounded = std::min(value, 1.0e12);
        const auto whole = static_cast<juce::int64>(bounded / 1000.0);
        const auto tenth =
            static_cast<juce::int64>((bounded - static_cast<double>(whole) * 1000.0) / 100.0);
        return juce::String(whole) + "." + juce::String(tenth) + " kHz";
    }
    std::ostringstream shortest;
    shortest.imbue(std::locale::classic());
    shortest.precision(6);
    shortest << value;
    return juce::String(shortest.str()) + " Hz";
}

double EQFrequencySlider::proportionOfLengthToValue(double proportion)
{
    return EqualiserScales::frequencyAtProportion(proportion);
}

double EQFrequencySlider::valueToProportionOfLength(double value)
{
    return EqualiserScales::proportionOfFrequency(value);
}

void EQFrequencySlider::mouseWheelMove(const juce::MouseEvent& event,
                                       const juce::MouseWheelDetails& wheel)
{
    if (!ScaleWheel::turn(*this, wheel, EqualiserScales::frequencies))
        juce::Component::mouseWheelMove(event, wheel);
}
