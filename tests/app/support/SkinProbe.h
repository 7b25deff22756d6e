// Synthetic film strips and sprite sheets whose cells carry unique colours, and reading back
// which cell a skin drew: the probe for every frame and cell choice of the skins.
#pragma once

#include "ArtworkLayout.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace SkinProbe {

/** The opaque colour that fills cell `cell` of a synthetic sheet (cells 0 to 254). */
juce::Colour colourOfCell(int cell);

/** A sheet of the given layout, each cell filled with its colourOfCell. */
juce::Image makeSheet(const artwork::CellLayout& layout);

/** The cell whose colour a pixel carries, or -1 for a pixel that carries none. */
int cellOfColour(juce::Colour colour);

/** Paints the component as the screen would and checks that every pixel inside its outermost
    edge shows the given cell: nothing, no text or tick box, was drawn over the cell. */
testing::AssertionResult showsOnlyCell(juce::Component& component, int cell);

/** Paints the component as the screen would and reads the cell shown at `at` (component
    coordinates). */
int cellShownBy(juce::Component& component, juce::Point<int> at);

/** The cell that a look-and-feel's drawButtonBackground draws for the button in the given
    mouse state, read at the button's centre. */
int backgroundCellOf(juce::LookAndFeel& lookAndFeel, juce::Button& button, bool mouseOver,
                     bool down);

} // namespace SkinProbe
