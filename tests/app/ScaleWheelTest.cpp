// The mouse wheel on the frequency and Q knobs: one scale step per notch, both ways and on
// either axis, never off the scale and never past its ends.
#include "EQFrequencySlider.h"
#include "EQQSlider.h"

#include <gtest/gtest.h>

namespace {

struct WheelCase
{
    const char* name;
    double start;
    juce::Point<float> delta; // the wheel's x and y
    bool reversed;
    double expected;
};

template <typename Knob>
void check(double minimum, double maximum, double step, const WheelCase& row)
{
    SCOPED_TRACE(row.name);
    Knob knob;
    knob.setSliderStyle(juce::Slider::Rotary);
    knob.setRange(minimum, maximum, step);
    knob.setValue(row.start, juce::dontSendNotification);
    juce::MouseWheelDetails wheel{};
    wheel.deltaX = row.delta.x;
    wheel.deltaY = row.delta.y;
    wheel.isReversed = row.reversed;
    knob.mouseWheelMove(juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(),
                                         {10.0f, 10.0f}, {}, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &knob,
                                         &knob, juce::Time(), {10.0f, 10.0f}, juce::Time(), 0,
                                         false),
                        wheel);
    EXPECT_NEAR(knob.getValue(), row.expected, 1e-9);
}

// One notch as X11 delivers it (JUCE's wheel amount per button-4/5 press).
constexpr float up = 50.0f / 256.0f;

TEST(ScaleWheel, FrequencyAndQKnobsMoveOneStepPerNotch)
{
    // Sideways, as on juce::Slider, a negative x turns up.
    const WheelCase frequencies[] = {
        {"up from 1 kHz", 1000, {0, up}, false, 1100},
        {"down from 250", 250, {0, -up}, false, 224},
        {"tiny notch up", 20, {0, 0.001f}, false, 22},
        {"reversed", 1000, {0, up}, true, 900},
        {"stops at the top", 20000, {0, up}, false, 20000},
        {"sideways up", 1000, {-up, 0}, false, 1100},
    };
    for (const auto& row : frequencies)
        check<EQFrequencySlider>(20, 20000, 1, row);
    const WheelCase qs[] = {
        {"up from 18", 18, {0, up}, false, 19},       {"down from 2", 2, {0, -up}, false, 1},
        {"down from 0.7", 0.7, {0, -up}, false, 0.6}, {"stops at 0.1", 0.1, {0, -up}, false, 0.1},
        {"sideways down", 2, {up, 0}, false, 1},
    };
    for (const auto& row : qs)
        check<EQQSlider>(0.1, 20, 0.1, row);
}

} // namespace
