// The fixture of the panel tests: the emulated speaker, a local firmware service the panel's
// search asks, message boxes and file panels answered by the test, and the panel's controls by
// name. Ticks of the panel's timer are run by the test, so each result is shown when it says.
#pragma once

#include "MainRemote.h"

#include "RecordingDesktopServices.h"
#include "support/emulated_speaker_fixture.h"
#include "support/environment_variable.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_folder.h"

#include <firmware_service/service.h>
#include <quarro/desktop/dialogs.h>

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

// The panel's children, in the order it makes them.
enum Control
{
    parametric5FrequencySlider,
    readSettingsButton,
    volumeSlider,
    delaySlider,
    lowShelfGainSlider,
    lowShelfFrequencySlider,
    parametric1FrequencySlider,
    parametric1QSlider,
    highShelfFrequencySlider,
    parametric2FrequencySlider,
    parametric2QSlider,
    parametric3FrequencySlider,
    parametric3QSlider,
    parametric4FrequencySlider,
    parametric4QSlider,
    parametric5QSlider,
    parametric6FrequencySlider,
    parametric6QSlider,
    readUserPreset1Button,
    writeUserPreset1Button,
    readUserPreset2Button,
    writeUserPreset2Button,
    readUserPreset3Button,
    writeUserPreset3Button,
    updateFirmwareButton,
    modelLabel,
    firmwareLabel,
    inputSlider,
    statusLabel,
    writeSettingsButton,
    resetButton,
    activePresetSlider,
    loadPresetButton,
    savePresetButton,
    presetNameLabel,
    highShelfGainSlider,
    parametric6GainSlider,
    parametric5GainSlider,
    parametric4GainSlider,
    parametric3GainSlider,
    parametric2GainSlider,
    parametric1GainSlider,
    openCloseButton,
    helpButton,
    controlCount
};

class PanelTest : public EmulatedSpeakerTest
{
protected:
    void SetUp() override
    {
        EmulatedSpeakerTest::SetUp();
        quarro::set_dialog_hooks(filePanels);
    }

    void TearDown() override
    {
        panel.reset();
        quarro::set_dialog_hooks(nullptr);
        EmulatedSpeakerTest::TearDown();
    }

    juce::Component& control(Control c) { return *panel->getChildComponent(c); }

    template <typename T>
    T& as(Control c)
    {
        auto* component = dynamic_cast<T*>(&control(c));
        if (component == nullptr)
            throw std::runtime_error("control of the wrong class");
        return *component;
    }

    std::string text(Control c) { return as<juce::Label>(c).getText().toStdString(); }
    double value(Control c) { return as<juce::Slider>(c).getValue(); }
    void click(Control c) { panel->buttonClicked(&as<juce::Button>(c)); }

    /** Puts a value into a knob as its value object holds it: beyond the knob's range too,
        which juce::Slider::setValue would have limited. */
    void putValue(Control c, double v)
    {
        as<juce::Slider>(c).getValueObject().setValue(v);
        ASSERT_EQ(value(c), v);
    }

    void setExpanded(bool expanded)
    {
        as<juce::Button>(openCloseButton).setToggleState(expanded, juce::sendNotificationSync);
    }

    /** Runs timer ticks until `done()` holds, at most 20 s; false (the caller says what it
        waited for) when it never held. */
    template <typename Predicate>
    bool tickUntil(Predicate done)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            panel->timerCallback();
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > limit)
                return false;
            std::this_thread::yield();
        }
    }

    /** Runs the message loop (boxes and file panels, the panel's own timer) until `done()`
        holds, at most 12 s; false when it never held. */
    template <typename Predicate>
    bool dispatchUntil(Predicate done)
    {
        const auto limit = juce::Time::getMillisecondCounter() + 12000;
        while (!done()) {
            if (juce::Time::getMillisecondCounter() > limit)
                return false;
            juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
        }
        return true;
    }

    /** Ticks until the running operation's result has enabled the controls again. */
    bool tickUntilIdle()
    {
        return tickUntil([this] { return !panel->isBusy(); });
    }

    /** A click on `c` starts its operation, which then ends: what a click on an idle panel
        does. */
    testing::AssertionResult clickRunsItsOperation(Control c)
    {
        click(c);
        if (!panel->isBusy())
            return testing::AssertionFailure() << "a click on control " << c << " started nothing";
        if (!tickUntilIdle())
            return testing::AssertionFailure() << "control " << c << "'s operation never ended";
        return testing::AssertionSuccess();
    }

    /** Makes the panel and ticks until its first read has ended: the speaker shown, or none
        found. Either way the action buttons are enabled then. */
    void startPanel()
    {
        panel = std::make_unique<MainRemote>();
        ASSERT_TRUE(tickUntil([this] { return control(writeSettingsButton).isEnabled(); }))
            << "the first read never ended";
    }

    test_support::temporary_folder packages;
    firmware_service::service service{packages.path()};
    test_support::environment_variable address{"PELLARO_FIRMWARE_SERVICE", service.base_address()};
    std::shared_ptr<test_support::scripted_dialogs> filePanels =
        std::make_shared<test_support::scripted_dialogs>();
    ScopedRecordingDesktop desktop;
    std::unique_ptr<MainRemote> panel;
};
