// The look of the Update Firmware button.
#include "velk_remote_look_and_feel_firmware_button.h"

#include "SpriteSheet.h"

void velk_remote_look_and_feel_firmware_button::drawButtonBackground(juce::Graphics& g,
                                                                     juce::Button& button,
                                                                     const juce::Colour&, bool,
                                                                     bool shouldDrawAsDown)
{
    SpriteSheet::drawCellOver(g, sprite, artwork::firmwareButton, shouldDrawAsDown ? 1 : 0, button);
}

void velk_remote_look_and_feel_firmware_button::drawButtonText(juce::Graphics&, juce::TextButton&,
                                                               bool, bool)
{}
