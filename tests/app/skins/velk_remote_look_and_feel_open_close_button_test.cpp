// The equaliser's toggle shows its on or off cell and nothing else, whatever the mouse does.
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_open_close_button.h"

#include <gtest/gtest.h>

namespace {

TEST(OpenCloseButtonSkin, ShowsTheToggleStateAloneWhateverTheMouseDoes)
{
    velk_remote_look_and_feel_open_close_button skin;
    skin.sprite = SkinProbe::makeSheet(artwork::openCloseButton);
    juce::ToggleButton toggle("new toggle button");
    toggle.setLookAndFeel(&skin);
    toggle.setSize(50, 20);

    const struct
    {
        bool on;
        juce::Button::ButtonState mouse;
        int cell;
    } rows[] = {
        {false, juce::Button::buttonNormal, 0}, {false, juce::Button::buttonOver, 0},
        {false, juce::Button::buttonDown, 0},   {true, juce::Button::buttonNormal, 1},
        {true, juce::Button::buttonOver, 1},    {true, juce::Button::buttonDown, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "on " << row.on << ", mouse " << row.mouse);
        toggle.setToggleState(row.on, juce::dontSendNotification);
        toggle.setState(row.mouse);
        // No tick box and no text: every pixel inside the edge is the cell.
        EXPECT_TRUE(SkinProbe::showsOnlyCell(toggle, row.cell));
    }
    toggle.setLookAndFeel(nullptr);
}

} // namespace
