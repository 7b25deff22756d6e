// An alert raised on a worker thread returns at once there and shows on the message thread.
#include "JuceDialogHooks.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <thread>

namespace {

juce::AlertWindow* findAlert()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*>(desktop.getComponent(i)))
            return alert;
    return nullptr;
}

TEST(JuceDialogHooks, AlertFromAWorkerShowsOnTheMessageThreadWithoutWaiting)
{
    JuceDialogHooks hooks;
    std::thread worker(
        [&hooks] { hooks.show_alert("The download stopped.", "Firmware download failed"); });
    worker.join(); // returns although nothing has shown the alert yet
    EXPECT_EQ(findAlert(), nullptr);

    juce::AlertWindow* alert = nullptr;
    const auto limit = juce::Time::getMillisecondCounter() + 10000;
    while (alert == nullptr && juce::Time::getMillisecondCounter() < limit) {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
        alert = findAlert();
    }
    ASSERT_NE(alert, nullptr) << "no alert window within 10 s";
    EXPECT_EQ(alert->getName(), "Firmware download failed");
    EXPECT_EQ(alert->getNumButtons(), 1);
    alert->exitModalState(0);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
}

} // namespace
