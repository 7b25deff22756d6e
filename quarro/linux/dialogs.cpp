// The dialog hooks, their headless default and the checks on what a panel answers.
#include <quarro/desktop/console.h>
#include <quarro/desktop/dialogs.h>
#include <quarro/files/folder_operations.h>

#include <quarro/err/exception.h>

#include "files/path_text.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
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

/// What a save panel's answer leads to.
save_choice saved_file(const std::optional<std::string>& chosen)
{
    save_choice choice;
    if (!chosen)
        return choice;
    choice.confirmed = true;
    const auto path = files::detail::normalise_path(*chosen);
    if (!path) {
        choice.problem = "Cannot save as " + *chosen + ": the folder cannot be found.";
        return choice;
    }
    std::error_code ignored;
    if (std::filesystem::is_directory(*path, ignored)) {
        choice.problem = "Cannot save as " + *path + ": a folder has that name.";
        return choice;
    }
    const std::string parent = files::detail::parent_path(*path);
    std::string name = files::detail::last_component(*path);
    files::filepath folder;
    try {
        folder = files::filepath(parent);
    } catch (const err::exception&) {
        // Missing: said below.
    }
    if (!folder.is_directory()) {
        choice.problem = "Cannot save as " + *path + ": the folder " + parent + " does not exist.";
        return choice;
    }
    choice.folder.swap(folder);
    choice.file_name.swap(name);
    return choice;
}

/// The waiting form's reading of a save answer: anything but a usable choice changes nothing.
bool saved_file(const std::optional<std::string>& chosen, files::filepath& folder,
                std::string& file_name)
{
    save_choice choice = saved_file(chosen);
    if (!choice.confirmed || !choice.problem.empty())
        return false;
    folder.swap(choice.folder);
    file_name.swap(choice.file_name);
    return true;
}

/// A panel that could not be shown, told while its exception is being handled: `failed`
/// hears why when the caller gave it, else `cancelled` answers as a cancel. Neither may throw.
void not_shown(const std::function<void(const std::string& why)>& failed,
               const std::function<void()>& cancelled) noexcept
{
    try {
        if (!failed) {
            cancelled();
            return;
        }
        try {
            throw;
        } catch (const err::exception& error) {
            failed(error.what());
        } catch (const std::exception& error) {
            failed(error.what());
        } catch (...) {
            failed("unknown error");
        }
    } catch (...) {
        // The caller's own answer failed: nothing is left to tell it.
    }
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
                               std::function<void(const files::filepath& file)> chosen,
                               std::function<void(const std::string& why)> failed) noexcept
{
    // Taken by the first answer, so that a hook that fails after it has answered does not
    // answer twice; a panel that could not be shown answers as a cancel.
    auto pending = std::make_shared<decltype(chosen)>(std::move(chosen));
    try {
        current_hooks()->begin_choose_file_to_open(
            title, start_folder.get_path(), [pending](std::optional<std::string> answer) {
                const auto chosen = std::exchange(*pending, nullptr);
                if (!chosen)
                    return;
                files::filepath file;
                try {
                    file = opened_file(answer, nullptr);
                } catch (...) {
                    // As in the waiting form: a choice that went away is a cancel.
                }
                chosen(file);
            });
    } catch (...) {
        if (const auto chosen = std::exchange(*pending, nullptr))
            not_shown(failed, [&chosen] { chosen(files::filepath()); });
    }
}

void begin_choose_file_to_save(const std::string& title, const files::filepath& folder,
                               const std::string& file_name, const std::string& file_type,
                               std::function<void(const save_choice& choice)> chosen,
                               std::function<void(const std::string& why)> failed) noexcept
{
    auto pending = std::make_shared<decltype(chosen)>(std::move(chosen));
    try {
        current_hooks()->begin_choose_file_to_save(
            title, folder.get_path(), file_name, file_type,
            [pending](std::optional<std::string> answer) {
                const auto chosen = std::exchange(*pending, nullptr);
                if (!chosen)
                    return;
                save_choice choice;
                try {
                    choice = saved_file(answer);
                } catch (const err::exception& error) {
                    choice = save_choice();
                    choice.confirmed = true;
                    choice.problem = error.what();
                } catch (...) {
                    choice = save_choice();
                    choice.confirmed = true;
                    choice.problem = "Cannot save as " + answer.value_or("") +
                                     ": the name could not be checked.";
                }
                chosen(choice);
            });
    } catch (...) {
        if (const auto chosen = std::exchange(*pending, nullptr))
            not_shown(failed, [&chosen] { chosen(save_choice()); });
    }
}

} // namespace quarro
