// Which frame of a film strip or which cell of a sprite sheet a control shows, and drawing that
// cell: all the skins draw is a cell copied out of an image.
#pragma once

#include "ArtworkLayout.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace SpriteSheet {

/** The frame of a strip of `frameCount` frames that shows a slider position (0 to 1): the
    position times (frameCount - 1) in single precision, 0.1 added so that a product a hair
    under a whole frame still reaches it, truncated; kept within the strip (a position outside
    0 to 1, or NaN, shows the nearest end frame). Any thread. */
int frameForPosition(float position, int frameCount) noexcept;

/** The cell of a four-cell button sheet (normal, mouse-over, down, disabled): a disabled
    button shows the disabled cell, whatever the mouse does; down wins over mouse-over. */
int fourStateCell(bool enabled, bool mouseOver, bool down) noexcept;

/** Copies cell `cell` of `sheet`, laid out as `layout`, into `destination`, scaled to fit and
    without filling the alpha channel with the current brush. A null sheet draws nothing. */
void drawCell(juce::Graphics& g, const juce::Image& sheet, const artwork::CellLayout& layout,
              int cell, juce::Rectangle<int> destination);

/** drawCell over the whole of a button. */
void drawCellOver(juce::Graphics& g, const juce::Image& sheet, const artwork::CellLayout& layout,
                  int cell, const juce::Component& button);

/** drawCellOver with the cell of a four-cell button sheet for the button's state. */
void drawFourStateButton(juce::Graphics& g, const juce::Image& sheet,
                         const artwork::CellLayout& layout, const juce::Button& button,
                         bool mouseOver, bool down);

} // namespace SpriteSheet
