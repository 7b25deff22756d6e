// Whole-file writing, appending and reading: atomic replacement that loses nothing on
// failure, modes, and the block shapes that reading gives.
#include <quarro/files/file_error.h>
#include <quarro/files/hdd_file.h>
#include <quarro/files/whole_file.h>

#include "support/error_text.h"
#include "support/file_size_limit.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

namespace {

using files::filepath;
using test_support::read_text;

memory::data block_of(const std::string& text)
{
    return memory::data(text.data(), text.size());
}

class WholeFile : public testing::Test
{
protected:
    void SetUp() override { test_support::write_text(preset, "old preset"); }

    // Nothing but the preset file may stay behind in the folder.
    bool preset_is_alone() const
    {
        return std::distance(std::filesystem::directory_iterator(folder.path()),
                             std::filesystem::directory_iterator()) == 1;
    }

    test_support::temporary_folder folder;
    std::string preset = folder / "preset.xml";
};

TEST_F(WholeFile, WriteReplacesTheContentKeepingTheMode)
{
    chmod(preset.c_str(), 0600);
    files::write_file(filepath(preset), block_of("new"));
    EXPECT_EQ(read_text(preset), "new");
    struct stat status
    {};
    stat(preset.c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    files::write_file(filepath(preset), memory::data());
    EXPECT_EQ(read_text(preset), "");
    EXPECT_TRUE(preset_is_alone());

    std::filesystem::create_symlink(preset, folder / "link.xml");
    files::write_file(filepath(folder / "link.xml"), block_of("via link"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.xml"));
    EXPECT_EQ(read_text(preset), "via link");
}

TEST_F(WholeFile, FailedWriteKeepsThePreviousContent)
{
    const std::string big(8192, 'x');
    {
        test_support::file_size_limit limit(4096);
        EXPECT_EQ(test_support::error_text<files::error::cannot_write_to_file>(
                      [&] { files::write_file(filepath(preset), block_of(big)); }),
                  "cannot write data to file!");
    }
    EXPECT_EQ(read_text(preset), "old preset");
    EXPECT_TRUE(preset_is_alone());
}

TEST_F(WholeFile, FullVolumeIsWrittenInPlaceAndReported)
{
    // A device is never replaced by a regular file, even for root.
    const std::string volume_full = "cannot write data to file! volume full!";
    EXPECT_EQ(test_support::error_text<files::error::not_enough_disk_space>(
                  [] { files::write_file(filepath("/dev/full"), block_of("abc")); }),
              volume_full);
    EXPECT_EQ(test_support::error_text<files::error::not_enough_disk_space>(
                  [] { files::append_to_file(filepath("/dev/full"), block_of("abc")); }),
              volume_full);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(WholeFile, AppendAddsAtTheEndAndRecreatesAMissingFile)
{
    const filepath path(preset);
    files::append_to_file(path, block_of(" more"));
    files::append_to_file(path, memory::data());
    EXPECT_EQ(read_text(preset), "old preset more");
    std::filesystem::remove(preset);
    files::append_to_file(path, block_of("again"));
    EXPECT_EQ(read_text(preset), "again");
}

TEST_F(WholeFile, ReadGivesTheWholeFileWithSpareRoom)
{
    files::hdd_file file(filepath(preset), files::File_Read_Access);
    file.seek(5, files::seek_from_beginning); // read_file starts at 0 whatever the position
    const auto block = files::read_file(file);
    EXPECT_EQ(std::string(block->bytes(), block->bytes() + block->size()), "old preset");
    const auto* growable = dynamic_cast<const memory::growable_data*>(block.get());
    ASSERT_NE(growable, nullptr);
    EXPECT_EQ(growable->capacity(), 25u);

    test_support::write_text(preset, "");
    files::hdd_file empty(filepath(preset), files::File_Read_Access);
    const auto nothing = files::read_file(empty);
    EXPECT_EQ(nothing->size(), 0u);
    EXPECT_EQ(nothing->bytes(), nullptr);
    EXPECT_EQ(dynamic_cast<const memory::growable_data*>(nothing.get()), nullptr);
}

} // namespace
