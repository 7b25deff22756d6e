// The voicing selector shows one frame per slot, from whichever strip the panel gave it.
#include "ActivePresetSlider.h"
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_active_preset_knob.h"

#include <gtest/gtest.h>

namespace {

TEST(ActivePresetKnobSkin, ShowsTheFrameOfEachSlot)
{
    velk_remote_look_and_feel_active_preset_knob skin;
    skin.filmStrip = SkinProbe::makeSheet(artwork::activePresetKnob);
    ActivePresetSlider slider;
    slider.setRange(1, 5, 1);
    slider.setSliderStyle(juce::Slider::Rotary);
    slider.setTextBoxStyle(juce::Slider::NoTextBox, true, 80, 20);
    slider.setLookAndFeel(&skin);
    slider.setBounds(0, 0, 167, 145);

    for (int slot = 1; slot <= 5; ++slot) {
        SCOPED_TRACE(slot);
        slider.setValue(slot, juce::dontSendNotification);
        EXPECT_EQ(SkinProbe::cellShownBy(slider), slot - 1);
        EXPECT_EQ(SkinProbe::cellShownBy(slider, {164, 142}), slot - 1);
    }

    // The panel swaps the strip when the speaker has fewer user presets; the next paint uses it.
    auto other = juce::Image(juce::Image::ARGB, artwork::activePresetKnob.width,
                             artwork::activePresetKnob.sheetHeight(), true);
    juce::Graphics(other).fillAll(SkinProbe::colourOfCell(200));
    skin.filmStrip = other;
    EXPECT_EQ(SkinProbe::cellShownBy(slider), 200);
    slider.setLookAndFeel(nullptr);
}

} // namespace
