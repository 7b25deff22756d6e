// Folder operations: tests of children, creating, renaming without overwrite, removing,
// and the refusal of names that would reach outside the folder asked for.
#include <quarro/files/file_error.h>
#include <quarro/files/folder_operations.h>
#include <quarro/log/logbook.h>

#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <set>
#include <string>

namespace {

using files::filepath;
using std::filesystem::perms;
using namespace std::string_literals;
using test_support::read_text;
using test_support::write_text;

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

    test_support::temporary_folder parent;
    filepath work;
};

TEST_F(FolderOperations, ChildTestsNeverThrow)
{
    EXPECT_TRUE(files::file_exists(work, "file.txt") && !files::file_exists(work, "sub"));
    EXPECT_TRUE(files::folder_exists(work, "sub") && !files::folder_exists(work, "file.txt"));
    for (const std::string& name : {"missing"s, ""s, "\xff"s, "sub\0x"s})
        EXPECT_FALSE(files::item_exists(work, name)) << name;
    EXPECT_FALSE(files::item_exists(filepath(), "sub"));
}

TEST_F(FolderOperations, CreatedItemsAreNotExecutable)
{
    const mode_t previous = umask(022);
    const filepath folder = files::create_folder(work, "x/y");
    const filepath file = files::create_file(work, "new.xml");
    umask(previous);
    EXPECT_EQ(folder.get_path(), parent / "work/x/y");
    EXPECT_EQ(std::filesystem::status(folder.get_path()).permissions(), perms(0755));
    EXPECT_EQ(file.get_path(), parent / "work/new.xml");
    EXPECT_EQ(std::filesystem::status(file.get_path()).permissions(), perms(0644));
    EXPECT_EQ(files::create_folder(work, "sub").get_path(), parent / "work/sub");
    EXPECT_FALSE(files::create_folder(work, "file.txt").exists_flag_set());
    // An existing file keeps its content until write_file replaces it whole.
    EXPECT_EQ(files::create_file(work, "file.txt").get_path(), parent / "work/file.txt");
    EXPECT_EQ(read_text(parent / "work/file.txt"), "old");
}

TEST_F(FolderOperations, NamedPipeWithoutReaderIsNoFileToCreate)
{
    const std::string pipe = parent / "work/pipe.xml";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto creating =
        std::async(std::launch::async, [&] { return files::create_file(work, "pipe.xml"); });
    const bool ended = creating.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!ended) // let the blocked opening go, so that the test ends
        close(open(pipe.c_str(), O_RDONLY | O_NONBLOCK));
    ASSERT_TRUE(ended) << "waited 10 s for create_file on a named pipe to give up";
    EXPECT_THROW(creating.get(), files::error::file_path);
}

TEST_F(FolderOperations, TraversalNamesMakeNothing)
{
    const auto before = tree_of(parent.path());
    const filepath file(parent / "work/file.txt");
    for (const std::string& name :
         {""s, "."s, ".."s, "../escape"s, "a/../../escape"s, "./a"s, "a\0b"s}) {
        EXPECT_FALSE(files::create_folder(work, name).exists_flag_set()) << name;
        EXPECT_FALSE(files::get_or_create_folder(work, name).exists_flag_set()) << name;
        EXPECT_FALSE(files::create_file(work, name).exists_flag_set()) << name;
        EXPECT_FALSE(files::rename_item(file, name).exists_flag_set()) << name;
    }
    // make_path checks every component before it makes the first folder.
    for (const std::string& text :
         {".."s, "new/../../evil"s, "new/./x"s, "firmware/K5R/.."s, "x\\..\\..\\evil"s, "n\0"s})
        EXPECT_FALSE(files::make_path(work, text).exists_flag_set()) << text;
    EXPECT_EQ(tree_of(parent.path()), before);
}

TEST_F(FolderOperations, RenameNeverOverwrites)
{
    write_text(parent / "work/other.txt", "other");
    const filepath file(parent / "work/file.txt");
    EXPECT_FALSE(files::rename_item(file, "other.txt").exists_flag_set());
    EXPECT_FALSE(files::rename_item(file, "sub").exists_flag_set());
    EXPECT_EQ(read_text(parent / "work/file.txt"), "old");
    EXPECT_EQ(read_text(parent / "work/other.txt"), "other");

    EXPECT_EQ(files::rename_item(file, "new.txt").get_path(), parent / "work/new.txt");
    EXPECT_EQ(read_text(parent / "work/new.txt"), "old");
    EXPECT_FALSE(std::filesystem::exists(parent / "work/file.txt"));
    EXPECT_TRUE(files::rename_item(filepath(parent / "work/sub"), "moved").is_directory());
}

TEST_F(FolderOperations, MakePathSplitsAtBothSeparatorsAndLogsAFileInTheWay)
{
    EXPECT_EQ(files::make_path(work, "a//b\\c/").get_path(), parent / "work/a/b/c");
    EXPECT_TRUE(std::filesystem::is_directory(parent / "work/a/b/c"));
    EXPECT_EQ(files::make_path(work, "").get_path(), work.get_path());
    EXPECT_EQ(files::create_file_at_path(parent / "work/p\\q.part").get_path(),
              parent / "work/p/q.part");

    quarro::logbook::instance().set_levels(
        {quarro::log_level::none, quarro::log_level::info, quarro::log_level::none});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(files::make_path(work, "file.txt/x").exists_flag_set());
    const std::string console = testing::internal::GetCapturedStderr();
    quarro::logbook::instance().set_levels({});
    EXPECT_EQ(console, "expected a folder but the found path refers to a file!\nfull path: \"" +
                           work.get_path() + "\"\nfile/folder name: \"file.txt\"\n");
}

} // namespace
