// Desktop services for tests: every message box is recorded and a question answered at once,
// or when the test says; every page or file the interface asks to open is recorded instead of
// opened; and the windows that the interface puts on JUCE's desktop.
#pragma once

#include "DesktopServices.h"

#include <quarro/err/exception.h>

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class RecordingDesktopServices : public DesktopServices
{
public:
    struct Box
    {
        std::string title;
        std::string text;
        juce::Component* associatedComponent;
        std::function<void()> closed = {}; ///< a message box's, until close()
    };

    void showMessage(const juce::String& title, const juce::String& text,
                     juce::Component* associatedComponent, std::function<void()> closed) override
    {
        boxes.push_back(
            {title.toStdString(), text.toStdString(), associatedComponent, std::move(closed)});
    }

    /** Closes message box `index` as its "OK" would, in a later event. */
    void close(std::size_t index)
    {
        if (auto closed = std::exchange(boxes.at(index).closed, nullptr))
            closed();
    }

    void askYesNo(const juce::String& title, const juce::String& text,
                  juce::Component* associatedComponent, std::function<void(bool)> answered) override
    {
        if (questionsFail)
            throw err::runtime_error("no display");
        boxes.push_back({title.toStdString(), text.toStdString(), associatedComponent});
        if (holdAnswers)
            unanswered.push_back(std::move(answered));
        else
            answered(answerYes);
    }

    /** Answers the oldest question still open, as the user would in a later event. */
    void answer(bool yes)
    {
        if (unanswered.empty())
            throw std::logic_error("no question is open");
        auto answered = std::move(unanswered.front());
        unanswered.pop_front();
        answered(yes);
    }

    void openInBrowser(const juce::URL& page) override
    {
        opened.push_back("browser " + page.toString(true).toStdString());
    }

    void openWithDefaultApplication(const files::filepath& file) override
    {
        opened.push_back("file " + file.get_path());
    }

    bool answerYes = true;
    bool holdAnswers = false;   ///< questions wait for answer() instead of answerYes
    bool questionsFail = false; ///< a question cannot be shown: askYesNo throws "no display"
    std::deque<std::function<void(bool)>> unanswered;
    std::vector<Box> boxes;
    std::vector<std::string> opened;
};

/** Installs a RecordingDesktopServices for the scope and puts the native services back after. */
class ScopedRecordingDesktop
{
public:
    ScopedRecordingDesktop()
    {
        auto services = std::make_unique<RecordingDesktopServices>();
        recorder = services.get();
        DesktopServices::install(std::move(services));
    }
    ~ScopedRecordingDesktop() { DesktopServices::install(nullptr); }
    ScopedRecordingDesktop(const ScopedRecordingDesktop&) = delete;
    ScopedRecordingDesktop& operator=(const ScopedRecordingDesktop&) = delete;

    RecordingDesktopServices* operator->() const { return recorder; }

private:
    RecordingDesktopServices* recorder;
};

/** The first window of class T on JUCE's desktop, or nullptr. */
template <typename T>
T* findOnDesktop()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* window = dynamic_cast<T*>(desktop.getComponent(i)))
            return window;
    return nullptr;
}
