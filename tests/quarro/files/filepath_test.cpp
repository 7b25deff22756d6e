// The file path: normalised absolute paths, the sub-path rules and their error messages, and
// the split of a path text into file name, base name and extension.
#include <quarro/files/file_error.h>
#include <quarro/files/file_name_parts.h>
#include <quarro/files/filepath.h>

#include "support/error_text.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

using files::filepath;
using test_support::error_text;

const std::string missing = std::string(std::strerror(ENOENT)) +
                            " filepath::update_file_info() call to "
                            "CFURLCopyResourcePropertyForKey failed!";
const std::string parent_missing = "filepath::filepath() the parent filepath doesn't exist!";

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
    const struct
    {
        std::string text, path, name;
        quarro::u32 flags;
    } cases[] = {{root / "a/b/", root / "a/b", "b", 3},
                 {root / "a//b/./c/..", root / "a/b", "b", 3},
                 {root / "a/file.txt", root / "a/file.txt", "file.txt", 1},
                 {root / ".hidden", root / ".hidden", ".hidden", 5},
                 {"///", "/", "/", 3},
                 {"/..", "/", "/", 3}};
    for (const auto& c : cases) {
        const filepath path(c.text);
        EXPECT_EQ(path.get_path(), c.path) << c.text;
        EXPECT_EQ(path.get_name(), c.name) << c.text;
        EXPECT_EQ(path.get_flags(), c.flags) << c.text;
    }
    EXPECT_FALSE(filepath("/").get_parent().exists_flag_set()); // the only volume root
    EXPECT_EQ(filepath(root / "a/file.txt").get_parent().get_path(), root / "a");
}

TEST_F(FilepathTest, TextsThatNameNothingFail)
{
    const auto message = [](const std::string& text) {
        return error_text<files::error::file>([&] { filepath path(text); });
    };
    const std::string does_not_exist = "this file path does not exist!";
    EXPECT_EQ(message(""), does_not_exist);
    EXPECT_EQ(message(root / "\xff"), does_not_exist + "\nfull path: \"" + (root / "\xff") + "\"");
    EXPECT_EQ(message(root / "missing"), missing);
}

struct sub_path_case
{
    const char* label;
    std::string sub_path;
    std::string result; // the path below the test folder, or the error's text
    bool fails;
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
    std::string outcome;
    try {
        outcome = filepath(filepath(root.path()), c.sub_path).get_path();
    } catch (const files::error::file& error) {
        outcome = error.what();
    }
    EXPECT_EQ(outcome, c.fails ? c.result : root / c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FilepathSubPath,
    testing::Values(sub_path_case{"one", "a", "a", false},
                    sub_path_case{"trailing", "a/", "a", false},
                    sub_path_case{"nested", "a/b/c", "a/b/c", false},
                    sub_path_case{"leading", "//a/b", "a/b", false},
                    sub_path_case{"doubled", "a//b/", "a/b", false},
                    sub_path_case{"missing_leaf", "a/nothing",
                                  missing + "\nfile/folder name: \"nothing\"", true},
                    sub_path_case{"missing_middle", "nothing/b", parent_missing, true},
                    sub_path_case{"file_as_middle", "a/file.txt/x", parent_missing, true}),
    [](const testing::TestParamInfo<sub_path_case>& info) { return info.param.label; });

TEST_F(FilepathTest, SubPathEdges)
{
    const filepath parent(root.path());
    EXPECT_EQ(filepath(parent, "").get_path(), root.path());
    EXPECT_EQ(filepath(parent, "///").get_path(), root.path());
    EXPECT_EQ(error_text<files::error::file>([] { filepath path(filepath(), "a"); }),
              parent_missing);
    EXPECT_EQ(error_text<files::error::file>([&] { filepath path(parent, "\xff"); }),
              "filepath() no sub file name given!\nfull path: \"" + root.path() +
                  "\"\nfile/folder name: \"\xff\"");
}

TEST(SplitFileName, FileBaseAndExtension)
{
    const struct
    {
        const char* text;
        const char* parts; // file name|base name|extension
    } cases[] = {{"a/b.c.txt", "b.c.txt|b.c|txt"}, {"x\\y.", "y.|y|"},
                 {"a/readme", "readme|readme|"},   {"", "||"},
                 {"dir.d/file", "file|file|"},     {".hidden", ".hidden||hidden"},
                 {"a\\b/c.xml", "c.xml|c|xml"}};
    for (const auto& c : cases) {
        const files::file_name_parts parts = files::split_file_name(c.text);
        EXPECT_EQ(parts.file_name + "|" + parts.base_name + "|" + parts.extension, c.parts)
            << c.text;
    }
}

} // namespace
