// The frequency knob's texts: typed values in Hz and kHz land on the scale, values show in Hz
// below 1 kHz and in kHz with truncated tenths above.
#include "EQFrequencySlider.h"

#include <gtest/gtest.h>

namespace {

TEST(EQFrequencySlider, TypedTextLandsOnTheScale)
{
    // Below 20 a number means kHz, as does a whole word "kHz"; a comma is the decimal point; a
    // value exactly on a midpoint goes up.
    const struct
    {
        const char* typed;
        double hertz;
    } rows[] = {
        {"1k", 1000},        {"2.5 kHz", 2500}, {"15", 16000},     {"19", 20000},     {"21", 20},
        {"23", 24},          {"500", 500},      {"", 20},          {"no number", 20}, {"0.5", 500},
        {"20", 20},          {"20 kHz", 20000}, {"25000", 20000},  {"999", 1000},     {"30", 32},
        {"30 khz", 32},      {"30kHz", 32},     {"30 kHz", 20000}, {"1 khz", 1000},   {"-5", 20},
        {"11.2 kHz", 11200}, {"315 Hz", 315},   {"2,5", 2500},     {"2,5 kHz", 2500}, {"0,5", 500},
        {"12,5 kHz", 12500},
    };
    EQFrequencySlider slider;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(slider.getValueFromText(row.typed), row.hertz);
    }
}

TEST(EQFrequencySlider, ShowsHertzBelowOneKilohertzAndKilohertzFromThere)
{
    const struct
    {
        double hertz;
        const char* text;
    } rows[] = {
        {1000, "1.0 kHz"},   {1100, "1.1 kHz"}, {11200, "11.2 kHz"}, {12500, "12.5 kHz"},
        {20000, "20.0 kHz"}, {2350, "2.3 kHz"}, {20, "20 Hz"},       {315, "315 Hz"},
        {900, "900 Hz"},     {999, "999 Hz"},   {22.5, "22.5 Hz"},
    };
    EQFrequencySlider slider;
    // The panel gives the knob a " Hz" suffix; neither form adds it again.
    slider.setTextValueSuffix(" Hz");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hertz);
        EXPECT_EQ(slider.getTextFromValue(row.hertz), juce::String(row.text));
    }
}

} // namespace
