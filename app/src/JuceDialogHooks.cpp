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

} // namespace

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
    if (panelOpen) {
        answer(std::nullopt);
        return;
    }
    chooser = std::make_unique<juce::FileChooser>(juce::String::fromUTF8(title.c_str()),
                                                  fileOrNothing(start_folder), juce::String(),
                                                  useDesktopPanels);
    launch(juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
           [answer = std::move(answer)](const juce::FileChooser& panel) {
               answer(pathOrNothing(panel.getResult()));
           });
}

void JuceDialogHooks::launch(int flags, std::function<void(const juce::FileChooser&)> answered)
{
    panelOpen = true;
    chooser->launchAsync(flags,
                         [this, answered = std::move(answered)](const juce::FileChooser& panel) {
                             panelOpen = false;
                             answered(panel);
                         });
}

void JuceDialogHooks::begin_choose_file_to_save(const std::string& title, const std::string& folder,
                                                const std::string& file_name,
                                                const std::string& file_type,
                                                answer_function answer)
{
    if (panelOpen) {
        answer(std::nullopt);
        return;
    }
    const auto start = fileOrNothing(folder);
    const auto type = juce::String::fromUTF8(file_type.c_str());
    chooser = std::make_unique<juce::FileChooser>(
        juce::String::fromUTF8(title.c_str()),
        start.getChildFile(juce::String::fromUTF8(file_name.c_str())),
        type.isEmpty() ? juce::String("*") : "*." + type, useDesktopPanels);
    // The panel's own question would name the file before the type is added: fileToSave asks
    // instead, about the file that will be written.
    launch(juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles,
           [type, answer = std::move(answer)](const juce::FileChooser& panel) {
               const auto chosen = panel.getResult();
               if (chosen == juce::File()) {
                   answer(std::nullopt);
                   return;
               }
               fileToSave(chosen, type, [answer](std::optional<juce::File> file) {
                   answer(pathOrNothing(file.value_or(juce::File())));
               });
           });
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
