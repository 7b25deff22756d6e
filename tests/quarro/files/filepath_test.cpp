// The file path: normalised absolute paths, the sub-path rules and their error messages, and
// the split of a path text into file name, base name and extension.
#include <quarro/files/file_error.h>
#include <quarro/files/file_name_parts.h>
#include <quarro/files/filepath.h>

#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>

namespace {

using files::filepath;

const std::string missing = std::string(std::strerror(ENOENT)) +
                            " filepath::update_file_info() call to "
                            "CFURLCopyResourcePropertyForKey failed!";
const std::string parent_missing = "filepath::filepath() the parent filepath doesn't exist!";

// What the action gives, or the text of the file error it throws.
template <class Action>
std::string outcome_of(Action action)
{
    try {
        return action();
    } catch (const files::error::file& error) {
        return error.what();
    }
}

class FilepathTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(root / "a/b/c");
        test_support::write_text(root / "a/file.txt", "x");
        test_support::write_text(root / ".hidden", "x");
    }

    test_support::temporary_folder root;
};

TEST_F(FilepathTest, PathTextIsNormalisedAndNamed)
{
    const std::string does_not_exist = "this file path does not exist!";
    // text, outcome (path|name|flags (1 exists, 2 folder, 4 hidden), or the error)
    const std::tuple<std::string, std::string> cases[] = {
        {root / "a/b/", root / "a/b|b|3"},
        {root / "a//b/./c/..", root / "a/b|b|3"},
        {root / "a/file.txt", root / "a/file.txt|file.txt|1"},
        {root / ".hidden", root / ".hidden|.hidden|5"},
        {"///", "/|/|3"},
        {"", does_not_exist},
        {root / "\xff", does_not_exist + "\nfull path: \"" + (root / "\xff") + "\""},
        {root / "missing", missing}};
    for (const auto& [text, outcome] : cases) {
        EXPECT_EQ(outcome_of([&text = text] {
                      const filepath path(text);
                      return path.get_path() + "|" + path.get_name() + "|" +
                             std::to_string(path.get_flags());
                  }),
                  outcome);
    }
    EXPECT_FALSE(filepath("/").get_parent().exists_flag_set()); // the only volume root
    EXPECT_EQ(filepath(root / "a/file.txt").get_parent().get_path(), root / "a");
}

TEST_F(FilepathTest, SubPathFollowsTheComponentRules)
{
    std::string many_components; // walked one at a time, not one call deeper each
    for (int i = 0; i < 30000; ++i)
        many_components += "./";
    // sub_path, outcome (the path, or the error's text)
    const std::tuple<std::string, std::string> cases[] = {
        {"a", root / "a"},
        {many_components + "a/b", root / "a/b"},
        {"a/b/c", root / "a/b/c"},
        {"//a/b", root / "a/b"},
        {"", root.path()},
        {"a/nothing", missing + "\nfile/folder name: \"nothing\""},
        {"nothing/b", parent_missing},
        {"a/file.txt/x", parent_missing},
        {"\xff", "filepath() no sub file name given!\nfull path: \"" + root.path() +
                     "\"\nfile/folder name: \"\xff\""}};
    for (const auto& [sub_path, outcome] : cases) {
        EXPECT_EQ(outcome_of([&, &sub_path = sub_path] {
                      return filepath(filepath(root.path()), sub_path).get_path();
                  }),
                  outcome)
            << sub_path.substr(0, 20);
    }
    EXPECT_EQ(outcome_of([] { return filepath(filepath(), "a").get_path(); }), parent_missing);
}

TEST(SplitFileName, FileBaseAndExtension)
{
    using files::path_separators;
    constexpr auto both = path_separators::slash_and_backslash;
    // text, the separators, expected (file name|base name|extension)
    const std::tuple<const char*, path_separators, const char*> cases[] = {
        {"a/b.c.txt", both, "b.c.txt|b.c|txt"},
        {"x\\y.", both, "y.|y|"},
        {"a/readme", both, "readme|readme|"},
        {"", both, "||"},
        {"dir.d/file", both, "file|file|"},
        {".hidden", both, ".hidden||hidden"},
        {"a\\b/c.xml", both, "c.xml|c|xml"},
        // A name of this system: a backslash is a character of it.
        {"/p/a\\b.xml", path_separators::slash, "a\\b.xml|a\\b|xml"},
        {"a\\b", path_separators::slash, "a\\b|a\\b|"},
        {"a/b.c.txt", path_separators::slash, "b.c.txt|b.c|txt"},
    };
    for (const auto& [text, separators, expected] : cases) {
        const files::file_name_parts parts = files::split_file_name(text, separators);
        EXPECT_EQ(parts.file_name + "|" + parts.base_name + "|" + parts.extension, expected)
            << text;
    }
}

} // namespace
