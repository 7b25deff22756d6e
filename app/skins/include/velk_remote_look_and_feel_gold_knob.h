// The look of the gold frequency knobs: the standard knob with a warm glow on its value boxes.
#pragma once

#include "velk_remote_look_and_feel_standard_knob.h"

/** The standard knob skin with a glow of red 120, green 100, blue 70, alpha 240. Message
    thread. */
class velk_remote_look_and_feel_gold_knob : public velk_remote_look_and_feel_standard_knob
{
public:
    velk_remote_look_and_feel_gold_knob();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(velk_remote_look_and_feel_gold_knob)
};
