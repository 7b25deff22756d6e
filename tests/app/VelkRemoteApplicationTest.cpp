// Quitting: refused with one of two titles while the panel holds the speaker, granted when it
// is idle, only waits for another program's hold (the wait is given up) or has no panel;
// SIGINT and SIGTERM become quit requests on the message thread.
#include "VelkRemoteApplication.h"
#include "QuitSignals.h"

#include "support/PanelFixture.h"
#include "support/bounded_thread.h"
#include "support/bounded_wait.h"
#include "support/other_program_lock.h"
#include "support/recording_callback.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <functional>
#include <mutex>

namespace {

class QuitTest : public PanelTest
{
protected:
    const std::string refusalText =
        "Do not disconnect the speaker from your computer, power down the speaker, or quit this "
        "application.  Doing so during DSP communication will corrupt the files in your speaker!";
    juce::Component window;
};

TEST_F(QuitTest, RefusesOnlyWhileTheSpeakerIsHeldAndSaysWhy)
{
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(nullptr, nullptr));
    startPanel();

    // The read holds the speaker; then an update is reported as started.
    const auto gate = speaker().hold_report(0);
    click(readSettingsButton);
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the read never began";
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    test_support::recording_callback sink;
    dsp_control other(sink);
    panel->firmware_update_started(other);
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    gate->release();

    ASSERT_EQ(desktop->boxes.size(), 2u);
    EXPECT_EQ(desktop->boxes[0].title, "DSP communication in progress");
    EXPECT_EQ(desktop->boxes[1].title, "Firmware update in progress");
    for (const auto& box : desktop->boxes) {
        EXPECT_EQ(box.text, refusalText);
        EXPECT_EQ(box.associatedComponent, &window);
    }

    // Only the hold on the speaker decides: a firmware flag left set does not keep the program
    // open.
    ASSERT_TRUE(tickUntilIdle()) << "the read never ended";
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    panel->firmware_update_failed(other, 2);
    EXPECT_EQ(desktop->boxes.size(), 2u);
}

TEST_F(QuitTest, AnOperationThatOnlyWaitsForAnotherProgramGivesUpAndTouchesNothing)
{
    startPanel();
    test_support::other_program_lock other;
    speaker().clear_history();
    panel->setControlsEnabled(true);
    as<juce::Slider>(volumeSlider).setValue(-20.0);
    click(writeSettingsButton);
    ASSERT_TRUE(panel->isBusy());
    ASSERT_TRUE(tickUntil([this] { return text(statusLabel) == MainRemote::speakerWaitText; }))
        << "the status row never said that the panel waits";

    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    EXPECT_TRUE(desktop->boxes.empty());
    // The panel stays until the application closes it, while the message loop runs on: its
    // timer, left running, would show the given-up send's failure on a later tick.
    ASSERT_TRUE(test_support::eventually([this] {
        return !panel->getSpeakerLink().is_waiting_for_speaker();
    })) << "the send's wait was never given up";
    struct TickCounter : juce::Timer
    {
        int ticks = 0;
        void timerCallback() override { ++ticks; }
    } counter;
    counter.startTimerHz(60);
    ASSERT_TRUE(test_support::eventually([&counter] {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
        return counter.ticks >= 10;
    })) << "the message loop never ran ten ticks";
    EXPECT_TRUE(desktop->boxes.empty()) << "a tick after the quit showed the send's failure";
    test_support::bounded_thread([this] {
        panel.reset();
    }).join_within(std::chrono::seconds(2), "the panel to close while its send waits");
    EXPECT_EQ(speaker().open_count(), 0u) << "the given-up send opened the bridge";
    expect_flash_unchanged();
    EXPECT_TRUE(desktop->boxes.empty()) << "a closing panel showed the send's failure";
}

TEST(QuitSignals, SigtermAndSigintBecomeQuitRequestsOnTheMessageThread)
{
    int requests = 0;
    bool onMessageThread = true;
    {
        QuitSignals signals([&] {
            ++requests;
            onMessageThread &= juce::MessageManager::getInstance()->isThisTheMessageThread();
        });
        ASSERT_TRUE(signals.isActive());
        for (const int signalNumber : {SIGTERM, SIGINT}) {
            const int before = requests;
            std::raise(signalNumber);
            const auto limit = juce::Time::getMillisecondCounter() + 10000;
            while (requests == before && juce::Time::getMillisecondCounter() < limit)
                juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
            ASSERT_EQ(requests, before + 1)
                << "signal " << signalNumber << " reached no quit request within 10 s";
        }
    }
    EXPECT_TRUE(onMessageThread);
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        struct sigaction now = {};
        sigaction(signalNumber, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL)
            << "signal " << signalNumber << " has not got its default action back";
    }
}

} // namespace

namespace {

TEST_F(QuitTest, RefusedWhileTheUpdateHoldsTheSpeakerAfterAnyOtherOperationHasEnded)
{
    const std::string folder = packages / "K5R/1.0.9";
    std::filesystem::create_directories(folder);
    test_support::write_text(folder + "/firmware.zip", "not a zip archive");
    // The download gets four bytes, then its connection stays silent until the test lets go.
    std::mutex mutex;
    std::condition_variable changed;
    bool letGo = false;
    firmware_service::behaviour slow;
    slow.next_piece = [&](std::uint64_t sent) -> std::uint64_t {
        if (sent == 0)
            return 4;
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(20), [&] { return letGo; });
        return 0;
    };
    service.set_behaviour(slow);
    const auto release = [&] {
        const std::lock_guard<std::mutex> lock(mutex);
        letGo = true;
        changed.notify_all();
    };
    struct Releaser
    {
        std::function<void()> release;
        ~Releaser() { release(); }
    } releaser{release};

    startPanel();
    ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
        << "the search never offered the update";
    click(updateFirmwareButton);
    ASSERT_TRUE(tickUntil([this] {
        return text(statusLabel).rfind("downloading firmware", 0) == 0;
    })) << "the download never began";

    // Another operation's result arrives, as when one had run beside the update.
    panel->device_reset(panel->getSpeakerLink());
    panel->timerCallback();
    EXPECT_TRUE(panel->isBusy());
    EXPECT_FALSE(control(writeSettingsButton).isEnabled());
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    ASSERT_EQ(desktop->boxes.size(), 1u);
    EXPECT_EQ(desktop->boxes[0].title, "Firmware update in progress");
    EXPECT_EQ(desktop->boxes[0].text, refusalText);

    release();
    ASSERT_TRUE(tickUntilIdle()) << "the update never ended";
    EXPECT_EQ(text(statusLabel), "firmware download failed!");
    // The worker lets go of the speaker just after its report.
    ASSERT_TRUE(tickUntil([this] {
        return !panel->getSpeakerLink().is_device_operation_running();
    })) << "the update's worker never ended";
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    expect_flash_unchanged();
}

TEST_F(QuitTest, AClickWhoseOperationCannotStartAtOnceStartsNothing)
{
    // The first read holds the speaker: "Get" stays enabled, as the panel starts, but a second
    // read would wait for the first on the message thread.
    const auto gate = speaker().hold_report(0);
    panel = std::make_unique<MainRemote>();
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the first read never began";
    EXPECT_TRUE(panel->isBusy());
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    test_support::bounded_thread([this] {
        click(readSettingsButton);
    }).join_within(std::chrono::seconds(2), "a click on Get during the first read");
    gate->release();
    ASSERT_TRUE(tickUntilIdle()) << "the first read never ended";
    EXPECT_EQ(speaker().open_count(), 1u) << "the click read the speaker again";
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
}

} // namespace
