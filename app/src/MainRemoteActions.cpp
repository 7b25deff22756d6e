// The control panel's actions: what each button starts, the values it hands to the speaker
// link, the questions it asks first, preset files, expanding and the busy state.
#include "MainRemote.h"

#include "AboutWindow.h"
#include "DesktopServices.h"
#include "PanelLayout.h"

#include <quarro/desktop/dialogs.h>
#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/files/file_name_parts.h>
#include <quarro/files/folder_operations.h>
#include <quarro/log/logbook.h>

#include <cmath>
#include <exception>

quarro::u32 MainRemote::inputTableEntry(double positionOrCode)
{
    // Position 0 "Analog" is code 1, position 1 "AES L" code 0, position 2 "AES R" code 2; the
    // table is its own inverse, so it maps codes back to positions as well.
    static constexpr quarro::u32 table[] = {1, 0, 2};
    // The whole part, taken a little above: a knob may rest at 1.999999 for 2.
    const double index = std::floor(positionOrCode + 0.01);
    return index >= 0 && index < 3 ? table[static_cast<int>(index)] : 0;
}

void MainRemote::sliderValueChanged(juce::Slider*) {}

void MainRemote::buttonClicked(juce::Button* button)
{
    // A JUCE callback must not let an exception out: a failed action is shown.
    const char* const failureTitle = button == savePresetButton.get()   ? "Save preset failed"
                                     : button == loadPresetButton.get() ? "Load preset failed"
                                                                        : "Operation failed";
    runGuarded(failureTitle, [this, button] { runAction(button); });
}

void MainRemote::runAction(juce::Button* button)
{
    // While a question or file panel is open, its answer is the only one: no other action
    // starts and no second panel opens. (JUCE's own boxes and panels hold the window's clicks;
    // this holds whatever shows them.)
    if (asking && button != openCloseButton.get() && button != helpButton.get())
        return;
    if (button == readSettingsButton.get()) {
        startOperation(Operation::readSettings,
                       [this] { dspControl->read_main_settings_from_device(); });
    } else if (button == readUserPreset1Button.get()) {
        readUserPreset(0);
    } else if (button == writeUserPreset1Button.get()) {
        sendUserPreset(0);
    } else if (button == readUserPreset2Button.get()) {
        readUserPreset(1);
    } else if (button == writeUserPreset2Button.get()) {
        sendUserPreset(1);
    } else if (button == readUserPreset3Button.get()) {
        readUserPreset(2);
    } else if (button == writeUserPreset3Button.get()) {
        sendUserPreset(2);
    } else if (button == updateFirmwareButton.get()) {
        updateFirmware();
    } else if (button == writeSettingsButton.get()) {
        sendMainSettings();
    } else if (button == resetButton.get()) {
        resetSpeaker();
    } else if (button == loadPresetButton.get()) {
        loadPresetFile();
    } else if (button == savePresetButton.get()) {
        savePresetFile();
    } else if (button == openCloseButton.get()) {
        expandOrCollapse(openCloseButton->getToggleState());
    } else if (button == helpButton.get()) {
        aboutWindow->centreWithSize(650, 240);
        if (!aboutWindow->isOnDesktop())
            aboutWindow->addToDesktop();
        aboutWindow->setVisible(true);
    }
}

bool MainRemote::mayStartAction() const
{
    // Starting beside a running operation could wait on this thread for its worker, and the
    // end of either would enable the controls while the other runs.
    return running == Operation::none && !asking && !dspControl->is_device_operation_running();
}

void MainRemote::startOperation(Operation operation, const std::function<void()>& start)
{
    if (!mayStartAction())
        return;
    running = operation;
    resultShown = false;
    setControlsEnabled(false);
    try {
        start();
    } catch (...) {
        endOperation(operation);
        throw;
    }
}

void MainRemote::endOperation(Operation operation)
{
    // On an idle panel the buttons are enabled again as they stand now.
    if (running == Operation::none) {
        setControlsEnabled(true);
        return;
    }
    // A result of another operation than the running one is shown, and enables nothing.
    if (running != operation)
        return;
    resultShown = true;
    finishOperation();
}

void MainRemote::finishOperation()
{
    // The worker reports its result while it still holds the speaker: until it has let go,
    // a new operation could not start and a quit would be refused, so the buttons stay off.
    if (running == Operation::none || !resultShown || dspControl->is_device_operation_running())
        return;
    running = Operation::none;
    resultShown = false;
    setControlsEnabled(true);
}

void MainRemote::ask(const std::function<void(std::function<void()> answered)>& open)
{
    asking = true;
    try {
        open([panel = juce::Component::SafePointer<MainRemote>(this)] {
            if (panel != nullptr)
                panel->asking = false;
        });
    } catch (...) {
        asking = false;
        throw;
    }
}

void MainRemote::askThenStart(const juce::String& title, const juce::String& question,
                              Operation operation, std::function<void()> start)
{
    if (!mayStartAction())
        return;
    // The box is asynchronous: the answer comes in a later event, maybe after the panel has
    // gone.
    ask([this, &title, &question, operation, &start](std::function<void()> answered) {
        DesktopServices::get().askYesNo(
            title, question, this,
            [panel = juce::Component::SafePointer<MainRemote>(this), operation,
             start = std::move(start), answered = std::move(answered)](bool yes) {
                answered();
                if (yes && panel != nullptr)
                    panel->runGuarded("Operation failed", [&panel, operation, &start] {
                        panel->startOperation(operation, start);
                    });
            });
    });
}

void MainRemote::readUserPreset(quarro::u64 index)
{
    // The speaker link starts nothing for a preset the speaker lacks, and nothing would end
    // the operation.
    if (index < dspControl->get_user_preset_count())
        startOperation(Operation::readPreset,
                       [this, index] { dspControl->read_user_preset_from_device(index); });
}

void MainRemote::sendUserPreset(quarro::u64 index)
{
    if (index < dspControl->get_user_preset_count())
        startOperation(Operation::writePreset, [this, index] {
            dspControl->set_current_preset(collectPresetFromControls());
            dspControl->write_user_preset_to_device(index);
        });
}

void MainRemote::updateFirmware()
{
    const auto start = [this] { dspControl->update_firmware(); };
    // Without a newer version online, this reinstalls the speaker's own: ask first.
    if (dspControl->is_firmware_update_available()) {
        startOperation(Operation::updateFirmware, start);
        return;
    }
    askThenStart(juce::translate("Update Firmware"),
                 juce::translate("Are you sure you want to update the firmware V") +
                     juce::String(dspControl->get_firmware_version()) +
                     juce::translate(" to your speaker again?"),
                 Operation::updateFirmware, start);
}

void MainRemote::sendMainSettings()
{
    startOperation(Operation::writeSettings, [this] {
        auto record = memory::make_data_ptr<main_settings>();
        record->input = inputTableEntry(inputSlider->getValue());
        record->volume = juce::jlimit(-60.0, 12.0, volumeSlider->getValue());
        record->delay = juce::jlimit(0.0, 5.0, delaySlider->getValue());
        const double active = std::floor(activePresetSlider->getValue());
        record->active_preset =
            active >= 0 && active <= 4294967295.0 ? static_cast<quarro::u32>(active) : 0;
        dspControl->set_main_settings(record);
        dspControl->write_main_settings_to_device();
    });
}

void MainRemote::resetSpeaker()
{
    askThenStart(juce::translate("Reset speaker"),
                 juce::translate("Are you sure you want to reset all the DSP settings in your "
                                 "speaker? All values will be restored to their original default "
                                 "values."),
                 Operation::reset, [this] { dspControl->reset_device(); });
}

void MainRemote::loadPresetFile()
{
    ask([this](std::function<void()> answered) {
        const juce::Component::SafePointer<MainRemote> panel(this);
        quarro::begin_choose_file_to_open(
            "load preset...", dspControl->get_preset_folder(),
            [panel, answered](const files::filepath& path) {
                answered();
                if (panel != nullptr && path.exists())
                    panel->loadPresetFrom(path);
            },
            [panel, answered](const std::string& why) {
                answered();
                if (panel != nullptr)
                    panel->reportFailure("Load preset failed",
                                         "The file panel could not be shown: " + why);
            });
    });
}

void MainRemote::loadPresetFrom(const files::filepath& file)
{
    runGuarded("Load preset failed", [this, &file] {
        // A file that does not load changes nothing: not the held preset, not the knobs
        // (which may hold edits not sent yet), not the name. The speaker link has logged its
        // own words for why.
        const auto notLoaded = [&file](const char* why) {
            return err::runtime_error("The preset file " + file.get_path() +
                                      " was not loaded: " + why);
        };
        try {
            dspControl->load_preset_file(file);
        } catch (const files::error::file&) {
            throw notLoaded("it could not be read.");
        } catch (const err::runtime_error&) {
            // What was read is no preset file of ours: no preset, too few bands, no XML.
            throw notLoaded("it holds no preset with eight bands.");
        } catch (const std::exception& problem) {
            // Not the speaker link's own failure: it has not logged it.
            quarro::logbook::instance().message(problem.what(), quarro::log_level::error,
                                                quarro::logbook::file_and_console);
            throw notLoaded("it could not be read.");
        } catch (...) {
            throw notLoaded("it could not be read.");
        }
        applyPresetToControls(*dspControl->get_current_preset());
    });
}

void MainRemote::savePresetFile()
{
    ask([this](std::function<void()> answered) {
        const juce::Component::SafePointer<MainRemote> panel(this);
        quarro::begin_choose_file_to_save(
            "save preset as...", dspControl->get_preset_folder(),
            presetNameLabel->getText().toStdString(), "xml",
            [panel, answered](const quarro::save_choice& choice) {
                answered();
                if (panel == nullptr || !choice.confirmed)
                    return;
                // A confirmed save either writes the file or says why not.
                panel->runGuarded("Save preset failed", [&panel, &choice] {
                    if (!choice.problem.empty())
                        throw err::runtime_error(choice.problem);
                    panel->savePresetAs(choice.folder, choice.file_name);
                });
            },
            [panel, answered](const std::string& why) {
                answered();
                if (panel != nullptr)
                    panel->reportFailure("Save preset failed",
                                         "The file panel could not be shown: " + why);
            });
    });
}

void MainRemote::savePresetAs(const files::filepath& folder, const std::string& name)
{
    const auto cannotSave = [&folder, &name](const char* why) {
        return err::runtime_error("Cannot save as " + folder.get_path() + "/" + name + ": " + why);
    };
    // A name the folder refuses gives no file either.
    const bool replacing = files::item_exists(folder, name);
    files::filepath path;
    try {
        path = files::create_file(folder, name);
    } catch (const err::exception& failure) {
        // The box below says it in a user's words; the log keeps the file layer's.
        quarro::logbook::instance().message(failure.what(), quarro::log_level::error,
                                            quarro::logbook::file_and_console);
    }
    if (!path.exists())
        throw cannotSave("the file could not be created.");
    // The file holds the preset last read, loaded or sent, not knob moves that were not sent.
    // A failed write leaves no empty file behind: a file being replaced keeps its old content,
    // one made for this save goes again. The speaker link has logged its own words for why.
    try {
        dspControl->save_preset_file(path);
    } catch (...) {
        if (!replacing)
            files::remove_item(path);
        throw cannotSave("the file could not be written.");
    }
    // On Linux a backslash is part of a name, as the file's own preset name has it.
    presetNameLabel->setText(
        juce::String::fromUTF8(
            files::split_file_name(name, files::path_separators::slash).base_name.c_str()),
        juce::dontSendNotification);
}

void MainRemote::expandOrCollapse(bool expand)
{
    auto* window = getTopLevelComponent();
    const int width = window->getWidth();
    expanded = expand;
    window->setSize(width, expand ? panel::expandedHeight : panel::collapsedHeight);
    loadPresetButton->setVisible(expand);
    savePresetButton->setVisible(expand);
    presetNameLabel->setVisible(expand);
    showUserPresetButtons();
}

void MainRemote::showUserPresetButtons()
{
    const auto count = expanded ? dspControl->get_user_preset_count() : 0;
    readUserPreset1Button->setVisible(count >= 1);
    writeUserPreset1Button->setVisible(count >= 1);
    readUserPreset2Button->setVisible(count >= 2);
    writeUserPreset2Button->setVisible(count >= 2);
    readUserPreset3Button->setVisible(count >= 3);
    writeUserPreset3Button->setVisible(count >= 3);
}

void MainRemote::setControlsEnabled(bool enabled)
{
    readSettingsButton->setEnabled(enabled);
    writeSettingsButton->setEnabled(enabled);
    resetButton->setEnabled(enabled);
    const auto count = dspControl->get_user_preset_count();
    userPresetCount = static_cast<quarro::u32>(count);
    readUserPreset1Button->setEnabled(enabled && count >= 1);
    writeUserPreset1Button->setEnabled(enabled && count >= 1);
    readUserPreset2Button->setEnabled(enabled && count >= 2);
    writeUserPreset2Button->setEnabled(enabled && count >= 2);
    readUserPreset3Button->setEnabled(enabled && count >= 3);
    writeUserPreset3Button->setEnabled(enabled && count >= 3);
    updateFirmwareButton->setEnabled(enabled && dspControl->is_firmware_update_allowed());
}

// -- Presets and the equaliser knobs ------------------------------------------------------------

std::array<MainRemote::EqualiserKnobs, preset::band_count> MainRemote::equaliserKnobs() const
{
    // The shelves first, then the parametric bands; shelves have no Q knob.
    return {{{0, lowShelfGainSlider.get(), lowShelfFrequencySlider.get(), nullptr},
             {7, highShelfGainSlider.get(), highShelfFrequencySlider.get(), nullptr},
             {1, parametric1GainSlider.get(), parametric1FrequencySlider.get(),
              parametric1QSlider.get()},
             {2, parametric2GainSlider.get(), parametric2FrequencySlider.get(),
              parametric2QSlider.get()},
             {3, parametric3GainSlider.get(), parametric3FrequencySlider.get(),
              parametric3QSlider.get()},
             {4, parametric4GainSlider.get(), parametric4FrequencySlider.get(),
              parametric4QSlider.get()},
             {5, parametric5GainSlider.get(), parametric5FrequencySlider.get(),
              parametric5QSlider.get()},
             {6, parametric6GainSlider.get(), parametric6FrequencySlider.get(),
              parametric6QSlider.get()}}};
}

memory::data_ptr<preset> MainRemote::collectPresetFromControls() const
{
    auto record = memory::make_data_ptr<preset>();
    record->name = presetNameLabel->getText().toStdString();
    for (const auto& band : equaliserKnobs()) {
        eq_band& target = *record->bands[band.index];
        target.gain = juce::jlimit(-12.0, 12.0, band.gain->getValue());
        target.frequency = band.frequency->getValue();
        if (band.q != nullptr)
            target.q = band.q->getValue();
    }
    return record;
}

void MainRemote::applyPresetToControls(const preset& record)
{
    for (const auto& band : equaliserKnobs()) {
        const auto& source = record.bands[band.index];
        if (!source)
            continue;
        band.gain->setValue(source->gain, juce::sendNotificationAsync);
        band.frequency->setValue(source->frequency, juce::sendNotificationAsync);
        if (band.q != nullptr)
            band.q->setValue(source->q, juce::sendNotificationAsync);
    }
    presetNameLabel->setText(juce::String::fromUTF8(record.name.c_str()),
                             juce::dontSendNotification);
}

// -- Failures -----------------------------------------------------------------------------------

void MainRemote::runGuarded(const char* failureTitle, const std::function<void()>& step) noexcept
{
    try {
        step();
    } catch (const err::exception& e) {
        reportFailure(failureTitle, e.what());
    } catch (const std::exception& e) {
        reportFailure(failureTitle, e.what());
    } catch (...) {
        reportFailure(failureTitle, "unknown error");
    }
}

void MainRemote::reportFailure(const char* title, const std::string& text) noexcept
{
    try {
        quarro::logbook::instance().message(std::string(title) + ": " + text,
                                            quarro::log_level::error,
                                            quarro::logbook::file_and_console);
        DesktopServices::get().showMessage(juce::translate(title),
                                           juce::String::fromUTF8(text.c_str()), this);
    } catch (...) {
        // Nothing more can be said: the log and the box both failed.
    }
}
