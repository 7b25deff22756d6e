// The file path: normalised absolute paths, the sub-path rules and their error messages.
#include <quarro/files/file_error.h>
#include <quarro/files/filepath.h>
#include <quarro/tools/text.h>

#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

using files::filepath;
using test_support::temporary_folder;

std::string missing_item_message(const std::string& name)
{
    std::string text = std::string(std::strerror(ENOENT)) +
                       " filepath::update_file_info() call to CFURLCopyResourcePropertyForKey "
                       "failed!";
    if (!name.empty())
        text += "\nfile/folder name: \"" + name + "\"";
    return text;
}

class FilepathTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(root / "a/b/c");
        std::filesystem::create_directories(root / "presets");
        test_support::write_text(root / "a/file.txt", "x");
        test_support::write_text(root / ".hidden", "x");
    }

    temporary_folder root;
};

TEST_F(FilepathTest, PathTextIsNormalisedAndNamed)
{
    const struct
    {
        std::string text;
        std::string path;
        std::string name;
        quarro::u32 flags;
    } cases[] = {
        {root.path(), root.path(), std::filesystem::path(root.path()).filename(), 3},
        {root / "a/b/", root / "a/b", "b", 3},
        {root / "a//b/./c/..", root / "a/b", "b", 3},
        {root / "a/file.txt", root / "a/file.txt", "file.txt", 1},
        {root / ".hidden", root / ".hidden", ".hidden", 5},
        {"/", "/", "/", 3},
        {"///", "/", "/", 3},
        {"/..", "/", "/", 3},
    };
    for (const auto& c : cases) {
        const filepath path(c.text);
        EXPECT_EQ(path.get_path(), c.path) << c.text;
        EXPECT_EQ(path.get_name(), c.name) << c.text;
        EXPECT_EQ(path.get_flags(), c.flags) << c.text;
    }
}

TEST_F(FilepathTest, RelativeTextIsTakenFromTheWorkingFolder)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(root / "a");
    const filepath path("b/c");
    std::filesystem::current_path(previous);
    EXPECT_EQ(path.get_path(), root / "a/b/c");
}

TEST_F(FilepathTest, TextsThatNameNothingAreRefused)
{
    const struct
    {
        const char* label;
        std::string text;
        std::string message;
    } cases[] = {
        {"empty", "", "this file path does not exist!"},
        {"not UTF-8", root / "\xff\xfe",
         "this file path does not exist!\nfull path: \"" + (root / "\xff\xfe") + "\""},
        // what() is a C text: it ends at the NUL.
        {"NUL", root / std::string("a\0b", 3),
         "this file path does not exist!\nfull path: \"" + (root / "a")},
    };
    for (const auto& c : cases) {
        try {
            filepath path(c.text);
            ADD_FAILURE() << c.label << ": no exception";
        } catch (const files::error::file_not_found& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.label;
        }
    }
}

TEST_F(FilepathTest, MissingItemFailsWithTheSystemsReason)
{
    try {
        filepath path(root / "missing");
        ADD_FAILURE() << "no exception";
    } catch (const files::error::file_path& error) {
        EXPECT_EQ(std::string(error.what()), missing_item_message(""));
        EXPECT_EQ(error.error_id(), 0);
    }
}

struct sub_path_case
{
    const char* label;
    std::string sub_path;
    std::string expected; // relative to the test folder; empty when it must throw
    std::string message;
};

void PrintTo(const sub_path_case& c, std::ostream* os)
{
    *os << c.label;
}

class FilepathSubPath : public FilepathTest, public testing::WithParamInterface<sub_path_case>
{};

TEST_P(FilepathSubPath, FollowsTheComponentRules)
{
    const sub_path_case& c = GetParam();
    const filepath parent(root.path());
    if (c.message.empty()) {
        const filepath path(parent, c.sub_path);
        EXPECT_EQ(path.get_path(), c.expected.empty() ? root.path() : root / c.expected);
        return;
    }
    try {
        filepath path(parent, c.sub_path);
        ADD_FAILURE() << "no exception, got " << path.get_path();
    } catch (const files::error::file& error) {
        std::string message = c.message;
        quarro::replace_all(message, "{root}", root.path());
        EXPECT_EQ(std::string(error.what()), message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FilepathSubPath,
    testing::Values(sub_path_case{"one", "presets", "presets", ""},
                    sub_path_case{"trailing", "presets/", "presets", ""},
                    sub_path_case{"nested", "a/b/c", "a/b/c", ""},
                    sub_path_case{"leading", "//a/b", "a/b", ""},
                    sub_path_case{"doubled", "a//b", "a/b", ""}, sub_path_case{"empty", "", "", ""},
                    sub_path_case{"slashes", "///", "", ""},
                    sub_path_case{"missing_leaf", "a/nothing", "", missing_item_message("nothing")},
                    sub_path_case{"missing_middle", "nothing/b", "",
                                  "filepath::filepath() the parent filepath doesn't exist!"},
                    sub_path_case{"file_as_middle", "a/file.txt/x", "",
                                  "filepath::filepath() the parent filepath doesn't exist!"},
                    sub_path_case{"not_utf8", "\xff", "",
                                  "filepath() no sub file name given!\nfull path: \"{root}\"\n"
                                  "file/folder name: \"\xff\""}),
    [](const testing::TestParamInfo<sub_path_case>& info) { return info.param.label; });

TEST_F(FilepathTest, SubPathBelowAnEmptyParentFails)
{
    try {
        filepath path(filepath(), "a");
        ADD_FAILURE() << "no exception";
    } catch (const files::error::folder_not_found& error) {
        EXPECT_STREQ(error.what(), "filepath::filepath() the parent filepath doesn't exist!");
    }
}

TEST_F(FilepathTest, ParentOfTheRootAndOfTheEmptyFilepathIsEmpty)
{
    EXPECT_FALSE(filepath("/").get_parent().exists_flag_set());
    EXPECT_FALSE(filepath().get_parent().exists_flag_set());
    EXPECT_EQ(filepath(root / "a/file.txt").get_parent().get_path(), root / "a");
}

TEST_F(FilepathTest, ExistsLooksAgainButTheFlagsStay)
{
    const filepath path(root / "a/file.txt");
    EXPECT_TRUE(path.exists());
    std::filesystem::remove(root / "a/file.txt");
    EXPECT_FALSE(path.exists());
    EXPECT_TRUE(path.exists_flag_set());
    EXPECT_FALSE(filepath().exists());
    EXPECT_EQ(filepath().get_path(), "");
}

TEST_F(FilepathTest, PathExistsNeverThrows)
{
    EXPECT_TRUE(files::path_exists(root / "a/b"));
    EXPECT_FALSE(files::path_exists(root / "nothing"));
    EXPECT_FALSE(files::path_exists(""));
    EXPECT_FALSE(files::path_exists("\xff"));
}

} // namespace
