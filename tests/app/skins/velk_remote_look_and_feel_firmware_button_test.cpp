// The firmware button: up and down cells only; disabled or under the mouse it shows the up cell.
#include "app/support/SkinProbe.h"
#include "velk_remote_look_and_feel_firmware_button.h"

#include <gtest/gtest.h>

namespace {

TEST(FirmwareButtonSkin, ShowsTheDownCellOnlyWhilePressed)
{
    velk_remote_look_and_feel_firmware_button skin;
    skin.sprite = SkinProbe::makeSheet(artwork::firmwareButton);
    juce::TextButton button("new button");
    button.setSize(31, 30);
    SkinProbe::expectBackgroundCells(skin, button,
                                     {{true, false, false, 0},
                                      {true, true, false, 0},
                                      {true, false, true, 1},
                                      {true, true, true, 1},
                                      {false, false, false, 0},
                                      {false, true, false, 0}});
}

} // namespace
