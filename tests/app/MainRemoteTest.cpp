// The control panel as built: its controls in their first state, what their value boxes take
// from a commit, their bounds collapsed and expanded, the backgrounds and user-preset strips it
// paints, its first read that starts only once the whole panel is made, and its destruction
// while that read still runs.
#include "MainRemote.h"

#include "AboutWindow.h"
#include "EmbeddedResources.h"
#include "velk_remote_look_and_feel_active_preset_knob.h"

#include "support/PanelFixture.h"
#include "support/bounded_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class MainRemoteTest : public PanelTest
{
protected:
    juce::Image snapshot() { return panel->createComponentSnapshot(panel->getLocalBounds()); }
};

/** The panel pixel at (x, y) shows the image drawn at half size with its top left at `origin`:
    it is close to the mean of the image's 2 x 2 pixels there. */
testing::AssertionResult shows(const juce::Image& panelImage, int x, int y,
                               const juce::Image& source, juce::Point<int> origin = {})
{
    const int sx = 2 * (x - origin.x);
    const int sy = 2 * (y - origin.y);
    int mean[3] = {};
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const auto c = source.getPixelAt(sx + dx, sy + dy);
            mean[0] += c.getRed();
            mean[1] += c.getGreen();
            mean[2] += c.getBlue();
        }
    const auto shown = panelImage.getPixelAt(x, y);
    const int got[3] = {shown.getRed(), shown.getGreen(), shown.getBlue()};
    for (int i = 0; i < 3; ++i)
        if (std::abs(got[i] - mean[i] / 4) > 3)
            return testing::AssertionFailure()
                   << "pixel " << x << ", " << y << " is " << shown.toDisplayString(false)
                   << ", the image's " << mean[0] / 4 << ", " << mean[1] / 4 << ", " << mean[2] / 4;
    return testing::AssertionSuccess();
}

/** The strip shows whole above its buttons, in two rows across the plates' top edges and the
    gaps between them: the background has neither, the other strip its gaps elsewhere. */
void expectStrip(const juce::Image& panelImage, const juce::Image& strip, juce::Rectangle<int> at)
{
    for (const int y : {at.getY() + 2, at.getY() + 16})
        for (int x = at.getX() + 1; x < at.getRight() - 1; x += 3)
            ASSERT_TRUE(shows(panelImage, x, y, strip, at.getPosition()));
}

TEST_F(MainRemoteTest, StartsCollapsedWithOnlyGetEnabledAndNothingShown)
{
    panel = std::make_unique<MainRemote>();

    EXPECT_EQ(panel->getBounds(), juce::Rectangle<int>(0, 0, 1100, 303));
    ASSERT_EQ(panel->getNumChildComponents(), controlCount);
    EXPECT_TRUE(panel->isBusy()) << "the first read runs";

    for (int c = 0; c < controlCount; ++c) {
        SCOPED_TRACE(c);
        const bool userPreset = c >= readUserPreset1Button && c <= writeUserPreset3Button;
        EXPECT_EQ(control(Control(c)).isEnabled(), !(userPreset || c == updateFirmwareButton ||
                                                     c == writeSettingsButton || c == resetButton));
        EXPECT_EQ(control(Control(c)).isVisible(),
                  !(userPreset || c == loadPresetButton || c == savePresetButton ||
                    c == presetNameLabel));
    }
    for (const auto label : {modelLabel, firmwareLabel, statusLabel})
        EXPECT_EQ(as<juce::Label>(label).getText(), "");
    EXPECT_EQ(as<juce::Label>(presetNameLabel).getText(), "User Preset");
    EXPECT_EQ(as<juce::Slider>(inputSlider).getValue(), 1.0);
}

TEST_F(MainRemoteTest, HelpShowsTheSameAboutWindowEachTime)
{
    panel = std::make_unique<MainRemote>();
    // Not on the desktop before it is opened, so no native window of it can show.
    EXPECT_EQ(findOnDesktop<AboutWindow>(), nullptr);
    AboutWindow* about = nullptr;
    for (int showing = 0; showing < 2; ++showing) {
        panel->buttonClicked(&as<juce::Button>(helpButton));
        about = about != nullptr ? about : findOnDesktop<AboutWindow>();
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(about->isVisible());
        EXPECT_EQ(about->getWidth(), 650);
        about->closeButtonPressed();
        EXPECT_FALSE(about->isVisible());
        EXPECT_EQ(findOnDesktop<AboutWindow>(), about);
    }
}

struct Placement
{
    Control control;
    juce::Rectangle<int> collapsed;
    juce::Rectangle<int> expanded;
};

TEST_F(MainRemoteTest, FirmwareVersionFitsItsLabelWithoutSqueezing)
{
    panel = std::make_unique<MainRemote>();
    auto& label = as<juce::Label>(firmwareLabel);
    const auto textArea = label.getBorderSize().subtractedFrom(label.getLocalBounds());
    EXPECT_LE(label.getFont().getStringWidthFloat("Firmware: 1.0.10"),
              static_cast<float>(textArea.getWidth()));
}

TEST_F(MainRemoteTest, AValueBoxWithoutAWellFormedNumberKeepsItsKnobsValue)
{
    panel = std::make_unique<MainRemote>();
    int boxes = 0;
    for (auto* child : panel->getChildren()) {
        auto* knob = dynamic_cast<juce::Slider*>(child);
        if (knob == nullptr || !knob->isTextBoxEditable())
            continue;
        auto* box = dynamic_cast<juce::Label*>(knob->getChildComponent(0));
        ASSERT_NE(box, nullptr);
        ++boxes;
        // Edits committed as the box commits them; the maximum is not 0 on any knob.
        knob->setValue(knob->getMaximum());
        const auto shown = box->getText();
        // Malformed numbers too, which a lenient reading takes as 0, 1 or 1000 Hz.
        for (const char* typed : {"", "-", "+", ".", ",", " ", "--5", "- 5", "1-3", "1 000"}) {
            SCOPED_TRACE(testing::Message() << shown << " then \"" << typed << "\"");
            box->setText(typed, juce::sendNotificationSync);
            EXPECT_EQ(knob->getValue(), knob->getMaximum());
            EXPECT_EQ(box->getText(), shown);
        }
        knob->setValue(knob->getMinimum());
        box->setText(shown, juce::sendNotificationSync);
        EXPECT_EQ(knob->getValue(), knob->getMaximum()) << shown << " typed";
    }
    EXPECT_EQ(boxes, 24) << "volume, delay and the equaliser's 8 gains, 8 frequencies and 6 Qs";
}

TEST_F(MainRemoteTest, AValueBoxCommitTakesASignedDecimalNumberInTheBoxsUnit)
{
    startPanel(); // so that the first read's settings arrive before the rows, not among them
    // Each row starts from `start` and commits the text as the Return key does; `start` as the
    // result means the text names no value: the knob keeps its value and the box shows it again.
    // A text may hold the unit the box showed before its number was edited (no letter can be
    // typed), the blanks around it and characters the box lets in.
    const struct
    {
        Control knob;
        double start;
        const char* committed;
        double value;
    } rows[] = {
        {volumeSlider, -10, "-5", -5},
        {volumeSlider, -10, "+3.5 dB", 3.5},
        {volumeSlider, -10, " -7,5 dB ", -7.5},
        {volumeSlider, -10, ".5", 0.5},
        {volumeSlider, -10, "5.", 5},
        {volumeSlider, -10, "13", 12},
        {volumeSlider, -10, "--5", -10},
        {volumeSlider, -10, "- 5", -10},
        {volumeSlider, -10, "1-3", -10},
        {volumeSlider, -10, "1 000", -10},
        {volumeSlider, -10, "+-5", -10},
        {volumeSlider, -10, "5-", -10},
        {volumeSlider, -10, "1.2.3", -10},
        {volumeSlider, -10, "3.5dB", -10},
        {volumeSlider, -10, "3.5 ms", -10},
        {parametric1GainSlider, -3, "+3.5 dB", 3.5},
        {parametric1GainSlider, -3, "-5", -5},
        {parametric1GainSlider, -3, "13", 12},
        {parametric1GainSlider, -3, "+ 3", -3},
        {parametric1GainSlider, -3, "2,,5", -3},
        {parametric1GainSlider, -3, "-5 dB ", -5},
        {delaySlider, 2, "1,5", 1.5},
        {delaySlider, 2, "3.5 ms", 3.5},
        {delaySlider, 2, "3.5 ms ", 3.5},
        {delaySlider, 2, " 1,5 ms  ", 1.5},
        {delaySlider, 2, "+.5", 0.5},
        {delaySlider, 2, "6", 5},
        {delaySlider, 2, "1 5", 2},
        {delaySlider, 2, "4-", 2},
        {delaySlider, 2, "--1", 2},
        {delaySlider, 2, "1.5 dB", 2},
        {parametric1FrequencySlider, 315, "1.0 kHz", 1000},
        {parametric1FrequencySlider, 315, "20 kHz", 20000},
        {parametric1FrequencySlider, 315, "2,5 kHz", 2500},
        {parametric1FrequencySlider, 315, "500 Hz", 500},
        {parametric1FrequencySlider, 315, "500 Hz ", 500},
        {parametric1FrequencySlider, 315, "2,5 kHz ", 2500},
        {parametric1FrequencySlider, 315, "0,5", 500},
        {parametric1FrequencySlider, 315, ".5", 500},
        {parametric1FrequencySlider, 315, "15", 16000},
        {parametric1FrequencySlider, 315, "30", 32},
        {parametric1FrequencySlider, 315, "-5", 20},
        {parametric1FrequencySlider, 315, "1-3", 315},
        {parametric1FrequencySlider, 315, "1 000", 315},
        {parametric1FrequencySlider, 315, "--5", 315},
        {parametric1FrequencySlider, 315, "2.5kHz", 315},
        {parametric1FrequencySlider, 315, "1..0 kHz", 315},
        {parametric1QSlider, 5, "0,5", 0.5},
        {parametric1QSlider, 5, ".5", 0.5},
        {parametric1QSlider, 5, "0.25", 0.3},
        {parametric1QSlider, 5, "25", 20},
        {parametric1QSlider, 5, "1..2", 5},
        {parametric1QSlider, 5, "1,2,", 5},
        {parametric1QSlider, 5, ",5,", 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "control " << row.knob << " at " << row.start << ", \""
                                        << row.committed << "\" committed");
        auto& knob = as<juce::Slider>(row.knob);
        auto& box = dynamic_cast<juce::Label&>(*knob.getChildComponent(0));
        knob.setValue(row.start);
        ASSERT_EQ(knob.getValue(), row.start);
        box.showEditor();
        auto* editor = box.getCurrentTextEditor();
        ASSERT_NE(editor, nullptr) << "the value box opened no editor";
        editor->setText(row.committed, false);
        // The editor posts its Return to itself; the box commits when the message arrives.
        editor->keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
        ASSERT_TRUE(test_support::eventually([&box] {
            juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
            return box.getCurrentTextEditor() == nullptr;
        })) << "the box never committed after Return";
        EXPECT_NEAR(knob.getValue(), row.value, 1e-9);
        EXPECT_EQ(box.getText(), knob.getTextFromValue(knob.getValue()));
    }
}

TEST_F(MainRemoteTest, PutsItsControlsAtTheirBoundsCollapsedAndExpanded)
{
    speaker().remove_device();
    // The missing speaker is found only by a read that ends before the panel goes.
    startPanel();
    const auto fixed = [](Control c, int x, int y, int w, int h) {
        return Placement{c, {x, y, w, h}, {x, y, w, h}};
    };
    const Placement rows[] = {
        fixed(inputSlider, 130, 59, 155, 145),
        fixed(volumeSlider, 345, 70, 76, 103),
        fixed(activePresetSlider, 630, 59, 167, 145),
        fixed(readSettingsButton, 846, 68, 94, 24),
        fixed(resetButton, 846, 148, 94, 24),
        fixed(helpButton, 958, 192, 29, 16),
        fixed(presetNameLabel, 92, 228, 203, 24),
        fixed(loadPresetButton, 92, 261, 93, 23),
        fixed(lowShelfFrequencySlider, 41, 347, 76, 104),
        fixed(parametric1FrequencySlider, 138, 347, 76, 104),
        fixed(highShelfFrequencySlider, 985, 347, 76, 104),
        fixed(parametric1QSlider, 195, 431, 76, 88),
        fixed(parametric6QSlider, 900, 431, 76, 88),
        fixed(lowShelfGainSlider, 41, 476, 76, 104),
        fixed(highShelfGainSlider, 985, 476, 76, 104),
        fixed(parametric1GainSlider, 138, 526, 76, 102),
        fixed(parametric6GainSlider, 843, 526, 76, 102),
        {openCloseButton, {996, 238, 50, 20}, {996, 635, 50, 20}},
        {updateFirmwareButton, {916, 260, 31, 30}, {916, 657, 31, 30}},
        {statusLabel, {626, 263, 192, 24}, {626, 661, 192, 24}},
    };
    for (const bool expanded : {true, false}) {
        setExpanded(expanded);
        EXPECT_EQ(panel->getHeight(), expanded ? 700 : 303);
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message()
                         << "control " << row.control << " expanded " << expanded);
            EXPECT_EQ(control(row.control).getBounds(), expanded ? row.expanded : row.collapsed);
        }
        EXPECT_EQ(control(loadPresetButton).isVisible(), expanded);
        EXPECT_EQ(control(presetNameLabel).isVisible(), expanded);
        // No speaker has been read: no user-preset button anywhere.
        EXPECT_FALSE(control(readUserPreset1Button).isVisible());
    }
}

TEST_F(MainRemoteTest, PaintsTheBackgroundOfItsState)
{
    speaker().remove_device();
    // The missing speaker is found only by a read that ends before the panel goes.
    startPanel();
    const auto collapsed = EmbeddedResources::getImage(artwork::Image::backgroundCollapsed);
    const auto expanded = EmbeddedResources::getImage(artwork::Image::backgroundExpanded);

    // Places no control covers where the artwork changes from one row to the next: the
    // header's accent line, the top edges of the plates and of the status bar.
    auto image = snapshot();
    for (const auto p : {juce::Point<int>{50, 34}, juce::Point<int>{600, 257}})
        EXPECT_TRUE(shows(image, p.x, p.y, collapsed));

    setExpanded(true);
    image = snapshot();
    for (const auto p : {juce::Point<int>{100, 323}, juce::Point<int>{600, 655}})
        EXPECT_TRUE(shows(image, p.x, p.y, expanded));
    // No user presets known: no strip over the preset row.
    EXPECT_TRUE(shows(image, 400, 231, expanded));
}

TEST_F(MainRemoteTest, ShowsTwoThenThreeUserPresetsWithTheirStripButtonsAndKnob)
{
    attach("K5T");
    startPanel();
    setExpanded(true);

    auto* knob = dynamic_cast<velk_remote_look_and_feel_active_preset_knob*>(
        &control(activePresetSlider).getLookAndFeel());
    ASSERT_NE(knob, nullptr);
    // With three user presets the third pair shows, and the knob and the strip are the others.
    const struct
    {
        const char* model;
        int x[6];
        bool three;
        int stripX; // the strips end at x 1065
    } rows[] = {{"K5T", {614, 724, 844, 954, 844, 954}, false, 590},
                {"K7R", {384, 494, 614, 724, 844, 954}, true, 370}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.model);
        if (row.model != rows[0].model) {
            speaker().reset(row.model);
            click(readSettingsButton);
            ASSERT_TRUE(tickUntilIdle()) << "the read never ended";
        }
        EXPECT_EQ(text(modelLabel), std::string("Model: ") + row.model + " (Serial: K-004711)");
        EXPECT_EQ(text(firmwareLabel), "Firmware: 1.0.7");
        EXPECT_EQ(text(statusLabel), "(searching online...)");
        EXPECT_FALSE(control(updateFirmwareButton).isEnabled());
        for (int i = 0; i < 6; ++i) {
            const auto& button = control(Control(readUserPreset1Button + i));
            EXPECT_EQ(button.getX(), row.x[i]) << "button " << i;
            EXPECT_EQ(button.isVisible(), i < 4 || row.three) << "button " << i;
        }
        using artwork::Image;
        const auto strip = row.three ? Image::userPresets3 : Image::userPresets2;
        EXPECT_EQ(knob->filmStrip,
                  EmbeddedResources::getImage(row.three ? Image::knobActivePreset
                                                        : Image::knobActivePresetTwoUser));
        const auto image = snapshot();
        expectStrip(image, EmbeddedResources::getImage(strip),
                    {row.stripX, 229, 1065 - row.stripX, 62});
        const auto background = EmbeddedResources::getImage(Image::backgroundExpanded);
        EXPECT_EQ(shows(image, 400, 231, background), !row.three) << "left of the strip";
        // Nothing is published: the search fails.
        ASSERT_TRUE(tickUntil([this] { return text(statusLabel) == "(firmware search failed)"; }))
            << "the search never ended";
    }
    EXPECT_TRUE(desktop->boxes.empty());
}

/** A panel of a subclass, which overrides a callback: no worker may call it (or the base
    class's in its place) before the subclass's constructor has run. */
class CompletePanel : public MainRemote
{
public:
    CompletePanel() : readWhileMade(getSpeakerLink().is_device_operation_running()) {}
    void speaker_changed(dsp_control& control) override
    {
        shownHere = true;
        MainRemote::speaker_changed(control);
    }
    const bool readWhileMade;
    std::atomic<bool> shownHere{false};
};

TEST_F(MainRemoteTest, TheFirstReadStartsOnlyOnceTheWholePanelIsMade)
{
    // Held at its first report, a read started while the panel was made would still run.
    const auto gate = speaker().hold_report(0);
    auto made = std::make_unique<CompletePanel>();
    auto& complete = *made;
    panel = std::move(made);
    EXPECT_FALSE(complete.readWhileMade) << "the first read started before the panel was made";
    EXPECT_TRUE(panel->isBusy()) << "the first read counts as running from the start";
    panel->timerCallback();
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10)))
        << "the first tick started no read";
    gate->release();
    ASSERT_TRUE(tickUntilIdle()) << "the first read never ended";
    EXPECT_TRUE(complete.shownHere) << "the subclass's callback did not get the speaker";
    EXPECT_EQ(speaker().open_count(), 1u);
    // The search that followed calls the subclass too: it ends before the subclass goes.
    ASSERT_TRUE(test_support::eventually([this] {
        return !panel->getSpeakerLink().is_firmware_search_running();
    })) << "the firmware search never ended";
}

TEST_F(MainRemoteTest, DestructionWaitsForTheFirstReadStillRunning)
{
    const auto gate = speaker().hold_report(3);
    panel = std::make_unique<MainRemote>();
    panel->timerCallback(); // the first tick starts the first read
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10)))
        << "the first read never reached its fourth report";
    // Let the read go on while the panel is being destroyed: the destructor must wait for it,
    // and its callback must find the panel's flags still alive.
    std::thread releaser([&gate] { gate->release(); });
    panel.reset();
    releaser.join();
    EXPECT_EQ(speaker().open_handle_count(), 0u);
    EXPECT_EQ(speaker().close_count(), 1u);
    EXPECT_FALSE(gate->held());
}

} // namespace
