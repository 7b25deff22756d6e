// The mouse wheel on the frequency and Q knobs: one scale step per notch, both ways, never off
// the scale and never past its ends.
#include "EQFrequencySlider.h"
#include "EQQSlider.h"

#include <gtest/gtest.h>

namespace {

/** One notch as X11 delivers it (JUCE's wheel amount per button-4/5 press). */
juce::MouseWheelDetails notch(float deltaY, bool reversed = false)
{
    juce::MouseWheelDetails wheel{};
    wheel.deltaY = deltaY;
    wheel.isReversed = reversed;
    return wheel;
}

void turn(juce::Slider& slider, const juce::MouseWheelDetails& wheel)
{
    const auto event = juce::MouseEvent(
        juce::Desktop::getInstance().getMainMouseSource(), {10.0f, 10.0f}, {}, 0.0f, 0.0f, 0.0f,
        0.0f, 0.0f, &slider, &slider, juce::Time(), {10.0f, 10.0f}, juce::Time(), 0, false);
    slider.mouseWheelMove(event, wheel);
}

struct WheelCase
{
    const char* name;
    double start;
    float delta;
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
    turn(knob, notch(row.delta, row.reversed));
    EXPECT_NEAR(knob.getValue(), row.expected, 1e-9);
}

constexpr float up = 50.0f / 256.0f;

TEST(ScaleWheel, FrequencyAndQKnobsMoveOneStepPerNotch)
{
    const WheelCase frequencies[] = {
        {"up from 1 kHz", 1000, up, false, 1100},      {"down from 250 Hz", 250, -up, false, 224},
        {"tiny notch up", 20, 0.001f, false, 22},      {"reversed wheel", 1000, up, true, 900},
        {"stops at the top", 20000, up, false, 20000},
    };
    for (const auto& row : frequencies)
        check<EQFrequencySlider>(20, 20000, 1, row);
    const WheelCase qs[] = {
        {"up from 18", 18, up, false, 19},
        {"down from 2", 2, -up, false, 1},
        {"down from 0.7", 0.7, -up, false, 0.6},
        {"stops at 0.1", 0.1, -up, false, 0.1},
    };
    for (const auto& row : qs)
        check<EQQSlider>(0.1, 20, 0.1, row);
}

} // namespace
