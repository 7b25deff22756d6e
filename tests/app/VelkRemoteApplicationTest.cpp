// Quitting: refused with one of two titles while the panel holds the speaker, granted when it
// is idle, only waits for another program's hold (the wait is given up) or has no panel; a
// refused quit changes nothing; SIGHUP, SIGINT, SIGQUIT and SIGTERM become quit requests on the
// message thread, and do nothing once the program ends.
#include "VelkRemoteApplication.h"
#include "QuitSignals.h"

#include "support/PanelFixture.h"
#include "support/bounded_thread.h"
#include "support/bounded_wait.h"
#include "support/child_process.h"
#include "support/firmware_package_builder.h"
#include "support/other_program_lock.h"
#include "support/recording_callback.h"

#include <quarro/desktop/known_folders.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iterator>
#include <ostream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

constexpr int quitSignalNumbers[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

/** The quit signals' actions for a scope, the previous ones put back after. A signal that
    the quit signals do not take then reaches `handler`, which may keep the test program alive
    (and a test program started with nohup has SIGHUP ignored, which the quit signals respect). */
class QuitSignalActions
{
public:
    explicit QuitSignalActions(void (*handler)(int))
    {
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(quitSignalNumbers); ++i)
            sigaction(quitSignalNumbers[i], &action, &previous[i]);
    }
    ~QuitSignalActions()
    {
        for (std::size_t i = 0; i < std::size(quitSignalNumbers); ++i)
            sigaction(quitSignalNumbers[i], &previous[i], nullptr);
    }
    QuitSignalActions(const QuitSignalActions&) = delete;
    QuitSignalActions& operator=(const QuitSignalActions&) = delete;

private:
    struct sigaction previous[std::size(quitSignalNumbers)] = {};
};

void notTaken(int) {}

void (*handlerOf(int signalNumber))(int)
{
    struct sigaction now = {};
    sigaction(signalNumber, nullptr, &now);
    return now.sa_handler;
}

class QuitTest : public PanelTest
{
protected:
    /// Publishes a package of one 100-byte image at 0x010000 as firmware 1.0.9 for the K5R.
    void publishPackage()
    {
        const std::string folder = packages / "K5R/1.0.9";
        std::filesystem::create_directories(folder);
        test_support::write_firmware_package(folder + "/firmware.zip", image);
    }

    const std::vector<test_support::hex_bytes> image = {
        {0x010000, test_support::counting_bytes(100, 3)}};
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
    desktop->close(0);
    test_support::recording_callback sink;
    dsp_control other(sink);
    panel->firmware_update_started(other);
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    desktop->close(1);
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

TEST(QuitSignals, EachQuitSignalBecomesAQuitRequestOnTheMessageThread)
{
    const QuitSignalActions before(notTaken);
    int requests = 0;
    bool onMessageThread = true;
    {
        QuitSignals signals([&] {
            ++requests;
            onMessageThread &= juce::MessageManager::getInstance()->isThisTheMessageThread();
        });
        ASSERT_TRUE(signals.isActive());
        for (const int signalNumber : quitSignalNumbers) {
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
    for (const int signalNumber : quitSignalNumbers)
        EXPECT_EQ(handlerOf(signalNumber), SIG_DFL)
            << "signal " << signalNumber << " has not got its default action back";
}

TEST(QuitSignals, AHangupIgnoredAtTheStartStaysIgnored)
{
    // As nohup starts a program: it is to outlive the terminal it was started from.
    const QuitSignalActions before(notTaken);
    std::signal(SIGHUP, SIG_IGN);
    {
        QuitSignals signals([] {});
        std::raise(SIGHUP);
        EXPECT_FALSE(QuitSignals::hasOneArrived());
        EXPECT_FALSE(signals.takePendingRequest()) << "an ignored hangup asked to quit";
        EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
    }
    EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
}

TEST(QuitSignals, OnceTheProgramEndsAQuitSignalDoesNothingUntilTheProcessHasEnded)
{
    // In a child: the default action of a quit signal would end it, as it would the program
    // while it still writes its log and resume files.
    const std::string answer = test_support::run_in_child(test_support::child_user::same, [] {
        const QuitSignalActions before(SIG_DFL);
        {
            QuitSignals signals([] {});
            QuitSignals::ignoreUntilExit();
        }
        for (const int signalNumber : quitSignalNumbers) {
            std::raise(signalNumber);
            // Programs started from here would keep an ignored signal ignored.
            if (handlerOf(signalNumber) == SIG_IGN)
                return "signal " + std::to_string(signalNumber) + " is ignored, not handled";
        }
        return std::string();
    });
    EXPECT_EQ(answer, "");
}

} // namespace

namespace {

TEST_F(QuitTest, RefusedWhileTheUpdateHoldsTheSpeakerAfterAnyOtherOperationHasEnded)
{
    publishPackage();
    startPanel();
    ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
        << "the search never offered the update";
    // The update is held at its first report to the speaker, once it has its package.
    const auto gate = speaker().hold_report(0);
    click(updateFirmwareButton);
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the update never wrote";

    // Another operation's result arrives, as when one had run beside the update.
    panel->device_reset(panel->getSpeakerLink());
    panel->timerCallback();
    EXPECT_TRUE(panel->isBusy());
    EXPECT_FALSE(control(writeSettingsButton).isEnabled());
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    ASSERT_EQ(desktop->boxes.size(), 1u);
    EXPECT_EQ(desktop->boxes[0].title, "Firmware update in progress");
    EXPECT_EQ(desktop->boxes[0].text, refusalText);
    desktop->close(0);

    gate->release();
    ASSERT_TRUE(tickUntilIdle()) << "the update never ended";
    EXPECT_EQ(text(statusLabel), "firmware update succeeded!");
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    EXPECT_EQ(speaker().plain(0x010000, 100), image[0].bytes);
    EXPECT_EQ(desktop->boxes.size(), 1u);
}

TEST_F(QuitTest, AQuitWhileTheUpdateDownloadsIsAcceptedAndKeepsWhatCame)
{
    publishPackage();
    firmware_service::behaviour stall;
    stall.stall_after_bytes = 100;
    stall.stall_ms = 60000;
    service.set_behaviour(stall);
    startPanel();
    ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
        << "the search never offered the update";
    speaker().clear_history();
    click(updateFirmwareButton);
    ASSERT_TRUE(tickUntil([this] {
        return text(statusLabel).rfind("downloading firmware: ", 0) == 0;
    })) << "the download never began: "
        << text(statusLabel);
    EXPECT_TRUE(panel->isBusy());

    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    EXPECT_TRUE(desktop->boxes.empty()) << "a download was refused as talking to the speaker";
    test_support::bounded_thread([this] {
        panel.reset();
    }).join_within(std::chrono::seconds(2), "the panel to close while its update downloads");
    EXPECT_TRUE(desktop->boxes.empty());
    EXPECT_EQ(speaker().open_count(), 0u) << "the given-up update reached for the speaker";
    expect_flash_unchanged();
    const std::string folder =
        quarro::get_user_documents_path().get_path() + "/Velk Audio/Pellaro/firmware/K5R/1.0.9/";
    EXPECT_EQ(std::filesystem::file_size(folder + "firmware.zip.part"), 100u);
    EXPECT_TRUE(std::filesystem::exists(folder + "firmware.zip.resume.xml"));
}

TEST_F(QuitTest, RefusedWhileAnythingHoldsTheSpeakerWhateverTheButtonsShowAndSaysWhy)
{
    // The update fails (no package); then the speaker is held by a send started past the
    // panel's buttons, which all look idle.
    const std::string folder = packages / "K5R/1.0.9";
    std::filesystem::create_directories(folder);
    test_support::write_text(folder + "/firmware.zip", "not a zip archive");
    startPanel();
    ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
        << "the search never offered the update";
    click(updateFirmwareButton);
    ASSERT_TRUE(tickUntilIdle()) << "the update never ended";
    ASSERT_EQ(text(statusLabel), "firmware download failed!");

    const auto gate = speaker().hold_report(0);
    panel->getSpeakerLink().write_main_settings_to_device();
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the send never began";
    panel->timerCallback();
    ASSERT_FALSE(panel->isBusy());
    ASSERT_TRUE(control(writeSettingsButton).isEnabled());
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    ASSERT_EQ(desktop->boxes.size(), 1u);
    EXPECT_EQ(desktop->boxes[0].title, "DSP communication in progress");
    EXPECT_EQ(desktop->boxes[0].text, refusalText);
    gate->release();
    ASSERT_TRUE(test_support::eventually([this] {
        return !panel->getSpeakerLink().is_device_operation_running();
    })) << "the send never ended";
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
}

TEST_F(QuitTest, ShowsOneRefusalAtATimeHoweverManyQuitsCome)
{
    startPanel();
    const auto gate = speaker().hold_report(0);
    click(writeSettingsButton);
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the send never began";
    for (int quit = 0; quit < 5; ++quit)
        EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    EXPECT_EQ(desktop->boxes.size(), 1u);
    desktop->close(0);
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    ASSERT_EQ(desktop->boxes.size(), 2u) << "a quit after the box was closed showed none";
    EXPECT_EQ(desktop->boxes[1].title, "DSP communication in progress");
    gate->release();
    ASSERT_TRUE(tickUntilIdle()) << "the send never ended";
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
}

TEST_F(QuitTest, AClickWhoseOperationCannotStartAtOnceStartsNothing)
{
    // The first read holds the speaker: "Get" stays enabled, as the panel starts, but a second
    // read would wait for the first on the message thread.
    const auto gate = speaker().hold_report(0);
    panel = std::make_unique<MainRemote>();
    panel->timerCallback(); // the first tick starts the first read
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

namespace {

TEST(QuitSignals, ASignalHeldSinceTheStartIsAQuitRequestOnceTaken)
{
    const QuitSignalActions before(notTaken);
    QuitSignals::holdUntilTaken();
    sigset_t held;
    pthread_sigmask(SIG_SETMASK, nullptr, &held);
    for (const int signalNumber : quitSignalNumbers) {
        // Held back, it waits for the handlers.
        ASSERT_TRUE(sigismember(&held, signalNumber)) << "signal " << signalNumber;
        std::raise(signalNumber);
    }
    int requests = 0;
    {
        QuitSignals signals([&requests] { ++requests; });
        ASSERT_TRUE(signals.isActive());
        EXPECT_TRUE(QuitSignals::hasOneArrived());
        EXPECT_TRUE(signals.takePendingRequest()) << "the held signals were lost";
        EXPECT_FALSE(signals.takePendingRequest()) << "the held signals, taken twice";
        std::raise(SIGINT); // taken now, it reaches the message loop
        const auto limit = juce::Time::getMillisecondCounter() + 10000;
        while (requests == 0 && juce::Time::getMillisecondCounter() < limit)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
        EXPECT_EQ(requests, 1) << "a signal after the start reached no quit request within 10 s";
    }
    EXPECT_FALSE(QuitSignals::hasOneArrived()) << "without handlers, no signal arrives";
    sigset_t blocked;
    pthread_sigmask(SIG_SETMASK, nullptr, &blocked);
    for (const int signalNumber : quitSignalNumbers)
        EXPECT_FALSE(sigismember(&blocked, signalNumber))
            << "signal " << signalNumber << " is still held";
}

} // namespace

namespace {

TEST_F(QuitTest, AQuitSignalWhileThePanelIsMadeEndsItWithoutOpeningTheSpeaker)
{
    int requests = 0;
    const QuitSignalActions before(notTaken);
    QuitSignals signals([&requests] { ++requests; });
    panel = std::make_unique<MainRemote>();
    // It comes before the message loop has run: the first tick is still to come.
    std::raise(SIGTERM);
    for (int tick = 0; tick < 3; ++tick)
        panel->timerCallback();
    EXPECT_FALSE(panel->getSpeakerLink().is_device_operation_running())
        << "the first read started after the quit signal";
    EXPECT_EQ(speaker().open_count(), 0u) << "the speaker was opened after the quit signal";

    // The loop takes the request; nothing holds the speaker, so the quit is accepted.
    const auto limit = juce::Time::getMillisecondCounter() + 10000;
    while (requests == 0 && juce::Time::getMillisecondCounter() < limit)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
    ASSERT_EQ(requests, 1) << "the signal reached no quit request within 10 s";
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    EXPECT_TRUE(desktop->boxes.empty());
}

/** Refused once: the box cannot be shown. */
class FailingOnceDesktop : public RecordingDesktopServices
{
public:
    void showMessage(const juce::String& title, const juce::String& text,
                     juce::Component* associatedComponent, std::function<void()> closed) override
    {
        if (std::exchange(failNext, false))
            throw std::runtime_error("no box can be shown");
        RecordingDesktopServices::showMessage(title, text, associatedComponent, std::move(closed));
    }
    bool failNext = true;
};

TEST_F(QuitTest, ARefusalWhoseBoxCouldNotBeShownLeavesTheNextRefusalItsBox)
{
    startPanel();
    const auto gate = speaker().hold_report(0);
    click(writeSettingsButton);
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the send never began";
    auto failing = std::make_unique<FailingOnceDesktop>();
    auto& shown = *failing;
    auto recorder = DesktopServices::install(std::move(failing));
    EXPECT_THROW(VelkRemoteApplication::mayQuit(panel.get(), &window), std::runtime_error);
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    const auto boxes = shown.boxes;
    DesktopServices::install(std::move(recorder));
    gate->release();
    ASSERT_TRUE(tickUntilIdle()) << "the send never ended";
    ASSERT_EQ(boxes.size(), 1u) << "the quit after the failed box showed none";
    EXPECT_EQ(boxes[0].title, "DSP communication in progress");
}

struct RefusedDuring
{
    const char* name;
    Control button;
    const char* title;
};

void PrintTo(const RefusedDuring& row, std::ostream* out)
{
    *out << row.name;
}

class ARefusedQuit : public QuitTest, public testing::WithParamInterface<RefusedDuring>
{};

TEST_P(ARefusedQuit, ChangesNothingTheNextSearchAndDownloadSucceed)
{
    publishPackage();
    startPanel();
    ASSERT_TRUE(tickUntil([this] { return control(updateFirmwareButton).isEnabled(); }))
        << "the search never offered the update";
    // The operation is held at its first report to the speaker (the update once it has its
    // package).
    const auto gate = speaker().hold_report(0);
    click(GetParam().button);
    ASSERT_TRUE(gate->wait_until_held(std::chrono::seconds(10))) << "the operation never wrote";
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    ASSERT_EQ(desktop->boxes.size(), 1u);
    EXPECT_EQ(desktop->boxes[0].title, GetParam().title);
    desktop->close(0);
    gate->release();
    ASSERT_TRUE(tickUntilIdle()) << "the operation never ended";

    // Newer firmware for another speaker of the model: it is searched for, downloaded and
    // installed as if no quit had been asked for.
    const std::vector<test_support::hex_bytes> newer = {
        {0x010000, test_support::counting_bytes(100, 7)}};
    const std::string folder = packages / "K5R/1.0.10";
    std::filesystem::create_directories(folder);
    test_support::write_firmware_package(folder + "/firmware.zip", newer, "1.0.10");
    speaker().set_model_tag("K5R004712");
    click(readSettingsButton);
    ASSERT_TRUE(tickUntil([this] { return text(statusLabel) == "(Firmware V1.0.10 available)"; }))
        << "the search after the refused quit ended with " << text(statusLabel);
    click(updateFirmwareButton);
    ASSERT_TRUE(tickUntilIdle()) << "the update after the refused quit never ended";
    EXPECT_EQ(text(statusLabel), "firmware update succeeded!");
    EXPECT_EQ(speaker().plain(0x010000, 100), newer[0].bytes);
    EXPECT_EQ(desktop->boxes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Quit, ARefusedQuit,
    testing::Values(RefusedDuring{"Send", writeSettingsButton, "DSP communication in progress"},
                    RefusedDuring{"Installation", updateFirmwareButton,
                                  "Firmware update in progress"}),
    [](const testing::TestParamInfo<RefusedDuring>& info) { return info.param.name; });

} // namespace
