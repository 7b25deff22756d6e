// The gold frequency knob: a frame for each of the 62 frequencies, glowing value boxes.
#include "EQFrequencySlider.h"
#include "EqualiserScales.h"
#include "VELKLabel.h"
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_gold_knob.h"

#include <gtest/gtest.h>

namespace {

TEST(GoldKnobSkin, ShowsAFrameForEveryFrequency)
{
    velk_remote_look_and_feel_gold_knob skin;
    skin.filmStrip = SkinProbe::makeSheet(artwork::knob);
    EQFrequencySlider slider;
    slider.setRange(20, 20000, 1);
    slider.setSliderStyle(juce::Slider::Rotary);
    slider.setTextBoxStyle(juce::Slider::TextBoxAbove, false, 80, 21);
    slider.setLookAndFeel(&skin);
    slider.setBounds(0, 0, 76, 104);

    const auto& steps = EqualiserScales::frequencies;
    for (std::size_t n = 0; n < steps.size(); ++n) {
        SCOPED_TRACE(steps[n]);
        slider.setValue(steps[n], juce::dontSendNotification);
        const int frame =
            static_cast<int>(static_cast<double>(static_cast<float>(n / 61.0) * 128.0f) + 0.1);
        EXPECT_EQ(SkinProbe::cellShownBy(slider, {38, 62}), frame);
    }

    auto* box = dynamic_cast<VELKLabel*>(slider.getChildComponent(0));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->getComponentEffect(), &skin.glow);
    EXPECT_EQ(box->getText(), "20.0 kHz");
    slider.setLookAndFeel(nullptr);
}

} // namespace
