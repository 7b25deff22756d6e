// The selectors' and knobs' texts, both ways: the voicing and input names, decibels with a
// plus sign on a boost, frequencies in Hz and kHz on the scale, Q snapped to its steps and shown
// with one decimal; a comma is the decimal point throughout.
#include "ActivePresetSlider.h"
#include "AudioInputSlider.h"
#include "AudioVolumeSlider.h"
#include "EQFrequencySlider.h"
#include "EQQSlider.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace {

TEST(SelectorSliders, NameTheirPositionsBothWays)
{
    ActivePresetSlider preset;
    AudioInputSlider input;
    const struct
    {
        juce::Slider& slider;
        double value;
        const char* text;
    } rows[] = {
        {preset, 1, "Preset 1: Tarn"}, {preset, 2, "Preset 2: QLX"}, {preset, 3, "User Preset 1"},
        {preset, 4, "User Preset 2"},  {preset, 5, "User Preset 3"}, {input, 0, "Analog"},
        {input, 1, "AES L"},           {input, 2, "AES R"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(row.slider.getTextFromValue(row.value), juce::String(row.text));
        EXPECT_EQ(row.slider.getValueFromText(row.text), row.value);
    }
    EXPECT_EQ(preset.getTextFromValue(6.0), "unknown");
    EXPECT_EQ(preset.getValueFromText("user preset 1"), 0.0);
    EXPECT_EQ(input.getTextFromValue(3.0), "Analog");
    EXPECT_EQ(input.getValueFromText("aes l"), 0.0);
}

TEST(AudioVolumeSlider, ShowsBoostsWithAPlusSignAndReadsTypedDecibels)
{
    AudioVolumeSlider slider;
    slider.setRange(-12, 12, 0.1);
    slider.setTextValueSuffix(" dB");
    const std::pair<double, const char*> shown[] = {
        {0.0, "0.0 dB"},
        {3.5, "+3.5 dB"},
        {-12.0, "-12.0 dB"},
        {0.1, "+0.1 dB"},
    };
    for (const auto& [decibels, text] : shown) {
        SCOPED_TRACE(decibels);
        EXPECT_EQ(slider.getTextFromValue(decibels), juce::String(text));
        EXPECT_DOUBLE_EQ(slider.getValueFromText(text), decibels);
    }
    EXPECT_DOUBLE_EQ(slider.getValueFromText("7"), 7.0);
    EXPECT_DOUBLE_EQ(slider.getValueFromText("+2,5 dB"), 2.5);
}

TEST(EQFrequencySlider, TypedTextLandsOnTheScale)
{
    // Below 20 a number means kHz, as does a whole word "kHz"; a comma is the decimal point; a
    // value exactly on a midpoint goes up. A text that is not a number in Hz or kHz names no
    // value: the knob keeps its 500 Hz.
    const std::pair<const char*, double> rows[] = {
        {"1k", 500},    {"2.5 kHz", 2500}, {"15", 16000}, {"21", 20},     {"23", 24},
        {"20", 20},     {"25000", 20000},  {"30", 32},    {"30kHz", 500}, {"30 kHz", 20000},
        {"1 khz", 500}, {"315 Hz", 315},   {"2,5", 2500},
    };
    EQFrequencySlider slider;
    slider.setRange(20, 20000, 1);
    slider.setValue(500);
    for (const auto& [typed, hertz] : rows) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(slider.getValueFromText(typed), hertz);
    }
}

TEST(EQFrequencySlider, ShowsHertzBelowOneKilohertzAndKilohertzFromThere)
{
    const std::pair<double, const char*> rows[] = {
        {1000, "1.0 kHz"}, {12500, "12.5 kHz"}, {2350, "2.3 kHz"},
        {999, "999 Hz"},   {22.5, "22.5 Hz"},
    };
    EQFrequencySlider slider;
    // The panel gives the knob a " Hz" suffix; neither form adds it again.
    slider.setTextValueSuffix(" Hz");
    for (const auto& [hertz, text] : rows) {
        SCOPED_TRACE(hertz);
        EXPECT_EQ(slider.getTextFromValue(hertz), juce::String(text));
    }
}

// With the panel's range and step the knob shows the Q it took with one decimal; the step's
// snap leaves a trace of rounding noise on the stored value.
TEST(EQQSlider, TypedTextSnapsToTheQStepsAndShowsOneDecimal)
{
    const std::tuple<const char*, double, const char*> rows[] = {
        {"0.25", 0.3, "0.3"}, {"0.85", 0.8, "0.8"}, {"21", 20.0, "20.0"},
        {"1.5", 2.0, "2.0"},  {"2,5", 3.0, "3.0"},
    };
    EQQSlider slider;
    slider.setRange(0.1, 20, 0.1);
    for (const auto& [typed, q, shown] : rows) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(slider.getValueFromText(typed), q);
        slider.setValue(slider.getValueFromText(typed), juce::dontSendNotification);
        EXPECT_NEAR(slider.getValue(), q, 1e-9);
        EXPECT_EQ(slider.getTextFromValue(slider.getValue()), juce::String(shown));
    }
}

} // namespace
