// Alerts and file panels through JUCE.
#include "JuceDialogHooks.h"

#include "DesktopServices.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>

namespace {

juce::File fileOrNothing(const std::string& path)
{
    return juce::File::isAbsolutePath(path) ? juce::File(path) : juce::File();
}

/** A panel's answer: the file's path, or nothing for the empty file of a cancel. */
std::optional<std::string> pathOrNothing(const juce::File& file)
{
    if (file == juce::File())
        return std::nullopt;
    return file.getFullPathName().toStdString();
}

bool endsWithIgnoringAsciiCase(const juce::String& text, const juce::String& ending)
{
    const auto bytes = text.toStdString();
    const auto tail = ending.toStdString();
    if (bytes.size() < tail.size())
        return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<long>(tail.size()),
                      [&lower](char a, char b) { return lower(a) == lower(b); });
}

/** JUCE's own file panel with the ways a desktop user closes a window. Neither is JUCE's own:
    its panel ignores the window manager's close, and a text field keeps Escape to itself, so
    the Cancel button's Escape never comes while the caret is in the file name field. */
class FilePanel final : public juce::FileChooserDialogBox
{
public:
    FilePanel(const juce::String& title, juce::FileBrowserComponent& browser)
        : juce::FileChooserDialogBox(title, juce::String(), browser, false,
                                     browser.findColour(juce::AlertWindow::backgroundColourId))
    {
        cancelOnEscapeIn(*this);
    }

    void userTriedToCloseWindow() override { cancel(); }

private:
    void cancel() { exitModalState(0); }

    void cancelOnEscapeIn(juce::Component& within)
    {
        if (auto* field = dynamic_cast<juce::TextEditor*>(&within))
            field->onEscapeKey = [this] { cancel(); };
        for (auto* child : within.getChildren())
            cancelOnEscapeIn(*child);
    }
};

} // namespace

/** What one panel shows, made as juce::FileChooser makes its own panel. */
struct JuceDialogHooks::OpenPanel
{
    OpenPanel(const std::string& title, int flags, const juce::File& start,
              const juce::String& patterns)
        : filter(patterns, juce::String(), juce::String()), browser(flags, start, &filter, nullptr),
          box(juce::String::fromUTF8(title.c_str()), browser)
    {}

    juce::WildcardFileFilter filter;
    juce::FileBrowserComponent browser;
    FilePanel box; // destroyed before the browser it shows, as it must be
};

void JuceDialogHooks::show_alert(const std::string& informative_text,
                                 const std::string& message_text)
{
    // Workers raise alerts while they hold the speaker: post, never wait.
    const auto title = juce::String::fromUTF8(message_text.c_str());
    const auto text = juce::String::fromUTF8(informative_text.c_str());
    juce::MessageManager::callAsync([title, text] {
        juce::AlertWindow::showMessageBoxAsync(juce::MessageBoxIconType::WarningIcon, title, text,
                                               juce::translate("OK"));
    });
}

void JuceDialogHooks::begin_choose_file_to_open(const std::string& title,
                                                const std::string& start_folder,
                                                answer_function answer)
{
    if (panel != nullptr) {
        answer(std::nullopt);
        return;
    }
    show(std::make_shared<OpenPanel>(title,
                                     juce::FileBrowserComponent::openMode |
                                         juce::FileBrowserComponent::canSelectFiles,
                                     fileOrNothing(start_folder), "*"),
         [answer = std::move(answer)](const juce::File& chosen) { answer(pathOrNothing(chosen)); });
}

void JuceDialogHooks::begin_choose_file_to_save(const std::string& title, const std::string& folder,
                                                const std::string& file_name,
                                                const std::string& file_type,
                                                answer_function answer)
{
    if (panel != nullptr) {
        answer(std::nullopt);
        return;
    }
    const auto start = fileOrNothing(folder);
    const auto type = juce::String::fromUTF8(file_type.c_str());
    // The panel's own question would name the file before the type is added: fileToSave asks
    // instead, about the file that will be written.
    show(std::make_shared<OpenPanel>(title,
                                     juce::FileBrowserComponent::saveMode |
                                         juce::FileBrowserComponent::canSelectFiles,
                                     start.getChildFile(juce::String::fromUTF8(file_name.c_str())),
                                     type.isEmpty() ? juce::String("*") : "*." + type),
         [type, answer = std::move(answer)](const juce::File& chosen) {
             if (chosen == juce::File()) {
                 answer(std::nullopt);
                 return;
             }
             fileToSave(chosen, type, [answer](std::optional<juce::File> file) {
                 answer(pathOrNothing(file.value_or(juce::File())));
             });
         });
}

void JuceDialogHooks::show(std::shared_ptr<OpenPanel> opened,
                           std::function<void(const juce::File&)> answered)
{
    panel = std::move(opened);
    try {
        panel->box.centreWithDefaultSize(nullptr);
        // The answer comes in a later event, and also when the panel goes without one (these
        // hooks removed): only a panel still held answers.
        panel->box.enterModalState(
            true,
            juce::ModalCallbackFunction::create([this, shown = std::weak_ptr<OpenPanel>(panel),
                                                 answered = std::move(answered)](int result) {
                const auto closed = shown.lock();
                if (closed == nullptr)
                    return;
                const auto chosen = result != 0 && closed->browser.getNumSelectedFiles() > 0
                                        ? closed->browser.getSelectedFile(0)
                                        : juce::File();
                panel.reset(); // the answer may open the next panel
                answered(chosen);
            }),
            false);
    } catch (...) {
        // A panel that was not shown must not refuse every panel after it.
        panel.reset();
        throw;
    }
}

void JuceDialogHooks::fileToSave(const juce::File& chosen, const juce::String& type,
                                 std::function<void(std::optional<juce::File>)> answer)
{
    // The type is added, never put in place of another ending: a full stop in a name, as in
    // "Vocal 1.5", is part of the name.
    auto file = chosen;
    if (type.isNotEmpty() && !endsWithIgnoringAsciiCase(chosen.getFileName(), "." + type))
        file = chosen.getSiblingFile(chosen.getFileName() + "." + type);
    // A folder is not replaced: the answer names it, and the caller says why nothing is saved.
    if (!file.existsAsFile()) {
        answer(file);
        return;
    }
    // Worded as JUCE's save panel words the question.
    const auto question = juce::translate("There's already a file called: FLNM")
                              .replace("FLNM", file.getFullPathName()) +
                          "\n\n" + juce::translate("Are you sure you want to overwrite it?");
    DesktopServices::get().askYesNo(juce::translate("File already exists"), question, nullptr,
                                    [file, answer = std::move(answer)](bool yes) {
                                        answer(yes ? std::optional<juce::File>(file)
                                                   : std::nullopt);
                                    });
}
