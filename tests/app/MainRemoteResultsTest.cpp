// The panel's timer: each result of the speaker link shown on the next tick, in labels, knobs,
// the user-preset row and message boxes; a tick never inside another; quitting while busy.
#include "support/PanelFixture.h"
#include "support/bounded_wait.h"
#include "support/firmware_package_builder.h"
#include "support/other_program_lock.h"
#include "support/recording_callback.h"

#include "VelkRemoteApplication.h"

#include "EmbeddedResources.h"
#include "velk_remote_look_and_feel_active_preset_knob.h"

#include <quarro/err/exception.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <pthread.h>
#include <tuple>
#include <utility>

namespace {

using MainRemoteResultsTest = PanelTest;

const char* const checkConnection =
    "Please make sure a compatible speaker is connected to your computer's USB port.";

TEST_F(MainRemoteResultsTest, ShowsEachFirmwareResultOnTheNextTick)
{
    speaker().remove_device();
    startPanel();
    auto& link = panel->getSpeakerLink();
    // No search has allowed an update: enabling the controls leaves "Update Firmware" off.
    const std::tuple<std::function<void()>, const char*, bool> rows[] = {
        {[&] { panel->firmware_update_started(link); }, "updating firmware...", true},
        {[&] { panel->firmware_update_progress(link, 1, 3, 1); }, "downloading firmware: 33.3%",
         true},
        {[&] { panel->firmware_update_progress(link, 3, 7, 3); }, "erasing sectors: 42.8%", true},
        {[&] { panel->firmware_update_progress(link, 4, 3, 2); }, "writing firmware: 66.6%", true},
        {[&] { panel->firmware_update_progress(link, 1, 0, 52480); }, "downloading firmware: 52480",
         true},
        {[&] { panel->firmware_update_progress(link, 2, 4, 1); }, "", true},
        {[&] { panel->firmware_update_failed(link, 0); }, "firmware update failed!", false},
        {[&] { panel->firmware_update_failed(link, 1); }, "firmware download failed!", false},
        {[&] { panel->firmware_update_succeeded(link); }, "firmware update succeeded!", false},
        {[&] { panel->firmware_search_failed(link); }, "(firmware search failed)", false},
        {[&] { panel->firmware_up_to_date(link); }, "", false},
        {[&] { panel->firmware_update_available(link, "1.2.3"); }, "(Firmware V1.2.3 available)",
         true},
    };
    for (const auto& [report, shown, updateEnabled] : rows) {
        as<juce::Label>(statusLabel).setText("before", juce::dontSendNotification);
        control(updateFirmwareButton).setEnabled(true);
        report();
        EXPECT_EQ(text(statusLabel), "before") << "shown before the tick: " << shown;
        panel->timerCallback();
        EXPECT_EQ(text(statusLabel), shown);
        EXPECT_EQ(control(updateFirmwareButton).isEnabled(), updateEnabled) << shown;
    }
    EXPECT_TRUE(desktop->boxes.empty());
}

TEST_F(MainRemoteResultsTest, SaysWhileItWaitsForAnotherProgramAndThenWhatCameMeanwhile)
{
    const auto waitShown = [this] { return text(statusLabel) == MainRemote::speakerWaitText; };
    {
        // The first read waits: "Get" would wait for it on the message thread.
        test_support::other_program_lock other;
        panel = std::make_unique<MainRemote>();
        ASSERT_TRUE(tickUntil(waitShown)) << "the status row never said that the first read waits";
        EXPECT_FALSE(control(readSettingsButton).isEnabled());
    }
    ASSERT_TRUE(tickUntil([this] { return text(statusLabel) == "(firmware search failed)"; }))
        << "the first read and the search never ended";
    EXPECT_TRUE(control(readSettingsButton).isEnabled());

    {
        test_support::other_program_lock other;
        click(readSettingsButton);
        ASSERT_TRUE(tickUntil(waitShown)) << "the status row never said that the read waits";
        panel->firmware_update_available(panel->getSpeakerLink(), "1.2.3");
        panel->timerCallback();
        EXPECT_TRUE(waitShown()) << "a result replaced the wait's text while it lasted";
    }
    ASSERT_TRUE(tickUntilIdle()) << "the read never ended";
    EXPECT_EQ(text(statusLabel), "(Firmware V1.2.3 available)");

    // Nothing came during this wait: the row shows again what it showed before.
    panel->firmware_update_available(panel->getSpeakerLink(), "1.2.4");
    panel->timerCallback();
    {
        test_support::other_program_lock other;
        click(readSettingsButton);
        ASSERT_TRUE(tickUntil(waitShown)) << "the status row never said that the last read waits";
    }
    ASSERT_TRUE(tickUntilIdle()) << "the last read never ended";
    EXPECT_EQ(text(statusLabel), "(Firmware V1.2.4 available)");
    EXPECT_TRUE(desktop->boxes.empty());
}

TEST_F(MainRemoteResultsTest, WaitTextFitsTheStatusRowWithoutSqueezing)
{
    panel = std::make_unique<MainRemote>();
    auto& label = as<juce::Label>(statusLabel);
    const auto textArea = label.getBorderSize().subtractedFrom(label.getLocalBounds());
    EXPECT_LE(label.getFont().getStringWidthFloat(MainRemote::speakerWaitText),
              static_cast<float>(textArea.getWidth()));
}

TEST_F(MainRemoteResultsTest, ShowsEachFailedOperationInOneBoxAndEnablesTheControls)
{
    speaker().remove_device();
    startPanel();
    EXPECT_TRUE(desktop->boxes.empty()) << "the first failed read is not news";

    auto& link = panel->getSpeakerLink();
    const std::tuple<std::function<void()>, const char*, const char*> rows[] = {
        {[&] { panel->main_settings_read_failed(link); }, "No Orvik speaker found",
         "Please connect an Velk Orvik speaker to your computer's USB port and try again!"},
        {[&] { panel->user_preset_read_failed(link); }, "Read preset failed", checkConnection},
        {[&] { panel->main_settings_write_failed(link); }, "Store settings failed",
         checkConnection},
        {[&] { panel->device_reset_failed(link); }, "Reset failed", checkConnection},
    };
    for (const auto& [report, title, text] : rows) {
        desktop->boxes.clear();
        panel->setControlsEnabled(false);
        report();
        report(); // two equal results between two ticks are one
        panel->timerCallback();
        panel->timerCallback();
        ASSERT_EQ(desktop->boxes.size(), 1u) << title;
        EXPECT_EQ(desktop->boxes[0].title, title);
        EXPECT_EQ(desktop->boxes[0].text, text);
        EXPECT_FALSE(panel->isBusy()) << title;
    }
}

TEST_F(MainRemoteResultsTest, ATickNeverRunsInsideAnotherOnesMessageBox)
{
    speaker().remove_device();
    startPanel();

    // The box's modal loop lets the timer fire, while another failure arrives.
    struct ModalDesktop : RecordingDesktopServices
    {
        std::function<void()> duringBox;
        int depth = 0;
        int deepest = 0;
        void showMessage(const juce::String& title, const juce::String& text,
                         juce::Component* component, std::function<void()> closed) override
        {
            deepest = std::max(deepest, ++depth);
            RecordingDesktopServices::showMessage(title, text, component, std::move(closed));
            if (duringBox)
                duringBox();
            --depth;
        }
    };
    auto services = std::make_unique<ModalDesktop>();
    auto& modal = *services;
    DesktopServices::install(std::move(services));
    auto& link = panel->getSpeakerLink();
    bool arrived = false;
    modal.duringBox = [&] {
        if (std::exchange(arrived, true))
            return;
        panel->device_reset_failed(link);
        panel->timerCallback();
    };
    panel->user_preset_read_failed(link);
    panel->timerCallback();
    panel->timerCallback();

    EXPECT_EQ(modal.deepest, 1) << "a box was shown inside another";
    ASSERT_EQ(modal.boxes.size(), 2u);
    EXPECT_EQ(modal.boxes[0].title, "Read preset failed");
    EXPECT_EQ(modal.boxes[1].title, "Reset failed");
}

TEST_F(MainRemoteResultsTest, AResultThatCannotBeShownLeavesNoExceptionAndNoBusyPanel)
{
    speaker().remove_device();
    // The missing speaker is found only by a read that ends before the panel goes.
    startPanel();
    struct BrokenDesktop : RecordingDesktopServices
    {
        void showMessage(const juce::String&, const juce::String&, juce::Component*,
                         std::function<void()>) override
        {
            throw err::exception("no display");
        }
    };
    DesktopServices::install(std::make_unique<BrokenDesktop>());
    panel->setControlsEnabled(false);
    panel->user_preset_read_failed(panel->getSpeakerLink());
    EXPECT_NO_THROW(panel->timerCallback());
    EXPECT_FALSE(panel->isBusy());
}

TEST_F(MainRemoteResultsTest, OffersTheUpdateAndAsksBeforeReinstallingTheSameVersion)
{
    const struct
    {
        const char* published;
        const char* status;
        bool asks;
    } rows[] = {{"1.0.9", "(Firmware V1.0.9 available)", false}, {"1.0.7", "", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.published);
        const std::string folder = packages / "K5R/" + row.published;
        std::filesystem::create_directories(folder);
        test_support::write_text(folder + "/firmware.zip", "not a zip archive");
        startPanel();
        ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
            << "the search never enabled the update";
        EXPECT_EQ(text(statusLabel), row.status);

        desktop->boxes.clear();
        desktop->answerYes = false;
        click(updateFirmwareButton);
        EXPECT_EQ(desktop->boxes.size(), row.asks ? 1u : 0u);
        if (row.asks) {
            EXPECT_EQ(desktop->boxes[0].title, "Update Firmware");
            EXPECT_EQ(desktop->boxes[0].text,
                      "Are you sure you want to update the firmware V1.0.7 to your speaker again?");
            EXPECT_FALSE(panel->isBusy());
            EXPECT_TRUE(control(updateFirmwareButton).isEnabled());
            desktop->answerYes = true;
            click(updateFirmwareButton);
        }
        EXPECT_TRUE(panel->isBusy());
        ASSERT_TRUE(tickUntilIdle()) << "the update never ended";
        EXPECT_EQ(text(statusLabel), "firmware download failed!");
        EXPECT_EQ(text(firmwareLabel), "Firmware: 1.0.7");
        expect_flash_unchanged();
        std::filesystem::remove_all(folder);
    }
}

} // namespace

TEST_F(MainRemoteResultsTest, ASearchAnswerDuringAnOperationReachesUpdateOnlyWhenItEnds)
{
    const struct
    {
        bool waits; // the send waits for another program, else it holds the speaker
        const char* published;
        const char* status;
        bool offered;
    } rows[] = {
        {true, "1.0.9", "(Firmware V1.0.9 available)", true},
        {false, "1.0.9", "(Firmware V1.0.9 available)", true},
        {true, "1.0.7", "", true},
        {false, "1.0.7", "", true},
        {true, nullptr, "(firmware search failed)", false},
        {false, nullptr, "(firmware search failed)", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.waits ? "waits, " : "holds, ")
                                        << (row.published ? row.published : "nothing"));
        std::filesystem::remove_all(packages.path() + "/K5R");
        if (row.published) {
            const std::string folder = packages / "K5R/" + row.published;
            std::filesystem::create_directories(folder);
            test_support::write_text(folder + "/firmware.zip", "not a zip archive");
        }
        startPanel(); // the first read has ended and the search begun: its answer is unseen
        auto& link = panel->getSpeakerLink();
        std::optional<test_support::other_program_lock> other;
        std::shared_ptr<emulated_speaker::report_gate> gate;
        if (row.waits)
            other.emplace();
        else
            gate = speaker().hold_report(0);
        click(writeSettingsButton);
        ASSERT_TRUE(panel->isBusy());
        if (row.waits)
            ASSERT_TRUE(tickUntil([this] {
                return text(statusLabel) == MainRemote::speakerWaitText;
            })) << "the send never waited";
        else
            ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the send never began";

        ASSERT_TRUE(tickUntil([&link] { return !link.is_firmware_search_running(); }))
            << "the search never ended";
        panel->timerCallback();
        EXPECT_EQ(text(statusLabel), row.waits ? MainRemote::speakerWaitText : row.status);
        EXPECT_FALSE(control(updateFirmwareButton).isEnabled()) << "offered while the send runs";
        EXPECT_TRUE(panel->isBusy());

        other.reset();
        if (gate)
            gate->release();
        ASSERT_TRUE(tickUntilIdle()) << "the send never ended";
        EXPECT_EQ(text(statusLabel), row.status);
        EXPECT_EQ(control(updateFirmwareButton).isEnabled(), row.offered);
        EXPECT_TRUE(control(writeSettingsButton).isEnabled());
        EXPECT_TRUE(desktop->boxes.empty());
        panel.reset();
    }
}

TEST_F(MainRemoteResultsTest, AnotherOperationsResultEnablesNothingWhileOneRuns)
{
    startPanel();
    auto& link = panel->getSpeakerLink();
    const auto gate = speaker().hold_report(0);
    click(writeSettingsButton);
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the send never began";

    const std::tuple<std::function<void()>, const char*> rows[] = {
        {[&] { panel->main_settings_read(link); }, nullptr},
        {[&] { panel->main_settings_read_failed(link); }, "No Orvik speaker found"},
        {[&] { panel->user_preset_read(link); }, nullptr},
        {[&] { panel->user_preset_written(link); }, nullptr},
        {[&] { panel->user_preset_write_failed(link); }, "Store preset failed"},
        {[&] { panel->device_reset(link); }, nullptr},
        {[&] { panel->device_reset_failed(link); }, "Reset failed"},
        {[&] { panel->firmware_update_failed(link, 1); }, nullptr},
        {[&] { panel->firmware_update_succeeded(link); }, nullptr},
        {[&] { panel->firmware_update_available(link, "1.2.3"); }, nullptr},
    };
    for (const auto& [report, box] : rows) {
        desktop->boxes.clear();
        report();
        panel->timerCallback();
        SCOPED_TRACE(box ? box : "no box");
        EXPECT_EQ(desktop->boxes.size(), box ? 1u : 0u);
        EXPECT_TRUE(panel->isBusy());
        for (const auto button :
             {readSettingsButton, writeSettingsButton, resetButton, readUserPreset1Button,
              writeUserPreset2Button, updateFirmwareButton})
            EXPECT_FALSE(control(button).isEnabled()) << button;
    }

    desktop->boxes.clear();
    gate->release();
    ASSERT_TRUE(tickUntilIdle()) << "the send never ended";
    EXPECT_TRUE(control(writeSettingsButton).isEnabled());
    EXPECT_TRUE(desktop->boxes.empty());
}

namespace {

/** A panel whose speaker link's workers go on a while after they have reported: the moment
    between a result shown and the speaker let go, held until the test lets it pass. */
class LingeringPanel : public MainRemote
{
public:
    void main_settings_written(dsp_control& control) override
    {
        MainRemote::main_settings_written(control);
        reported.open();
        linger.wait();
    }
    test_support::test_latch reported;
    test_support::test_latch linger;
};

TEST_F(MainRemoteResultsTest, AnOperationEndsWhenItsWorkerHasEndedNotWhenItsResultIsShown)
{
    auto lingering = std::make_unique<LingeringPanel>();
    auto& slow = *lingering;
    panel = std::move(lingering);
    ASSERT_TRUE(tickUntilIdle()) << "the first read never ended";
    click(writeSettingsButton);
    ASSERT_TRUE(slow.reported.wait()) << "the send never reported";
    const auto opened = speaker().open_count();
    for (int tick = 0; tick < 5; ++tick)
        panel->timerCallback(); // its result is shown; the worker still holds the speaker
    EXPECT_TRUE(panel->isBusy());
    for (const auto button : {writeSettingsButton, readSettingsButton, resetButton})
        EXPECT_FALSE(control(button).isEnabled()) << "enabled while the worker runs: " << button;
    click(readSettingsButton);
    juce::Component window;
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    ASSERT_EQ(desktop->boxes.size(), 1u);
    EXPECT_EQ(desktop->boxes[0].title, "DSP communication in progress");

    slow.linger.open();
    ASSERT_TRUE(tickUntilIdle()) << "the send never ended";
    EXPECT_TRUE(control(writeSettingsButton).isEnabled());
    EXPECT_EQ(speaker().open_count(), opened)
        << "the click while the worker ended read the speaker";
    // Idle and "may start" are one state: the first click now starts.
    click(readSettingsButton);
    EXPECT_TRUE(panel->isBusy());
    ASSERT_TRUE(tickUntilIdle()) << "the read never ended";
    EXPECT_EQ(speaker().open_count(), opened + 1);
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
}

/** A panel whose first firmware search's worker goes on a while after its answer (any of
    the three), held until the test lets it pass. */
class LingeringSearchPanel : public MainRemote
{
public:
    void firmware_update_available(dsp_control& c, const std::string& version) override
    {
        MainRemote::firmware_update_available(c, version);
        lingerOnce();
    }
    void firmware_up_to_date(dsp_control& c) override
    {
        MainRemote::firmware_up_to_date(c);
        lingerOnce();
    }
    void firmware_search_failed(dsp_control& c) override
    {
        MainRemote::firmware_search_failed(c);
        lingerOnce();
    }
    test_support::test_latch reported;
    test_support::test_latch linger;

private:
    void lingerOnce()
    {
        if (answered.exchange(true))
            return;
        reported.open();
        linger.wait();
    }
    std::atomic<bool> answered{false};
};

struct EarlierSearch
{
    const char* name;
    bool endsBeforeTheNewSpeakerIsShown; // else it is still on the network then
    const char* newVersion;              // what the new speaker's search finds; nullptr: none
    const char* newStatus;
};

TEST_F(MainRemoteResultsTest, AnEarlierSpeakersSearchAnswerIsDroppedAndOnlyTheNewOneCounts)
{
    const EarlierSearch rows[] = {
        {"still on the network, then nothing", false, nullptr, "(firmware search failed)"},
        {"still on the network, then 1.0.8", false, "1.0.8", "(Firmware V1.0.8 available)"},
        {"answered in the same tick, then nothing", true, nullptr, "(firmware search failed)"},
        {"answered in the same tick, then 1.0.8", true, "1.0.8", "(Firmware V1.0.8 available)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The first speaker's search finds 1.0.9.
        std::filesystem::remove_all(packages / "K5R");
        const std::string folder = packages / "K5R/1.0.9";
        std::filesystem::create_directories(folder);
        test_support::write_text(folder + "/firmware.zip", "not a zip archive");
        speaker().reset("K5R");
        // It is held on the network until the test lets it answer.
        auto asked = std::make_shared<test_support::test_latch>();
        auto answer = std::make_shared<test_support::test_latch>();
        auto first = std::make_shared<std::atomic<bool>>(true);
        firmware_service::behaviour held;
        held.before_query = [asked, answer, first] {
            if (!first->exchange(false))
                return;
            asked->open();
            answer->wait();
        };
        service.set_behaviour(held);
        auto lingering = std::make_unique<LingeringSearchPanel>();
        auto& slowSearch = *lingering;
        panel = std::move(lingering);
        ASSERT_TRUE(tickUntil([this] { return control(writeSettingsButton).isEnabled(); }))
            << "the first read never ended";
        ASSERT_TRUE(asked->wait()) << "the first speaker's search never asked";
        auto& link = panel->getSpeakerLink();

        // Another K5R, with another serial, is read.
        speaker().set_model_tag("K5R004712");
        click(readSettingsButton);
        if (row.endsBeforeTheNewSpeakerIsShown) {
            ASSERT_TRUE(test_support::eventually([&] {
                return !link.is_device_operation_running();
            })) << "the read never ended";
            slowSearch.linger.open();
            answer->open();
            ASSERT_TRUE(test_support::eventually([&] {
                return !link.is_firmware_search_running();
            })) << "the first search never ended";
        } else {
            // The message thread does not wait for the search still on the network.
            const auto before = std::chrono::steady_clock::now();
            ASSERT_TRUE(tickUntil([this] {
                return text(modelLabel).find("K-004712") != std::string::npos;
            })) << "the new speaker was never shown";
            EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5))
                << "the ticks waited for the earlier search";
            EXPECT_EQ(text(statusLabel), "(searching online...)");
            answer->open();
            // Its answer has come while its worker still runs: it is not shown.
            ASSERT_TRUE(slowSearch.reported.wait()) << "the first search never answered";
            for (int tick = 0; tick < 5; ++tick)
                panel->timerCallback();
            EXPECT_EQ(text(statusLabel), "(searching online...)");
            EXPECT_FALSE(control(updateFirmwareButton).isEnabled());
            slowSearch.linger.open();
            ASSERT_TRUE(test_support::eventually([&] {
                return !link.is_firmware_search_running();
            })) << "the first search never ended";
        }
        EXPECT_FALSE(link.is_firmware_update_allowed()) << "the old answer was kept";
        std::filesystem::remove_all(packages / "K5R");
        if (row.newVersion != nullptr) {
            const std::string now = packages / "K5R/" + row.newVersion;
            std::filesystem::create_directories(now);
            test_support::write_text(now + "/firmware.zip", "not a zip archive");
        }
        std::vector<std::string> shown;
        bool offeredEarly = false;
        ASSERT_TRUE(tickUntil([&] {
            if (shown.empty() || shown.back() != text(statusLabel))
                shown.push_back(text(statusLabel));
            const bool ended = text(statusLabel) == row.newStatus;
            offeredEarly |= !ended && control(updateFirmwareButton).isEnabled();
            return ended && !link.is_firmware_search_running();
        })) << "the new speaker's search never ended: "
            << text(statusLabel);
        EXPECT_EQ(shown, (std::vector<std::string>{"(searching online...)", row.newStatus}));
        EXPECT_FALSE(offeredEarly) << "Update followed the earlier speaker's offer";
        panel->timerCallback();
        EXPECT_EQ(text(statusLabel), row.newStatus);
        EXPECT_EQ(control(updateFirmwareButton).isEnabled(), row.newVersion != nullptr);
        EXPECT_EQ(link.is_firmware_update_allowed(), row.newVersion != nullptr);
        panel.reset();
    }
}

} // namespace

namespace {

/** A desktop whose message boxes cannot be shown. */
struct BrokenBoxes : RecordingDesktopServices
{
    void showMessage(const juce::String&, const juce::String&, juce::Component*,
                     std::function<void()>) override
    {
        throw err::exception("no display");
    }
};

struct Ending
{
    const char* name;
    Control button;
    bool fails;      // the speaker is gone meanwhile, or the package
    const char* box; // the failure's box; nullptr: none
    bool boxCannotShow = false;
};

TEST_F(MainRemoteResultsTest, AfterEveryOperationThePanelIsIdleAndTheNextClickStartsItsOwn)
{
    // A package the update installs, one block of 100 bytes.
    const std::string folder = packages / "K5R/1.0.9";
    std::filesystem::create_directories(folder);
    const std::vector<test_support::hex_bytes> image = {
        {0x010000, test_support::counting_bytes(100, 3)}};
    test_support::write_firmware_package(folder + "/firmware.zip", image);
    const Ending rows[] = {
        {"Get", readSettingsButton, false, nullptr},
        {"Get, no speaker", readSettingsButton, true, "No Orvik speaker found"},
        {"Send", writeSettingsButton, false, nullptr},
        {"Send, no speaker", writeSettingsButton, true, "Store settings failed"},
        {"Reset", resetButton, false, nullptr},
        {"Reset, no speaker", resetButton, true, "Reset failed"},
        {"preset 1 get", readUserPreset1Button, false, nullptr},
        {"preset 1 get, no speaker", readUserPreset1Button, true, "Read preset failed"},
        {"preset 2 send", writeUserPreset2Button, false, nullptr},
        {"preset 2 send, no speaker", writeUserPreset2Button, true, "Store preset failed"},
        {"preset 3 send, no speaker, no box", writeUserPreset3Button, true, nullptr, true},
        {"Update, no package", updateFirmwareButton, true, nullptr},
        {"Update", updateFirmwareButton, false, nullptr},
    };
    startPanel();
    ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
        << "the search never offered the update";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        desktop->boxes.clear();
        std::unique_ptr<DesktopServices> recorder;
        if (row.boxCannotShow)
            recorder = DesktopServices::install(std::make_unique<BrokenBoxes>());
        const std::string package = folder + "/firmware.zip";
        if (row.fails && row.button == updateFirmwareButton)
            std::filesystem::rename(package, package + ".away");
        else if (row.fails)
            speaker().remove_device();
        ASSERT_TRUE(clickRunsItsOperation(row.button));
        if (row.button == updateFirmwareButton) {
            EXPECT_EQ(text(statusLabel),
                      row.fails ? "firmware download failed!" : "firmware update succeeded!");
        }
        if (row.fails && row.button == updateFirmwareButton)
            std::filesystem::rename(package + ".away", package);
        else if (row.fails)
            speaker().replug();
        if (recorder)
            DesktopServices::install(std::move(recorder));
        std::vector<RecordingDesktopServices::Box> failures;
        for (const auto& box : desktop->boxes)
            if (box.title != "Reset speaker") // the question before a reset
                failures.push_back(box);
        ASSERT_EQ(failures.size(), row.box ? 1u : 0u);
        if (row.box) {
            EXPECT_EQ(failures[0].title, row.box);
            EXPECT_EQ(failures[0].associatedComponent, panel.get());
        }
        // Idle: each action starts at the first click.
        for (const auto next : {readSettingsButton, writeSettingsButton, resetButton,
                                readUserPreset1Button, writeUserPreset3Button}) {
            EXPECT_TRUE(control(next).isEnabled()) << "button " << next;
            ASSERT_TRUE(clickRunsItsOperation(next));
        }
    }
    EXPECT_EQ(speaker().plain(0x010000, 100), image[0].bytes);
}

TEST_F(MainRemoteResultsTest, AClickOnAUserPresetTheSpeakerLacksStartsNothing)
{
    attach("K5T");
    startPanel();
    speaker().clear_history();
    for (const auto button : {readUserPreset3Button, writeUserPreset3Button}) {
        click(button);
        EXPECT_FALSE(panel->isBusy()) << "button " << button;
    }
    EXPECT_EQ(speaker().open_count(), 0u);
    EXPECT_TRUE(desktop->boxes.empty());
    EXPECT_TRUE(clickRunsItsOperation(writeUserPreset2Button)) << "the panel was left unable";
}

TEST_F(MainRemoteResultsTest, AnOperationWhoseStartFailsEndsAndSaysWhy)
{
    startPanel();
    // No thread can be started: the speaker link's operation throws as it starts.
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, std::size_t{1} << 46);
    pthread_attr_t normal;
    pthread_getattr_default_np(&normal);
    ASSERT_EQ(pthread_setattr_default_np(&huge), 0);
    click(writeSettingsButton);
    pthread_setattr_default_np(&normal);
    pthread_attr_destroy(&huge);
    pthread_attr_destroy(&normal);

    EXPECT_FALSE(panel->isBusy());
    ASSERT_EQ(desktop->boxes.size(), 1u);
    EXPECT_EQ(desktop->boxes[0].title, "Operation failed");
    EXPECT_EQ(desktop->boxes[0].text, "Resource temporarily unavailable");
    EXPECT_TRUE(control(writeSettingsButton).isEnabled());
    EXPECT_TRUE(clickRunsItsOperation(writeSettingsButton)) << "the panel was left unable";
}

} // namespace

namespace {

struct ChangedSinceTheOffer
{
    const char* version; // the speaker's firmware when the update begins
    std::array<std::uint32_t, 3> words;
    const char* status; // what the new search then finds of the offered 1.0.9
    bool offered;
};

// Another program updated the speaker after 1.0.9 was offered for its 1.0.7: the update writes
// nothing, the panel says so in a box, shows the version found and searches again.
TEST_F(MainRemoteResultsTest, AnUpdateThatFindsTheFirmwareChangedSaysSoAndSearchesAgain)
{
    const std::string folder = packages / "K5R/1.0.9";
    std::filesystem::create_directories(folder);
    test_support::write_firmware_package(folder + "/firmware.zip",
                                         {{0x010000, test_support::counting_bytes(100, 3)}});
    const ChangedSinceTheOffer rows[] = {
        {"1.0.9", {1, 0, 9}, "", true}, // the offered version itself: a reinstall, asked first
        {"1.1.0", {1, 1, 0}, "", false},
        {"1.0.5", {1, 0, 5}, "(Firmware V1.0.9 available)", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        speaker().reset("K5R");
        startPanel();
        auto& link = panel->getSpeakerLink();
        ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
            << "the search never offered the update";
        ASSERT_EQ(text(statusLabel), "(Firmware V1.0.9 available)");
        emulated_speaker::speaker_settings settings = speaker().settings();
        settings.firmware_version = row.words;
        speaker().set_settings(settings);
        take_reference_image();
        speaker().clear_history();

        desktop->boxes.clear();
        click(updateFirmwareButton);
        ASSERT_TRUE(panel->isBusy()) << "the update did not start";
        std::vector<std::string> shown;
        ASSERT_TRUE(tickUntil([&] {
            if (shown.empty() || shown.back() != text(statusLabel))
                shown.push_back(text(statusLabel));
            return !panel->isBusy() && !desktop->boxes.empty() &&
                   !link.is_firmware_search_running() && text(statusLabel) == row.status;
        })) << "the update and the new search never ended: "
            << text(statusLabel);
        ASSERT_EQ(desktop->boxes.size(), 1u);
        EXPECT_EQ(desktop->boxes[0].title, "Firmware update stopped");
        EXPECT_EQ(desktop->boxes[0].text,
                  std::string("The speaker's firmware changed to version ") + row.version +
                      " while the update was being prepared, so nothing was written. Pellaro "
                      "now looks for newer firmware again.");
        EXPECT_EQ(text(firmwareLabel), std::string("Firmware: ") + row.version);
        ASSERT_GE(shown.size(), 2u);
        EXPECT_EQ(shown[shown.size() - 2], "(searching online...)");
        EXPECT_EQ(control(updateFirmwareButton).isEnabled(), row.offered);
        EXPECT_TRUE(flash_commands_with(0xD8).empty()) << "a block was erased";
        expect_flash_unchanged();
        panel.reset();
    }
}

// A Get of the same speaker while its search is still on the network changes nothing of the
// offer: the answer, when it comes, is shown and offers the update.
TEST_F(MainRemoteResultsTest, AGetOfTheSameSpeakerDuringItsSearchKeepsTheOffer)
{
    const std::string folder = packages / "K5R/1.0.9";
    std::filesystem::create_directories(folder);
    test_support::write_text(folder + "/firmware.zip", "not a zip archive");
    auto asked = std::make_shared<test_support::test_latch>();
    auto answer = std::make_shared<test_support::test_latch>();
    auto queries = std::make_shared<std::atomic<int>>(0);
    firmware_service::behaviour held;
    held.before_query = [asked, answer, queries] {
        if (queries->fetch_add(1) > 0)
            return;
        asked->open();
        answer->wait();
    };
    service.set_behaviour(held);
    startPanel();
    auto& link = panel->getSpeakerLink();
    ASSERT_TRUE(asked->wait()) << "the search never asked";

    const bool read = clickRunsItsOperation(readSettingsButton);
    EXPECT_TRUE(read) << "Get did not run";
    EXPECT_EQ(text(statusLabel), "(searching online...)");
    EXPECT_FALSE(control(updateFirmwareButton).isEnabled());
    answer->open();
    ASSERT_TRUE(tickUntil([&] {
        return text(statusLabel) == "(Firmware V1.0.9 available)" &&
               !link.is_firmware_search_running();
    })) << "the answer was never shown: "
        << text(statusLabel);
    EXPECT_TRUE(control(updateFirmwareButton).isEnabled());
    EXPECT_TRUE(link.is_firmware_update_allowed());
    EXPECT_EQ(queries->load(), 1) << "the Get dropped the offer and searched again";
}

} // namespace
