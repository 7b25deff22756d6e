// The input selector's names, both ways; anything else is the analog input.
#include "AudioInputSlider.h"

#include <gtest/gtest.h>

namespace {

TEST(AudioInputSlider, NamesTheInputsBothWays)
{
    const char* const names[] = {"Analog", "AES L", "AES R"};
    AudioInputSlider slider;
    for (int input = 0; input < 3; ++input) {
        SCOPED_TRACE(input);
        EXPECT_EQ(slider.getTextFromValue(input), juce::String(names[input]));
        EXPECT_EQ(slider.getValueFromText(names[input]), input);
    }
    for (const double value : {0.5, 3.0, -1.0}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(slider.getTextFromValue(value), "Analog");
    }
    for (const char* text : {"aes l", "AES L ", ""}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(slider.getValueFromText(text), 0.0);
    }
}

} // namespace
