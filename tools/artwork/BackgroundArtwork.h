// The panel's backgrounds: the printed face behind the controls, with every caption placed from
// the panel layout, and the strips behind the user-preset buttons.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace backgrounds {

/** 2200 x 1400, RGB: the panel with the preset row and the equaliser. */
juce::Image paintExpandedBackground();

/** 2200 x 607, RGBA: the panel with the status bar; the last row is never shown. */
juce::Image paintCollapsedBackground();

/** RGB: 1390 x 124 for three user presets, 950 x 124 for two. */
juce::Image paintUserPresetStrip(int userPresetCount);

} // namespace backgrounds
