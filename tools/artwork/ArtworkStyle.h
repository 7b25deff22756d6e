// The colours, typefaces and small drawing pieces that every image shares, so that the panel,
// its knobs, its buttons and the logo read as one product.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace style {

namespace colours {
inline const juce::Colour panelTop{0xff34373b};
inline const juce::Colour panelBottom{0xff25282b};
inline const juce::Colour plate{0xff202225};
inline const juce::Colour plateEdgeLight{0xff43474c};
inline const juce::Colour plateEdgeDark{0xff141517};
inline const juce::Colour display{0xff131416};
inline const juce::Colour caption{0xff9aa0a6};
inline const juce::Colour captionDim{0xff6d7277};
inline const juce::Colour captionBright{0xffb4b9be};
inline const juce::Colour heading{0xffc9cdd1};
inline const juce::Colour accent{0xffc18f5e};
inline const juce::Colour accentBright{0xffe0b07a};
inline const juce::Colour tick{0xff6b7075};
} // namespace colours

/** Loads the panel and text typefaces from their font files; false when either cannot be read.
    Call once before any text is drawn. */
bool loadTypefaces(const juce::File& panelFontFile, const juce::File& textFontFile);

/** Lets go of the typefaces; call before JUCE shuts down. */
void releaseTypefaces();

/** The condensed panel face at a height, with extra letter spacing for captions. */
juce::Font panelFont(float height, float extraKerning = 0.08f);

/** The light text face at a height. */
juce::Font textFont(float height);

/** An image of the given size and colour format, cleared to transparent black. */
juce::Image makeImage(int width, int height, bool withAlpha);

/** Paints each cell of a vertical strip: the painter gets the cell index with the origin at the
    cell's top left and drawing clipped to the cell. */
void paintCells(juce::Image& sheet, int cellHeight, int cells,
                const std::function<void(juce::Graphics&, int)>& paintCell);

/** Text in one line, drawn as outlines so that it scales cleanly. */
void drawText(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
              const juce::Font& font, juce::Colour colour,
              juce::Justification justification = juce::Justification::centred);

/** A caption in the panel face, upper case as printed on the panel. */
void drawCaption(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
                 float height, juce::Colour colour = colours::caption,
                 juce::Justification justification = juce::Justification::centred);

/** A plate sunk into the panel: darker face, shadowed top edge, lit bottom edge. */
void drawRecessedPlate(juce::Graphics& g, juce::Rectangle<float> area, float cornerRadius);

/** The dark window that a value or a text is shown in. */
void drawDisplay(juce::Graphics& g, juce::Rectangle<float> area);

/** A point at a distance from a centre, at an angle in radians clockwise from twelve o'clock. */
juce::Point<float> pointOnCircle(juce::Point<float> centre, float radius, float angle);

} // namespace style
