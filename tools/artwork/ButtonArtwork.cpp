// The buttons: raised anthracite faces that light their edge under the mouse, sink when pressed
// and go flat and dim when disabled.
#include "ButtonArtwork.h"

#include "ArtworkLayout.h"
#include "ArtworkStyle.h"

namespace buttons {
namespace {

enum class State
{
    normal,
    mouseOver,
    down,
    disabled
};

struct FaceColours
{
    juce::Colour top;
    juce::Colour bottom;
    juce::Colour edge;
    juce::Colour caption;
};

FaceColours faceColours(State state, bool onAboutBox)
{
    const float lift = onAboutBox ? 0.12f : 0.0f;
    switch (state) {
    case State::mouseOver:
        return {juce::Colour(0xff555a60).brighter(lift), juce::Colour(0xff383b40).brighter(lift),
                style::colours::accent, juce::Colours::white};
    case State::down:
        return {juce::Colour(0xff1f2123).brighter(lift), juce::Colour(0xff2c2f33).brighter(lift),
                style::colours::accent.darker(0.3f), style::colours::accentBright};
    case State::disabled:
        return {juce::Colour(0xff2b2d30).brighter(lift), juce::Colour(0xff27292c).brighter(lift),
                juce::Colour(0xff1c1d1f), juce::Colour(0xff5c6064)};
    case State::normal:
        break;
    }
    return {juce::Colour(0xff4a4e53).brighter(lift), juce::Colour(0xff303337).brighter(lift),
            juce::Colour(0xff141517), juce::Colour(0xffd6d9dc)};
}

/** A button face in `area`; returns where its caption goes (lower by a pixel when down). */
juce::Rectangle<float> paintFace(juce::Graphics& g, juce::Rectangle<float> area, float cornerRadius,
                                 State state, bool onAboutBox = false)
{
    const auto colours = faceColours(state, onAboutBox);
    const bool raised = state == State::normal || state == State::mouseOver;

    if (raised) {
        juce::DropShadow(juce::Colours::black.withAlpha(0.6f), 4, {0, 2})
            .drawForRectangle(g, area.toNearestInt());
    } else {
        g.setColour(juce::Colours::white.withAlpha(0.07f));
        g.fillRoundedRectangle(area.translated(0.0f, 1.5f), cornerRadius);
    }

    g.setColour(juce::Colour(0xff0f1012));
    g.fillRoundedRectangle(area, cornerRadius);
    const auto face = area.reduced(1.5f);
    g.setGradientFill(juce::ColourGradient(colours.top, face.getX(), face.getY(), colours.bottom,
                                           face.getX(), face.getBottom(), false));
    g.fillRoundedRectangle(face, cornerRadius - 1.0f);

    if (raised) {
        g.setColour(juce::Colours::white.withAlpha(0.16f));
        g.drawHorizontalLine(juce::roundToInt(face.getY()), face.getX() + cornerRadius,
                             face.getRight() - cornerRadius);
    } else if (state == State::down) {
        g.setGradientFill(juce::ColourGradient(juce::Colours::black.withAlpha(0.5f), face.getX(),
                                               face.getY(), juce::Colours::transparentBlack,
                                               face.getX(), face.getY() + 8.0f, false));
        g.fillRoundedRectangle(face, cornerRadius - 1.0f);
    }

    g.setColour(colours.edge.withAlpha(state == State::mouseOver ? 0.9f : 1.0f));
    g.drawRoundedRectangle(area.reduced(0.75f), cornerRadius, 1.5f);

    return state == State::down ? face.translated(0.0f, 1.5f) : face;
}

State stateOfCell(int cell)
{
    return static_cast<State>(cell);
}

juce::Image paintCaptionedSheet(const artwork::CellLayout& layout, const juce::String& caption,
                                float captionHeight, float cornerRadius)
{
    auto sheet = style::makeImage(layout.width, layout.sheetHeight(), true);
    style::paintCells(sheet, layout.cellHeight, layout.cells, [&](juce::Graphics& g, int cell) {
        const auto state = stateOfCell(cell);
        const auto area = juce::Rectangle<float>(0.0f, 0.0f, static_cast<float>(layout.width),
                                                 static_cast<float>(layout.cellHeight))
                              .reduced(3.0f, 3.0f)
                              .withTrimmedBottom(1.0f);
        const auto captionArea = paintFace(g, area, cornerRadius, state);
        style::drawCaption(g, caption, captionArea.translated(0.0f, 1.0f), captionHeight,
                           faceColours(state, false).caption);
    });
    return sheet;
}

void paintChevron(juce::Graphics& g, juce::Point<float> centre, float size, bool pointsUp,
                  juce::Colour colour)
{
    const float dy = pointsUp ? -size * 0.5f : size * 0.5f;
    juce::Path chevron;
    chevron.startNewSubPath(centre.x - size, centre.y - dy);
    chevron.lineTo(centre.x, centre.y + dy);
    chevron.lineTo(centre.x + size, centre.y - dy);
    g.setColour(colour);
    g.strokePath(chevron, juce::PathStrokeType(3.0f, juce::PathStrokeType::curved,
                                               juce::PathStrokeType::rounded));
}

} // namespace

juce::Image paintSettingsButton(const juce::String& caption)
{
    return paintCaptionedSheet(artwork::settingsButton, caption, 26.0f, 7.0f);
}

juce::Image paintPresetButton(const juce::String& caption)
{
    return paintCaptionedSheet(artwork::presetButton, caption, 25.0f, 7.0f);
}

juce::Image paintFirmwareButton()
{
    const auto& layout = artwork::firmwareButton;
    auto sheet = style::makeImage(layout.width, layout.sheetHeight(), true);
    style::paintCells(sheet, layout.cellHeight, layout.cells, [&](juce::Graphics& g, int cell) {
        const auto state = cell == 0 ? State::normal : State::down;
        const auto area = juce::Rectangle<float>(5.0f, 4.0f, 52.0f, 51.0f);
        const auto face = paintFace(g, area, 12.0f, state);
        const auto colour = faceColours(state, false).caption;

        // An arrow going down into a tray: new firmware going into the speaker.
        const auto c = face.getCentre().translated(0.0f, -2.0f);
        juce::Path arrow;
        arrow.startNewSubPath(c.x, c.y - 13.0f);
        arrow.lineTo(c.x, c.y + 6.0f);
        arrow.startNewSubPath(c.x - 8.0f, c.y - 1.0f);
        arrow.lineTo(c.x, c.y + 7.0f);
        arrow.lineTo(c.x + 8.0f, c.y - 1.0f);
        juce::Path tray;
        tray.startNewSubPath(c.x - 14.0f, c.y + 5.0f);
        tray.lineTo(c.x - 14.0f, c.y + 13.0f);
        tray.lineTo(c.x + 14.0f, c.y + 13.0f);
        tray.lineTo(c.x + 14.0f, c.y + 5.0f);
        const juce::PathStrokeType stroke(3.5f, juce::PathStrokeType::curved,
                                          juce::PathStrokeType::rounded);
        g.setColour(colour);
        g.strokePath(arrow, stroke);
        g.strokePath(tray, stroke);
    });
    return sheet;
}

juce::Image paintOpenCloseButton()
{
    const auto& layout = artwork::openCloseButton;
    auto sheet = style::makeImage(layout.width, layout.sheetHeight(), true);
    style::paintCells(sheet, layout.cellHeight, layout.cells, [&](juce::Graphics& g, int cell) {
        const bool open = cell == 1;
        const auto area = juce::Rectangle<float>(3.0f, 3.0f, 94.0f, 33.0f);
        const auto face = paintFace(g, area, 9.0f, State::normal);
        const auto colour =
            open ? style::colours::accentBright : faceColours(State::normal, false).caption;
        style::drawCaption(g, "EQ", face.withWidth(56.0f).translated(4.0f, 1.0f), 24.0f, colour);
        paintChevron(g, {face.getX() + 66.0f, face.getCentreY()}, 7.0f, open, colour);
    });
    return sheet;
}

juce::Image paintHelpButton()
{
    const auto& layout = artwork::helpButton;
    auto sheet = style::makeImage(layout.width, layout.sheetHeight(), true);
    style::paintCells(sheet, layout.cellHeight, layout.cells, [&](juce::Graphics& g, int cell) {
        const auto state = stateOfCell(cell);
        const auto area = juce::Rectangle<float>(3.0f, 2.0f, 52.0f, 27.0f);
        const auto face = paintFace(g, area, 12.0f, state);
        style::drawCaption(g, "?", face.translated(0.0f, 1.0f), 24.0f,
                           faceColours(state, false).caption);
    });
    return sheet;
}

juce::Image paintAboutButton()
{
    const auto& layout = artwork::aboutButton;
    auto sheet = style::makeImage(layout.width, layout.sheetHeight(), true);
    style::paintCells(sheet, layout.cellHeight, layout.cells, [&](juce::Graphics& g, int cell) {
        const auto area = juce::Rectangle<float>(0.0f, 0.0f, static_cast<float>(layout.width),
                                                 static_cast<float>(layout.cellHeight))
                              .reduced(3.0f, 3.0f)
                              .withTrimmedBottom(1.0f);
        paintFace(g, area, 8.0f, stateOfCell(cell), true);
    });
    return sheet;
}

} // namespace buttons
