// The panel's backgrounds, drawn in panel pixels at twice the size: an anthracite face with
// sunken plates around each group of controls, value windows above the knobs and a caption at
// every control, all placed from the panel layout.
#include "BackgroundArtwork.h"

#include "ArtworkLayout.h"
#include "ArtworkStyle.h"
#include "PanelLayout.h"

namespace backgrounds {
namespace {

constexpr float scale = 2.0f;

juce::Rectangle<float> toRectangle(const panel::Bounds& b)
{
    return {static_cast<float>(b.x), static_cast<float>(b.y), static_cast<float>(b.width),
            static_cast<float>(b.height)};
}

/** A knob slider whose value box sits above the knob. */
struct KnobPlacement
{
    panel::Bounds slider;
    int boxWidth;
    int boxHeight;
    int boxShift;

    juce::Rectangle<float> valueBox() const
    {
        const int width = std::min(boxWidth, slider.width);
        return {static_cast<float>(slider.x + (slider.width - width) / 2 + boxShift),
                static_cast<float>(slider.y), static_cast<float>(width),
                static_cast<float>(boxHeight)};
    }

    juce::Rectangle<float> knob() const
    {
        return toRectangle(panel::knobInArea(slider.x, slider.y + boxHeight, slider.width,
                                             slider.height - boxHeight));
    }
};

KnobPlacement equaliserKnob(const panel::Bounds& slider)
{
    return {slider, panel::valueBoxWidth, panel::equaliserValueBoxHeight, 0};
}

KnobPlacement qKnob(const panel::Bounds& slider)
{
    return {slider, panel::qValueBoxWidth, panel::equaliserValueBoxHeight, panel::qValueBoxShift};
}

KnobPlacement levelKnob(const panel::Bounds& slider)
{
    return {slider, panel::valueBoxWidth, panel::levelValueBoxHeight, 0};
}

/** The value window above a knob and the caption under it. */
void paintKnobPrint(juce::Graphics& g, const KnobPlacement& placement, const juce::String& caption)
{
    style::drawDisplay(g, placement.valueBox().expanded(0.0f, 0.5f));
    const auto knob = placement.knob();
    style::drawCaption(g, caption,
                       juce::Rectangle<float>(70.0f, 12.0f)
                           .withCentre({knob.getCentreX(), knob.getBottom() + 8.0f}),
                       11.0f);
}

/** The ends of a knob's scale, printed just below its end marks. */
void paintScaleEnds(juce::Graphics& g, const KnobPlacement& placement, const juce::String& minimum,
                    const juce::String& maximum)
{
    // Large and light enough to read: 11 pixels, over 4.5:1 against the plate.
    const auto knob = placement.knob();
    const auto font = style::panelFont(11.0f, 0.04f);
    const float y = knob.getBottom() - 13.0f;
    style::drawText(g, minimum, {knob.getX() - 18.0f, y, 28.0f, 12.0f}, font,
                    style::colours::caption, juce::Justification::centredRight);
    style::drawText(g, maximum, {knob.getRight() - 10.0f, y, 30.0f, 12.0f}, font,
                    style::colours::caption, juce::Justification::centredLeft);
}

/** The anthracite face: lighter at the top, darker below, with a soft vignette. */
void paintFace(juce::Graphics& g, float height)
{
    g.setGradientFill(juce::ColourGradient(style::colours::panelTop, 0.0f, 0.0f,
                                           style::colours::panelBottom, 0.0f, height, false));
    g.fillRect(0.0f, 0.0f, static_cast<float>(panel::width), height);
    juce::ColourGradient vignette(juce::Colours::transparentBlack, panel::width / 2.0f,
                                  height * 0.4f, juce::Colours::black.withAlpha(0.22f), 0.0f,
                                  height * 0.4f, true);
    g.setGradientFill(vignette);
    g.fillRect(0.0f, 0.0f, static_cast<float>(panel::width), height);
    g.setColour(juce::Colours::white.withAlpha(0.08f));
    g.fillRect(0.0f, 0.0f, static_cast<float>(panel::width), 1.0f);
}

void paintRule(juce::Graphics& g, float x, float y, float width)
{
    g.setColour(juce::Colours::black.withAlpha(0.45f));
    g.fillRect(x, y, width, 1.0f);
    g.setColour(juce::Colours::white.withAlpha(0.06f));
    g.fillRect(x, y + 1.0f, width, 1.0f);
}

void paintHeader(juce::Graphics& g)
{
    style::drawText(g, "VELK AUDIO", {40.0f, 9.0f, 200.0f, 24.0f}, style::panelFont(21.0f, 0.22f),
                    style::colours::heading, juce::Justification::centredLeft);
    g.setColour(style::colours::accent);
    g.fillRect(40.0f, 33.0f, 22.0f, 2.0f);
    style::drawText(g, "PELLARO", {760.0f, 9.0f, 300.0f, 24.0f}, style::panelFont(21.0f, 0.22f),
                    style::colours::heading, juce::Justification::centredRight);
    style::drawText(g, "ORVIK  STUDIO  MONITOR  CONTROL", {540.0f, 11.0f, 414.0f, 20.0f},
                    style::panelFont(13.0f, 0.16f), style::colours::captionBright,
                    juce::Justification::centredRight);
    paintRule(g, 20.0f, 41.0f, panel::width - 40.0f);
}

/** The top area: input, volume and delay, voicing, the speaker buttons. */
void paintTopArea(juce::Graphics& g)
{
    constexpr float top = 47.0f;
    constexpr float bottom = 221.0f;
    style::drawRecessedPlate(g, {116.0f, top, 183.0f, bottom - top}, 8.0f);
    style::drawRecessedPlate(g, {329.0f, top, 266.0f, bottom - top}, 8.0f);
    style::drawRecessedPlate(g, {615.0f, top, 197.0f, bottom - top}, 8.0f);
    style::drawRecessedPlate(g, {830.0f, top, 170.0f, bottom - top}, 8.0f);

    const auto captionBelow = [&g](const panel::Bounds& slider, const juce::String& caption) {
        style::drawCaption(g, caption,
                           juce::Rectangle<float>(120.0f, 12.0f)
                               .withCentre({static_cast<float>(slider.centreX()),
                                            static_cast<float>(slider.bottom()) + 8.0f}),
                           11.0f);
    };
    captionBelow(panel::inputSlider, "Input");
    captionBelow(panel::activePresetSlider, "Voicing");

    const auto volume = levelKnob(panel::volumeSlider);
    const auto delay = levelKnob(panel::delaySlider);
    paintKnobPrint(g, volume, "Volume");
    paintScaleEnds(g, volume, "-60", "+12");
    paintKnobPrint(g, delay, "Delay");
    paintScaleEnds(g, delay, "0", "5 ms");

    const auto buttons = toRectangle(panel::readSettingsButton);
    style::drawCaption(g, "Speaker", {buttons.getX() + 2.0f, 193.0f, 90.0f, 14.0f}, 11.0f,
                       style::colours::caption, juce::Justification::centredLeft);
}

/** The bar that carries the model, the status and the firmware, at its y in panel pixels. */
void paintStatusBar(juce::Graphics& g, float y)
{
    const juce::Rectangle<float> bar(20.0f, y, panel::width - 40.0f, 37.0f);
    style::drawRecessedPlate(g, bar, 6.0f);
    g.setColour(juce::Colours::black.withAlpha(0.35f));
    g.fillRect(bar.getX() + 90.0f, bar.getY() + 9.0f, 1.0f, bar.getHeight() - 18.0f);
    style::drawCaption(g, "Status", {bar.getX() + 14.0f, bar.getY(), 70.0f, bar.getHeight()}, 10.0f,
                       style::colours::captionDim, juce::Justification::centredLeft);
}

void paintPresetRow(juce::Graphics& g)
{
    style::drawDisplay(g, toRectangle(panel::presetNameLabel));
    style::drawCaption(g, "Preset", {20.0f, 232.0f, 62.0f, 14.0f}, 11.0f, style::colours::caption,
                       juce::Justification::centredRight);
    style::drawCaption(g, "File", {20.0f, 246.0f, 62.0f, 14.0f}, 11.0f, style::colours::caption,
                       juce::Justification::centredRight);
}

juce::String bandName(int band)
{
    if (band == 0)
        return "Low Shelf";
    if (band == panel::bandCount - 1)
        return "High Shelf";
    return "Band " + juce::String(band);
}

void paintEqualiser(juce::Graphics& g)
{
    paintRule(g, 20.0f, 299.0f, panel::width - 40.0f);
    style::drawText(g, "EQUALISER", {420.0f, 302.0f, 260.0f, 18.0f}, style::panelFont(13.0f, 0.3f),
                    style::colours::heading, juce::Justification::centred);

    // Every plate stands the same 4 pixels from the next: a parametric plate spans its column
    // of 141 less the gap; the shelf plates reach from the panel's margin to that gap.
    constexpr float gap = 4.0f;
    constexpr float margin = 33.0f;
    constexpr float parametricLeftOfKnob = 2.0f;
    const auto column = [](int band) {
        return static_cast<float>(panel::frequencySliders[static_cast<std::size_t>(band)].x);
    };
    const float parametricWidth = column(2) - column(1) - gap;
    for (int band = 0; band < panel::bandCount; ++band) {
        const auto frequency = panel::frequencySliders[static_cast<std::size_t>(band)];
        const bool lowShelf = band == 0;
        const bool highShelf = band == panel::bandCount - 1;
        const bool shelf = lowShelf || highShelf;
        float left = column(band) - parametricLeftOfKnob;
        float width = parametricWidth;
        if (lowShelf) {
            left = margin;
            width = column(1) - parametricLeftOfKnob - gap - margin;
        } else if (highShelf) {
            left = column(band - 1) - parametricLeftOfKnob + parametricWidth + gap;
            width = static_cast<float>(panel::width) - margin - left;
        }
        const float bottom = shelf ? 597.0f : 645.0f;
        style::drawRecessedPlate(g, {left, 323.0f, width, bottom - 323.0f}, 7.0f);
        style::drawCaption(g, bandName(band), {left, 328.0f, shelf ? width : 80.0f, 14.0f}, 11.0f,
                           style::colours::heading);

        paintKnobPrint(g, equaliserKnob(frequency), "Freq");
        const auto gain = equaliserKnob(panel::gainSliders[static_cast<std::size_t>(band)]);
        paintKnobPrint(g, gain, "Gain");
        paintScaleEnds(g, gain, "-12", "+12");
        if (!shelf)
            paintKnobPrint(g, qKnob(panel::qSliders[static_cast<std::size_t>(band - 1)]), "Q");
    }
}

juce::Image paintPanel(int pixelWidth, int pixelHeight, bool withAlpha, bool expanded)
{
    auto image = style::makeImage(pixelWidth, pixelHeight, withAlpha);
    juce::Graphics g(image);
    g.addTransform(juce::AffineTransform::scale(scale));
    const float height = static_cast<float>(pixelHeight) / scale;
    paintFace(g, height);
    paintHeader(g);
    paintTopArea(g);
    if (expanded) {
        paintPresetRow(g);
        paintEqualiser(g);
    }
    paintStatusBar(g, static_cast<float>(panel::modelLabel.at(expanded).y) - 6.0f);
    return image;
}

} // namespace

juce::Image paintExpandedBackground()
{
    const auto& info = artwork::info(artwork::Image::backgroundExpanded);
    return paintPanel(info.layout.width, info.layout.sheetHeight(), false, true);
}

juce::Image paintCollapsedBackground()
{
    const auto& info = artwork::info(artwork::Image::backgroundCollapsed);
    return paintPanel(info.layout.width, info.layout.sheetHeight(), true, false);
}

juce::Image paintUserPresetStrip(int userPresetCount)
{
    const bool three = userPresetCount >= 3;
    const auto& info =
        artwork::info(three ? artwork::Image::userPresets3 : artwork::Image::userPresets2);
    const auto strip = three ? panel::userPresetStrip3 : panel::userPresetStrip2;
    const auto& buttonX = three ? panel::userPresetButtonXForThree : panel::userPresetButtonXForTwo;

    auto image = style::makeImage(info.layout.width, info.layout.sheetHeight(), false);
    juce::Graphics g(image);
    g.addTransform(juce::AffineTransform::scale(scale));
    // Drawn in panel pixels, so that the strip's face continues the panel's around it.
    g.addTransform(juce::AffineTransform::translation(static_cast<float>(-strip.x),
                                                      static_cast<float>(-strip.y)));
    paintFace(g, static_cast<float>(panel::expandedHeight));

    for (int preset = 0; preset < userPresetCount; ++preset) {
        const float left = static_cast<float>(buttonX[static_cast<std::size_t>(2 * preset)]);
        const float right = static_cast<float>(buttonX[static_cast<std::size_t>(2 * preset + 1)] +
                                               panel::userPresetButtonWidth);
        const juce::Rectangle<float> plate(left - 9.0f, static_cast<float>(strip.y) + 2.0f,
                                           right - left + 18.0f,
                                           static_cast<float>(strip.height) - 4.0f);
        style::drawRecessedPlate(g, plate, 7.0f);
        style::drawCaption(g, "User Preset " + juce::String(preset + 1),
                           plate.withHeight(panel::userPresetButtonY - plate.getY()).reduced(0, 3),
                           11.0f, style::colours::heading);
    }
    return image;
}

} // namespace backgrounds
