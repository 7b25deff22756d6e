// Quitting: refused with one of two titles while the panel is busy, granted when it is idle or
// when there is no panel; SIGINT and SIGTERM become quit requests on the message thread.
#include "VelkRemoteApplication.h"
#include "QuitSignals.h"

#include "support/RecordingDesktopServices.h"
#include "support/emulated_speaker_fixture.h"
#include "support/recording_callback.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

class QuitTest : public EmulatedSpeakerTest
{
protected:
    void TearDown() override
    {
        panel.reset();
        EmulatedSpeakerTest::TearDown();
    }

    std::unique_ptr<MainRemote> panel = std::make_unique<MainRemote>();
};

TEST_F(QuitTest, RefusesOnlyWhileBusyAndSaysWhy)
{
    ScopedRecordingDesktop desktop;
    juce::Component window;
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(nullptr, nullptr));
    const std::string text =
        "Do not disconnect the speaker from your computer, power down the speaker, or quit this "
        "application.  Doing so during DSP communication will corrupt the files in your speaker!";

    panel->setControlsEnabled(false);
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));

    test_support::recording_callback sink;
    dsp_control other(sink);
    panel->firmware_update_started(other);
    EXPECT_FALSE(VelkRemoteApplication::mayQuit(panel.get(), &window));

    ASSERT_EQ(desktop->boxes.size(), 2u);
    EXPECT_EQ(desktop->boxes[0].title, "DSP communication in progress");
    EXPECT_EQ(desktop->boxes[1].title, "Firmware update in progress");
    for (const auto& box : desktop->boxes) {
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.associatedComponent, &window);
    }

    // Only the busy state decides: a firmware flag left set does not keep the program open.
    panel->setControlsEnabled(true);
    EXPECT_TRUE(VelkRemoteApplication::mayQuit(panel.get(), &window));
    panel->firmware_update_failed(other, 2);
    EXPECT_EQ(desktop->boxes.size(), 2u);
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
    struct sigaction now = {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << "the default handler is back";
}

} // namespace
