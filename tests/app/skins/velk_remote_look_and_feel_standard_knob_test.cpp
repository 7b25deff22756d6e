// The anthracite knob skin: 129 frames over the knob's travel, the 75-pixel knob centred in its
// area, the settings buttons' four cells with nothing printed over them, glowing value boxes.
#include "AudioVolumeSlider.h"
#include "VELKLabel.h"
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_standard_knob.h"

#include <gtest/gtest.h>

namespace {

/** The bounding box of the pixels a drawing covered at least half. */
juce::Rectangle<int> coveredArea(const juce::Image& canvas)
{
    juce::Rectangle<int> covered;
    for (int y = 0; y < canvas.getHeight(); ++y)
        for (int x = 0; x < canvas.getWidth(); ++x)
            if (canvas.getPixelAt(x, y).getAlpha() >= 128)
                covered = covered.isEmpty() ? juce::Rectangle<int>(x, y, 1, 1)
                                            : covered.getUnion({x, y, 1, 1});
    return covered;
}

TEST(StandardKnobSkin, ShowsTheFrameOfTheKnobsPosition)
{
    velk_remote_look_and_feel_standard_knob skin;
    skin.filmStrip = SkinProbe::makeSheet(artwork::knob);
    AudioVolumeSlider slider;
    slider.setRange(-60, 12, 0.1);
    slider.setSliderStyle(juce::Slider::Rotary);
    slider.setTextBoxStyle(juce::Slider::TextBoxAbove, false, 80, 20);
    slider.setLookAndFeel(&skin);
    slider.setBounds(0, 0, 76, 103);

    const struct
    {
        double decibels;
        int frame;
    } rows[] = {{-60.0, 0}, {12.0, 128}, {-24.0, 64}, {0.0, 106}, {-59.9, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.decibels);
        slider.setValue(row.decibels, juce::dontSendNotification);
        // The knob's area starts below the 20-pixel value box: the knob is at (1, 24).
        EXPECT_EQ(SkinProbe::cellShownBy(slider, {38, 61}), row.frame);
    }
    slider.setLookAndFeel(nullptr);
}

TEST(StandardKnobSkin, CentresTheKnobInItsAreaWithTruncatedHalves)
{
    const struct
    {
        juce::Rectangle<int> area;
        juce::Rectangle<int> knob;
    } rows[] = {
        {{0, 20, 76, 83}, {1, 24, 75, 75}},
        {{0, 20, 75, 83}, {0, 24, 75, 75}},
        {{10, 0, 155, 145}, {50, 35, 75, 75}},
    };
    velk_remote_look_and_feel_standard_knob skin;
    skin.filmStrip = SkinProbe::makeSheet(artwork::knob);
    juce::Slider slider;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.area.toString());
        juce::Image canvas(juce::Image::ARGB, 200, 160, true);
        juce::Graphics g(canvas);
        skin.drawRotarySlider(g, row.area.getX(), row.area.getY(), row.area.getWidth(),
                              row.area.getHeight(), 1.0f, 0.0f, 1.0f, slider);
        EXPECT_EQ(coveredArea(canvas), row.knob);
        EXPECT_EQ(SkinProbe::cellOfColour(
                      canvas.getPixelAt(row.knob.getCentreX(), row.knob.getCentreY())),
                  128);
    }
}

TEST(StandardKnobSkin, ButtonsShowTheCellOfTheirState)
{
    velk_remote_look_and_feel_standard_knob skin;
    skin.buttonSprite = SkinProbe::makeSheet(artwork::settingsButton);
    juce::TextButton button("Reset");
    button.setSize(94, 24);
    SkinProbe::expectBackgroundCells(skin, button,
                                     {{true, false, false, 0},
                                      {true, true, false, 1},
                                      {true, false, true, 2},
                                      {true, true, true, 2},
                                      {false, false, false, 3},
                                      {false, true, true, 3}});
}

TEST(StandardKnobSkin, PaintsAButtonFromItsSpriteAloneWithoutText)
{
    velk_remote_look_and_feel_standard_knob skin;
    skin.buttonSprite = SkinProbe::makeSheet(artwork::settingsButton);
    juce::TextButton button("Reset");
    button.setButtonText("Get");
    button.setColour(juce::TextButton::textColourOffId, juce::Colours::white);
    button.setLookAndFeel(&skin);
    button.setSize(94, 24);
    button.setState(juce::Button::buttonOver);

    EXPECT_TRUE(SkinProbe::showsOnlyCell(button, 1));
    button.setLookAndFeel(nullptr);
}

TEST(StandardKnobSkin, ValueBoxesGlowInTheSkinsFontAndTheSlidersColours)
{
    velk_remote_look_and_feel_standard_knob skin;
    skin.font = juce::Font(17.0f, juce::Font::bold);
    juce::Slider slider;
    slider.setColour(juce::Slider::textBoxTextColourId, juce::Colour(0xffd8d8d8));
    slider.setColour(juce::Slider::textBoxBackgroundColourId, juce::Colour(0x00263238));
    slider.setColour(juce::Slider::textBoxOutlineColourId, juce::Colour(0x008e989b));
    slider.setColour(juce::Slider::textBoxHighlightColourId, juce::Colour(0x00181f22));

    std::unique_ptr<juce::Label> box(skin.createSliderTextBox(slider));
    ASSERT_NE(dynamic_cast<VELKLabel*>(box.get()), nullptr);
    EXPECT_EQ(box->getComponentEffect(), &skin.glow);
    EXPECT_EQ(box->getFont(), skin.font);
    EXPECT_EQ(box->getJustificationType(), juce::Justification::centred);
    EXPECT_EQ(box->findColour(juce::Label::textColourId).getARGB(), 0xffd8d8d8u);
    EXPECT_EQ(box->findColour(juce::Label::backgroundColourId).getARGB(), 0x00263238u);
    EXPECT_EQ(box->findColour(juce::Label::outlineColourId).getARGB(), 0x008e989bu);
    EXPECT_EQ(box->findColour(juce::TextEditor::textColourId).getARGB(), 0xffd8d8d8u);
    // Opaque in the editor: the stock set-up lifts the background's alpha to 1.
    EXPECT_EQ(box->findColour(juce::TextEditor::backgroundColourId).getARGB(), 0xff263238u);
    EXPECT_EQ(box->findColour(juce::TextEditor::highlightColourId).getARGB(), 0x00181f22u);
    EXPECT_EQ(box->findColour(juce::Label::outlineWhenEditingColourId).getARGB(), 0u);
    EXPECT_EQ(box->findColour(juce::Label::backgroundWhenEditingColourId).getARGB(), 0u);
}

} // namespace
