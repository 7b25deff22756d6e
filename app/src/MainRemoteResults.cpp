// The control panel's result handling: the speaker link's callbacks record each result, and the
// timer shows it on the message thread.
#include "MainRemote.h"

#include "DesktopServices.h"
#include "EmbeddedResources.h"

#include <quarro/tools/number_text.h>

namespace {

/** "prefix 33.3%" from done and total in tenths of a percent, truncated; the plain count when
    the total is unknown (0). */
std::string progressText(const char* prefix, quarro::u64 total, quarro::u64 done)
{
    std::string text = prefix;
    if (total == 0) {
        quarro::append_unsigned(text, done, 1);
        return text;
    }
    const quarro::u64 tenths = done * 1000 / total;
    quarro::to_string_with_precision(text, 1, static_cast<double>(tenths) / 10.0);
    return text + "%";
}

const char* const checkConnectionText =
    "Please make sure a compatible speaker is connected to your computer's USB port.";

bool take(std::atomic<bool>& flag)
{
    return flag.exchange(false);
}

} // namespace

void MainRemote::timerCallback()
{
    // A desktop service whose box waits would let the timer fire inside the box; that inner
    // tick must not take flags or show boxes of its own.
    if (ticking)
        return;
    const juce::ScopedValueSetter<bool> tick(ticking, true);
    if (!firstReadStarted)
        runGuarded("Operation failed", [this] { startFirstRead(); });
    runGuarded("Operation failed", [this] { showSpeakerWait(); });
    // An idle tick only tests the flags. A result ends its operation even when showing it
    // fails, so that the panel is never left busy for good.
    const auto step = [this](std::atomic<bool>& flag, Operation operation, const auto& show) {
        if (take(flag))
            runGuarded("Operation failed", [this, operation, &show] {
                try {
                    show();
                } catch (...) {
                    endOperation(operation);
                    throw;
                }
            });
    };
    const auto status = [this](std::atomic<bool>& flag, const auto& show) {
        if (take(flag))
            runGuarded("Operation failed", show);
    };
    // While a new speaker's search waits for the old speaker's, an answer is the old one's.
    const auto searchAnswer = [this, &status](std::atomic<bool>& flag, const auto& show) {
        status(flag, [this, &show] {
            if (!searchAgain)
                show();
        });
    };
    step(speakerChanged, Operation::readSettings, [this] { showNewSpeaker(); });
    step(mainSettingsRead, Operation::readSettings, [this] {
        showMainSettings();
        showFirmwareVersion();
        endOperation(Operation::readSettings);
        firstReadPending = false;
    });
    step(mainSettingsReadFailed, Operation::readSettings, [this] {
        // Nobody asked for the read at start: no speaker then is no news.
        if (!firstReadPending.load())
            DesktopServices::get().showMessage(
                juce::translate("No Orvik speaker found"),
                juce::translate("Please connect an Velk Orvik speaker to your computer's USB "
                                "port and try again!"),
                this);
        endOperation(Operation::readSettings);
        firstReadPending = false;
    });
    // A search answer offers the update only to an idle panel; otherwise the running
    // operation's end enables the buttons, the update's by the answer.
    searchAnswer(firmwareUpdateAvailable, [this] {
        showStatus(juce::translate("(Firmware V") + copyStatusText() +
                   juce::translate(" available)"));
        updateFirmwareButton->setEnabled(!isBusy());
    });
    searchAnswer(firmwareUpToDate, [this] {
        showStatus({});
        updateFirmwareButton->setEnabled(!isBusy() && dspControl->is_firmware_update_allowed());
    });
    searchAnswer(firmwareSearchFailed, [this] {
        showStatus(juce::translate("(firmware search failed)"));
        updateFirmwareButton->setEnabled(false);
    });
    if (searchAgain && !dspControl->is_firmware_search_running())
        runGuarded("Operation failed", [this] { searchFirmware(); });
    step(userPresetRead, Operation::readPreset, [this] {
        applyPresetToControls(*dspControl->get_current_preset());
        endOperation(Operation::readPreset);
    });
    step(userPresetReadFailed, Operation::readPreset,
         [this] { showFailure("Read preset failed", Operation::readPreset); });
    step(userPresetWritten, Operation::writePreset,
         [this] { endOperation(Operation::writePreset); });
    step(mainSettingsWritten, Operation::writeSettings,
         [this] { endOperation(Operation::writeSettings); });
    step(mainSettingsWriteFailed, Operation::writeSettings,
         [this] { showFailure("Store settings failed", Operation::writeSettings); });
    step(userPresetWriteFailed, Operation::writePreset,
         [this] { showFailure("Store preset failed", Operation::writePreset); });
    step(deviceReset, Operation::reset, [this] {
        showMainSettings();
        endOperation(Operation::reset);
    });
    step(deviceResetFailed, Operation::reset,
         [this] { showFailure("Reset failed", Operation::reset); });
    step(firmwareUpdateSucceeded, Operation::updateFirmware, [this] {
        endOperation(Operation::updateFirmware);
        showStatus(copyStatusText());
        showFirmwareVersion();
    });
    step(firmwareUpdateFailed, Operation::updateFirmware, [this] {
        endOperation(Operation::updateFirmware);
        if (firmwareFailureKind.load() ==
            static_cast<int>(firmware_update_failure::firmware_changed))
            showFirmwareChanged();
        else
            showStatus(copyStatusText());
    });
    status(firmwareUpdateStarted, [this] { showStatus(copyStatusText()); });
    status(firmwareUpdateProgress, [this] { showStatus(copyStatusText()); });
    runGuarded("Operation failed", [this] { finishOperation(); });
}

void MainRemote::showNewSpeaker()
{
    showMainSettings();
    modelLabel->setText(juce::translate("Model: ") + juce::String(dspControl->get_model()) +
                            juce::translate(" (Serial: ") + juce::String(dspControl->get_serial()) +
                            ")",
                        juce::dontSendNotification);
    for (auto* slider : std::initializer_list<juce::Slider*>{
             inputSlider.get(), volumeSlider.get(), delaySlider.get(), activePresetSlider.get()})
        slider->setEnabled(true);
    for (const auto& band : equaliserKnobs())
        for (auto* slider : {band.gain, band.frequency, band.q})
            if (slider != nullptr)
                slider->setEnabled(true);
    savePresetButton->setEnabled(true);

    const auto count = dspControl->get_user_preset_count();
    userPresetCount = static_cast<quarro::u32>(count);
    // The strip painted behind the buttons and the voicing knob's marks follow the count.
    showUserPresetButtons();
    placeUserPresetButtons();
    activePresetKnobLookAndFeel.filmStrip = EmbeddedResources::getImage(
        count < 3 ? artwork::Image::knobActivePresetTwoUser : artwork::Image::knobActivePreset);

    showFirmwareVersion();
    endOperation(Operation::readSettings);
    searchFirmware();
    firstReadPending = false;
    repaint();
}

void MainRemote::searchFirmware()
{
    showStatus(juce::translate("(searching online...)"));
    updateFirmwareButton->setEnabled(false);
    // The search for the speaker that went may still be on the network: starting now would
    // wait for it on this thread. Its answer is dropped; this search starts once it ends.
    searchAgain = dspControl->is_firmware_search_running();
    if (searchAgain)
        return;
    // An earlier search has ended: an answer of it that no tick has taken yet is dropped.
    for (auto* answer : {&firmwareUpdateAvailable, &firmwareUpToDate, &firmwareSearchFailed})
        answer->store(false);
    dspControl->search_firmware_update();
}

void MainRemote::showMainSettings()
{
    const auto settings = dspControl->get_main_settings();
    if (!settings)
        return;
    volumeSlider->setValue(settings->volume, juce::sendNotificationAsync);
    delaySlider->setValue(settings->delay, juce::sendNotificationAsync);
    activePresetSlider->setValue(settings->active_preset, juce::sendNotificationAsync);
    inputSlider->setValue(inputTableEntry(settings->input), juce::sendNotificationAsync);
}

void MainRemote::showFirmwareVersion()
{
    firmwareLabel->setText(juce::translate("Firmware: ") +
                               juce::String(dspControl->get_firmware_version()),
                           juce::dontSendNotification);
}

void MainRemote::showFirmwareChanged()
{
    // The update has ended: what it said while it ran is no news, the new search is.
    firmwareUpdateStarted = false;
    firmwareUpdateProgress = false;
    showFirmwareVersion();
    DesktopServices::get().showMessage(
        juce::translate("Firmware update stopped"),
        juce::translate("The speaker's firmware changed to version ") +
            juce::String(dspControl->get_firmware_version()) +
            juce::translate(" while the update was being prepared, so nothing was written. "
                            "Pellaro now looks for newer firmware again."),
        this);
    searchFirmware();
}

void MainRemote::showFailure(const char* title, Operation operation)
{
    DesktopServices::get().showMessage(juce::translate(title), juce::translate(checkConnectionText),
                                       this);
    endOperation(operation);
}

void MainRemote::showSpeakerWait()
{
    const bool waiting = dspControl->is_waiting_for_speaker();
    if (waiting == waitingForSpeaker)
        return;
    waitingForSpeaker = waiting;
    if (!waiting) {
        statusLabel->setText(statusBehindWait, juce::dontSendNotification);
        return;
    }
    statusBehindWait = statusLabel->getText();
    statusLabel->setText(juce::translate(speakerWaitText), juce::dontSendNotification);
    // The read at start leaves "Get" enabled, but a click could start nothing while that read
    // waits: say so. The read's result enables the button again.
    readSettingsButton->setEnabled(false);
}

void MainRemote::showStatus(const juce::String& text)
{
    if (waitingForSpeaker)
        statusBehindWait = text;
    else
        statusLabel->setText(text, juce::dontSendNotification);
}

bool MainRemote::prepareToQuit()
{
    // The speaker's hold decides, not the buttons: an operation whose worker still ends holds
    // it while the buttons may look idle, and a firmware update that only downloads does not.
    if (!dspControl->give_up_waiting_for_speaker())
        return false;
    // An operation whose wait was given up reports a failure; a closing panel shows none.
    stopTimer();
    return true;
}

juce::String MainRemote::copyStatusText()
{
    const std::lock_guard<std::mutex> lock(statusTextMutex);
    return juce::String::fromUTF8(statusText.c_str());
}

void MainRemote::storeStatusText(const std::string& text)
{
    const std::lock_guard<std::mutex> lock(statusTextMutex);
    statusText = text;
}

void MainRemote::speaker_changed(dsp_control&)
{
    speakerChanged = true;
}

void MainRemote::main_settings_read(dsp_control&)
{
    mainSettingsRead = true;
}

void MainRemote::main_settings_read_failed(dsp_control&)
{
    mainSettingsReadFailed = true;
}

void MainRemote::firmware_update_available(dsp_control&, const std::string& version)
{
    // The text goes first, so that the timer never shows an older text for the new flag.
    storeStatusText(version);
    firmwareUpdateAvailable = true;
}

void MainRemote::firmware_up_to_date(dsp_control&)
{
    firmwareUpToDate = true;
}

void MainRemote::firmware_search_failed(dsp_control&)
{
    firmwareSearchFailed = true;
}

void MainRemote::main_settings_written(dsp_control&)
{
    mainSettingsWritten = true;
}

void MainRemote::main_settings_write_failed(dsp_control&)
{
    mainSettingsWriteFailed = true;
}

void MainRemote::user_preset_read(dsp_control&)
{
    userPresetRead = true;
}

void MainRemote::user_preset_read_failed(dsp_control&)
{
    userPresetReadFailed = true;
}

void MainRemote::user_preset_written(dsp_control&)
{
    userPresetWritten = true;
}

void MainRemote::user_preset_write_failed(dsp_control&)
{
    userPresetWriteFailed = true;
}

void MainRemote::device_reset(dsp_control&)
{
    deviceReset = true;
}

void MainRemote::device_reset_failed(dsp_control&)
{
    deviceResetFailed = true;
}

void MainRemote::firmware_update_succeeded(dsp_control&)
{
    storeStatusText("firmware update succeeded!");
    firmwareUpdateSucceeded = true;
    firmwareUpdateInProgress = false;
}

void MainRemote::firmware_update_failed(dsp_control&, int kind)
{
    firmwareFailureKind = kind;
    storeStatusText(kind == static_cast<int>(firmware_update_failure::download_or_package)
                        ? "firmware download failed!"
                        : "firmware update failed!");
    firmwareUpdateFailed = true;
    firmwareUpdateInProgress = false;
}

void MainRemote::firmware_update_started(dsp_control&)
{
    storeStatusText("updating firmware...");
    firmwareUpdateStarted = true;
    firmwareUpdateInProgress = true;
}

void MainRemote::firmware_update_progress(dsp_control&, int stage, quarro::u64 total,
                                          quarro::u64 done)
{
    std::string text;
    switch (static_cast<firmware_update_stage>(stage)) {
    case firmware_update_stage::download:
        text = progressText("downloading firmware: ", total, done);
        break;
    case firmware_update_stage::erasing:
        text = progressText("erasing sectors: ", total, done);
        break;
    case firmware_update_stage::writing:
        text = progressText("writing firmware: ", total, done);
        break;
    }
    storeStatusText(text);
    firmwareUpdateProgress = true;
}
