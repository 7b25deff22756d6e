// Plays the user at JUCE's own save panel, while a modal file chooser waits for it: types a
// name into the panel and presses its Save button, and answers the alert windows that come up
// on top of it (the panel's own question before replacing a file), recording what they asked.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>
#include <vector>

class SavePanelDriver : private juce::Timer
{
public:
    /** Starts watching the message thread for the panel (a save or an open panel: its action
        button is pressed); an empty name cancels the panel instead. `answerYes` is the answer
        to every alert. After 10 s it gives up and closes what is open, so that a test fails
        instead of waiting for ever. Message thread. */
    SavePanelDriver(const juce::String& nameToType, bool answerYes)
        : name(nameToType), yes(answerYes), deadline(juce::Time::getMillisecondCounter() + 10000)
    {
        startTimer(5);
    }
    ~SavePanelDriver() override { stopTimer(); }
    SavePanelDriver(const SavePanelDriver&) = delete;
    SavePanelDriver& operator=(const SavePanelDriver&) = delete;

    std::vector<std::string> alerts; ///< each alert's title and text, as "title. text"
    bool typed = false;              ///< a panel showed, and the name was typed into it
    bool gaveUp = false;             ///< the 10 s ran out

    /** The first component of class T in `within`, itself included, or nullptr. */
    template <typename T>
    static T* find(juce::Component& within)
    {
        if (auto* found = dynamic_cast<T*>(&within))
            return found;
        for (auto* child : within.getChildren())
            if (auto* found = find<T>(*child))
                return found;
        return nullptr;
    }

private:
    static juce::Button* buttonNamed(juce::Component& within, const juce::String& text)
    {
        if (auto* button = dynamic_cast<juce::Button*>(&within);
            button != nullptr && button->getButtonText() == text)
            return button;
        for (auto* child : within.getChildren())
            if (auto* found = buttonNamed(*child, text))
                return found;
        return nullptr;
    }

    void timerCallback() override
    {
        auto* modal = juce::Component::getCurrentlyModalComponent();
        if (juce::Time::getMillisecondCounter() > deadline) {
            gaveUp = true;
            for (; modal != nullptr; modal = juce::Component::getCurrentlyModalComponent())
                modal->exitModalState(0);
            stopTimer();
            return;
        }
        if (modal == nullptr)
            return;
        if (auto* alert = dynamic_cast<juce::AlertWindow*>(modal)) {
            alerts.push_back(alert->getDescription().toStdString());
            declined = !yes;
            alert->exitModalState(yes ? 1 : 0);
            return;
        }
        auto* panel = dynamic_cast<juce::FileChooserDialogBox*>(modal);
        if (panel == nullptr)
            return;
        if (typed) {
            // Back at the panel after a "No" to its question: the user gives up.
            if (declined)
                panel->exitModalState(0);
            return;
        }
        if (name.isEmpty()) {
            typed = true;
            panel->exitModalState(0);
            return;
        }
        auto* browser = find<juce::FileBrowserComponent>(*panel);
        auto* save = browser != nullptr ? buttonNamed(*panel, browser->getActionVerb()) : nullptr;
        if (save == nullptr)
            return;
        browser->setFileName(name);
        typed = true;
        save->triggerClick();
    }

    juce::String name;
    bool yes;
    juce::uint32 deadline;
    bool declined = false;
};
