// The disk file: opening, whole transfers despite short counts, seeking, the volume-full and
// write errors, and descriptor 0 as an ordinary descriptor.
#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/files/hdd_file.h>

#include "support/error_text.h"
#include "support/file_size_limit.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using files::File_Read_Access;
using files::File_Write_Access;
using files::filepath;
using files::hdd_file;
using quarro::u64;
using quarro::u8;
using test_support::error_text;

const u8* bytes_of(const std::string& text)
{
    return reinterpret_cast<const u8*>(text.data());
}

class HddFile : public testing::Test
{
protected:
    void SetUp() override { test_support::write_text(folder / "ten.bin", "0123456789"); }

    test_support::temporary_folder folder;
};

TEST_F(HddFile, OpeningFailuresNameThePath)
{
    const filepath gone(folder / "ten.bin");
    std::filesystem::remove(folder / "ten.bin");
    const filepath sub(folder.path());
    EXPECT_EQ(
        error_text<files::error::cannot_open_file>([&] { hdd_file file(gone, File_Read_Access); }),
        "cannot open the file! it does not exist?\nfull path: \"" + gone.get_path() + "\"");
    EXPECT_EQ(
        error_text<files::error::cannot_open_file>([&] { hdd_file file(sub, File_Write_Access); }),
        "cannot open file for write access! it may be opened by another application?\n"
        "full path: \"" +
            folder.path() + "\"");
}

TEST_F(HddFile, DescriptorZeroIsAnOrdinaryFileAndClosedOnlyWhenOwned)
{
    if (fcntl(STDIN_FILENO, F_GETFD) == -1) // the test runner may start us without one
        open("/dev/null", O_RDONLY);
    const int saved_input = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    {
        hdd_file file(filepath(folder / "ten.bin"), File_Read_Access); // gets descriptor 0
        EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD) & FD_CLOEXEC, 0);       // not inherited by programs
        u8 buffer[4] = {};
        EXPECT_EQ(file.read(buffer, 4, nullptr), 4u);
        EXPECT_EQ(std::string(buffer, buffer + 4), "0123");
    }
    EXPECT_EQ(fcntl(STDIN_FILENO, F_GETFD), -1); // it was the file's, and it is closed

    dup2(saved_input, STDIN_FILENO);
    close(saved_input);
    {
        hdd_file nothing_opened(filepath(folder / "ten.bin"), 7);
    }
    EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD), -1); // standard input survives
}

TEST_F(HddFile, ReadingTheRestSucceedsThenTheEndThrows)
{
    hdd_file file(filepath(folder / "ten.bin"), File_Read_Access);
    u8 buffer[16] = {};
    u64 got = 0;
    file.seek(-6, files::seek_from_end);
    EXPECT_EQ(file.read(buffer, 16, &got), 6u); // fewer only because the file ends
    EXPECT_EQ(std::string(buffer, buffer + got), "456789");
    EXPECT_EQ(error_text<err::exception>([&] { file.read(buffer, 1, &got); }),
              "hdd_file::read() cannot read from file!");
    EXPECT_EQ(file.get_position(), 10u);
}

TEST_F(HddFile, ShortReadsAreContinued)
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ioctl(writer, FIONREAD, &pending) == 0 && pending > 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(write(writer, "after", 5), 5);
    reader.join();
    close(writer);
    EXPECT_EQ(std::string(buffer, buffer + got), "firstafter");
}

TEST_F(HddFile, WriteThatCannotCompleteIsAnErrorAndKeepsThePosition)
{
    hdd_file file(filepath(folder / "ten.bin"), File_Write_Access);
    const std::string big(8192, 'x');
    {
        test_support::file_size_limit limit(4096); // write(2) stops at 4096 bytes, then EFBIG
        EXPECT_EQ(error_text<files::error::cannot_write_to_file>(
                      [&] { file.write(bytes_of(big), big.size(), nullptr); }),
                  "cannot write data to file!");
    }
    EXPECT_EQ(file.get_position(), 0u);

    hdd_file full(filepath("/dev/full"), File_Write_Access);
    EXPECT_EQ(error_text<files::error::not_enough_disk_space>(
                  [&] { full.write(bytes_of(big), 3, nullptr); }),
              "cannot write data to file! volume full!");
    EXPECT_EQ(full.get_position(), 0u);
}

TEST_F(HddFile, FailedSeekReportsTheTarget)
{
    // A pipe can't seek: a seek to the position makes no system call and succeeds.
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    hdd_file file(filepath(fifo), File_Write_Access);
    EXPECT_NO_THROW(file.seek(0, files::seek_from_beginning));
    EXPECT_EQ(error_text<err::exception>([&] { file.seek(123, files::seek_from_beginning); }),
              "hdd_file::seek() FAILED! Position: 123");
    EXPECT_EQ(error_text<err::exception>([&] { file.seek(-5, files::seek_from_current); }),
              "hdd_file::seek() FAILED! Position: -5");
}

} // namespace
