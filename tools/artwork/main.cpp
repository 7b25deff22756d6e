// The artwork generator: draws every image of the panel at its size and cell layout, and the
// application icon, and writes them as PNG into the given folder. Same inputs, same bytes:
// nothing random, no time stamps.
//
// Usage: pellaro_artwork <output folder> <panel font file> <text font file>
#include "ArtworkLayout.h"
#include "ArtworkStyle.h"
#include "BackgroundArtwork.h"
#include "ButtonArtwork.h"
#include "KnobArtwork.h"
#include "LogoArtwork.h"

#include <juce_events/juce_events.h>

#include <iostream>

namespace {

juce::Image paint(artwork::Image image)
{
    using artwork::Image;
    switch (image) {
    case Image::backgroundExpanded:
        return backgrounds::paintExpandedBackground();
    case Image::backgroundCollapsed:
        return backgrounds::paintCollapsedBackground();
    case Image::userPresets3:
        return backgrounds::paintUserPresetStrip(3);
    case Image::userPresets2:
        return backgrounds::paintUserPresetStrip(2);
    case Image::knobStandardStrip:
        return knobs::paintKnobStrip(knobs::Finish::anthracite);
    case Image::knobSilverStrip:
        return knobs::paintKnobStrip(knobs::Finish::silver);
    case Image::knobGoldStrip:
        return knobs::paintKnobStrip(knobs::Finish::gold);
    case Image::knobInput:
        return knobs::paintInputSelector();
    case Image::knobActivePreset:
        return knobs::paintActivePresetSelector(3);
    case Image::knobActivePresetTwoUser:
        return knobs::paintActivePresetSelector(2);
    case Image::buttonGetSettings:
        return buttons::paintSettingsButton("Get");
    case Image::buttonSendSettings:
        return buttons::paintSettingsButton("Send");
    case Image::buttonReset:
        return buttons::paintSettingsButton("Reset");
    case Image::buttonLoad:
        return buttons::paintPresetButton("Load");
    case Image::buttonSave:
        return buttons::paintPresetButton("Save");
    case Image::buttonUserPresetGet:
        return buttons::paintPresetButton("Get");
    case Image::buttonUserPresetSend:
        return buttons::paintPresetButton("Send");
    case Image::buttonFirmware:
        return buttons::paintFirmwareButton();
    case Image::buttonOpenClose:
        return buttons::paintOpenCloseButton();
    case Image::buttonHelp:
        return buttons::paintHelpButton();
    case Image::aboutLogo:
        return logo::paintAboutLogo();
    case Image::aboutButton:
        return buttons::paintAboutButton();
    }
    return {};
}

bool matchesTable(const juce::Image& image, const artwork::ImageInfo& info)
{
    const bool withAlpha = info.format == artwork::ColourFormat::rgba;
    return image.getWidth() == info.layout.width &&
           image.getHeight() == info.layout.sheetHeight() && image.hasAlphaChannel() == withAlpha;
}

/** Writes beside the target first, so an interrupted build never leaves half a file. */
bool writePng(const juce::Image& image, const juce::File& target)
{
    const auto temporary = target.getSiblingFile(target.getFileName() + ".part");
    temporary.deleteFile();
    {
        juce::FileOutputStream stream(temporary);
        if (!stream.openedOk() || !juce::PNGImageFormat().writeImageToStream(image, stream))
            return false;
        stream.flush();
        if (stream.getStatus().failed())
            return false;
    }
    return temporary.moveFileTo(target);
}

int run(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: pellaro_artwork <output folder> <panel font> <text font>\n";
        return 2;
    }
    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto folder = cwd.getChildFile(argv[1]);
    if (!folder.createDirectory()) {
        std::cerr << "pellaro_artwork: cannot make " << folder.getFullPathName() << "\n";
        return 1;
    }
    if (!style::loadTypefaces(cwd.getChildFile(argv[2]), cwd.getChildFile(argv[3]))) {
        std::cerr << "pellaro_artwork: cannot load the fonts " << argv[2] << " and " << argv[3]
                  << "\n";
        return 1;
    }

    for (const auto& info : artwork::images) {
        const auto image = paint(info.image);
        if (!matchesTable(image, info)) {
            std::cerr << "pellaro_artwork: " << info.fileName
                      << " came out at the wrong size or colour format\n";
            return 1;
        }
        if (!writePng(image, folder.getChildFile(info.fileName))) {
            std::cerr << "pellaro_artwork: cannot write " << info.fileName << "\n";
            return 1;
        }
    }
    // The desktop entry's icon: installed beside the program, not built into it.
    if (!writePng(logo::paintApplicationIcon(), folder.getChildFile("pellaro.png"))) {
        std::cerr << "pellaro_artwork: cannot write pellaro.png\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Sets JUCE up and tears its caches down again at the end; no window is ever opened.
    const juce::ScopedJuceInitialiser_GUI juce;
    const int result = run(argc, argv);
    style::releaseTypefaces();
    return result;
}
