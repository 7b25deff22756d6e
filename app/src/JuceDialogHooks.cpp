// Alerts and file panels through JUCE.
#include "JuceDialogHooks.h"

#include "DesktopServices.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace {

juce::File fileOrNothing(const std::string& path)
{
    return juce::File::isAbsolutePath(path) ? juce::File(path) : juce::File();
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

std::optional<std::string> JuceDialogHooks::choose_file_to_open(const std::string& title,
                                                                const std::string& start_folder)
{
    juce::FileChooser chooser(juce::String::fromUTF8(title.c_str()), fileOrNothing(start_folder));
    if (!chooser.browseForFileToOpen())
        return std::nullopt;
    return chooser.getResult().getFullPathName().toStdString();
}

std::optional<std::string> JuceDialogHooks::choose_file_to_save(const std::string& title,
                                                                const std::string& folder,
                                                                const std::string& file_name,
                                                                const std::string& file_type)
{
    const auto start = fileOrNothing(folder);
    const auto type = juce::String::fromUTF8(file_type.c_str());
    juce::FileChooser chooser(juce::String::fromUTF8(title.c_str()),
                              start.getChildFile(juce::String::fromUTF8(file_name.c_str())),
                              type.isEmpty() ? juce::String("*") : "*." + type);
    if (!chooser.browseForFileToSave(true))
        return std::nullopt;
    const auto file = fileToSave(chooser.getResult(), type);
    if (!file)
        return std::nullopt;
    return file->getFullPathName().toStdString();
}

std::optional<juce::File> JuceDialogHooks::fileToSave(const juce::File& chosen,
                                                      const juce::String& type)
{
    if (type.isEmpty() || chosen.hasFileExtension(type))
        return chosen;
    const auto file = chosen.withFileExtension(type);
    if (!file.exists())
        return file;
    // Worded as the save panel's own question, so that both read alike.
    const auto question = juce::translate("There's already a file called: FLNM")
                              .replace("FLNM", file.getFullPathName()) +
                          "\n\n" + juce::translate("Are you sure you want to overwrite it?");
    if (!DesktopServices::get().askYesNo(juce::translate("File already exists"), question, nullptr))
        return std::nullopt;
    return file;
}
