// The Q knob: typed values snap to the Q steps by the exact mean, its text is the stock one.
#include "EQQSlider.h"

#include <gtest/gtest.h>

namespace {

TEST(EQQSlider, TypedTextSnapsToTheQSteps)
{
    // A comma is the decimal point.
    const struct
    {
        const char* typed;
        double q;
    } rows[] = {
        {"0.25", 0.3}, {"0.85", 0.8}, {"0.05", 0.1}, {"21", 20.0}, {"1.5", 2.0},
        {"", 0.1},     {"7", 7.0},    {"0,25", 0.3}, {"2,5", 3.0}, {"0,7", 0.7},
    };
    EQQSlider slider;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(slider.getValueFromText(row.typed), row.q);
    }
}

TEST(EQQSlider, ShowsOneDecimalWithThePanelsStep)
{
    EQQSlider slider;
    slider.setRange(0.1, 20, 0.1);
    slider.setValue(slider.getValueFromText("0.25"), juce::dontSendNotification);
    // The range's interval snap leaves a trace of rounding noise on the stored value.
    EXPECT_NEAR(slider.getValue(), 0.3, 1e-9);
    EXPECT_EQ(slider.getTextFromValue(slider.getValue()), "0.3");
}

} // namespace
