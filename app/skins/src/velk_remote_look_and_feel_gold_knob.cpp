// The look of the gold frequency knobs.
#include "velk_remote_look_and_feel_gold_knob.h"

velk_remote_look_and_feel_gold_knob::velk_remote_look_and_feel_gold_knob()
{
    glow.setGlowProperties(
        2.5f, juce::Colour(juce::uint8(120), juce::uint8(100), juce::uint8(70), juce::uint8(240)),
        {0, 0});
}
