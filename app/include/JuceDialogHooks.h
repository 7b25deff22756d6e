// The foundation library's alerts and file panels, shown with JUCE.
#pragma once

#include <quarro/desktop/dialogs.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <optional>

/** Alerts as JUCE alert windows, posted to the message thread from any thread and never
    waited for; file panels as JUCE's own file panel (a juce::FileChooserDialogBox around a
    juce::FileBrowserComponent, what juce::FileChooser shows without the desktop's programs) on
    the message thread, modal (no other window of the program takes clicks or keys while one is
    open), a save asking before it replaces a file. A panel closed as a desktop closes a window
    (the window manager's close, Alt+F4) or with Escape, the caret in a text field of it
    included, answers "cancelled", as its Cancel button does. Only the begin_ forms show a
    panel (the waiting forms answer "cancelled"); while one is open another answers "cancelled"
    at once and the open one keeps its answer. The application installs it at start
    (quarro::set_dialog_hooks) and removes it at the end, which closes an open panel without an
    answer.

    JUCE's own panel rather than the desktop's: JUCE shows that one through zenity or kdialog, a
    program of its own that nothing holds modal and that a second panel would kill with its
    answer; its own panel behaves the same on every desktop. */
class JuceDialogHooks : public quarro::dialog_hooks
{
public:
    JuceDialogHooks() = default;
    JuceDialogHooks(const JuceDialogHooks&) = delete;
    JuceDialogHooks& operator=(const JuceDialogHooks&) = delete;

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
        A folder of that name is answered without a question (nothing can replace it).
        The save panel itself does not ask, so there is one question and it names the file
        that will be written. Returns at once; `answer` runs with the file once it is known
        (at once when nothing is asked). Message thread. */
    static void fileToSave(const juce::File& chosen, const juce::String& type,
                           std::function<void(std::optional<juce::File> file)> answer);

private:
    struct OpenPanel;

    /** Shows `opened` modal, as the panel open now; `answered` runs with the chosen file (the
        empty file for a cancel) once it has been closed, unless these hooks have gone. */
    void show(std::shared_ptr<OpenPanel> opened, std::function<void(const juce::File&)> answered);

    std::shared_ptr<OpenPanel> panel; // the panel open now; nothing once it has answered
};
