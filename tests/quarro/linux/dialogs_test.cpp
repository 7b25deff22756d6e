// Alerts and file panels through the hooks: the headless default, and the contract that a
// cancel, or a choice that does not exist, leaves every argument unchanged.
#include <quarro/desktop/dialogs.h>

#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace {

using files::filepath;
using test_support::temporary_folder;

struct scripted_hooks : quarro::dialog_hooks
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
        if (throws)
            throw std::runtime_error("panel failed");
        asked = title + "|" + folder + "|" + file_name + "|" + file_type;
        return answer;
    }

    std::vector<std::string> alerts;
    std::string asked;
    std::optional<std::string> answer;
    bool throws = false;
};

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
    std::shared_ptr<scripted_hooks> hooks = std::make_shared<scripted_hooks>();
};

TEST_F(Dialogs, HeadlessDefaultPrintsAlertsAndCancelsPanels)
{
    quarro::set_dialog_hooks(nullptr);
    testing::internal::CaptureStderr();
    quarro::show_alert("cannot write data to file!", "Alert!");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Alert!: cannot write data to file!\n");

    filepath out = presets;
    EXPECT_FALSE(quarro::choose_file_to_open("load preset...", presets, &out).exists_flag_set());
    EXPECT_EQ(out.get_path(), presets.get_path());
    std::string name = "bright.xml";
    EXPECT_FALSE(quarro::choose_file_to_save("save preset as...", out, name, "xml"));
    EXPECT_EQ(name, "bright.xml");
    EXPECT_TRUE(hooks->asked.empty());
}

TEST_F(Dialogs, AlertReachesTheInstalledHook)
{
    quarro::show_alert("informative", "message");
    EXPECT_EQ(hooks->alerts, std::vector<std::string>{"message|informative"});
}

TEST_F(Dialogs, OpenPanelAnswers)
{
    const struct
    {
        const char* label;
        std::optional<std::string> answer;
        std::string result; // empty: answered like cancel
    } cases[] = {
        {"chosen", root / "presets/bright.xml", root / "presets/bright.xml"},
        {"cancelled", std::nullopt, ""},
        {"missing", root / "presets/gone.xml", ""},
        {"folder", root / "presets/sub", ""},
    };
    const filepath unchanged(root.path());
    for (const auto& c : cases) {
        hooks->answer = c.answer;
        filepath out = unchanged;
        const filepath chosen = quarro::choose_file_to_open("load preset...", presets, &out);
        EXPECT_EQ(hooks->asked, "load preset...|" + presets.get_path()) << c.label;
        EXPECT_EQ(chosen.get_path(), c.result) << c.label;
        EXPECT_EQ(out.get_path(), c.result.empty() ? unchanged.get_path() : presets.get_path())
            << c.label;
        EXPECT_EQ(quarro::choose_file_to_open("t", filepath()).get_path(), c.result) << c.label;
        EXPECT_EQ(hooks->asked, "t|") << c.label;
    }
}

TEST_F(Dialogs, SavePanelAnswers)
{
    const struct
    {
        const char* label;
        std::optional<std::string> answer;
        std::string folder; // empty: false, arguments unchanged
        std::string name;
    } cases[] = {
        {"chosen", root / "presets/sub/warm.xml", root / "presets/sub", "warm.xml"},
        {"overwrite", root / "presets/bright.xml", root / "presets", "bright.xml"},
        {"cancelled", std::nullopt, "", ""},
        {"missing_folder", root / "nowhere/warm.xml", "", ""},
        {"a_folder", root / "presets/sub", "", ""},
        {"root", "/", "", ""},
    };
    for (const auto& c : cases) {
        for (const std::string type : {"xml", ""}) {
            hooks->answer = c.answer;
            filepath folder = presets;
            std::string name = "proposed.xml";
            const bool saved = quarro::choose_file_to_save("save preset as...", folder, name, type);
            EXPECT_EQ(hooks->asked,
                      "save preset as...|" + presets.get_path() + "|proposed.xml|" + type)
                << c.label;
            EXPECT_EQ(saved, !c.folder.empty()) << c.label;
            EXPECT_EQ(folder.get_path(), saved ? c.folder : presets.get_path()) << c.label;
            EXPECT_EQ(name, saved ? c.name : "proposed.xml") << c.label;
        }
    }
}

TEST_F(Dialogs, FailingPanelCountsAsCancelled)
{
    hooks->throws = true;
    filepath folder = presets;
    std::string name = "proposed.xml";
    EXPECT_FALSE(quarro::choose_file_to_save("save preset as...", folder, name, "xml"));
    EXPECT_EQ(folder.get_path(), presets.get_path());
    EXPECT_EQ(name, "proposed.xml");
}

} // namespace
