// An alert raised on a worker thread returns at once there and shows on the message thread; a
// save never replaces a file unasked.
#include "JuceDialogHooks.h"

#include "support/RecordingDesktopServices.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <thread>

namespace {

TEST(JuceDialogHooks, AlertFromAWorkerShowsOnTheMessageThreadWithoutWaiting)
{
    JuceDialogHooks hooks;
    std::thread worker(
        [&hooks] { hooks.show_alert("The download stopped.", "Firmware download failed"); });
    worker.join(); // returns although nothing has shown the alert yet
    EXPECT_EQ(findOnDesktop<juce::AlertWindow>(), nullptr);

    juce::AlertWindow* alert = nullptr;
    const auto limit = juce::Time::getMillisecondCounter() + 10000;
    while (alert == nullptr && juce::Time::getMillisecondCounter() < limit) {
        juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
        alert = findOnDesktop<juce::AlertWindow>();
    }
    ASSERT_NE(alert, nullptr) << "no alert window within 10 s";
    EXPECT_EQ(alert->getName(), "Firmware download failed");
    EXPECT_EQ(alert->getNumButtons(), 1);
    alert->exitModalState(0);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
}

TEST(JuceDialogHooks, SaveAsksBeforeTheAddedExtensionReplacesAFile)
{
    const test_support::temporary_folder folder;
    test_support::write_text(folder / "Vocal.xml", "");
    const struct
    {
        const char* chosen; // in the save panel
        bool answerYes;
        const char* saved; // nullptr: the save is cancelled
        bool asked;
    } rows[] = {
        {"Vocal.xml", false, "Vocal.xml", false}, // the panel itself asked about this name
        {"Vocal", true, "Vocal.xml", true},       {"Vocal", false, nullptr, true},
        {"Vocal.txt", false, nullptr, true},      {"Drums", false, "Drums.xml", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.chosen);
        ScopedRecordingDesktop desktop;
        desktop->answerYes = row.answerYes;
        const auto file = JuceDialogHooks::fileToSave(juce::File(folder / row.chosen), "xml");
        EXPECT_EQ(file ? file->getFullPathName().toStdString() : "nothing",
                  row.saved ? folder / row.saved : "nothing");
        ASSERT_EQ(desktop->boxes.size(), row.asked ? 1u : 0u);
        if (row.asked) {
            EXPECT_EQ(desktop->boxes[0].title, "File already exists");
            EXPECT_EQ(desktop->boxes[0].text,
                      "There's already a file called: " + (folder / "Vocal.xml") +
                          "\n\nAre you sure you want to overwrite it?");
        }
    }
}

} // namespace
