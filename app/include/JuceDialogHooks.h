// The foundation library's alerts and file panels, shown with JUCE.
#pragma once

#include <quarro/desktop/dialogs.h>

#include <juce_core/juce_core.h>

/** Alerts as JUCE alert windows, posted to the message thread from any thread and never
    waited for; file panels as modal juce::FileChoosers on the message thread, a save asking
    before it replaces a file. The application installs it at start
    (quarro::set_dialog_hooks) and removes it at the end. */
class JuceDialogHooks : public quarro::dialog_hooks
{
public:
    void show_alert(const std::string& informative_text, const std::string& message_text) override;
    std::optional<std::string> choose_file_to_open(const std::string& title,
                                                   const std::string& start_folder) override;
    std::optional<std::string> choose_file_to_save(const std::string& title,
                                                   const std::string& folder,
                                                   const std::string& file_name,
                                                   const std::string& file_type) override;

    /** The file a save goes to: `chosen` with "." and `type` added unless its name already
        ends in them (ASCII case ignored) or `type` is empty; another ending stays part of the
        name ("Vocal 1.5" gives "Vocal 1.5.xml"). When that file exists, the desktop's yes/no
        box asks whether to replace it, naming it; "No" gives nothing (the save is cancelled).
        The save panel itself does not ask, so there is one question and it names the file
        that will be written. Message thread. */
    static std::optional<juce::File> fileToSave(const juce::File& chosen, const juce::String& type);
};
