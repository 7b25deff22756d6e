// Synthetic sheets and reading back the cell a skin drew.
#include "SkinProbe.h"

namespace SkinProbe {

juce::Colour colourOfCell(int cell)
{
    return juce::Colour(static_cast<juce::uint8>(cell), static_cast<juce::uint8>(255 - cell),
                        juce::uint8(90), juce::uint8(255));
}

juce::Image makeSheet(const artwork::CellLayout& layout)
{
    juce::Image sheet(juce::Image::ARGB, layout.width, layout.sheetHeight(), true);
    juce::Graphics g(sheet);
    for (int cell = 0; cell < layout.cells; ++cell) {
        g.setColour(colourOfCell(cell));
        g.fillRect(0, cell * layout.cellHeight, layout.width, layout.cellHeight);
    }
    return sheet;
}

int cellOfColour(juce::Colour colour)
{
    const int cell = colour.getRed();
    return colour.getARGB() == colourOfCell(cell).getARGB() ? cell : -1;
}

testing::AssertionResult showsOnlyCell(juce::Component& component, int cell)
{
    const auto snapshot = component.createComponentSnapshot(component.getLocalBounds());
    for (int y = 1; y < snapshot.getHeight() - 1; ++y)
        for (int x = 1; x < snapshot.getWidth() - 1; ++x)
            if (cellOfColour(snapshot.getPixelAt(x, y)) != cell)
                return testing::AssertionFailure()
                       << "pixel " << x << ", " << y << " shows cell "
                       << cellOfColour(snapshot.getPixelAt(x, y)) << ", not " << cell;
    return testing::AssertionSuccess();
}

int cellShownBy(juce::Component& component, juce::Point<int> at)
{
    const auto snapshot = component.createComponentSnapshot(component.getLocalBounds());
    return cellOfColour(snapshot.getPixelAt(at.x, at.y));
}

int backgroundCellOf(juce::LookAndFeel& lookAndFeel, juce::Button& button, bool mouseOver,
                     bool down)
{
    juce::Image canvas(juce::Image::ARGB, button.getWidth(), button.getHeight(), true);
    juce::Graphics g(canvas);
    lookAndFeel.drawButtonBackground(g, button, juce::Colours::red, mouseOver, down);
    const auto centre = button.getLocalBounds().getCentre();
    return cellOfColour(canvas.getPixelAt(centre.x, centre.y));
}

} // namespace SkinProbe
