// The button skins: the cell each shows for the button's state, sprites with nothing printed over
// them, and the About box's captions printed by the skin.
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_firmware_button.h"
#include "velk_remote_look_and_feel_help_button.h"
#include "velk_remote_look_and_feel_open_close_button.h"
#include "velk_remote_look_and_feel_preset_button.h"
#include "velk_remote_look_and_feel_standard_button.h"
#include "velk_remote_look_and_feel_standard_knob.h"

#include <gtest/gtest.h>

#include <utility>

#include <array>

namespace {

/** One of each button skin, drawing from synthetic sheets. */
struct Skins
{
    Skins()
    {
        firmware.sprite = SkinProbe::makeSheet(artwork::firmwareButton);
        help.buttonSprite = SkinProbe::makeSheet(artwork::helpButton);
        preset.sprite = SkinProbe::makeSheet(artwork::presetButton);
        about.sprite = SkinProbe::makeSheet(artwork::aboutButton);
        settings.buttonSprite = SkinProbe::makeSheet(artwork::settingsButton);
        toggle.sprite = SkinProbe::makeSheet(artwork::openCloseButton);
    }

    velk_remote_look_and_feel_firmware_button firmware;
    velk_remote_look_and_feel_help_button help;
    velk_remote_look_and_feel_preset_button preset;
    velk_remote_look_and_feel_standard_button about;
    velk_remote_look_and_feel_standard_knob settings;
    velk_remote_look_and_feel_open_close_button toggle;
};

TEST(ButtonSkins, ShowTheCellOfTheButtonsState)
{
    Skins skins;
    // Enabled, mouse over, down for each column of `cells`.
    constexpr bool states[][3] = {{true, false, false}, {true, true, false},   {true, false, true},
                                  {true, true, true},   {false, false, false}, {false, true, false},
                                  {false, true, true}};
    const struct
    {
        const char* name;
        juce::LookAndFeel& skin;
        int width;
        int height;
        std::array<int, 7> cells; // -1: not checked
    } rows[] = {
        // Disabled wins over down, down over mouse-over.
        {"preset", skins.preset, 93, 23, {0, 1, 2, 2, 3, 3, 3}},
        {"settings", skins.settings, 94, 24, {0, 1, 2, 2, 3, 3, 3}},
        // Up and down cells only.
        {"firmware", skins.firmware, 31, 30, {0, 0, 1, 1, 0, 0, -1}},
        // No disabled cell.
        {"help", skins.help, 29, 16, {0, 1, 2, 2, 0, 1, -1}},
    };
    for (const auto& row : rows) {
        juce::TextButton button(row.name);
        button.setSize(row.width, row.height);
        for (std::size_t i = 0; i < row.cells.size(); ++i) {
            if (row.cells[i] < 0)
                continue;
            const auto [enabled, mouseOver, down] = states[i];
            SCOPED_TRACE(testing::Message() << row.name << ": enabled " << enabled
                                            << ", mouse over " << mouseOver << ", down " << down);
            button.setEnabled(enabled);
            EXPECT_EQ(SkinProbe::backgroundCellOf(row.skin, button, mouseOver, down), row.cells[i]);
        }
    }
}

TEST(ButtonSkins, PaintTheSpriteAloneWithNoCaptionTickBoxOrText)
{
    Skins skins;
    const struct
    {
        const char* name;
        juce::LookAndFeel& skin;
        bool toggle;
        bool on;
        juce::Button::ButtonState state;
        int width;
        int height;
        int cell;
    } rows[] = {
        {"preset", skins.preset, false, false, juce::Button::buttonDown, 93, 23, 2},
        {"firmware", skins.firmware, false, false, juce::Button::buttonDown, 31, 30, 1},
        // The toggle shows its on or off cell, whatever the mouse does.
        {"toggle off", skins.toggle, true, false, juce::Button::buttonDown, 50, 20, 0},
        {"toggle on", skins.toggle, true, true, juce::Button::buttonOver, 50, 20, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.name << ", state " << row.state);
        juce::TextButton textButton("Load");
        juce::ToggleButton toggleButton("Equaliser");
        juce::Button& button = row.toggle ? static_cast<juce::Button&>(toggleButton) : textButton;
        button.setColour(juce::TextButton::textColourOffId, juce::Colours::white);
        button.setColour(juce::ToggleButton::textColourId, juce::Colours::white);
        button.setLookAndFeel(&row.skin);
        button.setSize(row.width, row.height);
        button.setToggleState(row.on, juce::dontSendNotification);
        button.setState(row.state);
        EXPECT_TRUE(SkinProbe::showsOnlyCell(button, row.cell));
    }
}

TEST(ButtonSkins, AboutCaptionIsSixTenthsOfTheHeightUpToFifteen)
{
    const std::pair<int, float> rows[] = {{24, 14.4f}, {40, 15.0f}};
    velk_remote_look_and_feel_standard_button skin;
    skin.font = juce::Font(juce::Font::getDefaultSerifFontName(), 30.0f, juce::Font::italic);
    juce::TextButton button("contactSupport");
    for (const auto& [height, fontHeight] : rows) {
        SCOPED_TRACE(height);
        const auto font = skin.getTextButtonFont(button, height);
        EXPECT_FLOAT_EQ(font.getHeight(), fontHeight);
        EXPECT_TRUE(font.isItalic());
    }
}

} // namespace
