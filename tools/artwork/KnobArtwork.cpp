// The knobs: a machined cap on a knurled skirt, lit from the top left, with a pointer line.
#include "KnobArtwork.h"

#include "ArtworkLayout.h"
#include "ArtworkStyle.h"

namespace knobs {
namespace {

constexpr float pi = juce::MathConstants<float>::pi;
constexpr float sweepStart = -0.75f * pi; // -135 degrees
constexpr float sweepEnd = 0.75f * pi;    // +135 degrees

struct FinishColours
{
    juce::Colour capLight;
    juce::Colour capDark;
    juce::Colour pointer;
    float ringContrast;
};

FinishColours coloursOf(Finish finish)
{
    switch (finish) {
    case Finish::silver:
        return {juce::Colour(0xfff2f4f6), juce::Colour(0xff7f858b), juce::Colour(0xff1d2023),
                0.05f};
    case Finish::gold:
        return {juce::Colour(0xfff6d894), juce::Colour(0xff8a6526), juce::Colour(0xff2e1f08),
                0.06f};
    case Finish::anthracite:
        break;
    }
    return {juce::Colour(0xff5a5f65), juce::Colour(0xff1a1c1e), juce::Colour(0xffeeeeee), 0.04f};
}

juce::Path circle(juce::Point<float> centre, float radius)
{
    juce::Path path;
    path.addEllipse(centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius);
    return path;
}

/** One knob: skirt of radius `radius`, turned to `angle` (radians, clockwise from the top). */
void paintKnob(juce::Graphics& g, juce::Point<float> centre, float radius, float angle,
               Finish finish, juce::Colour pointerColour)
{
    const auto colours = coloursOf(finish);
    const float capRadius = radius * 0.78f;

    juce::DropShadow(juce::Colours::black.withAlpha(0.75f), juce::roundToInt(radius * 0.22f),
                     {0, juce::roundToInt(radius * 0.08f)})
        .drawForPath(g, circle(centre, radius));

    // Skirt: dark, lit from above, with grooves that turn with the knob.
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xff3a3d41), centre.x, centre.y - radius,
                                           juce::Colour(0xff0c0d0e), centre.x, centre.y + radius,
                                           false));
    g.fillPath(circle(centre, radius));
    constexpr int grooves = 40;
    for (int i = 0; i < grooves; ++i) {
        const float a = angle + 2.0f * pi * static_cast<float>(i) / grooves;
        const float shade = 0.5f + 0.5f * std::cos(a);
        g.setColour(juce::Colours::black.withAlpha(0.35f + 0.25f * shade));
        g.drawLine(juce::Line<float>(style::pointOnCircle(centre, capRadius + 2.5f, a),
                                     style::pointOnCircle(centre, radius - 1.0f, a)),
                   radius * 0.035f);
    }
    g.setColour(juce::Colours::white.withAlpha(0.10f));
    g.drawEllipse(centre.x - radius + 0.5f, centre.y - radius + 0.5f, 2.0f * radius - 1.0f,
                  2.0f * radius - 1.0f, 1.0f);

    // Cap: a machined face, lit from the top left, with fine turned rings.
    const auto capPath = circle(centre, capRadius);
    g.setGradientFill(juce::ColourGradient(
        colours.capLight, centre.x - capRadius * 0.7f, centre.y - capRadius * 0.9f, colours.capDark,
        centre.x + capRadius * 0.6f, centre.y + capRadius, false));
    g.fillPath(capPath);
    for (float r = 1.5f; r < capRadius; r += 1.5f) {
        const bool lighter = static_cast<int>(r / 1.5f) % 2 == 0;
        g.setColour((lighter ? juce::Colours::white : juce::Colours::black)
                        .withAlpha(colours.ringContrast));
        g.drawEllipse(centre.x - r, centre.y - r, 2.0f * r, 2.0f * r, 0.75f);
    }
    // A soft sheen across the upper half, fixed to the light, not to the knob.
    juce::ColourGradient sheen(juce::Colours::white.withAlpha(0.22f), centre.x,
                               centre.y - capRadius, juce::Colours::white.withAlpha(0.0f), centre.x,
                               centre.y + capRadius * 0.1f, false);
    g.setGradientFill(sheen);
    g.fillPath(capPath);

    // Bevel: light on top, dark below.
    g.setGradientFill(juce::ColourGradient(
        juce::Colours::white.withAlpha(0.55f), centre.x, centre.y - capRadius,
        juce::Colours::black.withAlpha(0.6f), centre.x, centre.y + capRadius, false));
    g.strokePath(capPath, juce::PathStrokeType(radius * 0.03f));

    // Pointer: a line on the cap, with a faint shadow under it.
    const float width = radius * 0.085f;
    const juce::Line<float> pointer(style::pointOnCircle(centre, capRadius * 0.28f, angle),
                                    style::pointOnCircle(centre, capRadius * 0.9f, angle));
    juce::Path line;
    line.startNewSubPath(pointer.getStart());
    line.lineTo(pointer.getEnd());
    const juce::PathStrokeType stroke(width, juce::PathStrokeType::curved,
                                      juce::PathStrokeType::rounded);
    g.setColour(juce::Colours::black.withAlpha(0.3f));
    g.strokePath(line, stroke, juce::AffineTransform::translation(0.0f, radius * 0.025f));
    g.setColour(pointerColour);
    g.strokePath(line, stroke);
}

/** Scale marks around a knob, from `start` to `end` in `steps` intervals. */
void paintScale(juce::Graphics& g, juce::Point<float> centre, float innerRadius, float length,
                float start, float end, int steps)
{
    for (int i = 0; i <= steps; ++i) {
        const float a = start + (end - start) * static_cast<float>(i) / static_cast<float>(steps);
        const bool major = i == 0 || i == steps || 2 * i == steps;
        g.setColour(major ? style::colours::caption : style::colours::tick);
        const float outer = innerRadius + (major ? length : length * 0.6f);
        juce::Path mark;
        mark.startNewSubPath(style::pointOnCircle(centre, innerRadius, a));
        mark.lineTo(style::pointOnCircle(centre, outer, a));
        g.strokePath(mark, juce::PathStrokeType(major ? 2.5f : 2.0f, juce::PathStrokeType::curved,
                                                juce::PathStrokeType::rounded));
    }
}

/** A lamp beside a selector position: lit in the accent colour, or a dark socket. */
void paintLamp(juce::Graphics& g, juce::Point<float> at, bool lit)
{
    const float r = 5.0f;
    if (lit) {
        g.setGradientFill(juce::ColourGradient(style::colours::accentBright.withAlpha(0.45f), at.x,
                                               at.y, style::colours::accent.withAlpha(0.0f),
                                               at.x + 3.2f * r, at.y, true));
        g.fillEllipse(at.x - 3.2f * r, at.y - 3.2f * r, 6.4f * r, 6.4f * r);
        g.setColour(style::colours::accentBright);
    } else {
        g.setColour(juce::Colour(0xff0d0e0f));
    }
    g.fillEllipse(at.x - r, at.y - r, 2.0f * r, 2.0f * r);
    g.setColour(juce::Colours::white.withAlpha(lit ? 0.5f : 0.12f));
    g.drawEllipse(at.x - r, at.y - r, 2.0f * r, 2.0f * r, 1.0f);
}

struct SelectorPosition
{
    juce::String caption;
    float angle;
};

/** Where a caption goes beside its lamp: the text's box pushed outwards along the position's
    direction until it stands `clearance` clear of the lamp, whatever the text's width. */
juce::Rectangle<float> captionBeside(juce::Point<float> lamp, float angle, float clearance,
                                     juce::Rectangle<float> text)
{
    const float ux = std::sin(angle);
    const float uy = -std::cos(angle);
    // The distance from the box's centre to its edge, along the direction of the position.
    const float reach =
        std::abs(ux) * text.getWidth() / 2.0f + std::abs(uy) * text.getHeight() / 2.0f;
    const float distance = clearance + reach;
    return text.withCentre({lamp.x + ux * distance, lamp.y + uy * distance});
}

/** A selector: a larger knob with a lamp and a caption at each position. */
juce::Image paintSelector(const artwork::CellLayout& layout,
                          const std::vector<SelectorPosition>& positions)
{
    auto sheet = style::makeImage(layout.width, layout.sheetHeight(), true);
    const juce::Point<float> centre(static_cast<float>(layout.width) / 2.0f, 168.0f);
    constexpr float radius = 64.0f;
    constexpr float lampRadius = radius + 18.0f;
    constexpr float captionHeight = 23.0f;
    // Lamp radius 5, then a clear gap of 8 pixels before the letters.
    constexpr float captionClearance = 13.0f;

    style::paintCells(sheet, layout.cellHeight, layout.cells, [&](juce::Graphics& g, int frame) {
        for (int i = 0; i < static_cast<int>(positions.size()); ++i) {
            const auto& position = positions[static_cast<std::size_t>(i)];
            const bool selected = i == frame;
            const auto lamp = style::pointOnCircle(centre, lampRadius, position.angle);
            paintLamp(g, lamp, selected);
            const auto text = position.caption.toUpperCase();
            const auto font = style::panelFont(captionHeight);
            // The box of the capitals: their width, and about 0.7 of the font height.
            const juce::Rectangle<float> box(font.getStringWidthFloat(text), 0.7f * captionHeight);
            const auto at = captionBeside(lamp, position.angle, captionClearance, box);
            const auto colour = selected ? style::colours::accentBright : style::colours::caption;
            style::drawText(g, text, at.withSizeKeepingCentre(at.getWidth() + 4.0f, captionHeight),
                            font, colour);
        }
        const auto angle = positions[static_cast<std::size_t>(frame)].angle;
        paintKnob(g, centre, radius, angle, Finish::anthracite, style::colours::accentBright);
    });
    return sheet;
}

} // namespace

juce::Image paintKnobStrip(Finish finish)
{
    const auto& layout = artwork::knob;
    auto sheet = style::makeImage(layout.width, layout.sheetHeight(), true);
    const juce::Point<float> centre(75.0f, 75.0f);
    constexpr float radius = 54.0f;

    style::paintCells(sheet, layout.cellHeight, layout.cells, [&](juce::Graphics& g, int frame) {
        paintScale(g, centre, radius + 8.0f, 8.0f, sweepStart, sweepEnd, 10);
        const float angle = sweepStart + (sweepEnd - sweepStart) * static_cast<float>(frame) /
                                             static_cast<float>(layout.cells - 1);
        paintKnob(g, centre, radius, angle, finish, coloursOf(finish).pointer);
    });
    return sheet;
}

juce::Image paintInputSelector()
{
    const float step = pi / 4.0f;
    return paintSelector(artwork::inputKnob, {{"Analog", -step}, {"AES L", 0.0f}, {"AES R", step}});
}

juce::Image paintActivePresetSelector(int userPresetCount)
{
    // The slots after the factory voicings hold the user presets, so a speaker with two user
    // presets has a third factory voicing in slot 3.
    const int factorySlots = 5 - userPresetCount;
    const float step = pi / 4.0f;
    std::vector<SelectorPosition> positions{{"Tarn", -2.0f * step}, {"QLX", -step}};
    for (int slot = 3; slot <= 5; ++slot) {
        const auto caption = slot <= factorySlots ? "Preset " + juce::String(slot)
                                                  : "User " + juce::String(slot - factorySlots);
        positions.push_back({caption, static_cast<float>(slot - 3) * step});
    }
    return paintSelector(artwork::activePresetKnob, positions);
}

} // namespace knobs
