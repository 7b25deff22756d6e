// The look of the help button.
#include "velk_remote_look_and_feel_help_button.h"

#include "SpriteSheet.h"

void velk_remote_look_and_feel_help_button::drawButtonBackground(juce::Graphics& g,
                                                                 juce::Button& button,
                                                                 const juce::Colour&,
                                                                 bool shouldDrawAsHighlighted,
                                                                 bool shouldDrawAsDown)
{
    const int cell = shouldDrawAsDown ? 2 : (shouldDrawAsHighlighted ? 1 : 0);
    SpriteSheet::drawCellOver(g, buttonSprite, artwork::helpButton, cell, button);
}
