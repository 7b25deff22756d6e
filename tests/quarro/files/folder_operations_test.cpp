// Folder operations: tests of children, creating, renaming without overwrite, removing,
// and the refusal of names that would reach outside the folder asked for.
#include <quarro/files/file_error.h>
#include <quarro/files/folder_operations.h>
#include <quarro/log/logbook.h>

#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

using files::filepath;
using test_support::read_text;
using test_support::temporary_folder;
using test_support::write_text;

const std::string refused_names[] = {
    "", ".", "..", "../escape", "a/../../escape", "./a", std::string("a\0b", 3)};

// Every item below the folder, so a test can see that nothing at all was made.
std::set<std::string> tree_of(const std::string& folder)
{
    std::set<std::string> items;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        items.insert(entry.path().lexically_relative(folder).string());
    return items;
}

class FolderOperations : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(parent / "work/sub");
        write_text(parent / "work/file.txt", "old");
        work = filepath(parent / "work");
    }

    temporary_folder parent;
    filepath work;
};

TEST_F(FolderOperations, ChildTestsNeverThrow)
{
    const struct
    {
        std::string name;
        bool file, folder;
    } cases[] = {{"file.txt", true, false},
                 {"sub", false, true},
                 {"missing", false, false},
                 {"", false, false},
                 {std::string("sub\0x", 5), false, false},
                 {"\xff", false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(files::file_exists(work, c.name), c.file) << c.name;
        EXPECT_EQ(files::folder_exists(work, c.name), c.folder) << c.name;
        EXPECT_EQ(files::item_exists(work, c.name), c.file || c.folder) << c.name;
        EXPECT_FALSE(files::item_exists(filepath(), c.name)) << c.name;
    }
}

TEST_F(FolderOperations, CreateFolderMakesIntermediatesUnderTheUmask)
{
    const mode_t previous = umask(022);
    const filepath made = files::create_folder(work, "x/y");
    umask(previous);
    ASSERT_TRUE(made.is_directory());
    EXPECT_EQ(made.get_path(), parent / "work/x/y");
    struct stat status
    {};
    ASSERT_EQ(stat(made.get_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0755u);
    EXPECT_EQ(files::create_folder(work, "sub").get_path(), parent / "work/sub");
    EXPECT_FALSE(files::create_folder(work, "file.txt").exists_flag_set());
    EXPECT_FALSE(files::create_folder(filepath(), "x").exists_flag_set());
}

TEST_F(FolderOperations, RefusedNamesMakeNothing)
{
    const auto before = tree_of(parent.path());
    const filepath file(parent / "work/file.txt");
    for (const std::string& name : refused_names) {
        EXPECT_FALSE(files::create_folder(work, name).exists_flag_set()) << name;
        EXPECT_FALSE(files::get_or_create_folder(work, name).exists_flag_set()) << name;
        EXPECT_FALSE(files::create_file(work, name).exists_flag_set()) << name;
        EXPECT_FALSE(files::rename_item(file, name).exists_flag_set()) << name;
    }
    EXPECT_EQ(tree_of(parent.path()), before);
    EXPECT_EQ(read_text(parent / "work/file.txt"), "old");
}

TEST_F(FolderOperations, RenameNeverOverwrites)
{
    write_text(parent / "work/other.txt", "other");
    const filepath file(parent / "work/file.txt");
    EXPECT_FALSE(files::rename_item(file, "other.txt").exists_flag_set());
    EXPECT_FALSE(files::rename_item(file, "sub").exists_flag_set());
    EXPECT_EQ(read_text(parent / "work/file.txt"), "old");
    EXPECT_EQ(read_text(parent / "work/other.txt"), "other");

    const filepath renamed = files::rename_item(file, "new.txt");
    EXPECT_EQ(renamed.get_path(), parent / "work/new.txt");
    EXPECT_EQ(read_text(parent / "work/new.txt"), "old");
    EXPECT_FALSE(std::filesystem::exists(parent / "work/file.txt"));

    const filepath folder = files::rename_item(filepath(parent / "work/sub"), "moved");
    EXPECT_TRUE(folder.is_directory());
    EXPECT_FALSE(files::rename_item(filepath(), "x").exists_flag_set());
}

TEST_F(FolderOperations, RemoveTakesFoldersWholeAndFilesAlone)
{
    write_text(parent / "work/sub/inner.txt", "x");
    files::remove_item(filepath(parent / "work/file.txt"));
    EXPECT_FALSE(std::filesystem::exists(parent / "work/file.txt"));
    EXPECT_TRUE(std::filesystem::exists(parent / "work/sub/inner.txt"));
    files::remove_item(filepath(parent / "work/sub"));
    EXPECT_FALSE(std::filesystem::exists(parent / "work/sub"));
    files::remove_item(filepath()); // nothing to remove, nothing thrown
    EXPECT_TRUE(std::filesystem::exists(parent / "work"));
}

TEST_F(FolderOperations, CreateFileIsNotExecutableAndKeepsContent)
{
    const mode_t previous = umask(022);
    const filepath made = files::create_file(work, "new.xml");
    umask(previous);
    ASSERT_TRUE(made.exists_flag_set());
    EXPECT_FALSE(made.is_directory());
    struct stat status
    {};
    ASSERT_EQ(stat(made.get_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644u);
    EXPECT_EQ(status.st_size, 0);

    EXPECT_EQ(files::create_file(work, "file.txt").get_path(), parent / "work/file.txt");
    EXPECT_EQ(read_text(parent / "work/file.txt"), "old");
}

TEST_F(FolderOperations, CreateFileFailureNamesThePath)
{
    const struct
    {
        filepath folder;
        std::string name;
        std::string path;
    } cases[] = {{work, "sub", parent / "work/sub"},
                 {work, "missing/x", parent / "work/missing/x"},
                 {filepath(), "x", "x"}};
    for (const auto& c : cases) {
        try {
            files::create_file(c.folder, c.name);
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const files::error::file_path& error) {
            EXPECT_EQ(std::string(error.what()),
                      "cannot create the file! it may be opened by another application?\n"
                      "full path: \"" +
                          c.path + "\"");
        }
    }
    EXPECT_FALSE(std::filesystem::exists("x"));
}

TEST_F(FolderOperations, CreateFileAtPathMakesItsFolders)
{
    const filepath made = files::create_file_at_path(parent / "work/p/q\\r.part");
    EXPECT_EQ(made.get_path(), parent / "work/p/q/r.part");
    EXPECT_FALSE(files::create_file_at_path("/top-level.txt").exists_flag_set());
    EXPECT_FALSE(files::create_file_at_path(parent / "work/").exists_flag_set());
    EXPECT_FALSE(files::create_file_at_path("no-folder.txt").exists_flag_set());
}

TEST_F(FolderOperations, MakePathSplitsAtBothSeparators)
{
    const filepath made = files::make_path(work, "a//b\\c/");
    EXPECT_EQ(made.get_path(), parent / "work/a/b/c");
    EXPECT_TRUE(made.is_directory());
    EXPECT_EQ(files::make_path(work, "").get_path(), work.get_path());
    EXPECT_EQ(files::make_path(work, "a/b").get_path(), parent / "work/a/b");
}

TEST_F(FolderOperations, MakePathRefusesTraversalBeforeMakingAnything)
{
    const auto before = tree_of(parent.path());
    for (const char* text :
         {"..", "../evil", "new/../../evil", "new/./x", "firmware/K5R/..", "x\\..\\..\\evil"})
        EXPECT_FALSE(files::make_path(work, text).exists_flag_set()) << text;
    EXPECT_EQ(tree_of(parent.path()), before);
}

TEST_F(FolderOperations, MakePathLogsAFileInTheWay)
{
    quarro::logbook::instance().set_levels({0, 7, 0});
    testing::internal::CaptureStderr();
    const filepath made = files::make_path(work, "file.txt/x");
    const std::string console = testing::internal::GetCapturedStderr();
    quarro::logbook::instance().set_levels({});
    EXPECT_FALSE(made.exists_flag_set());
    EXPECT_EQ(console, "expected a folder but the found path refers to a file!\nfull path: \"" +
                           work.get_path() + "\"\nfile/folder name: \"file.txt\"\n");
}

TEST_F(FolderOperations, GetOrCreateFolder)
{
    EXPECT_EQ(files::get_or_create_folder(work, "sub").get_path(), parent / "work/sub");
    EXPECT_TRUE(files::get_or_create_folder(work, "fresh").is_directory());
    try {
        files::get_or_create_folder(work, "file.txt");
        ADD_FAILURE() << "no exception";
    } catch (const files::error::folder_not_found& error) {
        EXPECT_EQ(std::string(error.what()),
                  "expected a folder but the found path refers to a file!\nfull path: \"" +
                      work.get_path() + "\"\nfile/folder name: \"file.txt\"");
    }
}

} // namespace
