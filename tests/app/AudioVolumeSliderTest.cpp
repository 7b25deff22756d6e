// The decibel knob's texts: a plus sign on a boost, none on 0 or a cut, and back again.
#include "AudioVolumeSlider.h"

#include <gtest/gtest.h>

namespace {

TEST(AudioVolumeSlider, ShowsBoostsWithAPlusSignAndReadsTypedDecibels)
{
    AudioVolumeSlider slider;
    slider.setRange(-12, 12, 0.1);
    slider.setTextValueSuffix(" dB");
    const struct
    {
        double decibels;
        const char* text;
    } shown[] = {
        {0.0, "0.0 dB"},  {3.5, "+3.5 dB"},   {-12.0, "-12.0 dB"},
        {0.1, "+0.1 dB"}, {12.0, "+12.0 dB"}, {-0.1, "-0.1 dB"},
    };
    for (const auto& row : shown) {
        SCOPED_TRACE(row.decibels);
        EXPECT_EQ(slider.getTextFromValue(row.decibels), juce::String(row.text));
        EXPECT_DOUBLE_EQ(slider.getValueFromText(row.text), row.decibels);
    }

    // A comma is the decimal point.
    const struct
    {
        const char* typed;
        double decibels;
    } typed[] = {{"7", 7.0}, {"-3,5", -3.5}, {"+2,5 dB", 2.5}, {"1,25", 1.25}};
    for (const auto& row : typed) {
        SCOPED_TRACE(row.typed);
        EXPECT_DOUBLE_EQ(slider.getValueFromText(row.typed), row.decibels);
    }
}

} // namespace
