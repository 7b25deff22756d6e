// The decibel knob's texts.
#include "AudioVolumeSlider.h"

#include "DecimalText.h"

double AudioVolumeSlider::getValueFromText(const juce::String& text)
{
    if (!DecimalText::namesValue(text, {getTextValueSuffix()}))
        return getValue();
    return juce::Slider::getValueFromText(DecimalText::withDecimalPoints(text));
}

juce::String AudioVolumeSlider::getTextFromValue(double value)
{
    const auto text = juce::Slider::getTextFromValue(value);
    return value > 0.0 ? "+" + text : text;
}
