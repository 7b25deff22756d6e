// The disk file and whole-file transfers: opening, whole transfers despite short counts,
// seeking, the volume-full and write errors, descriptor 0 as an ordinary descriptor, atomic
// replacement that loses nothing on failure, modes, and the block shapes that reading gives.
#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/files/hdd_file.h>
#include <quarro/files/whole_file.h>

#include "support/bounded_wait.h"
#include "support/child_process.h"
#include "support/error_text.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>

// The test program is linked with fsync and rename wrapped (see CMakeLists.txt), so that the
// order in which write_file flushes and renames can be seen.
struct durability_record
{
    ino_t flushed = 0;              // the file last flushed
    ino_t flushed_then_renamed = 0; // the file renamed, when it had been flushed just before
};
durability_record durability;

extern "C" int __real_fsync(int descriptor);
extern "C" int __real_rename(const char* from, const char* to);

extern "C" int __wrap_fsync(int descriptor)
{
    struct stat status
    {};
    durability.flushed = ::fstat(descriptor, &status) == 0 ? status.st_ino : 0;
    return __real_fsync(descriptor);
}

extern "C" int __wrap_rename(const char* from, const char* to)
{
    struct stat status
    {};
    const bool flushed = ::stat(from, &status) == 0 && status.st_ino == durability.flushed;
    durability.flushed_then_renamed = flushed ? status.st_ino : 0;
    durability.flushed = 0;
    return __real_rename(from, to);
}

namespace {

using files::File_Read_Access;
using files::File_Write_Access;
using files::filepath;
using files::hdd_file;
using quarro::u64;
using quarro::u8;
using test_support::error_text;
using test_support::read_text;

memory::data block_of(const std::string& text)
{
    return memory::data(text.data(), text.size());
}

// Each test starts with a preset file of ten bytes, alone in its folder.
class DiskFile : public testing::Test
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

TEST_F(DiskFile, OpeningFailuresNameThePath)
{
    const filepath gone(preset);
    std::filesystem::remove(preset);
    EXPECT_EQ(
        error_text<files::error::cannot_open_file>([&] { hdd_file file(gone, File_Read_Access); }),
        "cannot open the file! it does not exist?\nfull path: \"" + preset + "\"");
    // The text for write access: WriteObeysTheFileAndFolderPermissions.
}

TEST_F(DiskFile, DescriptorZeroIsAnOrdinaryFileAndClosedOnlyWhenOwned)
{
    if (fcntl(STDIN_FILENO, F_GETFD) == -1) // the test runner may start us without one
        open("/dev/null", O_RDONLY);
    const int saved_input = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    {
        hdd_file file(filepath(preset), File_Read_Access);       // gets descriptor 0
        EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD) & FD_CLOEXEC, 0); // not inherited by programs
        u8 buffer[4] = {};
        EXPECT_EQ(file.read(buffer, 4, nullptr), 4u);
        EXPECT_EQ(std::string(buffer, buffer + 4), "old ");
    }
    EXPECT_EQ(fcntl(STDIN_FILENO, F_GETFD), -1); // it was the file's, and it is closed

    dup2(saved_input, STDIN_FILENO);
    close(saved_input);
    {
        hdd_file nothing_opened(filepath(preset), 7);
    }
    EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD), -1); // standard input survives
}

TEST_F(DiskFile, ShortReadsAreContinuedAndAPipeCannotSeek)
{
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int writer = open(fifo.c_str(), O_RDWR); // keeps the pipe open without blocking
    hdd_file file(filepath(fifo), File_Read_Access);
    ASSERT_EQ(write(writer, "first", 5), 5);
    u8 buffer[10] = {};
    u64 got = 0;
    std::thread reader([&] { file.read(buffer, 10, &got); });
    // The second half arrives only once a read has taken the first, so a single read call
    // would come back with five bytes.
    int pending = 1;
    EXPECT_TRUE(test_support::eventually([&] {
        return ioctl(writer, FIONREAD, &pending) != 0 || pending == 0;
    })) << "waited 5 s for the reader to take the first half";
    ASSERT_EQ(write(writer, "after", 5), 5);
    reader.join();
    close(writer);
    EXPECT_EQ(std::string(buffer, buffer + got), "firstafter");

    // A pipe can't seek: a seek to the position makes no system call and succeeds.
    EXPECT_NO_THROW(file.seek(10, files::seek_from_beginning));
    EXPECT_EQ(error_text<err::exception>([&] { file.seek(123, files::seek_from_beginning); }),
              "hdd_file::seek() FAILED! Position: 123");
    // 10 + the largest offset does not fit the offset type: checked, not overflowed.
    EXPECT_EQ(error_text<err::exception>([&] { file.seek(INT64_MAX, files::seek_from_current); }),
              "hdd_file::seek() FAILED! Position: 9223372036854775817");
    EXPECT_EQ(file.get_position(), 10u);
}

TEST_F(DiskFile, WriteReplacesTheContentKeepingTheMode)
{
    chmod(preset.c_str(), 0600);
    files::write_file(filepath(preset), block_of("new"));
    EXPECT_EQ(read_text(preset), "new");
    EXPECT_EQ(std::filesystem::status(preset).permissions(), std::filesystem::perms(0600));
    files::write_file(filepath(preset), memory::data());
    EXPECT_EQ(read_text(preset), "");
    EXPECT_TRUE(preset_is_alone());
    const std::string longest = folder / std::string(255, 'n'); // the longest name fits
    test_support::write_text(longest, "old");
    EXPECT_NO_THROW(files::write_file(filepath(longest), block_of("new")));
    EXPECT_EQ(read_text(longest), "new");

    std::filesystem::create_symlink(preset, folder / "link.xml");
    files::write_file(filepath(folder / "link.xml"), block_of("via link"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.xml"));
    EXPECT_EQ(read_text(preset), "via link");
}

// A crash right after the rename must find the new content on the disk, not an empty file.
TEST_F(DiskFile, ReplacementIsFlushedBeforeItTakesThePlace)
{
    durability = {};
    files::write_file(filepath(preset), block_of("new"));
    struct stat status
    {};
    ASSERT_EQ(stat(preset.c_str(), &status), 0);
    EXPECT_EQ(durability.flushed_then_renamed, status.st_ino);
}

// Without the signal ignored, the system ends a process that writes past its file-size limit.
TEST_F(DiskFile, FileSizeLimitIsAnErrorNotTheEnd)
{
    const std::string answer = test_support::run_in_child(test_support::child_user::same, [&] {
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::string text(8192, 'x');
        const memory::data big = block_of(text);
        const auto attempt = [](auto write) {
            std::signal(SIGXFSZ, SIG_DFL);
            return error_text<files::error::cannot_write_to_file>(write) + "; ";
        };
        test_support::write_text(folder / "other", "");
        const std::string answer = attempt([&] { files::write_file(filepath(preset), big); }) +
                                   attempt([&] { files::append_to_file(filepath(preset), big); }) +
                                   attempt([&] {
                                       hdd_file file(filepath(folder / "other"), File_Write_Access);
                                       file.write(big.bytes(), big.size(), nullptr);
                                   });
        std::filesystem::remove(folder / "other");
        return answer;
    });
    const std::string error = "cannot write data to file!; ";
    EXPECT_EQ(answer, error + error + error);
    EXPECT_EQ(read_text(preset), "old preset");
    EXPECT_TRUE(preset_is_alone()); // the temporary file is gone
}

// As root, every file can be opened and every folder written: the child runs as another user.
TEST_F(DiskFile, WriteObeysTheFileAndFolderPermissions)
{
    const std::string locked_folder = folder / "locked";
    const std::string in_locked = locked_folder + "/preset.xml";
    std::filesystem::create_directory(locked_folder);
    test_support::write_text(in_locked, "old");
    chmod(in_locked.c_str(), 0666);
    chmod(preset.c_str(), 0444);
    test_support::open_folder_to_everyone(folder.path(), 0777);
    chmod(locked_folder.c_str(), 0555);

    const std::string answer =
        test_support::run_in_child(test_support::child_user::unprivileged, [&] {
            // A write-protected file is refused, though the folder would take its replacement;
            // a writable file in a folder that takes no new file is written in place.
            return error_text<files::error::file>(
                       [&] { files::write_file(filepath(preset), block_of("new")); }) +
                   "; " + error_text<files::error::file>([&] {
                       files::write_file(filepath(in_locked), block_of("new"));
                   });
        });
    chmod(locked_folder.c_str(), 0755);
    EXPECT_EQ(answer, "cannot open file for write access! it may be opened by another "
                      "application?\nfull path: \"" +
                          preset + "\"; (no exception)");
    EXPECT_EQ(read_text(preset), "old preset");
    EXPECT_EQ(read_text(in_locked), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked_folder),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(DiskFile, FullVolumeIsWrittenInPlaceAndReported)
{
    // A device is never replaced by a regular file, even for root.
    const std::string volume_full = "cannot write data to file! volume full!";
    EXPECT_EQ(error_text<files::error::not_enough_disk_space>(
                  [] { files::write_file(filepath("/dev/full"), block_of("abc")); }),
              volume_full);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    hdd_file full(filepath("/dev/full"), File_Write_Access);
    EXPECT_EQ(error_text<files::error::not_enough_disk_space>(
                  [&] { full.write(block_of("abc").bytes(), 3, nullptr); }),
              volume_full);
}

TEST_F(DiskFile, AppendAddsAtTheEndAndRecreatesAMissingFile)
{
    const filepath path(preset);
    files::append_to_file(path, block_of(" more"));
    EXPECT_EQ(read_text(preset), "old preset more");
    std::filesystem::remove(preset);
    files::append_to_file(path, block_of("again"));
    EXPECT_EQ(read_text(preset), "again");
}

TEST_F(DiskFile, ReadGivesTheRestThenThrowsAndReadFileTakesTheWhole)
{
    hdd_file file(filepath(preset), File_Read_Access);
    u8 buffer[16] = {};
    u64 got = 0;
    file.seek(-6, files::seek_from_end);
    EXPECT_EQ(file.read(buffer, 16, &got), 6u); // fewer only because the file ends
    EXPECT_EQ(std::string(buffer, buffer + got), "preset");
    EXPECT_EQ(error_text<err::exception>([&] { file.read(buffer, 1, &got); }),
              "hdd_file::read() cannot read from file!");
    EXPECT_EQ(file.get_position(), 10u);
    const auto block = files::read_file(file); // from 0 whatever the position
    EXPECT_EQ(std::string(block->bytes(), block->bytes() + block->size()), "old preset");
    const auto* growable = dynamic_cast<const memory::growable_data*>(block.get());
    ASSERT_NE(growable, nullptr);
    EXPECT_EQ(growable->capacity(), 25u);

    test_support::write_text(preset, "");
    hdd_file empty(filepath(preset), File_Read_Access);
    const auto nothing = files::read_file(empty);
    EXPECT_EQ(nothing->bytes(), nullptr);
    EXPECT_EQ(dynamic_cast<const memory::growable_data*>(nothing.get()), nullptr);
}

} // namespace
