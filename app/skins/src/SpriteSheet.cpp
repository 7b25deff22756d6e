// Choosing and drawing the cells of film strips and sprite sheets.
#include "SpriteSheet.h"

namespace SpriteSheet {

int frameForPosition(float position, int frameCount) noexcept
{
    const int last = frameCount - 1;
    const double index = static_cast<double>(position * static_cast<float>(last)) + 0.1;
    if (!(index >= 1.0))
        return 0;
    if (index >= static_cast<double>(last))
        return last;
    return static_cast<int>(index);
}

int fourStateCell(bool enabled, bool mouseOver, bool down) noexcept
{
    if (!enabled)
        return 3;
    if (down)
        return 2;
    return mouseOver ? 1 : 0;
}

void drawCell(juce::Graphics& g, const juce::Image& sheet, const artwork::CellLayout& layout,
              int cell, juce::Rectangle<int> destination)
{
    g.drawImage(sheet, destination.getX(), destination.getY(), destination.getWidth(),
                destination.getHeight(), 0, cell * layout.cellHeight, layout.width,
                layout.cellHeight, false);
}

void drawCellOver(juce::Graphics& g, const juce::Image& sheet, const artwork::CellLayout& layout,
                  int cell, const juce::Component& button)
{
    drawCell(g, sheet, layout, cell, button.getLocalBounds());
}

void drawFourStateButton(juce::Graphics& g, const juce::Image& sheet,
                         const artwork::CellLayout& layout, const juce::Button& button,
                         bool mouseOver, bool down)
{
    drawCellOver(g, sheet, layout, fourStateCell(button.isEnabled(), mouseOver, down), button);
}

} // namespace SpriteSheet
