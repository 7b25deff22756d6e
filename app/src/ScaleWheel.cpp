// One scale step per wheel notch. juce::Slider's own wheel handling moves by a share of the
// travel and then snaps, which on these uneven scales skips steps, stalls or goes the wrong way.
#include "ScaleWheel.h"

#include <cmath>

namespace ScaleWheel {

int directionOf(const juce::MouseWheelDetails& wheel) noexcept
{
    float delta = std::abs(wheel.deltaX) > std::abs(wheel.deltaY) ? -wheel.deltaX : wheel.deltaY;
    if (wheel.isReversed)
        delta = -delta;
    return delta > 0.0f ? 1 : (delta < 0.0f ? -1 : 0);
}

int steppedIndex(juce::Slider& slider, int lastIndex, int steps)
{
    const double shown = slider.valueToProportionOfLength(slider.getValue()) * lastIndex;
    const int index = static_cast<int>(std::lround(juce::jlimit(0.0, double(lastIndex), shown)));
    return juce::jlimit(0, lastIndex, index + steps);
}

} // namespace ScaleWheel
