// The mouse wheel on a knob that runs over a fixed scale: one step of the scale per notch.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ScaleWheel {

/** +1 for a notch that turns the knob up, -1 for down, 0 for no movement: the larger of the
    two wheel axes decides (a sideways push to the right turns down, as in juce::Slider), and a
    reversed wheel turns the other way. */
int directionOf(const juce::MouseWheelDetails& wheel) noexcept;

/** The scale index `steps` away from the one the slider shows now, clamped to 0 ... lastIndex.
    The slider's own value-to-proportion mapping decides which index it shows. */
int steppedIndex(juce::Slider& slider, int lastIndex, int steps);

} // namespace ScaleWheel
