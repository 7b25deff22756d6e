// Alerts and the panels for choosing a file to open or a name to save, through hooks that
// the application replaces; the library itself has no user interface.
#pragma once

#include <quarro/files/filepath.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quarro {

/// What the application implements to show alerts and file panels. Until one is installed
/// a headless default answers: alerts go to the console, panels answer "cancelled".
///
/// - show_alert: return at once on every thread. It is called from worker threads too (the
///   firmware download raises one while it holds the device lock), so a graphical
///   implementation posts the alert to the message thread and never waits for it there. The
///   alert has one button "OK", the message text as its title, the informative text below it
///   and a warning icon.
/// - choose_file_to_open: a panel on the message thread (its only caller) for one existing
///   file of any type, starting in start_folder when it is not empty; answer the chosen file's
///   absolute path, or nothing when the user cancels.
/// - choose_file_to_save: a save panel on the message thread, starting in folder (when not
///   empty) with file_name proposed. An empty file_type allows every name; otherwise "." and
///   the type are added to a name that does not end in them (ASCII case ignored), never
///   replacing another ending. Before an existing file is replaced, ask once, naming the file
///   that will be written. Answer the absolute path chosen, or nothing when the user cancels.
///
/// Each panel comes in two forms. The waiting form returns the answer; its default answers
/// "cancelled". The begin_ form returns at once and hands the answer to `answer` later, on
/// the message thread; its default runs the waiting form. A graphical implementation
/// implements the begin_ forms only: the panels are opened from inside event callbacks, where
/// a panel that waits would run a nested round of the event loop, which JUCE's Linux loop
/// does not survive.
class dialog_hooks
{
public:
    virtual ~dialog_hooks() = default;
    virtual void show_alert(const std::string& informative_text,
                            const std::string& message_text) = 0;
    virtual std::optional<std::string> choose_file_to_open(const std::string& title,
                                                           const std::string& start_folder);
    virtual std::optional<std::string> choose_file_to_save(const std::string& title,
                                                           const std::string& folder,
                                                           const std::string& file_name,
                                                           const std::string& file_type);

    using answer_function = std::function<void(std::optional<std::string> chosen)>;
    virtual void begin_choose_file_to_open(const std::string& title,
                                           const std::string& start_folder, answer_function answer);
    virtual void begin_choose_file_to_save(const std::string& title, const std::string& folder,
                                           const std::string& file_name,
                                           const std::string& file_type, answer_function answer);
};

/// Installs the hooks; nullptr puts the headless default back. A call already running
/// keeps the hooks it started with. Any thread (the application calls it at start).
void set_dialog_hooks(std::shared_ptr<dialog_hooks> hooks);

/// Shows an alert with one button "OK"; returns without waiting for it. Any thread.
void show_alert(const std::string& informative_text, const std::string& message_text) noexcept;

/// Lets the user choose one existing file of any type, starting in start_folder when its
/// exists flag is set. The chosen file's filepath, and when out_folder is not null it
/// becomes the file's folder; on cancel, or when the chosen file is missing or a folder,
/// the empty filepath and out_folder is left as it was. Never throws. Message thread.
files::filepath choose_file_to_open(const std::string& title, const files::filepath& start_folder,
                                    files::filepath* out_folder = nullptr) noexcept;

/// Lets the user choose a folder and a file name to save as; an empty file_type allows any
/// type. True with folder and file_name (the name with its extension) set to the choice;
/// false, with both unchanged, on cancel or when the chosen folder is missing. Never
/// throws. Message thread.
bool choose_file_to_save(const std::string& title, files::filepath& folder, std::string& file_name,
                         const std::string& file_type) noexcept;

/// choose_file_to_open without waiting: returns at once, and `chosen` runs once, later, on the
/// message thread with what choose_file_to_open would have returned, unless the panel goes
/// without an answer (the program ends). A panel that cannot be shown (its hook throws before
/// it has answered) runs `failed` at once, with the error's text, when it is set, and answers
/// as a cancel otherwise. Never throws; `chosen` and `failed` must not throw either. Message
/// thread.
void begin_choose_file_to_open(const std::string& title, const files::filepath& start_folder,
                               std::function<void(const files::filepath& file)> chosen,
                               std::function<void(const std::string& why)> failed = {}) noexcept;

/// Where a save panel's answer leads.
struct save_choice
{
    /// False when the user cancelled (or the panel could not be shown): nothing else is set.
    bool confirmed = false;
    /// Confirmed and usable: the folder and the name (with its extension) to save as.
    files::filepath folder;
    std::string file_name;
    /// Confirmed, but no file can be saved there: the chosen folder does not exist, or a
    /// folder has the chosen name. Says why in a sentence for the user, naming the path
    /// ("Cannot save as <path>: a folder has that name."); folder and file_name are empty.
    std::string problem;
};

/// The save panel without waiting: returns at once, and `chosen` runs once, later, on the
/// message thread, with what the answer leads to, unless the panel goes without an answer
/// (the program ends). Unlike choose_file_to_save, a confirmed choice where no file can be
/// saved is told apart from a cancel, so that the caller can say why nothing was saved. A
/// panel that cannot be shown runs `failed`, as begin_choose_file_to_open does. Never throws;
/// `chosen` and `failed` must not throw either. Message thread.
void begin_choose_file_to_save(const std::string& title, const files::filepath& folder,
                               const std::string& file_name, const std::string& file_type,
                               std::function<void(const save_choice& choice)> chosen,
                               std::function<void(const std::string& why)> failed = {}) noexcept;

} // namespace quarro
