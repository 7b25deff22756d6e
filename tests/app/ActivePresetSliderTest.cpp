// The voicing selector's names, both ways.
#include "ActivePresetSlider.h"

#include <gtest/gtest.h>

namespace {

const struct
{
    double value;
    const char* text;
} slots[] = {
    {1.0, "Preset 1: Tarn"}, {2.0, "Preset 2: QLX"}, {3.0, "User Preset 1"},
    {4.0, "User Preset 2"},  {5.0, "User Preset 3"},
};

TEST(ActivePresetSlider, NamesTheSlotsBothWays)
{
    ActivePresetSlider slider;
    for (const auto& slot : slots) {
        SCOPED_TRACE(slot.text);
        EXPECT_EQ(slider.getTextFromValue(slot.value), juce::String(slot.text));
        EXPECT_EQ(slider.getValueFromText(slot.text), slot.value);
    }
}

TEST(ActivePresetSlider, AnythingElseIsUnknown)
{
    ActivePresetSlider slider;
    for (const double value : {0.0, 6.0, 2.5, -1.0}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(slider.getTextFromValue(value), "unknown");
    }
    for (const char* text : {"unknown", "user preset 1", "Preset 1", ""}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(slider.getValueFromText(text), 0.0);
    }
}

} // namespace
