// The dialog hooks, their headless default and the checks on what a panel answers.
#include <quarro/desktop/console.h>
#include <quarro/desktop/dialogs.h>
#include <quarro/files/folder_operations.h>

#include "files/path_text.h"

#include <mutex>
#include <utility>

namespace quarro {
namespace {

class headless_dialogs final : public dialog_hooks
{
public:
    void show_alert(const std::string& informative_text, const std::string& message_text) override
    {
        if (message_text.empty() || informative_text.empty())
            console_log(message_text + informative_text);
        else
            console_log(message_text + ": " + informative_text);
    }
};

struct hook_state
{
    std::mutex lock;
    std::shared_ptr<dialog_hooks> installed;
    std::shared_ptr<dialog_hooks> headless = std::make_shared<headless_dialogs>();
};

hook_state& state()
{
    // Never destroyed: a worker may raise an alert while static objects die at exit.
    static hook_state* const shared = new hook_state;
    return *shared;
}

std::shared_ptr<dialog_hooks> current_hooks()
{
    hook_state& s = state();
    std::lock_guard<std::mutex> lock(s.lock);
    return s.installed ? s.installed : s.headless;
}

/// A file answered by an open panel, as choose_file_to_open returns it.
files::filepath opened_file(const std::optional<std::string>& chosen, files::filepath* out_folder)
{
    if (!chosen)
        return files::filepath();
    files::filepath result(*chosen);
    if (result.is_directory())
        return files::filepath();
    if (out_folder != nullptr)
        *out_folder = result.get_parent();
    return result;
}

/// A path answered by a save panel, as choose_file_to_save takes it.
bool saved_file(const std::optional<std::string>& chosen, files::filepath& folder,
                std::string& file_name)
{
    const auto path = chosen ? files::detail::normalise_path(*chosen) : std::nullopt;
    if (!path || *path == "/")
        return false;
    files::filepath chosen_folder(files::detail::parent_path(*path));
    std::string chosen_name = files::detail::last_component(*path);
    if (!chosen_folder.is_directory() || files::folder_exists(chosen_folder, chosen_name))
        return false;
    folder.swap(chosen_folder);
    file_name.swap(chosen_name);
    return true;
}

} // namespace

std::optional<std::string> dialog_hooks::choose_file_to_open(const std::string&, const std::string&)
{
    return std::nullopt;
}

std::optional<std::string> dialog_hooks::choose_file_to_save(const std::string&, const std::string&,
                                                             const std::string&, const std::string&)
{
    return std::nullopt;
}

void dialog_hooks::begin_choose_file_to_open(const std::string& title,
                                             const std::string& start_folder,
                                             answer_function answer)
{
    answer(choose_file_to_open(title, start_folder));
}

void dialog_hooks::begin_choose_file_to_save(const std::string& title, const std::string& folder,
                                             const std::string& file_name,
                                             const std::string& file_type, answer_function answer)
{
    answer(choose_file_to_save(title, folder, file_name, file_type));
}

void set_dialog_hooks(std::shared_ptr<dialog_hooks> hooks)
{
    hook_state& s = state();
    std::lock_guard<std::mutex> lock(s.lock);
    s.installed = std::move(hooks);
}

void show_alert(const std::string& informative_text, const std::string& message_text) noexcept
{
    try {
        current_hooks()->show_alert(informative_text, message_text);
    } catch (...) {
        // An alert that can't be shown must not end the worker that raised it.
    }
}

files::filepath choose_file_to_open(const std::string& title, const files::filepath& start_folder,
                                    files::filepath* out_folder) noexcept
{
    try {
        return opened_file(current_hooks()->choose_file_to_open(title, start_folder.get_path()),
                           out_folder);
    } catch (...) {
        // The chosen item went away, or the panel failed: as if the user had cancelled.
        return files::filepath();
    }
}

bool choose_file_to_save(const std::string& title, files::filepath& folder, std::string& file_name,
                         const std::string& file_type) noexcept
{
    try {
        return saved_file(
            current_hooks()->choose_file_to_save(title, folder.get_path(), file_name, file_type),
            folder, file_name);
    } catch (...) {
        return false;
    }
}

void begin_choose_file_to_open(const std::string& title, const files::filepath& start_folder,
                               std::function<void(const files::filepath& file)> chosen) noexcept
{
    try {
        current_hooks()->begin_choose_file_to_open(
            title, start_folder.get_path(),
            [chosen = std::move(chosen)](std::optional<std::string> answer) {
                files::filepath file;
                try {
                    file = opened_file(answer, nullptr);
                } catch (...) {
                    // As in the waiting form: a choice that went away is a cancel.
                }
                chosen(file);
            });
    } catch (...) {
        // A panel that could not be shown answers nothing, like one the user closed.
    }
}

void begin_choose_file_to_save(
    const std::string& title, const files::filepath& folder, const std::string& file_name,
    const std::string& file_type,
    std::function<void(bool saved, const files::filepath& folder, const std::string& file_name)>
        chosen) noexcept
{
    try {
        current_hooks()->begin_choose_file_to_save(
            title, folder.get_path(), file_name, file_type,
            [folder, file_name, chosen = std::move(chosen)](std::optional<std::string> answer) {
                files::filepath out_folder = folder;
                std::string out_name = file_name;
                bool saved = false;
                try {
                    saved = saved_file(answer, out_folder, out_name);
                } catch (...) {
                    out_folder = folder;
                    out_name = file_name;
                }
                chosen(saved, out_folder, out_name);
            });
    } catch (...) {
        // A panel that could not be shown answers nothing, like one the user closed.
    }
}

} // namespace quarro
