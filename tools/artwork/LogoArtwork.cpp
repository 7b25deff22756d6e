// The maker's logo: a loudspeaker cone seen from the front, ringed in the accent colour, with a
// V cut into it, and the name beneath.
#include "LogoArtwork.h"

#include "ArtworkLayout.h"
#include "ArtworkStyle.h"

namespace logo {

juce::Image paintAboutLogo()
{
    const auto& info = artwork::info(artwork::Image::aboutLogo);
    auto image = style::makeImage(info.layout.width, info.layout.sheetHeight(), true);
    juce::Graphics g(image);

    const juce::Point<float> centre(250.0f, 212.0f);
    const auto disc = [&centre](float radius) {
        return juce::Rectangle<float>(2.0f * radius, 2.0f * radius).withCentre(centre);
    };

    juce::Path outline;
    outline.addEllipse(disc(192.0f));
    juce::DropShadow(juce::Colours::black.withAlpha(0.6f), 18, {0, 6}).drawForPath(g, outline);

    // The surround: an accent ring, lit from the top.
    g.setGradientFill(juce::ColourGradient(style::colours::accentBright, centre.x, 20.0f,
                                           style::colours::accent.darker(0.6f), centre.x, 404.0f,
                                           false));
    g.fillEllipse(disc(192.0f));

    // The cone: dark, deepening towards the middle, with the ridges of its surround.
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xff0d0e0f), centre.x, centre.y,
                                           juce::Colour(0xff3b3f44), centre.x, centre.y - 176.0f,
                                           true));
    g.fillEllipse(disc(176.0f));
    for (float r = 150.0f; r <= 172.0f; r += 5.5f) {
        g.setColour(juce::Colours::white.withAlpha(0.07f));
        g.drawEllipse(disc(r), 2.0f);
    }

    // The V: two strokes meeting below the centre, silver lit from above.
    juce::Path v;
    v.startNewSubPath(centre.x - 92.0f, centre.y - 78.0f);
    v.lineTo(centre.x - 50.0f, centre.y - 78.0f);
    v.lineTo(centre.x, centre.y + 42.0f);
    v.lineTo(centre.x + 50.0f, centre.y - 78.0f);
    v.lineTo(centre.x + 92.0f, centre.y - 78.0f);
    v.lineTo(centre.x + 20.0f, centre.y + 96.0f);
    v.lineTo(centre.x - 20.0f, centre.y + 96.0f);
    v.closeSubPath();
    juce::DropShadow(juce::Colours::black.withAlpha(0.8f), 10, {0, 4}).drawForPath(g, v);
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xfff4f5f6), centre.x, centre.y - 78.0f,
                                           juce::Colour(0xff8e949a), centre.x, centre.y + 96.0f,
                                           false));
    g.fillPath(v);

    style::drawText(g, "VELK AUDIO", {0.0f, 420.0f, 500.0f, 62.0f}, style::panelFont(58.0f, 0.25f),
                    juce::Colour(0xffe6e7e8), juce::Justification::centred);
    return image;
}

juce::Image paintApplicationIcon()
{
    const auto emblem = paintAboutLogo();
    auto icon = style::makeImage(256, 256, true);
    juce::Graphics g(icon);
    g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
    // The disc and its shadow, above the name.
    g.drawImage(emblem, 0, 0, 256, 256, 40, 2, 420, 420);
    return icon;
}

} // namespace logo
