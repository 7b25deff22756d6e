// The About box's buttons: four cells, the caption printed by the skin at the font height and
// in the text area of JUCE's stock drawing.
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_standard_button.h"

#include <gtest/gtest.h>

namespace {

TEST(StandardButtonSkin, ShowsTheCellOfTheButtonsState)
{
    velk_remote_look_and_feel_standard_button skin;
    skin.sprite = SkinProbe::makeSheet(artwork::aboutButton);
    juce::TextButton button("manualButton");
    button.setSize(168, 24);
    SkinProbe::expectBackgroundCells(skin, button,
                                     {{true, false, false, 0},
                                      {true, true, false, 1},
                                      {true, false, true, 2},
                                      {false, false, false, 3},
                                      {false, true, true, 3}});
}

TEST(StandardButtonSkin, FontIsSixTenthsOfTheHeightUpToFifteen)
{
    const struct
    {
        int height;
        float fontHeight;
    } rows[] = {{24, 14.4f}, {25, 15.0f}, {40, 15.0f}, {10, 6.0f}};
    velk_remote_look_and_feel_standard_button skin;
    skin.font = juce::Font(juce::Font::getDefaultSerifFontName(), 30.0f, juce::Font::italic);
    juce::TextButton button("contactSupport");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.height);
        const auto font = skin.getTextButtonFont(button, row.height);
        EXPECT_FLOAT_EQ(font.getHeight(), row.fontHeight);
        EXPECT_TRUE(font.isItalic());
    }
}

TEST(StandardButtonSkin, PrintsTheCaptionInsideTheStockTextArea)
{
    velk_remote_look_and_feel_standard_button skin;
    skin.sprite = SkinProbe::makeSheet(artwork::aboutButton);
    skin.font = juce::Font(14.0f);
    juce::TextButton button("manualButton");
    button.setButtonText("User Manual WWWWWWWWWWWWWWWWWWWW");
    button.setColour(juce::TextButton::textColourOffId, juce::Colours::white);
    button.setLookAndFeel(&skin);
    button.setSize(168, 24);

    // 0.6 x 24 gives 14.4; indents of 8 and 4 leave the area (8, 4, 152, 16).
    const juce::Rectangle<int> textArea(8, 4, 152, 16);
    const auto snapshot = button.createComponentSnapshot(button.getLocalBounds());
    int printed = 0;
    for (int y = 1; y < 23; ++y) {
        for (int x = 1; x < 167; ++x) {
            if (SkinProbe::cellOfColour(snapshot.getPixelAt(x, y)) == 0)
                continue;
            ASSERT_TRUE(textArea.contains(x, y)) << x << ", " << y;
            ++printed;
        }
    }
    EXPECT_GT(printed, 100);
    button.setLookAndFeel(nullptr);
}

} // namespace
