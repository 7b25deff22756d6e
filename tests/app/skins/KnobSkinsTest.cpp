// The knob skins: the frame each knob shows for its value, and the Q knob's narrow value box.
#include "ActivePresetSlider.h"
#include "AudioInputSlider.h"
#include "AudioVolumeSlider.h"
#include "EQFrequencySlider.h"
#include "EQQSlider.h"
#include "VELKLabelQ.h"
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_active_preset_knob.h"
#include "velk_remote_look_and_feel_gold_knob.h"
#include "velk_remote_look_and_feel_input_knob.h"
#include "velk_remote_look_and_feel_silver_knob.h"
#include "velk_remote_look_and_feel_standard_knob.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

/** Sets the slider up as the panel does: rotary, drawn by `skin`, with a value box of
    `boxWidth` x 21 above the knob, or none for a box width of 0. */
void mount(juce::Slider& slider, juce::LookAndFeel& skin, double minimum, double maximum,
           double step, int boxWidth, int width, int height)
{
    slider.setRange(minimum, maximum, step);
    slider.setSliderStyle(juce::Slider::Rotary);
    slider.setTextBoxStyle(boxWidth > 0 ? juce::Slider::TextBoxAbove : juce::Slider::NoTextBox,
                           false, boxWidth, 21);
    slider.setLookAndFeel(&skin);
    slider.setBounds(0, 0, width, height);
}

TEST(KnobSkins, ShowTheFrameOfTheKnobsValue)
{
    velk_remote_look_and_feel_standard_knob standardSkin;
    velk_remote_look_and_feel_gold_knob goldSkin;
    velk_remote_look_and_feel_silver_knob silverSkin;
    velk_remote_look_and_feel_input_knob inputSkin;
    velk_remote_look_and_feel_active_preset_knob presetSkin;
    standardSkin.filmStrip = goldSkin.filmStrip = silverSkin.filmStrip =
        SkinProbe::makeSheet(artwork::knob);
    inputSkin.filmStrip = SkinProbe::makeSheet(artwork::inputKnob);
    presetSkin.filmStrip = SkinProbe::makeSheet(artwork::activePresetKnob);

    AudioVolumeSlider volume;
    mount(volume, standardSkin, -60, 12, 0.1, 80, 76, 103);
    EQFrequencySlider frequency;
    mount(frequency, goldSkin, 20, 20000, 1, 80, 76, 104);
    EQQSlider q;
    mount(q, silverSkin, 0.1, 20, 0.1, 42, 76, 88);
    AudioInputSlider input;
    mount(input, inputSkin, 0, 2, 1, 0, 155, 145);
    ActivePresetSlider preset;
    mount(preset, presetSkin, 1, 5, 1, 0, 167, 145);

    // Knobs are probed below their value box; the selectors' frames cover the whole slider.
    const struct
    {
        juce::Slider& slider;
        std::vector<juce::Point<int>> probes;
        std::vector<std::pair<double, int>> framesOfValues;
    } rows[] = {
        {volume, {{38, 62}}, {{-59.9, 0}, {-24.0, 64}, {12.0, 128}}},
        {frequency, {{38, 62}}, {{20.0, 0}, {1000.0, 73}, {18000.0, 126}}},
        {q, {{38, 75}}, {{0.8, 32}, {2.0, 45}, {20.0, 128}}},
        {input, {{2, 2}, {152, 142}}, {{0, 0}, {2, 2}}},
        {preset, {{2, 2}, {164, 142}}, {{1, 0}, {5, 4}}},
    };
    for (const auto& row : rows) {
        for (const auto& [value, frame] : row.framesOfValues) {
            row.slider.setValue(value, juce::dontSendNotification);
            for (const auto& at : row.probes) {
                SCOPED_TRACE(testing::Message() << value << " at " << at.toString());
                EXPECT_EQ(SkinProbe::cellShownBy(row.slider, at), frame);
            }
        }
    }

    // The panel swaps the voicing strip when the speaker has fewer user presets; the next paint
    // uses it.
    juce::Image other(juce::Image::ARGB, artwork::activePresetKnob.width,
                      artwork::activePresetKnob.sheetHeight(), true);
    juce::Graphics(other).fillAll(SkinProbe::colourOfCell(200));
    presetSkin.filmStrip = other;
    EXPECT_EQ(SkinProbe::cellShownBy(preset, {83, 72}), 200);
}

TEST(KnobSkins, QValueBoxIsNarrowAndElevenPixelsRightOfTheStockPlace)
{
    velk_remote_look_and_feel_silver_knob skin;
    EQQSlider slider;
    mount(slider, skin, 0.1, 20, 0.1, 42, 76, 88);
    auto* box = dynamic_cast<VELKLabelQ*>(slider.getChildComponent(0));
    ASSERT_NE(box, nullptr);
    // The stock layout centres the 42-pixel box at x 17.
    EXPECT_EQ(box->getBounds(), juce::Rectangle<int>(28, 0, 42, 21));
}

} // namespace
