// The decibel knob's texts: a plus sign on a boost, none on 0 or a cut, and back again.
#include "AudioVolumeSlider.h"

#include <gtest/gtest.h>

namespace {

struct DecibelKnob
{
    DecibelKnob()
    {
        slider.setRange(-12, 12, 0.1);
        slider.setTextValueSuffix(" dB");
    }
    AudioVolumeSlider slider;
};

TEST(AudioVolumeSlider, ShowsBoostsWithAPlusSign)
{
    const struct
    {
        double decibels;
        const char* text;
    } rows[] = {
        {0.0, "0.0 dB"},  {3.5, "+3.5 dB"},   {-12.0, "-12.0 dB"},
        {0.1, "+0.1 dB"}, {12.0, "+12.0 dB"}, {-0.1, "-0.1 dB"},
    };
    DecibelKnob knob;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.decibels);
        EXPECT_EQ(knob.slider.getTextFromValue(row.decibels), juce::String(row.text));
    }
}

TEST(AudioVolumeSlider, ReadsTypedDecibels)
{
    const struct
    {
        const char* typed;
        double decibels;
    } rows[] = {
        {"+3.5 dB", 3.5},
        {"-12.0 dB", -12.0},
        {"0.0 dB", 0.0},
        {"7", 7.0},
        // A comma is the decimal point.
        {"-3,5", -3.5},
        {"+2,5 dB", 2.5},
        {"1,25", 1.25},
    };
    DecibelKnob knob;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_DOUBLE_EQ(knob.slider.getValueFromText(row.typed), row.decibels);
    }
}

} // namespace
