// The knobs: the film strips of the continuous knobs and the two position selectors.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace knobs {

/** The cap of a knob: anthracite for levels and gains, silver for Q, gold for frequency. */
enum class Finish
{
    anthracite,
    silver,
    gold
};

/** 129 frames of 150 x 150, the pointer sweeping from -135 to +135 degrees. */
juce::Image paintKnobStrip(Finish finish);

/** 3 frames of 310 x 292: the input selector at Analog, AES L and AES R. */
juce::Image paintInputSelector();

/** 5 frames of 334 x 292: the voicing selector at its five slots, the two named voicings, then
    further factory voicings ("Preset 3") and the user presets: with 3 user presets slots 3 to 5
    are "User 1" to "User 3", with 2 slot 3 is "Preset 3" and slots 4 and 5 "User 1", "User 2". */
juce::Image paintActivePresetSelector(int userPresetCount);

} // namespace knobs
