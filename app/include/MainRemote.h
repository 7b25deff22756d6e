// The control panel: every knob, button and label of the main window over the panel artwork,
// the speaker link it drives, and the hand-over of the speaker link's results to the controls.
#pragma once

#include "ActivePresetSlider.h"
#include "AudioInputSlider.h"
#include "AudioVolumeSlider.h"
#include "DisplayLoss.h"
#include "EQFrequencySlider.h"
#include "EQQSlider.h"
#include "velk_remote_look_and_feel_active_preset_knob.h"
#include "velk_remote_look_and_feel_firmware_button.h"
#include "velk_remote_look_and_feel_gold_knob.h"
#include "velk_remote_look_and_feel_help_button.h"
#include "velk_remote_look_and_feel_input_knob.h"
#include "velk_remote_look_and_feel_open_close_button.h"
#include "velk_remote_look_and_feel_preset_button.h"
#include "velk_remote_look_and_feel_silver_knob.h"
#include "velk_remote_look_and_feel_standard_knob.h"

#include <speaker_link/dsp_control.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

class AboutWindow;

/** The main window's content: 1100 x 303 collapsed, 1100 x 700 expanded. Built, used and
    destroyed on the message thread; only the dsp_control_callback operations are called on the
    speaker link's worker threads, and they only record what happened (flags and, for the
    firmware, one status text) for the timer to show.

    The first read of the main settings, the panel's first operation, counts as running from
    the construction on, and starts on the timer's first tick, once the panel (a subclass too)
    is complete; unless a quit signal has come by then (QuitSignals::hasOneArrived), which
    ends the program before the speaker is opened. The destructor waits for every operation
    of the speaker link that still runs. Boxes and file panels are shown without waiting for
    them: their answers come in later events. Exceptions of the dsp_control constructor (no
    Documents folder) leave the constructor. */
class MainRemote : public juce::Component,
                   private juce::Timer,
                   public dsp_control_callback,
                   public juce::Slider::Listener,
                   public juce::Button::Listener
{
public:
    MainRemote();
    ~MainRemote() override;

    // -- Window dragging by the top 40 pixels, where no control lies.
    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;

    /** The background of the state, and the user-preset strip when expanded with 2 or 3 user
        presets. */
    void paint(juce::Graphics& g) override;
    /** Every control at its fixed bounds for the state and the user-preset count. */
    void resized() override;

    // -- dsp_control_callback: worker threads; each records its result and returns.
    void speaker_changed(dsp_control& control) override;
    void main_settings_read(dsp_control& control) override;
    void main_settings_read_failed(dsp_control& control) override;
    void firmware_update_available(dsp_control& control, const std::string& version) override;
    void firmware_up_to_date(dsp_control& control) override;
    void firmware_search_failed(dsp_control& control) override;
    void main_settings_written(dsp_control& control) override;
    void main_settings_write_failed(dsp_control& control) override;
    void user_preset_read(dsp_control& control) override;
    void user_preset_read_failed(dsp_control& control) override;
    void user_preset_written(dsp_control& control) override;
    void user_preset_write_failed(dsp_control& control) override;
    void device_reset(dsp_control& control) override;
    void device_reset_failed(dsp_control& control) override;
    void firmware_update_succeeded(dsp_control& control) override;
    void firmware_update_failed(dsp_control& control, int kind) override;
    void firmware_update_started(dsp_control& control) override;
    void firmware_update_progress(dsp_control& control, int stage, quarro::u64 total,
                                  quarro::u64 done) override;

    /** Knob moves stay on the panel until a send. */
    void sliderValueChanged(juce::Slider* slider) override;
    /** Runs the action of the clicked button. */
    void buttonClicked(juce::Button* button) override;

    /** Enables or disables the action buttons (the user-preset ones only for presets the
        speaker has, the firmware button only when an update is allowed). Sliders, Load, Save,
        the toggle and the help button are left alone, and so is the busy state: only an
        operation's start and end change that. */
    void setControlsEnabled(bool enabled);

    /** True while an operation of the panel runs: from its start until its result has been
        shown and its worker has ended (let go of the speaker). Meanwhile the action buttons
        are disabled and no click starts anything; one runs at a time, beside the firmware
        search. Message thread. */
    bool isBusy() const noexcept { return running != Operation::none; }
    /** True while a question or a file panel of the panel is open: until its answer, nothing
        else starts and no second one opens. Message thread. */
    bool isAsking() const noexcept { return asking; }
    /** True from the start of a firmware update until it succeeds or fails. Any thread. */
    bool isFirmwareUpdateInProgress() const noexcept { return firmwareUpdateInProgress.load(); }

    /** The status row's text while an operation waits for another program that uses the
        speaker. */
    static constexpr const char* speakerWaitText = "(waiting for another program...)";

    /** Whether the program may end now: not while an operation of the panel, a firmware
        update included, holds the speaker (false, nothing changes), whatever the buttons show.
        Otherwise true, and an operation that only waits for another program's hold, or a
        firmware update that only downloads, is given up without touching the speaker; the
        timer stops, so that its failure is not shown. Message thread. */
    bool prepareToQuit();

    /** The refusal of a quit is shown once at a time: true, and the box counts as showing from
        now until quitRefusalClosed(), unless one is showing already (false). Message thread. */
    bool claimQuitRefusal() noexcept { return !std::exchange(quitRefusalShowing, true); }
    void quitRefusalClosed() noexcept { quitRefusalShowing = false; }

    /** One tick of the timer. The first one starts the first read. Each takes each result
        flag in a fixed order, clears it and shows the result. A tick never runs inside another
        (a desktop service whose box waited would let the timer fire inside it), and nothing it
        calls can throw out of it: a failure is logged and shown in a box. Message thread. */
    void timerCallback() override;

    /** The speaker link the panel drives. Message thread. */
    dsp_control& getSpeakerLink() const noexcept { return *dspControl; }

private:
    // -- The constructor's steps, in their order.
    /** The 44 controls with their ranges, value boxes, texts and listeners. */
    void createControls();
    /** The background images. */
    void loadArtwork();
    /** The About window, hidden and off the desktop until the help button shows it. */
    void createAboutWindow();
    /** The panel font, the label fonts and the skins of every knob and button. */
    void applySkins();
    /** What the panel shows before the first read: input AES L, the speaker buttons disabled,
        the equaliser's buttons hidden, the status labels empty. */
    void setStartState();
    /** The first read of the main settings, from the first tick; nothing once a quit signal
        has come. */
    void startFirstRead();

    void expandOrCollapse(bool expand);
    void storeStatusText(const std::string& text);
    /** The status row says so while an operation waits for another program's hold on the
        speaker, and shows again what it showed before once the wait is over. */
    void showSpeakerWait();
    /** A result's status text: shown now, or once a wait for the speaker is over. */
    void showStatus(const juce::String& text);
    void placeUserPresetButtons();
    void showUserPresetButtons();

    // -- Actions of the buttons (message thread); failures are handled by buttonClicked.
    void runAction(juce::Button* button);
    /** The panel's own operations; the firmware search is none of them. */
    enum class Operation
    {
        none,
        readSettings,
        readPreset,
        writePreset,
        writeSettings,
        reset,
        updateFirmware
    };
    /** Disables the action buttons and runs `start`, which starts `operation`; nothing is
        started while an operation of the panel runs, a worker of one has not ended (the
        start might wait for it on the message thread) or a question or file panel is open.
        When `start` throws, the operation ends as one whose result has been shown. */
    void startOperation(Operation operation, const std::function<void()>& start);
    /** The result of `operation` has been shown. Unless another operation runs, it ends once
        its worker has ended: now, or on a later tick (finishOperation). */
    void endOperation(Operation operation);
    /** Ends the running operation whose result has been shown once no worker of the panel's
        operations runs any more: the action buttons are enabled again. */
    void finishOperation();
    /** Whether a click may start an action now: no operation runs and nothing is being
        asked. */
    bool mayStartAction() const;
    /** Marks a question or file panel as open until `answered` runs (or the call that opens it
        throws): `open` gets the answer function to hand on. */
    void ask(const std::function<void(std::function<void()> answered)>& open);
    /** Asks the yes/no question; a "Yes" starts the operation as startOperation does. */
    void askThenStart(const juce::String& title, const juce::String& question, Operation operation,
                      std::function<void()> start);
    void readUserPreset(quarro::u64 index);
    void sendUserPreset(quarro::u64 index);
    void updateFirmware();
    void sendMainSettings();
    void resetSpeaker();
    void loadPresetFile();
    void savePresetFile();
    /** The current preset into the file `name` of `folder`, chosen in the save panel. */
    void savePresetAs(const files::filepath& folder, const std::string& name);
    /** The preset in `file`, chosen in the open panel, onto the knobs and the name label; a
        file that does not load changes nothing and is shown in a box. */
    void loadPresetFrom(const files::filepath& file);
    /** The speaker's input code for an input knob position, and the position for a code:
        the one table works both ways. 0 for anything outside it. */
    static quarro::u32 inputTableEntry(double positionOrCode);

    /** The knobs of one equaliser band; the shelves have no Q knob. */
    struct EqualiserKnobs
    {
        std::size_t index;
        juce::Slider* gain;
        juce::Slider* frequency;
        juce::Slider* q;
    };
    /** Every band's knobs, in the order they are visited: shelves, then bands 1 to 6. */
    std::array<EqualiserKnobs, preset::band_count> equaliserKnobs() const;

    /** A new preset (one reference, the caller's) from the name label and the equaliser knobs,
        gains limited to -12..12 dB. */
    memory::data_ptr<preset> collectPresetFromControls() const;
    /** The equaliser knobs and the name label show the preset; values are not limited. */
    void applyPresetToControls(const preset& record);

    // -- Results, shown by the timer.
    void showMainSettings();
    void showNewSpeaker();
    void showFirmwareVersion();
    /** An update that found the speaker's firmware changed since the offer and wrote nothing:
        the version found, a box that says so, and a new search. */
    void showFirmwareChanged();
    /** Asks the firmware service about the speaker shown: now, or once the search for an
        earlier speaker has ended. An answer for an earlier speaker is dropped. */
    void searchFirmware();
    /** The standard box of a failed speaker operation, and the operation's end. */
    void showFailure(const char* title, Operation operation);
    /** A copy of the latest firmware text, taken under its mutex. */
    juce::String copyStatusText();
    /** Runs a step of an action or of the timer; a failure is logged and shown in a box
        titled `failureTitle`, and never leaves. */
    void runGuarded(const char* failureTitle, const std::function<void()>& step) noexcept;
    void reportFailure(const char* title, const std::string& text) noexcept;

    bool ticking = false; // a tick is running (its message box may let the timer fire again)
    bool waitingForSpeaker = false; // the status row says that the panel waits
    bool searchAgain = false;       // a new speaker's search waits for the old speaker's to end
    Operation running = Operation::readSettings; // the first read runs from the start
    bool firstReadStarted = false;               // on the first tick
    bool resultShown = false; // the running operation's result is shown; its worker may run on
    bool asking = false;      // a question or file panel is open
    bool quitRefusalShowing = false;
    juce::String statusBehindWait; // what the status row shows once the wait is over

    memory::data_ptr<dsp_control> dspControl;
    // A lost display lets the link's workers end; gone before the link is.
    std::unique_ptr<DisplayLoss::WatchedLink> displayLossWatch;
    std::atomic<bool> firstReadPending{true};
    std::atomic<bool> speakerChanged{false};
    std::atomic<bool> mainSettingsRead{false};
    std::atomic<bool> mainSettingsReadFailed{false};
    std::atomic<bool> firmwareUpdateAvailable{false};
    std::mutex statusTextMutex;
    std::string statusText;
    std::atomic<bool> firmwareUpToDate{false};
    std::atomic<bool> firmwareSearchFailed{false};
    std::atomic<bool> userPresetRead{false};
    std::atomic<bool> userPresetReadFailed{false};
    std::atomic<bool> userPresetWritten{false};
    std::atomic<bool> userPresetWriteFailed{false};
    std::atomic<bool> deviceReset{false};
    std::atomic<bool> deviceResetFailed{false};
    std::atomic<quarro::u32> userPresetCount{0};
    std::atomic<bool> firmwareUpdateSucceeded{false};
    std::atomic<bool> firmwareUpdateFailed{false};
    std::atomic<int> firmwareFailureKind{0}; // of the last failed update; set before the flag
    std::atomic<bool> firmwareUpdateStarted{false};
    std::atomic<bool> firmwareUpdateProgress{false};
    std::atomic<bool> mainSettingsWritten{false};
    std::atomic<bool> mainSettingsWriteFailed{false};
    std::atomic<bool> firmwareUpdateInProgress{false};
    juce::ComponentDragger dragger;
    juce::Image backgroundExpandedImage;
    juce::Image backgroundCollapsedImage;
    juce::Image userPresetStrip3Image;
    juce::Image userPresetStrip2Image;
    juce::Font panelFont;

    velk_remote_look_and_feel_input_knob inputKnobLookAndFeel;
    velk_remote_look_and_feel_active_preset_knob activePresetKnobLookAndFeel;
    velk_remote_look_and_feel_standard_knob standardKnobLookAndFeel;
    velk_remote_look_and_feel_silver_knob silverKnobLookAndFeel;
    velk_remote_look_and_feel_gold_knob goldKnobLookAndFeel;
    velk_remote_look_and_feel_standard_knob sendButtonLookAndFeel;
    velk_remote_look_and_feel_standard_knob resetButtonLookAndFeel;
    velk_remote_look_and_feel_preset_button loadButtonLookAndFeel;
    velk_remote_look_and_feel_preset_button saveButtonLookAndFeel;
    velk_remote_look_and_feel_preset_button userPresetGetLookAndFeel;
    velk_remote_look_and_feel_preset_button userPresetSendLookAndFeel;
    velk_remote_look_and_feel_firmware_button firmwareButtonLookAndFeel;
    velk_remote_look_and_feel_open_close_button openCloseButtonLookAndFeel;
    velk_remote_look_and_feel_help_button helpButtonLookAndFeel;

    bool expanded = false;
    bool dragging = false;

    std::unique_ptr<AboutWindow> aboutWindow;
    // The 44 controls, in the order they are made (and the order of the panel's children).
    std::unique_ptr<EQFrequencySlider> parametric5FrequencySlider;
    std::unique_ptr<juce::TextButton> readSettingsButton;
    std::unique_ptr<AudioVolumeSlider> volumeSlider;
    std::unique_ptr<juce::Slider> delaySlider;
    std::unique_ptr<AudioVolumeSlider> lowShelfGainSlider;
    std::unique_ptr<EQFrequencySlider> lowShelfFrequencySlider;
    std::unique_ptr<EQFrequencySlider> parametric1FrequencySlider;
    std::unique_ptr<EQQSlider> parametric1QSlider;
    std::unique_ptr<EQFrequencySlider> highShelfFrequencySlider;
    std::unique_ptr<EQFrequencySlider> parametric2FrequencySlider;
    std::unique_ptr<EQQSlider> parametric2QSlider;
    std::unique_ptr<EQFrequencySlider> parametric3FrequencySlider;
    std::unique_ptr<EQQSlider> parametric3QSlider;
    std::unique_ptr<EQFrequencySlider> parametric4FrequencySlider;
    std::unique_ptr<EQQSlider> parametric4QSlider;
    std::unique_ptr<EQQSlider> parametric5QSlider;
    std::unique_ptr<EQFrequencySlider> parametric6FrequencySlider;
    std::unique_ptr<EQQSlider> parametric6QSlider;
    std::unique_ptr<juce::TextButton> readUserPreset1Button;
    std::unique_ptr<juce::TextButton> writeUserPreset1Button;
    std::unique_ptr<juce::TextButton> readUserPreset2Button;
    std::unique_ptr<juce::TextButton> writeUserPreset2Button;
    std::unique_ptr<juce::TextButton> readUserPreset3Button;
    std::unique_ptr<juce::TextButton> writeUserPreset3Button;
    std::unique_ptr<juce::TextButton> updateFirmwareButton;
    std::unique_ptr<juce::Label> modelLabel;
    std::unique_ptr<juce::Label> firmwareLabel;
    std::unique_ptr<AudioInputSlider> inputSlider;
    std::unique_ptr<juce::Label> statusLabel;
    std::unique_ptr<juce::TextButton> writeSettingsButton;
    std::unique_ptr<juce::TextButton> resetButton;
    std::unique_ptr<ActivePresetSlider> activePresetSlider;
    std::unique_ptr<juce::TextButton> loadPresetButton;
    std::unique_ptr<juce::TextButton> savePresetButton;
    std::unique_ptr<juce::Label> presetNameLabel;
    std::unique_ptr<AudioVolumeSlider> highShelfGainSlider;
    std::unique_ptr<AudioVolumeSlider> parametric6GainSlider;
    std::unique_ptr<AudioVolumeSlider> parametric5GainSlider;
    std::unique_ptr<AudioVolumeSlider> parametric4GainSlider;
    std::unique_ptr<AudioVolumeSlider> parametric3GainSlider;
    std::unique_ptr<AudioVolumeSlider> parametric2GainSlider;
    std::unique_ptr<AudioVolumeSlider> parametric1GainSlider;
    std::unique_ptr<juce::ToggleButton> openCloseButton;
    std::unique_ptr<juce::TextButton> helpButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainRemote)
};
