// The input selector's names.
#include "AudioInputSlider.h"

double AudioInputSlider::getValueFromText(const juce::String& text)
{
    if (text == "AES L")
        return 1.0;
    if (text == "AES R")
        return 2.0;
    return 0.0;
}

juce::String AudioInputSlider::getTextFromValue(double value)
{
    if (value == 1.0)
        return "AES L";
    if (value == 2.0)
        return "AES R";
    return "Analog";
}
