// The panel's images by role: file name, pixel size, cell layout and colour format, shared by
// the artwork generator, the embedded-resource access and the skins that cut cells out of them.
#pragma once

#include <array>
#include <cstddef>

namespace artwork {

/** Cells of equal size stacked vertically, cell 0 at the top; a plain picture is one cell.
    Every size is in image pixels, twice the size at which the panel shows it. */
struct CellLayout
{
    int width;
    int cellHeight;
    int cells;

    constexpr int sheetHeight() const { return cellHeight * cells; }
};

/** Film strips of the knobs. */
inline constexpr CellLayout inputKnob{310, 292, 3};
inline constexpr CellLayout activePresetKnob{334, 292, 5};
inline constexpr CellLayout knob{150, 150, 129};

/** Sprite sheets of the buttons, one cell per state. */
inline constexpr CellLayout settingsButton{188, 48, 4};
inline constexpr CellLayout presetButton{186, 46, 4};
inline constexpr CellLayout firmwareButton{62, 60, 2};
inline constexpr CellLayout openCloseButton{100, 40, 2};
inline constexpr CellLayout helpButton{58, 32, 3};
inline constexpr CellLayout aboutButton{336, 48, 4};

/** Every image the interface draws with. */
enum class Image
{
    backgroundExpanded,
    backgroundCollapsed,
    userPresets3,
    userPresets2,
    knobStandardStrip,
    knobSilverStrip,
    knobGoldStrip,
    knobInput,
    knobActivePreset,
    knobActivePresetTwoUser,
    buttonGetSettings,
    buttonSendSettings,
    buttonReset,
    buttonLoad,
    buttonSave,
    buttonUserPresetGet,
    buttonUserPresetSend,
    buttonFirmware,
    buttonOpenClose,
    buttonHelp,
    aboutLogo,
    aboutButton
};

/** RGB images are stored without an alpha channel, RGBA images with one. */
enum class ColourFormat
{
    rgb,
    rgba
};

struct ImageInfo
{
    Image image;
    const char* fileName;
    CellLayout layout;
    ColourFormat format;
};

/** The image table, in the order of the enumeration. */
inline constexpr std::array<ImageInfo, 22> images{{
    {Image::backgroundExpanded, "background_expanded.png", {2200, 1400, 1}, ColourFormat::rgb},
    {Image::backgroundCollapsed, "background_collapsed.png", {2200, 607, 1}, ColourFormat::rgba},
    {Image::userPresets3, "user_presets_3.png", {1390, 124, 1}, ColourFormat::rgb},
    {Image::userPresets2, "user_presets_2.png", {950, 124, 1}, ColourFormat::rgb},
    {Image::knobStandardStrip, "knob_standard_strip.png", knob, ColourFormat::rgba},
    {Image::knobSilverStrip, "knob_silver_strip.png", knob, ColourFormat::rgba},
    {Image::knobGoldStrip, "knob_gold_strip.png", knob, ColourFormat::rgba},
    {Image::knobInput, "knob_input.png", inputKnob, ColourFormat::rgba},
    {Image::knobActivePreset, "knob_active_preset.png", activePresetKnob, ColourFormat::rgba},
    {Image::knobActivePresetTwoUser, "knob_active_preset_two_user.png", activePresetKnob,
     ColourFormat::rgba},
    {Image::buttonGetSettings, "button_get_settings.png", settingsButton, ColourFormat::rgba},
    {Image::buttonSendSettings, "button_send_settings.png", settingsButton, ColourFormat::rgba},
    {Image::buttonReset, "button_reset.png", settingsButton, ColourFormat::rgba},
    {Image::buttonLoad, "button_load.png", presetButton, ColourFormat::rgba},
    {Image::buttonSave, "button_save.png", presetButton, ColourFormat::rgba},
    {Image::buttonUserPresetGet, "button_user_preset_get.png", presetButton, ColourFormat::rgba},
    {Image::buttonUserPresetSend, "button_user_preset_send.png", presetButton, ColourFormat::rgba},
    {Image::buttonFirmware, "button_firmware.png", firmwareButton, ColourFormat::rgba},
    {Image::buttonOpenClose, "button_open_close.png", openCloseButton, ColourFormat::rgba},
    {Image::buttonHelp, "button_help.png", helpButton, ColourFormat::rgba},
    {Image::aboutLogo, "about_logo.png", {500, 500, 1}, ColourFormat::rgba},
    {Image::aboutButton, "about_button.png", aboutButton, ColourFormat::rgba},
}};

/** The table row of an image. */
constexpr const ImageInfo& info(Image image)
{
    return images[static_cast<std::size_t>(image)];
}

constexpr bool tableFollowsEnumeration()
{
    for (std::size_t i = 0; i < images.size(); ++i)
        if (static_cast<std::size_t>(images[i].image) != i)
            return false;
    return true;
}

static_assert(tableFollowsEnumeration(), "the image table follows the order of the enumeration");

} // namespace artwork
