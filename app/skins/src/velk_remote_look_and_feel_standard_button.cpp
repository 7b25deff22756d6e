// The look of the About box's buttons.
#include "velk_remote_look_and_feel_standard_button.h"

#include "SpriteSheet.h"

void velk_remote_look_and_feel_standard_button::drawButtonBackground(juce::Graphics& g,
                                                                     juce::Button& button,
                                                                     const juce::Colour&,
                                                                     bool shouldDrawAsHighlighted,
                                                                     bool shouldDrawAsDown)
{
    SpriteSheet::drawFourStateButton(g, sprite, artwork::aboutButton, button,
                                     shouldDrawAsHighlighted, shouldDrawAsDown);
}

juce::Font velk_remote_look_and_feel_standard_button::getTextButtonFont(juce::TextButton&,
                                                                        int buttonHeight)
{
    return font.withHeight(std::min(0.6f * static_cast<float>(buttonHeight), 15.0f));
}
