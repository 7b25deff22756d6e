// The preset buttons: four cells, the disabled one winning, nothing printed over them.
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_preset_button.h"

#include <gtest/gtest.h>

namespace {

TEST(PresetButtonSkin, ShowsTheCellOfTheButtonsState)
{
    velk_remote_look_and_feel_preset_button skin;
    skin.sprite = SkinProbe::makeSheet(artwork::presetButton);
    juce::TextButton button("Get");
    button.setSize(93, 23);
    SkinProbe::expectBackgroundCells(skin, button,
                                     {{true, false, false, 0},
                                      {true, true, false, 1},
                                      {true, false, true, 2},
                                      {true, true, true, 2},
                                      {false, false, false, 3},
                                      {false, true, false, 3},
                                      {false, true, true, 3}});
}

TEST(PresetButtonSkin, PaintsAPressedButtonFromItsSpriteAlone)
{
    velk_remote_look_and_feel_preset_button skin;
    skin.sprite = SkinProbe::makeSheet(artwork::presetButton);
    juce::TextButton button("Get");
    button.setButtonText("Load");
    button.setColour(juce::TextButton::textColourOffId, juce::Colours::white);
    button.setLookAndFeel(&skin);
    button.setSize(93, 23);
    button.setState(juce::Button::buttonDown);

    EXPECT_TRUE(SkinProbe::showsOnlyCell(button, 2));
    button.setLookAndFeel(nullptr);
}

} // namespace
