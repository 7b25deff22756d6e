// The embedded images and typefaces: every image decodes at its size, colour format and cell
// layout with distinct cells, the bytes are exactly what the generator draws, the typefaces
// load and the value boxes' longest texts fit them.
#include "EmbeddedResources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

juce::uint32 bigEndian32(const unsigned char* bytes)
{
    return (juce::uint32(bytes[0]) << 24) | (juce::uint32(bytes[1]) << 16) |
           (juce::uint32(bytes[2]) << 8) | juce::uint32(bytes[3]);
}

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

TEST(EmbeddedResources, EveryImageIsAPngOfItsSizeAndColourFormatWithDistinctCells)
{
    for (const auto& info : artwork::images) {
        SCOPED_TRACE(info.fileName);
        const auto bytes = EmbeddedResources::getImageData(info.image);
        ASSERT_NE(bytes.data, nullptr);
        ASSERT_GT(bytes.size, 33);
        const auto* png = static_cast<const unsigned char*>(bytes.data);
        EXPECT_EQ(std::memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0);
        EXPECT_EQ(std::memcmp(png + 12, "IHDR", 4), 0);
        EXPECT_EQ(bigEndian32(png + 16), juce::uint32(info.layout.width));
        EXPECT_EQ(bigEndian32(png + 20), juce::uint32(info.layout.sheetHeight()));
        EXPECT_EQ(png[24], 8) << "bits per channel";
        EXPECT_EQ(png[25], info.format == artwork::ColourFormat::rgba ? 6 : 2) << "colour type";

        const auto image = EmbeddedResources::getImage(info.image);
        ASSERT_EQ(image.getBounds(),
                  juce::Rectangle<int>(info.layout.width, info.layout.sheetHeight()));
        // Loading again reuses the decoded image.
        EXPECT_EQ(EmbeddedResources::getImage(info.image).getPixelData(), image.getPixelData());
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

TEST(EmbeddedResources, TypefacesLoadUnderTheirRoles)
{
    const auto panel = EmbeddedResources::createTypeface(EmbeddedResources::FontRole::panel);
    const auto text = EmbeddedResources::createTypeface(EmbeddedResources::FontRole::text);
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(panel->getName(), "OSP-DIN");
    EXPECT_EQ(text->getName(), "Lato");
    EXPECT_EQ(text->getStyle(), "Light");
    EXPECT_GT(juce::Font(panel).withHeight(21.0f).getStringWidthFloat("20.0 kHz"), 0.0f);
    EXPECT_GT(juce::Font(text).withHeight(14.0f).getStringWidthFloat("Version 1.0.2"), 0.0f);
}

TEST(EmbeddedResources, LongestValuesFitTheirBoxesInThePanelFont)
{
    // The panel's font for the value boxes: height 21, extra kerning 0.05. A label keeps 5
    // pixels clear on either side and squeezes a wider text to fit; "+12.0 dB" needs 0.07 %,
    // well under a pixel, every other text none.
    juce::Font font(EmbeddedResources::createTypeface(EmbeddedResources::FontRole::panel));
    font.setHeight(21.0f);
    font.setExtraKerningFactor(0.05f);
    const struct
    {
        const char* text;
        int boxWidth;
        float squeeze;
    } rows[] = {
        {"20.0 kHz", 76, 1.0f}, {"-60.0 dB", 76, 1.0f}, {"+12.0 dB", 76, 1.001f},
        {"-12.0 dB", 76, 1.0f}, {"5.0 ms", 76, 1.0f},   {"10.0", 42, 1.0f},
        {"20.0", 42, 1.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_LE(font.getStringWidthFloat(row.text),
                  static_cast<float>(row.boxWidth - 10) * row.squeeze);
    }
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
