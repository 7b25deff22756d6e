// Renders the real control panel and About box into PNG files, collapsed and expanded, with an
// emulated speaker of three and of two user presets attached, for looking at the artwork as a
// user sees it. A developer's tool: nothing here is part of the product.
//
// Usage: pellaro_preview <output folder>
#include "AboutBox.h"
#include "MainRemote.h"

#include <emulated_speaker/speaker.h>

#include <X11/Xlib.h>

#include <chrono>
#include <iostream>
#include <thread>

namespace {

// The model label: the panel's timer fills it when it shows a speaker it has read.
constexpr int modelLabel = 25;

/** Waits (at most 10 s) until the panel's timer has shown the speaker: only then do the strip,
    the voicing knob and the buttons fit the speaker's user presets. */
bool waitForSpeaker(MainRemote& panel)
{
    auto* label = dynamic_cast<juce::Label*>(panel.getChildComponent(modelLabel));
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (label != nullptr && std::chrono::steady_clock::now() < limit) {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
        if (label->getText().isNotEmpty())
            return true;
    }
    return false;
}

bool write(const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream stream(file);
    return stream.openedOk() && juce::PNGImageFormat().writeImageToStream(image, stream);
}

bool renderPanel(const juce::File& file, const std::string& model, bool expanded)
{
    emulated_speaker::attached().reset(model);
    MainRemote panel;
    if (!waitForSpeaker(panel)) {
        std::cerr << "pellaro_preview: the emulated " << model << " did not answer\n";
        return false;
    }
    for (auto* child : panel.getChildren())
        if (child->getName() == "openclosebutton")
            if (auto* toggle = dynamic_cast<juce::Button*>(child))
                toggle->setToggleState(expanded, juce::sendNotificationSync);
    return write(panel.createComponentSnapshot(panel.getLocalBounds()), file);
}

int run(const juce::File& folder)
{
    if (!folder.createDirectory())
        return 1;
    bool written = renderPanel(folder.getChildFile("panel_collapsed.png"), "K5R", false) &&
                   renderPanel(folder.getChildFile("panel_expanded_3.png"), "K5R", true) &&
                   renderPanel(folder.getChildFile("panel_expanded_2.png"), "K5T", true);
    AboutBox about;
    written &= write(about.createComponentSnapshot(about.getLocalBounds()),
                     folder.getChildFile("about_box.png"));
    return written ? 0 : 1;
}

// On a bare X server JUCE sets properties with atoms nobody made; without a handler of ours,
// Xlib's default one would end the program at the first BadAtom.
int ignoreXError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: pellaro_preview <output folder>\n";
        return 2;
    }
    XSetErrorHandler(ignoreXError);
    const juce::ScopedJuceInitialiser_GUI juce;
    const int result = run(juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]));
    juce::ImageCache::releaseUnusedImages();
    return result;
}
