// The panel's buttons: the values each one hands to the speaker link and the speaker stores,
// the questions asked first, and preset files through the file panels, JUCE's own save panel
// included.
#include "JuceDialogHooks.h"

#include "support/PanelFixture.h"
#include "support/SavePanelDriver.h"
#include "support/file_size_limit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using MainRemoteActionsTest = PanelTest;

struct SentSettings
{
    double input, volume, delay, active; // knob values, put in beyond their ranges
    quarro::u32 code;                    // what is sent
    double sentVolume, sentDelay;
    quarro::u32 sentActive;
    double inputRead; // the input knob after "Get" reads the code back
};

TEST_F(MainRemoteActionsTest, SendsTheInputCodeOfEachPositionAndLimitsVolumeAndDelay)
{
    startPanel();
    const SentSettings rows[] = {
        {0, -61, 6, 3, 1, -60, 5, 3, 0},
        {1, 12.5, -1, 1, 0, 12, 0, 1, 1},
        {2, -6.5, 1.2, 5, 2, -6.5, 1.2, 5, 2},
        {3, 0, 0, 2, 0, 0, 0, 2, 1}, // beyond the table: code 0
        {1.999999, -20, 2.5, 4, 2, -20, 2.5, 4, 2}, // a hair below "AES R" stands for it
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.input);
        putValue(inputSlider, row.input);
        putValue(volumeSlider, row.volume);
        putValue(delaySlider, row.delay);
        putValue(activePresetSlider, row.active);
        click(writeSettingsButton);
        ASSERT_TRUE(tickUntilIdle()) << "the settings were never written";
        const auto stored = speaker().settings();
        EXPECT_EQ(stored.input, row.code);
        EXPECT_EQ(stored.volume_tenths_db, std::lround(row.sentVolume * 10));
        EXPECT_EQ(stored.delay_tenths_ms, std::lround(row.sentDelay * 10));
        EXPECT_EQ(stored.active_preset, row.sentActive);
        putValue(inputSlider, 3); // no code's position: the read must turn the knob
        click(readSettingsButton);
        ASSERT_TRUE(tickUntilIdle()) << "the settings were never read";
        EXPECT_EQ(value(inputSlider), row.inputRead);
    }
    EXPECT_TRUE(desktop->boxes.empty());
}

TEST_F(MainRemoteActionsTest, SendsAUserPresetWithItsGainsLimited)
{
    startPanel();
    putValue(lowShelfGainSlider, -13);
    putValue(parametric3GainSlider, 13);
    putValue(parametric3FrequencySlider, 1000);
    putValue(parametric3QSlider, 2);
    as<juce::Label>(presetNameLabel).setText("Vocal", juce::dontSendNotification);
    click(writeUserPreset2Button);
    EXPECT_TRUE(panel->isBusy());

    EXPECT_EQ(panel->getSpeakerLink().get_current_preset()->name, "Vocal");
    ASSERT_TRUE(tickUntilIdle()) << "the preset was never written";
    const auto slot = speaker().settings().slots[2 + 1]; // after the two factory voicings
    EXPECT_EQ(slot.low_shelf.gain_tenths_db, -120);
    EXPECT_EQ(slot.parametric[2].gain_tenths_db, 120);
}

TEST_F(MainRemoteActionsTest, ResetAsksFirstAndNoStartsNothing)
{
    startPanel();
    desktop->answerYes = false;
    click(resetButton);
    EXPECT_FALSE(panel->isBusy());
    ASSERT_EQ(desktop->boxes.size(), 1u);
    EXPECT_EQ(desktop->boxes[0].title, "Reset speaker");
    EXPECT_EQ(desktop->boxes[0].text,
              "Are you sure you want to reset all the DSP settings in your speaker? All values "
              "will be restored to their original default values.");
    EXPECT_EQ(desktop->boxes[0].associatedComponent, panel.get());
    expect_flash_unchanged();

    desktop->answerYes = true;
    as<juce::Slider>(parametric1GainSlider).setValue(4);
    click(resetButton);
    EXPECT_TRUE(panel->isBusy());
    ASSERT_TRUE(tickUntilIdle()) << "the reset never ended";
    // The defaults are shown; the equaliser knobs keep what they had.
    EXPECT_EQ(value(volumeSlider), 0.0);
    EXPECT_EQ(value(delaySlider), 0.0);
    EXPECT_EQ(value(inputSlider), 1.0);
    EXPECT_EQ(value(parametric1GainSlider), 4.0);
    EXPECT_EQ(speaker().settings().input, 0u);
    EXPECT_EQ(desktop->boxes.size(), 2u);
}

TEST_F(MainRemoteActionsTest, SavesTheHeldPresetNotTheKnobsAndLoadsItBack)
{
    startPanel();
    const test_support::temporary_folder folder;
    const std::string file = folder / "My Preset.xml";
    as<juce::Slider>(parametric2GainSlider).setValue(5);

    filePanels->answer = std::nullopt; // "Cancel"
    click(savePresetButton);
    EXPECT_FALSE(std::filesystem::exists(file));
    const std::string presets = panel->getSpeakerLink().get_preset_folder().get_path();
    EXPECT_EQ(filePanels->asked, "save preset as...|" + presets + "|User Preset|xml");

    filePanels->answer = file;
    click(savePresetButton);
    EXPECT_EQ(text(presetNameLabel), "My Preset");
    const std::string saved = test_support::read_text(file);
    EXPECT_NE(saved.find("<name>My Preset</name>"), std::string::npos);
    EXPECT_EQ(saved.find("5.0"), std::string::npos) << "a knob move that was not sent";

    // A broken file: the knobs return to the held preset, and nothing is said.
    const std::string broken = folder / "broken.xml";
    test_support::write_text(broken, "<root><preset><name>x</name>");
    filePanels->answer = broken;
    click(loadPresetButton);
    EXPECT_EQ(filePanels->asked, "load preset...|" + presets);
    EXPECT_EQ(value(parametric2GainSlider), 0.0);
    EXPECT_EQ(text(presetNameLabel), "user preset");

    filePanels->answer = file;
    click(loadPresetButton);
    EXPECT_EQ(text(presetNameLabel), "My Preset");
    EXPECT_TRUE(desktop->boxes.empty());
}

TEST_F(MainRemoteActionsTest, SavesUnderTheTypedNameWithXmlAddedAndNamesThePresetAfterIt)
{
    startPanel();
    quarro::set_dialog_hooks(std::make_shared<JuceDialogHooks>()); // the real save panel
    const std::string presets = panel->getSpeakerLink().get_preset_folder().get_path();
    const struct
    {
        const char* typed;
        const char* file;
        const char* name;
    } rows[] = {
        {"Vocal 1.5", "Vocal 1.5.xml", "Vocal 1.5"},
        {"Vocal 1.7", "Vocal 1.7.xml", "Vocal 1.7"}, // a file of its own, asked about nothing
        {"Bass.XML", "Bass.XML", "Bass"},
        {"Vocal.txt", "Vocal.txt.xml", "Vocal.txt"},
    };
    std::vector<std::string> files;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        SavePanelDriver user(row.typed, false);
        click(savePresetButton);
        ASSERT_TRUE(dispatchUntil([&] { return text(presetNameLabel) == row.name || user.gaveUp; }))
            << "the save never ended";
        ASSERT_TRUE(user.typed) << "no save panel showed";
        ASSERT_FALSE(user.gaveUp) << "the save panel was still open after 10 s";
        EXPECT_TRUE(user.alerts.empty());
        EXPECT_TRUE(desktop->boxes.empty());
        EXPECT_EQ(text(presetNameLabel), row.name);
        const std::string saved = test_support::read_text(presets + "/" + row.file);
        EXPECT_NE(saved.find(std::string("<name>") + row.name + "</name>"), std::string::npos)
            << saved;
        files.push_back(row.file);
    }
    std::vector<std::string> left;
    for (const auto& item : std::filesystem::directory_iterator(presets))
        left.push_back(item.path().filename().string());
    std::sort(left.begin(), left.end());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(left, files);
}

TEST_F(MainRemoteActionsTest, SavingAPresetThatCannotBeWrittenSaysWhyAndChangesNothing)
{
    startPanel();
    const struct
    {
        std::string name;
        const char* before; // the file's content before the save; nullptr: no such file
        rlim_t sizeLimitBytes;
        const char* why;
    } rows[] = {
        // A name longer than any file system takes, so that the file can't be made even by
        // root.
        {std::string(300, 'n') + ".xml", nullptr, RLIM_INFINITY,
         "cannot create the file! it may be opened by another application?"},
        // Made, but the disk takes only part of the preset: nothing of it stays.
        {"New.xml", nullptr, 100, "cannot write data to file!"},
        {"Kept.xml", "<root>the preset saved last time</root>\n", 100,
         "cannot write data to file!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.substr(0, 20));
        const test_support::temporary_folder folder;
        const std::string file = folder / row.name;
        if (row.before != nullptr)
            test_support::write_text(file, row.before);
        filePanels->answer = file;
        desktop->boxes.clear();
        {
            const test_support::file_size_limit limit(row.sizeLimitBytes);
            click(savePresetButton);
        }
        EXPECT_EQ(desktop->boxes.size(), 1u);
        for (const auto& box : desktop->boxes) {
            EXPECT_EQ(box.title, "Save preset failed");
            EXPECT_NE(box.text.find(row.why), std::string::npos) << box.text;
            EXPECT_EQ(box.associatedComponent, panel.get());
        }
        EXPECT_EQ(text(presetNameLabel), "User Preset");
        EXPECT_FALSE(panel->isBusy());
        std::vector<std::string> left;
        for (const auto& item : std::filesystem::directory_iterator(folder.path()))
            left.push_back(item.path().filename().string());
        if (row.before == nullptr) {
            EXPECT_TRUE(left.empty()) << left.front();
        } else {
            EXPECT_EQ(left, std::vector<std::string>{row.name});
            EXPECT_EQ(test_support::read_text(file), row.before);
        }
    }
}

} // namespace
