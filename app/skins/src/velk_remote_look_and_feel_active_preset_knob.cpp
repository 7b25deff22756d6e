// The look of the voicing selector.
#include "velk_remote_look_and_feel_active_preset_knob.h"

#include "SpriteSheet.h"

void velk_remote_look_and_feel_active_preset_knob::drawRotarySlider(juce::Graphics& g, int x, int y,
                                                                    int width, int height,
                                                                    float sliderPos, float, float,
                                                                    juce::Slider&)
{
    SpriteSheet::drawCell(g, filmStrip, artwork::activePresetKnob,
                          SpriteSheet::frameForPosition(sliderPos, artwork::activePresetKnob.cells),
                          {x, y, width, height});
}
