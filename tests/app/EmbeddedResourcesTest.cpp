// The embedded images and typefaces: every image decodes at its size, colour format and cell
// layout with distinct cells, the bytes are exactly what the generator draws, the typefaces
// load.
#include "EmbeddedResources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool sameCells(const juce::Image& sheet, const artwork::CellLayout& layout, int a, int b)
{
    const juce::Image::BitmapData pixels(sheet, juce::Image::BitmapData::readOnly);
    const auto rowBytes = static_cast<size_t>(layout.width * pixels.pixelStride);
    for (int y = 0; y < layout.cellHeight; ++y)
        if (std::memcmp(pixels.getLinePointer(a * layout.cellHeight + y),
                        pixels.getLinePointer(b * layout.cellHeight + y), rowBytes) != 0)
            return false;
    return true;
}

TEST(EmbeddedResources, EveryImageDecodesAtItsSizeAndColourFormatWithDistinctCells)
{
    for (const auto& info : artwork::images) {
        SCOPED_TRACE(info.fileName);
        const auto image = EmbeddedResources::getImage(info.image);
        ASSERT_EQ(image.getBounds(),
                  juce::Rectangle<int>(info.layout.width, info.layout.sheetHeight()));
        EXPECT_EQ(image.hasAlphaChannel(), info.format == artwork::ColourFormat::rgba);
        // Sprites must tell every state apart; a strip's neighbouring frames must differ.
        const int cells = info.layout.cells;
        for (int a = 0; a < cells; ++a)
            for (int b = a + 1; b < (cells <= 5 ? cells : std::min(a + 2, cells)); ++b)
                EXPECT_FALSE(sameCells(image, info.layout, a, b)) << "cells " << a << ", " << b;
    }
}

TEST(EmbeddedResources, ImagesAreExactlyWhatTheGeneratorDraws)
{
    const auto root = juce::File(juce::String(std::getenv("PELLARO_TEST_ROOT")));
    ASSERT_TRUE(root.isDirectory());
    const auto folder = root.getChildFile("artwork");
    juce::ChildProcess generator;
    ASSERT_TRUE(
        generator.start(juce::StringArray{PELLARO_ARTWORK_GENERATOR, folder.getFullPathName(),
                                          PELLARO_PANEL_FONT, PELLARO_TEXT_FONT},
                        0));
    ASSERT_TRUE(generator.waitForProcessToFinish(90000));
    ASSERT_EQ(generator.getExitCode(), 0u);

    for (const auto& info : artwork::images) {
        SCOPED_TRACE(info.fileName);
        juce::MemoryBlock drawn;
        ASSERT_TRUE(folder.getChildFile(info.fileName).loadFileAsData(drawn));
        const auto embedded = EmbeddedResources::getImageData(info.image);
        EXPECT_TRUE(drawn == juce::MemoryBlock(embedded.data, static_cast<size_t>(embedded.size)));
    }
}

bool sameArea(const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (a.getPixelAt(x, y) != b.getPixelAt(x, y))
                return false;
    return true;
}

TEST(EmbeddedResources, TwoUserVoicingStripShowsAThirdFactoryVoicingAndGreysNoSlot)
{
    // Cell by cell against the three-user strip: over the top lamp (slot 3) another caption,
    // "PRESET 3" for "USER 1"; the lamp of slot 5 (on the right) a socket like the other's.
    const auto two = EmbeddedResources::getImage(artwork::Image::knobActivePresetTwoUser);
    const auto three = EmbeddedResources::getImage(artwork::Image::knobActivePreset);
    for (int cell = 0; cell < artwork::activePresetKnob.cells; ++cell) {
        SCOPED_TRACE(cell);
        const int top = cell * artwork::activePresetKnob.cellHeight;
        EXPECT_FALSE(sameArea(two, three, {117, top + 50, 100, 28}));
        EXPECT_TRUE(sameArea(two, three, {244, top + 163, 11, 11}));
    }
}

TEST(EmbeddedResources, TypefacesLoadUnderTheirRoles)
{
    const auto panel = EmbeddedResources::createTypeface(EmbeddedResources::FontRole::panel);
    const auto text = EmbeddedResources::createTypeface(EmbeddedResources::FontRole::text);
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(panel->getName(), "OSP-DIN");
    EXPECT_EQ(text->getName(), "Lato");
    EXPECT_EQ(text->getStyle(), "Light");
}

TEST(EmbeddedResources, EqualiserPlatesStandEvenlyApart)
{
    // Just above the value boxes (panel y 345, image row 690) the plates are darker than the
    // face between them: every gap between two neighbouring plates has the same width.
    const auto background = EmbeddedResources::getImage(artwork::Image::backgroundExpanded);
    const int row = 690;
    const auto isFace = [&](int x) {
        const auto c = background.getPixelAt(x, row);
        return c.getRed() + c.getGreen() + c.getBlue() > 110;
    };
    std::vector<int> gaps;
    int x = 2 * 60; // inside the low shelf's plate
    while (x < 2 * 1040) {
        while (x < 2 * 1040 && !isFace(x))
            ++x;
        const int start = x;
        while (x < 2 * 1040 && isFace(x))
            ++x;
        if (x < 2 * 1040)
            gaps.push_back(x - start);
    }
    ASSERT_EQ(gaps.size(), 7u) << "eight plates, seven gaps";
    for (const int gap : gaps)
        EXPECT_NEAR(gap, gaps.front(), 1) << "gaps in image pixels";
    EXPECT_GE(gaps.front(), 6) << "at least 3 panel pixels";
}

} // namespace
