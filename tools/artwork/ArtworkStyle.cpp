// The shared colours, typefaces and drawing pieces of the artwork.
#include "ArtworkStyle.h"

namespace style {
namespace {

juce::Typeface::Ptr panelTypeface;
juce::Typeface::Ptr textTypeface;

juce::Typeface::Ptr loadTypeface(const juce::File& file)
{
    juce::MemoryBlock data;
    if (!file.loadFileAsData(data) || data.getSize() == 0)
        return nullptr;
    return juce::Typeface::createSystemTypefaceFor(data.getData(), data.getSize());
}

} // namespace

bool loadTypefaces(const juce::File& panelFontFile, const juce::File& textFontFile)
{
    panelTypeface = loadTypeface(panelFontFile);
    textTypeface = loadTypeface(textFontFile);
    return panelTypeface != nullptr && textTypeface != nullptr;
}

void releaseTypefaces()
{
    panelTypeface = nullptr;
    textTypeface = nullptr;
}

juce::Font panelFont(float height, float extraKerning)
{
    juce::Font font(panelTypeface);
    font.setHeight(height);
    font.setExtraKerningFactor(extraKerning);
    return font;
}

juce::Font textFont(float height)
{
    juce::Font font(textTypeface);
    font.setHeight(height);
    return font;
}

juce::Image makeImage(int width, int height, bool withAlpha)
{
    return juce::Image(withAlpha ? juce::Image::ARGB : juce::Image::RGB, width, height, true,
                       juce::SoftwareImageType());
}

void paintCells(juce::Image& sheet, int cellHeight, int cells,
                const std::function<void(juce::Graphics&, int)>& paintCell)
{
    juce::Graphics g(sheet);
    for (int cell = 0; cell < cells; ++cell) {
        juce::Graphics::ScopedSaveState state(g);
        g.reduceClipRegion(0, cell * cellHeight, sheet.getWidth(), cellHeight);
        g.setOrigin(0, cell * cellHeight);
        paintCell(g, cell);
    }
}

void drawText(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
              const juce::Font& font, juce::Colour colour, juce::Justification justification)
{
    g.setColour(colour);
    g.setFont(font);
    g.drawText(text, area, justification, false);
}

void drawCaption(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
                 float height, juce::Colour colour, juce::Justification justification)
{
    drawText(g, text.toUpperCase(), area, panelFont(height), colour, justification);
}

void drawRecessedPlate(juce::Graphics& g, juce::Rectangle<float> area, float cornerRadius)
{
    // The lit lower edge first, one pixel down, so the face leaves a thin highlight below it.
    g.setColour(colours::plateEdgeLight.withAlpha(0.55f));
    g.fillRoundedRectangle(area.translated(0.0f, 0.75f), cornerRadius);
    g.setColour(colours::plateEdgeDark);
    g.fillRoundedRectangle(area, cornerRadius);

    const auto face = area.withTrimmedTop(1.0f);
    g.setGradientFill(juce::ColourGradient(colours::plate.darker(0.25f), face.getX(), face.getY(),
                                           colours::plate, face.getX(), face.getY() + 14.0f,
                                           false));
    g.fillRoundedRectangle(face, cornerRadius);
}

void drawDisplay(juce::Graphics& g, juce::Rectangle<float> area)
{
    g.setColour(colours::plateEdgeLight.withAlpha(0.5f));
    g.fillRoundedRectangle(area.translated(0.0f, 0.5f), 3.0f);
    g.setColour(juce::Colours::black);
    g.fillRoundedRectangle(area, 3.0f);
    g.setGradientFill(juce::ColourGradient(juce::Colours::black, area.getX(), area.getY(),
                                           colours::display, area.getX(), area.getY() + 5.0f,
                                           false));
    g.fillRoundedRectangle(area.withTrimmedTop(1.0f), 3.0f);
}

juce::Point<float> pointOnCircle(juce::Point<float> centre, float radius, float angle)
{
    return {centre.x + radius * std::sin(angle), centre.y - radius * std::cos(angle)};
}

} // namespace style
