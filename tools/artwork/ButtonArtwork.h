// The buttons: sprite sheets with one cell per state, captions printed on the button faces.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace buttons {

/** 4 cells of 188 x 48 (normal, mouse-over, down, disabled) for Get, Send and Reset. */
juce::Image paintSettingsButton(const juce::String& caption);

/** 4 cells of 186 x 46 for the preset file and user-preset buttons. */
juce::Image paintPresetButton(const juce::String& caption);

/** 2 cells of 62 x 60 (up, down): the firmware update button, an install arrow. */
juce::Image paintFirmwareButton();

/** 2 cells of 100 x 40 (collapsed, expanded): the tab that opens and closes the equaliser. */
juce::Image paintOpenCloseButton();

/** 3 cells of 58 x 32 (normal, mouse-over, down): the help button. */
juce::Image paintHelpButton();

/** 4 cells of 336 x 48: the About box's buttons, blank, since their skin prints the text. */
juce::Image paintAboutButton();

} // namespace buttons
