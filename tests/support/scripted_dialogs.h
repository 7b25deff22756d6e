// Alerts and file panels answered by the test: every alert and question is recorded, and the
// panels give back what the test put into `answer` (nothing: "Cancel"), later when held, or
// fail to open.
#pragma once

#include <quarro/desktop/dialogs.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace test_support {

struct scripted_dialogs : quarro::dialog_hooks
{
    void show_alert(const std::string& informative, const std::string& message) override
    {
        alerts.push_back(message + "|" + informative);
    }
    std::optional<std::string> choose_file_to_open(const std::string& title,
                                                   const std::string& start_folder) override
    {
        asked = title + "|" + start_folder;
        return answer;
    }
    std::optional<std::string> choose_file_to_save(const std::string& title,
                                                   const std::string& folder,
                                                   const std::string& file_name,
                                                   const std::string& file_type) override
    {
        asked = title + "|" + folder + "|" + file_name + "|" + file_type;
        return answer;
    }

    void begin_choose_file_to_open(const std::string& title, const std::string& start_folder,
                                   answer_function answer_later) override
    {
        ++opened;
        if (cannot_show)
            throw std::runtime_error("no display");
        if (!hold)
            return dialog_hooks::begin_choose_file_to_open(title, start_folder,
                                                           std::move(answer_later));
        asked = title + "|" + start_folder;
        held.push_back(std::move(answer_later));
    }
    void begin_choose_file_to_save(const std::string& title, const std::string& folder,
                                   const std::string& file_name, const std::string& file_type,
                                   answer_function answer_later) override
    {
        ++opened;
        if (cannot_show)
            throw std::runtime_error("no display");
        if (!hold)
            return dialog_hooks::begin_choose_file_to_save(title, folder, file_name, file_type,
                                                           std::move(answer_later));
        asked = title + "|" + folder + "|" + file_name + "|" + file_type;
        held.push_back(std::move(answer_later));
    }

    /// Answers the oldest panel still open with `chosen`, as the user would in a later event.
    void answer_held(std::optional<std::string> chosen)
    {
        if (held.empty())
            throw std::logic_error("no panel is open");
        auto answer_later = std::move(held.front());
        held.erase(held.begin());
        answer_later(std::move(chosen));
    }

    std::vector<std::string> alerts; ///< "message|informative", in order
    std::string asked;               ///< the last panel's title and arguments, joined by '|'
    std::optional<std::string> answer;
    bool hold = false;                 ///< panels stay open until answer_held()
    std::vector<answer_function> held; ///< the open panels' answers, oldest first
    int opened = 0;                    ///< panels opened, held or not
    bool cannot_show = false; ///< opening a panel throws "no display", as one that can't be shown
};

} // namespace test_support
