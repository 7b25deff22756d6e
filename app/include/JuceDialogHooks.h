// The foundation library's alerts and file panels, shown with JUCE.
#pragma once

#include <quarro/desktop/dialogs.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <optional>

/** Alerts as JUCE alert windows, posted to the message thread from any thread and never
    waited for; file panels as asynchronous modal juce::FileChoosers on the message thread, a
    save asking before it replaces a file. Only the begin_ forms of the panels show one (the
    waiting forms answer "cancelled"); a panel opened while another is open closes that one
    without an answer. The application installs it at start (quarro::set_dialog_hooks) and
    removes it at the end, which closes an open panel without an answer. */
class JuceDialogHooks : public quarro::dialog_hooks
{
public:
    void show_alert(const std::string& informative_text, const std::string& message_text) override;
    void begin_choose_file_to_open(const std::string& title, const std::string& start_folder,
                                   answer_function answer) override;
    void begin_choose_file_to_save(const std::string& title, const std::string& folder,
                                   const std::string& file_name, const std::string& file_type,
                                   answer_function answer) override;

    /** The file a save goes to: `chosen` with "." and `type` added unless its name already
        ends in them (ASCII case ignored) or `type` is empty; another ending stays part of the
        name ("Vocal 1.5" gives "Vocal 1.5.xml"). When that file exists, the desktop's yes/no
        box asks whether to replace it, naming it; "No" gives nothing (the save is cancelled).
        The save panel itself does not ask, so there is one question and it names the file
        that will be written. Returns at once; `answer` runs with the file once it is known
        (at once when nothing is asked). Message thread. */
    static void fileToSave(const juce::File& chosen, const juce::String& type,
                           std::function<void(std::optional<juce::File> file)> answer);

private:
    std::unique_ptr<juce::FileChooser> chooser; // the panel shown last
};
