// The help button: normal, mouse-over and down cells; there is no disabled cell.
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_help_button.h"

#include <gtest/gtest.h>

namespace {

TEST(HelpButtonSkin, ShowsTheCellOfTheMouseState)
{
    velk_remote_look_and_feel_help_button skin;
    skin.buttonSprite = SkinProbe::makeSheet(artwork::helpButton);
    juce::TextButton button("helpButton");
    button.setSize(29, 16);
    SkinProbe::expectBackgroundCells(skin, button,
                                     {{true, false, false, 0},
                                      {true, true, false, 1},
                                      {true, false, true, 2},
                                      {true, true, true, 2},
                                      {false, false, false, 0},
                                      {false, true, false, 1}});
}

} // namespace
