// The look of the preset buttons.
#include "velk_remote_look_and_feel_preset_button.h"

#include "SpriteSheet.h"

void velk_remote_look_and_feel_preset_button::drawButtonBackground(juce::Graphics& g,
                                                                   juce::Button& button,
                                                                   const juce::Colour&,
                                                                   bool shouldDrawAsHighlighted,
                                                                   bool shouldDrawAsDown)
{
    SpriteSheet::drawFourStateButton(g, sprite, artwork::presetButton, button,
                                     shouldDrawAsHighlighted, shouldDrawAsDown);
}

void velk_remote_look_and_feel_preset_button::drawButtonText(juce::Graphics&, juce::TextButton&,
                                                             bool, bool)
{}
