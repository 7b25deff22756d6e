// The input selector's names, both ways.
#include "AudioInputSlider.h"

#include <gtest/gtest.h>

namespace {

TEST(AudioInputSlider, NamesTheInputs)
{
    const struct
    {
        double value;
        const char* text;
    } rows[] = {
        {0.0, "Analog"}, {1.0, "AES L"},  {2.0, "AES R"},
        {0.5, "Analog"}, {3.0, "Analog"}, {-1.0, "Analog"},
    };
    AudioInputSlider slider;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(slider.getTextFromValue(row.value), juce::String(row.text));
    }
}

TEST(AudioInputSlider, ReadsOnlyTheExactNames)
{
    const struct
    {
        const char* text;
        double value;
    } rows[] = {
        {"AES L", 1.0}, {"AES R", 2.0}, {"Analog", 0.0}, {"aes l", 0.0}, {"AES L ", 0.0}, {"", 0.0},
    };
    AudioInputSlider slider;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(slider.getValueFromText(row.text), row.value);
    }
}

} // namespace
