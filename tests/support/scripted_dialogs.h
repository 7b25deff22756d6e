// Alerts and file panels answered by the test: every alert and question is recorded, and the
// panels give back what the test put into `answer` (nothing: "Cancel").
#pragma once

#include <quarro/desktop/dialogs.h>

#include <optional>
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

    std::vector<std::string> alerts; ///< "message|informative", in order
    std::string asked;               ///< the last panel's title and arguments, joined by '|'
    std::optional<std::string> answer;
};

} // namespace test_support
