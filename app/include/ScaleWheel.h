// The mouse wheel on a knob that runs over a fixed scale: one step of the scale per notch.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ScaleWheel {

/** +1 for a notch that turns the knob up, -1 for down, 0 for no movement: the larger of the
    two wheel axes decides, a sideways movement counting with its sign turned as in
    juce::Slider, and a reversed wheel turns the other way. */
int directionOf(const juce::MouseWheelDetails& wheel) noexcept;

/** The scale index `steps` away from the one the slider shows now, clamped to 0 ... lastIndex.
    The slider's own value-to-proportion mapping decides which index it shows. */
int steppedIndex(juce::Slider& slider, int lastIndex, int steps);

/** Moves `slider` one step of `scale` (an array of the scale's values, lowest first) for the
    wheel's notch and notifies synchronously. Returns false, changing nothing, for a disabled
    slider, a slider whose wheel is off, or a wheel event without movement. */
template <typename Scale>
bool turn(juce::Slider& slider, const juce::MouseWheelDetails& wheel, const Scale& scale)
{
    const int direction = directionOf(wheel);
    if (!slider.isEnabled() || !slider.isScrollWheelEnabled() || direction == 0)
        return false;
    const int index = steppedIndex(slider, static_cast<int>(scale.size()) - 1, direction);
    slider.setValue(static_cast<double>(scale[static_cast<std::size_t>(index)]),
                    juce::sendNotificationSync);
    return true;
}

} // namespace ScaleWheel
