// The silver Q knob: a frame for each Q step, and a narrow value box set off to the right.
#include "EQQSlider.h"
#include "EqualiserScales.h"
#include "VELKLabelQ.h"
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_silver_knob.h"

#include <gtest/gtest.h>

namespace {

struct QKnob
{
    QKnob()
    {
        skin.filmStrip = SkinProbe::makeSheet(artwork::knob);
        slider.setRange(0.1, 20, 0.1);
        slider.setSliderStyle(juce::Slider::Rotary);
        slider.setTextBoxStyle(juce::Slider::TextBoxAbove, false, 42, 21);
        slider.setLookAndFeel(&skin);
        slider.setBounds(0, 0, 76, 88);
    }
    ~QKnob() { slider.setLookAndFeel(nullptr); }

    juce::Label* valueBox()
    {
        for (auto* child : slider.getChildren())
            if (auto* label = dynamic_cast<juce::Label*>(child))
                return label;
        return nullptr;
    }

    velk_remote_look_and_feel_silver_knob skin;
    EQQSlider slider;
};

TEST(SilverKnobSkin, ShowsAFrameForEveryQStep)
{
    QKnob knob;
    const auto& steps = EqualiserScales::qValues;
    for (std::size_t n = 0; n < steps.size(); ++n) {
        SCOPED_TRACE(steps[n]);
        knob.slider.setValue(steps[n], juce::dontSendNotification);
        const int frame =
            static_cast<int>(static_cast<double>(static_cast<float>(n / 28.0) * 128.0f) + 0.1);
        // The knob's area starts below the 21-pixel value box: the knob is at (1, 17 + 21).
        EXPECT_EQ(SkinProbe::cellShownBy(knob.slider, {38, 75}), frame);
    }
}

TEST(SilverKnobSkin, ValueBoxIsAQBoxElevenPixelsRightOfTheStockPlace)
{
    QKnob knob;
    auto* box = knob.valueBox();
    ASSERT_NE(dynamic_cast<VELKLabelQ*>(box), nullptr);
    // The stock layout centres the 42-pixel box at x 17.
    EXPECT_EQ(box->getBounds(), juce::Rectangle<int>(28, 0, 42, 21));
    EXPECT_EQ(box->getComponentEffect(), &knob.skin.glow);
}

} // namespace
