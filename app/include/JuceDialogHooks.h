// The foundation library's alerts and file panels, shown with JUCE.
#pragma once

#include <quarro/desktop/dialogs.h>

/** Alerts as JUCE alert windows, posted to the message thread from any thread and never
    waited for; file panels as modal juce::FileChoosers on the message thread. The application
    installs it at start (quarro::set_dialog_hooks) and removes it at the end. */
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
};
