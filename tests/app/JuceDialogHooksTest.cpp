// An alert raised on a worker thread returns at once there and shows on the message thread; a
// save goes to the chosen name with ".xml" added, and never replaces a file unasked.
#include "JuceDialogHooks.h"

#include "support/RecordingDesktopServices.h"
#include "support/SavePanelDriver.h"
#include "support/environment_variable.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// A name chosen in the save panel, the answer to a question before replacing a file, and what
// the save then does.
struct SaveRow
{
    const char* chosen;
    bool answerYes;
    const char* saved; // nullptr: the save is cancelled
    const char* asked; // the file the question names; nullptr: no question
};

TEST(JuceDialogHooks, SaveAddsXmlToTheChosenNameAndAsksBeforeReplacingThatFile)
{
    const test_support::temporary_folder folder;
    for (const char* present : {"Vocal.xml", "Vocal 1.xml", "C", "D", "D.xml"})
        test_support::write_text(folder / present, "");
    std::filesystem::create_directory(folder / "E.xml");
    const SaveRow rows[] = {
        {"Vocal.xml", true, "Vocal.xml", "Vocal.xml"},
        {"Vocal.xml", false, nullptr, "Vocal.xml"},
        {"Vocal", true, "Vocal.xml", "Vocal.xml"},
        {"Vocal", false, nullptr, "Vocal.xml"},
        {"Vocal 1.5", false, "Vocal 1.5.xml", nullptr}, // not "Vocal 1.xml"
        {"Vocal.txt", false, "Vocal.txt.xml", nullptr},
        {"a.XML", false, "a.XML", nullptr},
        {"b.Xml", false, "b.Xml", nullptr},
        {"C", false, "C.xml", nullptr}, // "C" itself is not written, so not asked about
        {"D", false, nullptr, "D.xml"},
        {"Drums", false, "Drums.xml", nullptr},
        {".xml", false, ".xml", nullptr},
        {"Drumsxml", false, "Drumsxml.xml", nullptr}, // the ending is ".xml", full stop included
        // A folder is not asked about (the caller says that a folder has the name).
        {"E", false, "E.xml", nullptr},
        {"E.xml", false, "E.xml", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.chosen << (row.answerYes ? ", yes" : ", no"));
        ScopedRecordingDesktop desktop;
        desktop->answerYes = row.answerYes;
        std::optional<std::string> saved;
        JuceDialogHooks::fileToSave(
            juce::File(folder / row.chosen), "xml", [&saved](std::optional<juce::File> file) {
                saved = file ? file->getFullPathName().toStdString() : "nothing";
            });
        EXPECT_EQ(saved.value_or("no answer"), row.saved ? folder / row.saved : "nothing");
        EXPECT_EQ(desktop->boxes.size(), row.asked ? 1u : 0u);
        if (row.asked && !desktop->boxes.empty()) {
            EXPECT_EQ(desktop->boxes[0].title, "File already exists");
            EXPECT_EQ(desktop->boxes[0].text,
                      "There's already a file called: " + (folder / row.asked) +
                          "\n\nAre you sure you want to overwrite it?");
        }
    }
}

TEST(JuceDialogHooks, SavePanelAsksOnceAboutTheFileThatWillBeWritten)
{
    // Through the file chooser the application installs, a name typed into JUCE's own save
    // panel: one question, naming the file that will be written, whether the user typed the
    // type or it was added.
    const test_support::temporary_folder folder;
    for (const char* present : {"Vocal.xml", "C", "D", "D.xml"})
        test_support::write_text(folder / present, "");
    const SaveRow rows[] = {
        {"Vocal.xml", true, "Vocal.xml", "Vocal.xml"},
        {"Vocal.xml", false, nullptr, "Vocal.xml"},
        {"C", false, "C.xml", nullptr},
        {"D", true, "D.xml", "D.xml"},
        {"Vocal 1.5", false, "Vocal 1.5.xml", nullptr},
    };
    JuceDialogHooks hooks;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.chosen << (row.answerYes ? ", yes" : ", no"));
        ScopedRecordingDesktop desktop;
        desktop->answerYes = row.answerYes;
        SavePanelDriver user(row.chosen, row.answerYes);
        std::optional<std::string> saved;
        bool answered = false;
        hooks.begin_choose_file_to_save("save preset as...", folder.path(), "User Preset", "xml",
                                        [&](std::optional<std::string> chosen) {
                                            saved = chosen;
                                            answered = true;
                                        });
        EXPECT_FALSE(answered) << "the panel answered before it was shown";
        const auto limit = juce::Time::getMillisecondCounter() + 12000;
        while (!answered && juce::Time::getMillisecondCounter() < limit)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
        ASSERT_TRUE(user.typed) << "no save panel showed";
        ASSERT_FALSE(user.gaveUp) << "the save panel was still open after 10 s";
        ASSERT_TRUE(answered) << "the save panel gave no answer within 12 s";
        EXPECT_EQ(saved.value_or("nothing"), row.saved ? folder / row.saved : "nothing");
        std::vector<std::string> questions = user.alerts; // the save panel's own
        for (const auto& box : desktop->boxes)
            questions.push_back(box.title + ". " + box.text);
        std::vector<std::string> expected;
        if (row.asked)
            expected.push_back("File already exists. There's already a file called: " +
                               (folder / row.asked) + "\n\nAre you sure you want to overwrite it?");
        EXPECT_EQ(questions, expected);
    }
}

/** What a panel answered, as the tests see it: "no answer" until it answers. */
struct PanelAnswer
{
    std::optional<std::string> chosen = "no answer";
    bool answered = false;

    quarro::dialog_hooks::answer_function recorder()
    {
        return [this](std::optional<std::string> given) {
            chosen = given;
            answered = true;
        };
    }

    /** Runs the message loop until the answer has come or `limitMs` have passed. */
    void waitUpTo(juce::uint32 limitMs) const
    {
        const auto limit = juce::Time::getMillisecondCounter() + limitMs;
        while (!answered && juce::Time::getMillisecondCounter() < limit)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
    }
};

/** Opens the save panel of the preset "User Preset" (type xml) or the load panel in `folder`. */
void beginPanel(JuceDialogHooks& hooks, bool save, const std::string& folder,
                quarro::dialog_hooks::answer_function answer)
{
    if (save)
        hooks.begin_choose_file_to_save("save preset as...", folder, "User Preset", "xml",
                                        std::move(answer));
    else
        hooks.begin_choose_file_to_open("load preset...", folder, std::move(answer));
}

// How a desktop user closes a panel without choosing: the window manager's close (Alt+F4, the
// title bar's button) or Escape, with the caret in the file name field.
enum class Closing
{
    window,
    escapeInTheFileName,
};

TEST(JuceDialogHooks, APanelClosedAsAWindowOrWithEscapeIsCancelled)
{
    const test_support::temporary_folder folder;
    test_support::write_text(folder / "Warm.xml", "<root/>");
    const struct
    {
        const char* name;
        bool save;
        Closing closing;
    } rows[] = {
        {"open, closed", false, Closing::window},
        {"open, Escape", false, Closing::escapeInTheFileName},
        {"save, closed", true, Closing::window},
        {"save, Escape", true, Closing::escapeInTheFileName},
    };
    JuceDialogHooks hooks;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PanelAnswer answer;
        beginPanel(hooks, row.save, folder.path(), answer.recorder());
        auto* panel = dynamic_cast<juce::FileChooserDialogBox*>(
            juce::Component::getCurrentlyModalComponent());
        ASSERT_NE(panel, nullptr) << "no modal file panel";
        ASSERT_NE(panel->getPeer(), nullptr) << "the panel is no window of its own";
        // A name that a wrong answer would choose: the file there, or a new one.
        auto* fileName = SavePanelDriver::find<juce::TextEditor>(*panel);
        ASSERT_NE(fileName, nullptr) << "the panel has no file name field";
        fileName->setText(row.save ? "Fresh" : "Warm.xml");
        if (row.closing == Closing::window) {
            panel->getPeer()->handleUserClosingWindow();
        } else {
            fileName->grabKeyboardFocus();
            ASSERT_TRUE(fileName->hasKeyboardFocus(false)) << "the caret is not in the field";
            panel->getPeer()->handleKeyPress(juce::KeyPress(juce::KeyPress::escapeKey));
        }
        answer.waitUpTo(5000);
        EXPECT_TRUE(answer.answered) << "the panel gave no answer within 5 s";
        EXPECT_EQ(answer.chosen, std::nullopt);
        EXPECT_EQ(juce::Component::getCurrentlyModalComponent(), nullptr) << "still asking";
        // A panel left open would hold the next row; close it as a Cancel does.
        for (auto* modal = juce::Component::getCurrentlyModalComponent(); modal != nullptr;
             modal = juce::Component::getCurrentlyModalComponent()) {
            modal->exitModalState(0);
            juce::MessageManager::getInstance()->runDispatchLoopUntil(20);
        }
        EXPECT_FALSE(std::filesystem::exists(folder / "Fresh.xml"));
    }
}

// The panels are JUCE's own on every desktop: with zenity or kdialog on the PATH neither runs
// (JUCE would run one as a program of its own, which nothing holds modal). While a panel is
// open, a second one of either kind is cancelled at once and the open one keeps its answer.
// Returns what went wrong, row by row; nothing when all was well.
std::string panelsOnTwoDesktops()
{
    std::ostringstream problems;
    const test_support::temporary_folder folder;
    test_support::write_text(folder / "Warm.xml", "<root/>");
    const std::string bin = folder / "bin";
    std::filesystem::create_directory(bin);
    for (const char* program : {"zenity", "kdialog"}) {
        // Leaves a mark and answers a file, as the real ones print the chosen path.
        test_support::write_text(bin + "/" + program, "#!/bin/sh\necho ran >> '" + folder.path() +
                                                          "/ran'\necho '" + (folder / "Warm.xml") +
                                                          "'\n");
        std::filesystem::permissions(bin + "/" + program, std::filesystem::perms::owner_all);
    }
    const char* const path = std::getenv("PATH");
    const struct
    {
        const char* desktop;
        std::string path;
    } desktops[] = {{"zenity and kdialog installed", bin + ":" + (path ? path : "/usr/bin:/bin")},
                    {"neither installed", path ? path : "/usr/bin:/bin"}};
    const struct
    {
        const char* name;
        bool save;
        const char* typed; // empty: cancelled
        std::optional<std::string> answer;
    } panels[] = {
        {"open, chosen", false, "Warm.xml", folder / "Warm.xml"},
        {"open, cancelled", false, "", std::nullopt},
        {"save, chosen", true, "Fresh", folder / "Fresh.xml"},
        {"save, cancelled", true, "", std::nullopt},
    };
    const auto shown = [](const std::optional<std::string>& answer) {
        if (answer == "no answer")
            return std::string("no answer yet");
        return answer ? "answered \"" + *answer + "\"" : std::string("answered nothing");
    };
    JuceDialogHooks hooks;
    for (const auto& desktop : desktops) {
        const test_support::environment_variable searched("PATH", desktop.path);
        for (const auto& row : panels) {
            const std::string where = std::string(desktop.desktop) + ", " + row.name + ": ";
            SavePanelDriver user(row.typed, false);
            PanelAnswer answer;
            beginPanel(hooks, row.save, folder.path(), answer.recorder());
            std::optional<std::string> second = "no answer";
            const auto secondAnswer = [&second](std::optional<std::string> given) {
                second = given;
            };
            hooks.begin_choose_file_to_open("load preset...", folder.path(), secondAnswer);
            if (second != std::nullopt)
                problems << where << "a second open panel was not refused: " << shown(second)
                         << "\n";
            second = "no answer";
            hooks.begin_choose_file_to_save("save preset as...", folder.path(), "User Preset",
                                            "xml", secondAnswer);
            if (second != std::nullopt)
                problems << where << "a second save panel was not refused: " << shown(second)
                         << "\n";
            answer.waitUpTo(12000);
            if (!user.typed)
                problems << where << "no JUCE panel was modal\n";
            if (user.gaveUp)
                problems << where << "the panel was still open after 10 s\n";
            if (!answer.answered) {
                // A panel that never answers holds every row after it.
                problems << where << "the panel gave no answer within 12 s; no more rows run\n";
                return problems.str();
            }
            if (answer.chosen != row.answer)
                problems << where << shown(answer.chosen) << ", expected " << shown(row.answer)
                         << "\n";
            if (std::filesystem::exists(folder / "ran"))
                problems << where << "a desktop program ran\n";
        }
    }
    return problems.str();
}

TEST(JuceDialogHooks, PanelsAreJucesOwnAndModalWithOrWithoutTheDesktopsPrograms)
{
    // JUCE looks for the desktop's programs once per process, as it makes its first panel: the
    // panels are shown in a process of their own, whose first panel finds the stand-ins.
    const auto style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string problems = panelsOnTwoDesktops();
            std::fputs(problems.c_str(), stderr);
            std::fflush(stderr);
            // No exit handlers: JUCE is still up in this process.
            std::_Exit(problems.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
}

} // namespace
