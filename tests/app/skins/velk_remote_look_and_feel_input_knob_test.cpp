// The input selector shows one frame per input, over the whole slider.
#include "AudioInputSlider.h"
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_input_knob.h"

#include <gtest/gtest.h>

namespace {

TEST(InputKnobSkin, ShowsTheFrameOfEachInputOverTheWholeSlider)
{
    velk_remote_look_and_feel_input_knob skin;
    skin.filmStrip = SkinProbe::makeSheet(artwork::inputKnob);
    AudioInputSlider slider;
    slider.setRange(0, 2, 1);
    slider.setSliderStyle(juce::Slider::Rotary);
    slider.setTextBoxStyle(juce::Slider::NoTextBox, true, 80, 20);
    slider.setLookAndFeel(&skin);
    slider.setBounds(0, 0, 155, 145);

    for (int input = 0; input <= 2; ++input) {
        SCOPED_TRACE(input);
        slider.setValue(input, juce::dontSendNotification);
        EXPECT_EQ(SkinProbe::cellShownBy(slider), input);
        EXPECT_EQ(SkinProbe::cellShownBy(slider, {2, 2}), input);
        EXPECT_EQ(SkinProbe::cellShownBy(slider, {152, 142}), input);
    }
    slider.setLookAndFeel(nullptr);
}

} // namespace
