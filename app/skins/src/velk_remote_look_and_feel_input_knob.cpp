// The look of the input selector.
#include "velk_remote_look_and_feel_input_knob.h"

#include "SpriteSheet.h"

void velk_remote_look_and_feel_input_knob::drawRotarySlider(juce::Graphics& g, int x, int y,
                                                            int width, int height, float sliderPos,
                                                            float, float, juce::Slider&)
{
    SpriteSheet::drawCell(g, filmStrip, artwork::inputKnob,
                          SpriteSheet::frameForPosition(sliderPos, artwork::inputKnob.cells),
                          {x, y, width, height});
}
