// Whole-file writing, appending and reading: atomic replacement that loses nothing on
// failure, modes, and the block shapes that reading gives.
#include <quarro/files/file_error.h>
#include <quarro/files/hdd_file.h>
#include <quarro/files/whole_file.h>

#include "support/file_size_limit.h"
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

memory::data block_of(const std::string& text)
{
    return memory::data(text.data(), text.size());
}

std::set<std::string> names_in(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

mode_t mode_of(const std::string& path)
{
    struct stat status
    {};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

class WholeFile : public testing::Test
{
protected:
    void SetUp() override { write_text(folder / "preset.xml", "old preset"); }

    temporary_folder folder;
};

TEST_F(WholeFile, WriteReplacesTheContentAndLeavesNothingElse)
{
    chmod((folder / "preset.xml").c_str(), 0600);
    const filepath path(folder / "preset.xml");
    files::write_file(path, block_of("new"));
    EXPECT_EQ(read_text(folder / "preset.xml"), "new");
    EXPECT_EQ(mode_of(folder / "preset.xml"), 0600u);
    files::write_file(path, memory::data());
    EXPECT_EQ(read_text(folder / "preset.xml"), "");
    EXPECT_TRUE(std::filesystem::exists(folder / "preset.xml"));
    EXPECT_EQ(names_in(folder.path()), std::set<std::string>{"preset.xml"});
}

TEST_F(WholeFile, WriteRecreatesAMissingFileNotExecutable)
{
    const filepath path(folder / "preset.xml");
    std::filesystem::remove(folder / "preset.xml");
    const mode_t previous = umask(022);
    files::write_file(path, block_of("fresh"));
    umask(previous);
    EXPECT_EQ(read_text(folder / "preset.xml"), "fresh");
    EXPECT_EQ(mode_of(folder / "preset.xml"), 0644u);
}

TEST_F(WholeFile, WriteThroughALinkReplacesWhatItLeadsTo)
{
    std::filesystem::create_symlink(folder / "preset.xml", folder / "link.xml");
    files::write_file(filepath(folder / "link.xml"), block_of("via link"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.xml"));
    EXPECT_EQ(read_text(folder / "preset.xml"), "via link");
}

TEST_F(WholeFile, FailedWriteKeepsThePreviousContent)
{
    const filepath path(folder / "preset.xml");
    const std::string big(8192, 'x');
    {
        test_support::file_size_limit limit(4096);
        EXPECT_THROW(files::write_file(path, block_of(big)), files::error::cannot_write_to_file);
    }
    EXPECT_EQ(read_text(folder / "preset.xml"), "old preset");
    EXPECT_EQ(names_in(folder.path()), std::set<std::string>{"preset.xml"});
}

TEST_F(WholeFile, FullVolumeIsWrittenInPlaceAndReported)
{
    // A device is never replaced by a regular file, even for root.
    try {
        files::write_file(filepath("/dev/full"), block_of("abc"));
        ADD_FAILURE() << "no exception";
    } catch (const files::error::not_enough_disk_space& error) {
        EXPECT_STREQ(error.what(), "cannot write data to file! volume full!");
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_THROW(files::append_to_file(filepath("/dev/full"), block_of("abc")),
                 files::error::not_enough_disk_space);
}

TEST_F(WholeFile, WriteFailuresToOpen)
{
    const filepath inside(folder / "preset.xml");
    std::filesystem::remove_all(folder.path());
    const struct
    {
        filepath path;
        std::string message;
    } cases[] = {
        {filepath(), "cannot open file for write access! it may be opened by another "
                     "application?"},
        {inside, "cannot open file for write access! it may be opened by another "
                 "application?\nfull path: \"" +
                     inside.get_path() + "\""},
    };
    for (const auto& c : cases) {
        try {
            files::write_file(c.path, block_of("x"));
            ADD_FAILURE() << "no exception";
        } catch (const files::error::cannot_open_file& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST_F(WholeFile, AppendAddsAtTheEndAndRecreatesAMissingFile)
{
    const filepath path(folder / "preset.xml");
    files::append_to_file(path, block_of(" more"));
    files::append_to_file(path, memory::data());
    EXPECT_EQ(read_text(folder / "preset.xml"), "old preset more");
    std::filesystem::remove(folder / "preset.xml");
    files::append_to_file(path, block_of("again"));
    EXPECT_EQ(read_text(folder / "preset.xml"), "again");
}

TEST_F(WholeFile, ReadGivesTheWholeFileWithSpareRoom)
{
    write_text(folder / "ten.bin", "0123456789");
    files::hdd_file ten(filepath(folder / "ten.bin"), files::File_Read_Access);
    ten.seek(5, files::seek_from_beginning); // read_file starts at 0 whatever the position
    const auto block = files::read_file(ten);
    ASSERT_TRUE(block);
    EXPECT_EQ(std::string(block->bytes(), block->bytes() + block->size()), "0123456789");
    const auto* growable = dynamic_cast<const memory::growable_data*>(block.get());
    ASSERT_NE(growable, nullptr);
    EXPECT_EQ(growable->capacity(), 25u);

    write_text(folder / "empty", "");
    files::hdd_file empty(filepath(folder / "empty"), files::File_Read_Access);
    const auto nothing = files::read_file(empty);
    EXPECT_EQ(nothing->size(), 0u);
    EXPECT_EQ(nothing->bytes(), nullptr);
    EXPECT_EQ(dynamic_cast<const memory::growable_data*>(nothing.get()), nullptr);
}

} // namespace
