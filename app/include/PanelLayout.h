// Fixed bounds of the main panel's controls in panel pixels, in both states: the one table that
// the panel's layout and the artwork drawn behind the controls are made from.
#pragma once

#include <array>

namespace panel {

/** A rectangle in panel pixels. */
struct Bounds
{
    int x;
    int y;
    int width;
    int height;

    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    constexpr int centreX() const { return x + width / 2; }
};

inline constexpr int width = 1100;
inline constexpr int collapsedHeight = 303;
inline constexpr int expandedHeight = 700;

/** Knob frames are shown at this size, half their pixel size in the film strips. */
inline constexpr int knobSize = 75;

/** Where a round knob lands inside the area a slider gives its skin: 75 x 75, centred with the
    halves of the area truncated, so a 76-wide area puts it 1 pixel in. */
constexpr Bounds knobInArea(int x, int y, int areaWidth, int areaHeight)
{
    return {x + areaWidth / 2 - 37, y + areaHeight / 2 - 37, knobSize, knobSize};
}

// The top area, the same in both states.
inline constexpr Bounds inputSlider{130, 59, 155, 145};
inline constexpr Bounds volumeSlider{345, 70, 76, 103};
inline constexpr Bounds delaySlider{503, 70, 76, 103};
inline constexpr Bounds activePresetSlider{630, 59, 167, 145};
inline constexpr Bounds readSettingsButton{846, 68, 94, 24};
inline constexpr Bounds writeSettingsButton{846, 108, 94, 24};
inline constexpr Bounds resetButton{846, 148, 94, 24};
inline constexpr Bounds helpButton{958, 192, 29, 16};

// The preset row, shown only when expanded.
inline constexpr Bounds presetNameLabel{92, 228, 203, 24};
inline constexpr Bounds loadPresetButton{92, 261, 93, 23};
inline constexpr Bounds savePresetButton{202, 261, 93, 23};
inline constexpr Bounds userPresetStrip3{370, 229, 695, 62};
inline constexpr Bounds userPresetStrip2{590, 229, 475, 62};
inline constexpr int userPresetButtonY = 261;
inline constexpr int userPresetButtonWidth = 93;
inline constexpr int userPresetButtonHeight = 23;
/** x of the read and write buttons of user presets 1 to 3, in that order. */
inline constexpr std::array<int, 6> userPresetButtonXForThree{384, 494, 614, 724, 844, 954};
inline constexpr std::array<int, 6> userPresetButtonXForTwo{614, 724, 844, 954, 844, 954};

// The equaliser, in band order: low shelf, parametric bands 1 to 6, high shelf.
inline constexpr int bandCount = 8;
inline constexpr std::array<Bounds, bandCount> frequencySliders{{{41, 347, 76, 104},
                                                                 {138, 347, 76, 104},
                                                                 {279, 347, 76, 104},
                                                                 {420, 347, 76, 104},
                                                                 {561, 347, 76, 104},
                                                                 {702, 347, 76, 104},
                                                                 {843, 347, 76, 104},
                                                                 {985, 347, 76, 104}}};
/** Q knobs of parametric bands 1 to 6 (the shelves have none). */
inline constexpr std::array<Bounds, 6> qSliders{{{195, 431, 76, 88},
                                                 {336, 431, 76, 88},
                                                 {477, 431, 76, 88},
                                                 {618, 431, 76, 88},
                                                 {759, 431, 76, 88},
                                                 {900, 431, 76, 88}}};
inline constexpr std::array<Bounds, bandCount> gainSliders{{{41, 476, 76, 104},
                                                            {138, 526, 76, 102},
                                                            {279, 526, 76, 102},
                                                            {420, 526, 76, 102},
                                                            {561, 526, 76, 102},
                                                            {702, 526, 76, 102},
                                                            {843, 526, 76, 102},
                                                            {985, 476, 76, 104}}};

// Value boxes above the knobs: requested width and height (a box never gets wider than its
// slider, and a Q box sits 11 pixels right of centre).
inline constexpr int valueBoxWidth = 80;
inline constexpr int qValueBoxWidth = 42;
inline constexpr int levelValueBoxHeight = 20;
inline constexpr int equaliserValueBoxHeight = 21;
inline constexpr int qValueBoxShift = 11;

/** A control of the bottom row, which moves down when the panel expands. */
struct BottomRowBounds
{
    int x;
    int collapsedY;
    int expandedY;
    int width;
    int height;

    constexpr Bounds at(bool expanded) const
    {
        return {x, expanded ? expandedY : collapsedY, width, height};
    }
};

inline constexpr BottomRowBounds openCloseButton{996, 238, 635, 50, 20};
inline constexpr BottomRowBounds updateFirmwareButton{916, 260, 657, 31, 30};
inline constexpr BottomRowBounds modelLabel{121, 263, 661, 200, 24};
inline constexpr BottomRowBounds statusLabel{626, 263, 661, 192, 24};
inline constexpr BottomRowBounds firmwareLabel{826, 263, 661, 80, 24};

} // namespace panel
