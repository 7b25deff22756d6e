// The panel's buttons: the values each one hands to the speaker link and the speaker stores,
// the questions asked first, and preset files through the file panels, JUCE's own save panel
// included.
#include "JuceDialogHooks.h"

#include "support/PanelFixture.h"
#include "support/SavePanelDriver.h"
#include "support/file_size_limit.h"

#include <quarro/files/folder_operations.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
        {3, 0, 0, 2, 0, 0, 0, 2, 1},                // beyond the table: code 0
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

    filePanels->answer = file;
    click(loadPresetButton);
    EXPECT_EQ(filePanels->asked, "load preset...|" + presets);
    EXPECT_EQ(text(presetNameLabel), "My Preset");
    EXPECT_EQ(value(parametric2GainSlider), 0.0) << "the file's gain";
    EXPECT_TRUE(desktop->boxes.empty());
}

TEST_F(MainRemoteActionsTest, ALoadThatFailsSaysWhyAndKeepsTheKnobsTheNameAndTheHeldPreset)
{
    startPanel();
    const test_support::temporary_folder folder;
    const std::string cut = folder / "cut.xml";
    test_support::write_text(cut, "<root><preset><name>x</name>");
    const std::string noPreset = folder / "no preset.xml";
    test_support::write_text(noPreset, "<?xml version=\"1.0\" ?><root></root>\n");
    const std::string bands = folder / "three bands.xml";
    test_support::write_text(bands,
                             "<root><preset><name>Few</name><equalizer><eq/><eq/><eq/></equalizer>"
                             "</preset></root>");
    const std::string junk = folder / "junk.bin";
    test_support::write_text(junk, std::string("\x7f"
                                               "ELF\x02\x01\x01\0\0\xff\xfe",
                                               12));
    // Write-only for everyone, root included: it cannot be read.
    const std::string unreadable = "/proc/sys/vm/drop_caches";
    ASSERT_TRUE(std::filesystem::is_regular_file(unreadable)) << unreadable << " is missing";
    const struct
    {
        std::string file;
        const char* why;
    } rows[] = {
        {cut, "it holds no preset with eight bands."},
        {noPreset, "it holds no preset with eight bands."},
        {bands, "it holds no preset with eight bands."},
        {junk, "it holds no preset with eight bands."},
        {unreadable, "it could not be read."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        // Edits not sent, and a held preset of the speaker's.
        putValue(parametric1GainSlider, 7.5);
        as<juce::Label>(presetNameLabel).setText("Edited", juce::dontSendNotification);
        const auto held = panel->getSpeakerLink().get_current_preset();
        desktop->boxes.clear();
        filePanels->answer = row.file;
        click(loadPresetButton);
        EXPECT_EQ(value(parametric1GainSlider), 7.5);
        EXPECT_EQ(text(presetNameLabel), "Edited");
        const auto now = panel->getSpeakerLink().get_current_preset();
        EXPECT_EQ(now->name, held->name);
        for (std::size_t band = 0; band < preset::band_count; ++band)
            EXPECT_EQ(now->bands[band]->gain, held->bands[band]->gain) << "band " << band;
        ASSERT_EQ(desktop->boxes.size(), 1u);
        EXPECT_EQ(desktop->boxes[0].title, "Load preset failed");
        EXPECT_EQ(desktop->boxes[0].text,
                  "The preset file " + row.file + " was not loaded: " + row.why);
        EXPECT_EQ(desktop->boxes[0].associatedComponent, panel.get());
        EXPECT_FALSE(panel->isAsking());
    }
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
        {"Bass\\Low", "Bass\\Low.xml", "Bass\\Low"}, // a backslash is part of the name
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
        {std::string(300, 'n') + ".xml", nullptr, RLIM_INFINITY, "the file could not be created."},
        // Made, but the disk takes only part of the preset: nothing of it stays.
        {"New.xml", nullptr, 100, "the file could not be written."},
        {"Kept.xml", "<root>the preset saved last time</root>\n", 100,
         "the file could not be written."},
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
            EXPECT_EQ(box.text, "Cannot save as " + file + ": " + row.why);
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

namespace {

/** The names of the items in a folder, sorted. */
std::vector<std::string> itemsIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(MainRemoteActionsTest, AConfirmedSaveThatCannotHappenSaysWhyAndLeavesNoFile)
{
    startPanel();
    const test_support::temporary_folder folder;
    std::filesystem::create_directory(folder / "dirx.xml");
    test_support::write_text(folder / "Taken.xml", "<root>kept</root>");
    // The save panel of the program (the type added, the question before a replace), with the
    // answer of the question held back until the test gives it.
    struct SavePanel : test_support::scripted_dialogs
    {
        void begin_choose_file_to_save(const std::string&, const std::string&, const std::string&,
                                       const std::string&, answer_function answer) override
        {
            JuceDialogHooks::fileToSave(
                juce::File(*chosen), "xml", [answer](std::optional<juce::File> file) {
                    answer(file ? std::optional<std::string>(file->getFullPathName().toStdString())
                                : std::nullopt);
                });
        }
        std::optional<std::string> chosen;
    };
    const auto savePanel = std::make_shared<SavePanel>();
    quarro::set_dialog_hooks(savePanel);
    desktop->holdAnswers = true;
    const struct
    {
        const char* typed;
        bool asks;                        // the replace question comes
        std::function<void()> whileAsked; // what another program does meanwhile
        std::string why;
    } rows[] = {
        {"dirx",
         false,
         {},
         "Cannot save as " + (folder / "dirx.xml") + ": a folder has that name."},
        {"dirx.xml",
         false,
         {},
         "Cannot save as " + (folder / "dirx.xml") + ": a folder has that name."},
        {"nosub/Inner.xml",
         false,
         {},
         "Cannot save as " + (folder / "nosub/Inner.xml") + ": the folder " + (folder / "nosub") +
             " does not exist."},
        {"Taken", true,
         [&folder] {
             std::filesystem::remove(folder / "Taken.xml");
             std::filesystem::create_directory(folder / "Taken.xml");
         },
         "Cannot save as " + (folder / "Taken.xml") + ": a folder has that name."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        const auto before = itemsIn(folder.path());
        desktop->boxes.clear();
        savePanel->chosen = folder / row.typed;
        click(savePresetButton);
        if (row.asks) {
            ASSERT_EQ(desktop->boxes.size(), 1u);
            EXPECT_EQ(desktop->boxes[0].title, "File already exists");
            row.whileAsked();
            desktop->boxes.clear();
            desktop->answer(true);
        }
        ASSERT_EQ(desktop->boxes.size(), 1u) << "a confirmed save said nothing";
        EXPECT_EQ(desktop->boxes[0].title, "Save preset failed");
        EXPECT_EQ(desktop->boxes[0].text, row.why);
        EXPECT_EQ(desktop->boxes[0].associatedComponent, panel.get());
        EXPECT_EQ(itemsIn(folder.path()), before) << "a file was left behind";
        EXPECT_EQ(text(presetNameLabel), "User Preset");
        EXPECT_FALSE(panel->isAsking());
    }
    EXPECT_TRUE(desktop->unanswered.empty());
}

struct LaterAnswer
{
    const char* name;
    Control button;
    bool yes;
    bool started;
};

TEST_F(MainRemoteActionsTest, AQuestionAnsweredAfterTheClickDoesWhatItsAnswerSays)
{
    // Update with the speaker's own version online asks too.
    const std::string folder = packages / "K5R/1.0.7";
    std::filesystem::create_directories(folder);
    test_support::write_text(folder + "/firmware.zip", "not a zip archive");
    const LaterAnswer rows[] = {
        {"Reset, Yes", resetButton, true, true},
        {"Reset, No", resetButton, false, false},
        {"Update, Yes", updateFirmwareButton, true, true},
        {"Update, Escape", updateFirmwareButton, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        startPanel();
        ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
            << "the search never allowed the update";
        desktop->holdAnswers = true;
        desktop->boxes.clear();
        click(row.button);
        ASSERT_EQ(desktop->unanswered.size(), 1u) << "no question";
        EXPECT_TRUE(panel->isAsking());
        EXPECT_FALSE(panel->isBusy()) << "started before the answer";
        // Meanwhile no other action starts and no panel opens.
        for (const auto other : {writeSettingsButton, readSettingsButton, resetButton,
                                 updateFirmwareButton, loadPresetButton, savePresetButton})
            click(other);
        EXPECT_FALSE(panel->isBusy()) << "an action started while a question was open";
        EXPECT_EQ(desktop->unanswered.size(), 1u) << "a second question opened";
        EXPECT_EQ(filePanels->opened, 0) << "a file panel opened while a question was open";
        speaker().clear_history();

        desktop->answer(row.yes);
        EXPECT_FALSE(panel->isAsking());
        EXPECT_EQ(panel->isBusy(), row.started);
        ASSERT_TRUE(tickUntilIdle()) << "the operation never ended";
        if (row.button == resetButton)
            EXPECT_EQ(speaker().open_count() > 0, row.started);
        else // the package online is no zip archive: it fails as a download does
            EXPECT_EQ(text(statusLabel) == "firmware download failed!", row.started);
        // The panel goes on: the next click starts its operation.
        ASSERT_TRUE(clickRunsItsOperation(writeSettingsButton))
            << "the panel did not take the next click";
        panel.reset();
        desktop->holdAnswers = false;
    }
}

TEST_F(MainRemoteActionsTest, AQuestionIsNotAskedWhileAnOperationRuns)
{
    // Update with the speaker's own version online asks too.
    const std::string folder = packages / "K5R/1.0.7";
    std::filesystem::create_directories(folder);
    test_support::write_text(folder + "/firmware.zip", "not a zip archive");
    startPanel();
    ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
        << "the search never allowed the update";
    desktop->holdAnswers = true;
    const auto gate = speaker().hold_report(0);
    click(writeSettingsButton);
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the send never began";
    for (const auto button : {resetButton, updateFirmwareButton}) {
        SCOPED_TRACE(button == resetButton ? "Reset" : "Update");
        click(button);
        EXPECT_TRUE(desktop->boxes.empty()) << "a question was asked";
        EXPECT_FALSE(panel->isAsking());
    }
    gate->release();
    ASSERT_TRUE(tickUntilIdle()) << "the send never ended";
    EXPECT_TRUE(desktop->unanswered.empty());
}

TEST_F(MainRemoteActionsTest, AQuestionOrPanelThatCannotOpenSaysWhyAndLeavesThePanelUsable)
{
    startPanel();
    const struct
    {
        const char* name;
        Control button;
        const char* title;
        const char* text;
    } rows[] = {
        {"Reset's question", resetButton, "Operation failed", "no display"},
        {"Load panel", loadPresetButton, "Load preset failed",
         "The file panel could not be shown: no display"},
        {"Save panel", savePresetButton, "Save preset failed",
         "The file panel could not be shown: no display"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        desktop->boxes.clear();
        desktop->questionsFail = true;
        filePanels->cannot_show = true;
        click(row.button);
        desktop->questionsFail = false;
        filePanels->cannot_show = false;
        ASSERT_EQ(desktop->boxes.size(), 1u);
        EXPECT_EQ(desktop->boxes[0].title, row.title);
        EXPECT_EQ(desktop->boxes[0].text, row.text);
        EXPECT_EQ(desktop->boxes[0].associatedComponent, panel.get());
        EXPECT_FALSE(panel->isAsking());
        EXPECT_FALSE(panel->isBusy());
        ASSERT_TRUE(clickRunsItsOperation(writeSettingsButton)) << "the panel was left unable";
    }
}

TEST_F(MainRemoteActionsTest, AnAnswerAfterThePanelHasGoneDoesNothing)
{
    startPanel();
    desktop->holdAnswers = true;
    click(resetButton);
    filePanels->hold = true;
    panel.reset(); // the question stays open: the panel goes first
    startPanel();
    click(loadPresetButton);
    ASSERT_EQ(filePanels->held.size(), 1u);
    panel.reset();
    speaker().clear_history();

    desktop->answer(true);
    filePanels->answer_held(test_support::temporary_folder() / "none.xml");
    EXPECT_EQ(speaker().open_count(), 0u) << "a Yes after the panel had gone reached the speaker";
    expect_flash_unchanged();
}

TEST_F(MainRemoteActionsTest, WhileAFilePanelIsOpenNothingElseStartsAndItsAnswerIsTheOnlyOne)
{
    startPanel();
    const test_support::temporary_folder folder;
    const std::string file = folder / "Warm.xml";
    panel->getSpeakerLink().set_current_preset([] {
        auto record = memory::make_data_ptr<preset>();
        record->name = "Warm";
        record->bands[3]->gain = 4.5;
        return record;
    }());
    panel->getSpeakerLink().save_preset_file(
        files::create_file(files::filepath(folder.path()), "Warm.xml"));
    panel->getSpeakerLink().set_current_preset(memory::make_data_ptr<preset>());
    filePanels->hold = true;
    for (const auto opener : {loadPresetButton, savePresetButton}) {
        SCOPED_TRACE(opener == loadPresetButton ? "Load" : "Save");
        click(opener);
        ASSERT_EQ(filePanels->held.size(), 1u) << "no panel opened";
        EXPECT_TRUE(panel->isAsking());
        for (const auto other :
             {writeSettingsButton, readSettingsButton, resetButton, readUserPreset1Button,
              writeUserPreset2Button, loadPresetButton, savePresetButton})
            click(other);
        EXPECT_FALSE(panel->isBusy()) << "an action started while a panel was open";
        EXPECT_EQ(filePanels->opened, opener == loadPresetButton ? 1 : 2)
            << "a second panel opened";
        EXPECT_TRUE(desktop->boxes.empty());
        if (opener == loadPresetButton) {
            filePanels->answer_held(file);
            EXPECT_EQ(value(parametric3GainSlider), 4.5);
            EXPECT_EQ(text(presetNameLabel), "Warm");
        } else {
            filePanels->answer_held(folder / "Saved.xml");
            EXPECT_NE(test_support::read_text(folder / "Saved.xml").find("<name>Saved</name>"),
                      std::string::npos);
            EXPECT_EQ(text(presetNameLabel), "Saved");
        }
        EXPECT_FALSE(panel->isAsking());
    }
    EXPECT_TRUE(desktop->boxes.empty());
    EXPECT_TRUE(clickRunsItsOperation(writeSettingsButton))
        << "the panel did not take the next click";
}

TEST_F(MainRemoteActionsTest, LoadsTheFileChosenInTheProgramsOwnOpenPanel)
{
    startPanel();
    quarro::set_dialog_hooks(std::make_shared<JuceDialogHooks>()); // the real open panel
    const std::string presets = panel->getSpeakerLink().get_preset_folder().get_path();
    for (const auto& [name, gain] : {std::pair<const char*, double>{"Warm", 4.5}, {"Cold", -3}}) {
        auto record = memory::make_data_ptr<preset>();
        record->bands[3]->gain = gain;
        panel->getSpeakerLink().set_current_preset(record);
        panel->getSpeakerLink().save_preset_file(
            files::create_file(files::filepath(presets), std::string(name) + ".xml"));
    }
    SavePanelDriver user("Cold.xml", false);
    click(loadPresetButton);
    EXPECT_TRUE(panel->isAsking());
    ASSERT_TRUE(dispatchUntil([&] { return !panel->isAsking() || user.gaveUp; }))
        << "the open panel never answered";
    ASSERT_TRUE(user.typed) << "no open panel showed";
    EXPECT_EQ(text(presetNameLabel), "Cold");
    EXPECT_EQ(value(parametric3GainSlider), -3.0);
    EXPECT_TRUE(desktop->boxes.empty());
}

TEST_F(MainRemoteActionsTest, ACancelledLoadOrSaveChangesNothing)
{
    startPanel();
    putValue(parametric1GainSlider, 7.5);
    as<juce::Label>(presetNameLabel).setText("Edited", juce::dontSendNotification);
    const auto held = panel->getSpeakerLink().get_current_preset();
    const std::string presets = panel->getSpeakerLink().get_preset_folder().get_path();
    const auto before = itemsIn(presets);
    filePanels->hold = true;
    for (const auto opener : {loadPresetButton, savePresetButton}) {
        click(opener);
        filePanels->answer_held(std::nullopt);
        EXPECT_FALSE(panel->isAsking());
    }
    EXPECT_EQ(value(parametric1GainSlider), 7.5);
    EXPECT_EQ(text(presetNameLabel), "Edited");
    EXPECT_EQ(panel->getSpeakerLink().get_current_preset()->name, held->name);
    EXPECT_EQ(itemsIn(presets), before);
    EXPECT_TRUE(desktop->boxes.empty());
}

} // namespace
