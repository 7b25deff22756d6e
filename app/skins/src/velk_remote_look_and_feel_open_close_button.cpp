// The look of the equaliser's open/close toggle.
#include "velk_remote_look_and_feel_open_close_button.h"

#include "SpriteSheet.h"

void velk_remote_look_and_feel_open_close_button::drawToggleButton(juce::Graphics& g,
                                                                   juce::ToggleButton& button, bool,
                                                                   bool)
{
    SpriteSheet::drawCellOver(g, sprite, artwork::openCloseButton, button.getToggleState() ? 1 : 0,
                              button);
}
