// Alerts and file panels through the hooks: the headless default on the console, and the
// contract that a cancel, or a choice that does not exist, leaves every argument unchanged.
#include <quarro/desktop/dialogs.h>

#include "support/scripted_dialogs.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

using files::filepath;
using test_support::temporary_folder;

class Dialogs : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(root / "presets/sub");
        test_support::write_text(root / "presets/bright.xml", "<preset/>");
        presets = filepath(root / "presets");
        quarro::set_dialog_hooks(hooks);
    }
    void TearDown() override { quarro::set_dialog_hooks(nullptr); }

    temporary_folder root;
    filepath presets;
    filepath folder_of_nothing;
    std::string name_of_nothing;
    std::shared_ptr<test_support::scripted_dialogs> hooks =
        std::make_shared<test_support::scripted_dialogs>();
};

TEST_F(Dialogs, HeadlessDefaultPrintsAlertsAndCancelsPanels)
{
    quarro::set_dialog_hooks(nullptr);
    // Console lines are printed as they are, never read as a format.
    testing::internal::CaptureStderr();
    quarro::show_alert("100% %d %s %n done", "Alert!");
    quarro::show_alert("", "message only");
    quarro::show_alert("", "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Alert!: 100% %d %s %n done\nmessage only\n\n");

    filepath out = presets;
    EXPECT_FALSE(quarro::choose_file_to_open("load preset...", presets, &out).exists_flag_set());
    EXPECT_EQ(out.get_path(), presets.get_path());
    std::string name = "bright.xml";
    EXPECT_FALSE(quarro::choose_file_to_save("save preset as...", out, name, "xml"));
    EXPECT_EQ(name, "bright.xml");
    EXPECT_TRUE(hooks->asked.empty());

    quarro::set_dialog_hooks(hooks); // installed hooks replace the default
    quarro::show_alert("informative", "message");
    EXPECT_EQ(hooks->alerts, std::vector<std::string>{"message|informative"});
}

TEST_F(Dialogs, OpenPanelAnswersLikeCancelForWhatIsNotAFile)
{
    const std::string chosen = root / "presets/bright.xml";
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>(chosen), std::optional<std::string>(),
          std::optional<std::string>(root / "presets/gone.xml"),
          std::optional<std::string>(root / "presets/sub")}) {
        hooks->answer = answer;
        filepath out(root.path());
        const bool taken = answer == chosen;
        EXPECT_EQ(quarro::choose_file_to_open("load preset...", presets, &out).get_path(),
                  taken ? chosen : "");
        EXPECT_EQ(hooks->asked, "load preset...|" + presets.get_path());
        EXPECT_EQ(out.get_path(), taken ? presets.get_path() : root.path());

        // The form that does not wait answers the same, once.
        std::vector<std::string> answers;
        quarro::begin_choose_file_to_open(
            "load preset...", presets,
            [&answers](const filepath& file) { answers.push_back(file.get_path()); });
        EXPECT_EQ(answers, std::vector<std::string>{taken ? chosen : ""});
    }
}

TEST_F(Dialogs, SavePanelChangesNothingUnlessAFolderWasChosen)
{
    const std::string sub = root / "presets/sub";
    // answer, the folder chosen (empty: false, arguments unchanged), the name chosen, and what
    // the form that does not wait answers instead of a plain "not saved"
    const std::tuple<std::optional<std::string>, std::string, std::string, std::string> cases[] = {
        {root / "presets/sub/warm.xml", sub, "warm.xml", "saved|" + sub + "|warm.xml"},
        {root / "presets/./sub/../sub/warm.xml", sub, "warm.xml", "saved|" + sub + "|warm.xml"},
        {std::nullopt, "", "", "cancelled"},
        {root / "nowhere/warm.xml", "", "",
         "Cannot save as " + (root / "nowhere/warm.xml") + ": the folder " + (root / "nowhere") +
             " does not exist."},
        {root / "presets/bright.xml/warm.xml", "", "",
         "Cannot save as " + (root / "presets/bright.xml/warm.xml") + ": the folder " +
             (root / "presets/bright.xml") + " does not exist."},
        {sub, "", "", "Cannot save as " + sub + ": a folder has that name."},
        {"/", "", "", "Cannot save as /: a folder has that name."},
    };
    for (const auto& [answer, chosen_folder, chosen_name, choice] : cases) {
        SCOPED_TRACE(answer.value_or("cancel"));
        hooks->answer = answer;
        filepath folder = presets;
        std::string name = "proposed.xml";
        const bool saved = quarro::choose_file_to_save("save preset as...", folder, name, "xml");
        EXPECT_EQ(saved, !chosen_folder.empty());
        EXPECT_EQ(folder.get_path(), saved ? chosen_folder : presets.get_path());
        EXPECT_EQ(name, saved ? chosen_name : "proposed.xml");

        // The form that does not wait answers once, and tells a confirmed choice where nothing
        // can be saved from a cancel.
        std::vector<std::string> answers;
        quarro::begin_choose_file_to_save(
            "save preset as...", presets, "proposed.xml", "xml",
            [&answers](const quarro::save_choice& chosen) {
                if (!chosen.confirmed)
                    answers.push_back("cancelled");
                else if (!chosen.problem.empty())
                    answers.push_back(chosen.problem);
                else
                    answers.push_back("saved|" + chosen.folder.get_path() + "|" + chosen.file_name);
            });
        EXPECT_EQ(answers, std::vector<std::string>{choice});
    }
    EXPECT_EQ(hooks->asked, "save preset as...|" + presets.get_path() + "|proposed.xml|xml");
    quarro::choose_file_to_save("t", folder_of_nothing, name_of_nothing, "");
    EXPECT_EQ(hooks->asked, "t|||"); // no folder, no name, no filter
}

TEST_F(Dialogs, APanelThatCannotBeShownAnswersOnceAsACancelOrSaysWhy)
{
    // A hook that fails, before or after it has answered: the caller hears exactly one answer,
    // or, when it asked to hear of a failure, why the panel was not shown.
    struct failing_hooks : test_support::scripted_dialogs
    {
        bool answer_first = false;
        void begin_choose_file_to_open(const std::string&, const std::string&,
                                       answer_function answer) override
        {
            if (answer_first)
                answer(std::string("/"));
            throw std::runtime_error("no display");
        }
        void begin_choose_file_to_save(const std::string&, const std::string&, const std::string&,
                                       const std::string&, answer_function answer) override
        {
            if (answer_first)
                answer(std::string("/"));
            throw std::runtime_error("no display");
        }
    };
    const struct
    {
        const char* name;
        bool answer_first;
        bool told; // the caller hears of a failure
        std::vector<std::string> answers;
    } rows[] = {
        {"failed", false, false, {"open|", "save|"}},
        {"failed, told", false, true, {"open failed|no display", "save failed|no display"}},
        {"answered, then failed",
         true,
         false,
         {"open|", "save|confirmed|Cannot save as /: a folder has that name."}},
        {"answered, then failed, told",
         true,
         true,
         {"open|", "save|confirmed|Cannot save as /: a folder has that name."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto failing = std::make_shared<failing_hooks>();
        failing->answer_first = row.answer_first;
        quarro::set_dialog_hooks(failing);
        std::vector<std::string> answers;
        const auto failed = [&](const char* panel) -> std::function<void(const std::string&)> {
            if (!row.told)
                return nullptr;
            return [&answers, panel](const std::string& why) {
                answers.push_back(std::string(panel) + " failed|" + why);
            };
        };
        quarro::begin_choose_file_to_open(
            "load preset...", presets,
            [&](const filepath& file) { answers.push_back("open|" + file.get_path()); },
            failed("open"));
        quarro::begin_choose_file_to_save(
            "save preset as...", presets, "proposed.xml", "xml",
            [&](const quarro::save_choice& choice) {
                answers.push_back(std::string("save|") + (choice.confirmed ? "confirmed|" : "") +
                                  choice.problem);
            },
            failed("save"));
        EXPECT_EQ(answers, row.answers);
    }
}

} // namespace
