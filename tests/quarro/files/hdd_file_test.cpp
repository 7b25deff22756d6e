// The disk file: opening, whole transfers despite short counts, seeking, the volume-full and
// write errors, and descriptor 0 as an ordinary descriptor.
#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/files/hdd_file.h>

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
#include <vector>

namespace {

using files::filepath;
using files::hdd_file;
using quarro::u64;
using quarro::u8;
using test_support::read_text;
using test_support::temporary_folder;
using test_support::write_text;

const u8* bytes_of(const std::string& text)
{
    return reinterpret_cast<const u8*>(text.data());
}

// The flags of the descriptor this process holds open on `path`; -1 when there is none.
int descriptor_flags_for(const std::string& path)
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == path)
            return fcntl(std::stoi(entry.path().filename().string()), F_GETFD);
    }
    return -1;
}

class HddFile : public testing::Test
{
protected:
    void SetUp() override { write_text(folder / "ten.bin", "0123456789"); }

    temporary_folder folder;
};

TEST_F(HddFile, OpeningFailuresNameThePath)
{
    std::filesystem::create_directory(folder / "sub");
    const filepath sub(folder / "sub");
    const filepath gone(folder / "ten.bin");
    std::filesystem::remove(folder / "ten.bin");
    const struct
    {
        filepath path;
        quarro::u32 access;
        std::string message;
    } cases[] = {
        {gone, files::File_Read_Access,
         "cannot open the file! it does not exist?\nfull path: \"" + gone.get_path() + "\""},
        {sub, files::File_Write_Access,
         "cannot open file for write access! it may be opened by another application?\n"
         "full path: \"" +
             sub.get_path() + "\""},
        {filepath(), files::File_Write_Access,
         "cannot open file for write access! it may be opened by another application?"},
    };
    for (const auto& c : cases) {
        try {
            hdd_file file(c.path, c.access);
            ADD_FAILURE() << c.message << ": no exception";
        } catch (const files::error::cannot_open_file& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST_F(HddFile, DescriptorZeroIsAnOrdinaryFileAndClosedOnlyWhenOwned)
{
    if (fcntl(STDIN_FILENO, F_GETFD) == -1) // the test runner may start us without one
        open("/dev/null", O_RDONLY);
    const int saved_input = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    {
        hdd_file file(filepath(folder / "ten.bin"), files::File_Read_Access); // gets descriptor 0
        EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD), -1);
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

TEST_F(HddFile, DescriptorsAreNotInheritedByPrograms)
{
    const filepath path(folder / "ten.bin");
    hdd_file file(path, files::File_Read_Access);
    const int flags = descriptor_flags_for(path.get_path());
    ASSERT_NE(flags, -1);
    EXPECT_NE(flags & FD_CLOEXEC, 0);
}

TEST_F(HddFile, NewFilesAreNotExecutable)
{
    write_text(folder / "placeholder", "");
    const filepath placeholder(folder / "placeholder");
    std::filesystem::remove(folder / "placeholder"); // the filepath outlives its item
    const mode_t previous = umask(0);
    {
        hdd_file file(placeholder, files::File_Write_Access);
    }
    umask(previous);
    struct stat status
    {};
    ASSERT_EQ(stat((folder / "placeholder").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0666u);
}

TEST_F(HddFile, ReadingTheRestSucceedsThenTheEndThrows)
{
    hdd_file file(filepath(folder / "ten.bin"), files::File_Read_Access);
    u8 buffer[16] = {};
    u64 got = 0;
    file.seek(4, files::seek_from_beginning);
    EXPECT_EQ(file.read(buffer, 16, &got), 6u); // fewer only because the file ends
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(std::string(buffer, buffer + 6), "456789");
    EXPECT_EQ(file.get_position(), 10u);
    try {
        file.read(buffer, 1, &got);
        ADD_FAILURE() << "no exception";
    } catch (const err::exception& error) {
        EXPECT_STREQ(error.what(), "hdd_file::read() cannot read from file!");
    }
    EXPECT_EQ(file.get_position(), 10u);

    const auto copy = file.clone();
    EXPECT_EQ(copy->get_position(), 0u);
    EXPECT_EQ(copy->read(buffer, 3, nullptr), 3u);
    EXPECT_EQ(std::string(buffer, buffer + 3), "012");
}

TEST_F(HddFile, ShortReadsAreContinued)
{
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int writer = open(fifo.c_str(), O_RDWR); // keeps the pipe open without blocking
    ASSERT_GE(writer, 0);
    hdd_file file(filepath(fifo), files::File_Read_Access);
    ASSERT_EQ(write(writer, "first", 5), 5);

    u8 buffer[10] = {};
    u64 got = 0;
    std::thread reader([&] { file.read(buffer, 10, &got); });
    // Only once the first read has taken the first half does the second half arrive, so a
    // single read call would come back with five bytes.
    int pending = 1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ioctl(writer, FIONREAD, &pending) == 0 && pending > 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(pending, 0);
    ASSERT_EQ(write(writer, "after", 5), 5);
    reader.join();
    close(writer);
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(std::string(buffer, buffer + 10), "firstafter");
}

TEST_F(HddFile, ShortWriteThatCannotCompleteIsAnError)
{
    const filepath path(folder / "ten.bin");
    hdd_file file(path, files::File_Write_Access);
    const std::string big(8192, 'x');
    {
        test_support::file_size_limit limit(4096); // the first write(2) stops at 4096 bytes
        try {
            file.write(bytes_of(big), big.size(), nullptr);
            ADD_FAILURE() << "a truncated write was reported as written";
        } catch (const files::error::cannot_write_to_file& error) {
            EXPECT_STREQ(error.what(), "cannot write data to file!");
        }
    }
    EXPECT_EQ(file.get_position(), 0u);
    EXPECT_EQ(file.write(bytes_of(big), 100, nullptr), 100u); // starts again at 0
    EXPECT_EQ(file.get_position(), 100u);
}

TEST_F(HddFile, FullVolumeIsReportedAsSuch)
{
    hdd_file file(filepath("/dev/full"), files::File_Write_Access);
    const std::string data = "abc";
    u64 written = 99;
    try {
        file.write(bytes_of(data), data.size(), &written);
        ADD_FAILURE() << "no exception";
    } catch (const files::error::not_enough_disk_space& error) {
        EXPECT_STREQ(error.what(), "cannot write data to file! volume full!");
    }
    EXPECT_EQ(written, 99u);
    EXPECT_EQ(file.get_position(), 0u);
}

TEST_F(HddFile, SeekRules)
{
    write_text(folder / "empty", "");
    hdd_file empty(filepath(folder / "empty"), files::File_Read_Access);
    empty.seek(0, files::seek_from_end);
    EXPECT_EQ(empty.get_position(), 0u);

    hdd_file file(filepath(folder / "ten.bin"), files::File_Write_Access,
                  files::existing_content::keep);
    EXPECT_EQ(file.size(), 10);
    file.seek(-3, files::seek_from_end);
    EXPECT_EQ(file.get_position(), 7u);
    file.seek(1, files::seek_from_current);
    EXPECT_EQ(file.get_position(), 8u);
    file.seek(2, 9); // an unknown origin counts from the beginning
    EXPECT_EQ(file.get_position(), 2u);
    EXPECT_EQ(file.write(bytes_of("AB"), 2, nullptr), 2u);
    EXPECT_EQ(read_text(folder / "ten.bin"), "01AB456789");
}

TEST_F(HddFile, FailedSeekReportsTheTarget)
{
    // A pipe can't seek: a seek to the position makes no system call and succeeds, any
    // other seek fails.
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    hdd_file file(filepath(fifo), files::File_Write_Access);
    EXPECT_NO_THROW(file.seek(0, files::seek_from_beginning));
    for (const auto& [offset, text] : {std::pair<quarro::i64, const char*>{123, "123"},
                                       std::pair<quarro::i64, const char*>{-5, "-5"}}) {
        try {
            file.seek(offset, files::seek_from_beginning);
            ADD_FAILURE() << "no exception";
        } catch (const err::exception& error) {
            EXPECT_EQ(std::string(error.what()),
                      std::string("hdd_file::seek() FAILED! Position: ") + text);
        }
    }
    EXPECT_EQ(file.get_position(), 0u);
}

} // namespace
