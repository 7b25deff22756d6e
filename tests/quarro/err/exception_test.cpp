// Message rules of the error tree and how it is caught.
#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/synchronization/errors.h>

#include <gtest/gtest.h>

#include <exception>
#include <string>

namespace {

struct file_message_case
{
    const char* label;
    std::string full_path;
    std::string name;
    std::string expected;
};

void PrintTo(const file_message_case& c, std::ostream* os)
{
    *os << c.label;
}

class FileErrorMessage : public testing::TestWithParam<file_message_case>
{};

TEST_P(FileErrorMessage, FoldsOnlyThePartsThatAreNotEmpty)
{
    const file_message_case& c = GetParam();
    const files::error::file error("message", c.full_path, c.name);
    EXPECT_EQ(std::string(error.what()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FileErrorMessage,
    testing::Values(file_message_case{"none", "", "", "message"},
                    file_message_case{"name", "", "c", "message\nfile/folder name: \"c\""},
                    file_message_case{"path", "/a/b", "", "message\nfull path: \"/a/b\""},
                    file_message_case{"both", "/a/b", "c",
                                      "message\nfull path: \"/a/b\"\nfile/folder name: \"c\""}),
    [](const testing::TestParamInfo<file_message_case>& info) { return info.param.label; });

TEST(FileError, NotFoundHasThreeLines)
{
    const files::error::file_not_found error("this file path does not exist!", "/a/b", "c");
    EXPECT_STREQ(error.what(), "this file path does not exist!\nfull path: \"/a/b\"\n"
                               "file/folder name: \"c\"");
}

TEST(FileError, ErrorIdLineOnlyWhenNotZero)
{
    EXPECT_STREQ(files::error::file_path("m", "/p", "n", 0).what(),
                 "m\nfull path: \"/p\"\nfile/folder name: \"n\"");
    EXPECT_STREQ(files::error::file_path("m", "/p", "n", -5).what(),
                 "m\nfull path: \"/p\"\nfile/folder name: \"n\"\nerror id: -5");
    EXPECT_STREQ(files::error::file_path("m", "", "", 7).what(), "m\nerror id: 7");
}

TEST(FileError, OpenWriteAndDiskSpaceCarryOnlyWhatTheyAreGiven)
{
    EXPECT_STREQ(
        files::error::cannot_open_file("cannot open the file! it does not exist?", "/x").what(),
        "cannot open the file! it does not exist?\nfull path: \"/x\"");
    EXPECT_STREQ(files::error::cannot_write_to_file("cannot write data to file!").what(),
                 "cannot write data to file!");
    EXPECT_STREQ(
        files::error::not_enough_disk_space("cannot write data to file! volume full!").what(),
        "cannot write data to file! volume full!");
}

TEST(SynchronizationError, AppendsTheIdEvenWhenZero)
{
    EXPECT_STREQ(
        synchronization::error::event_runtime_error("event::signal() MPSetEvent", -1).what(),
        "event::signal() MPSetEvent\n error id: -1");
    EXPECT_STREQ(synchronization::error::task_runtime_error(
                     "thread::wait_until_thread_is_finished() pthread_join failed!", 3)
                     .what(),
                 "thread::wait_until_thread_is_finished() pthread_join failed!\n error id: 3");
    EXPECT_STREQ(synchronization::error::event_runtime_error("x", 0).what(), "x\n error id: 0");
}

// Throws e and reports which handler took it.
template <class E>
std::string caught_by(const E& e)
{
    try {
        try {
            throw e;
        } catch (const std::exception&) {
            return "std::exception";
        }
    } catch (const err::exception& caught) {
        return std::string("err::exception: ") + caught.what();
    } catch (...) {
        return "...";
    }
}

TEST(ErrorTree, StandardHandlerDoesNotCatchOurErrors)
{
    EXPECT_EQ(caught_by(err::exception("a")), "err::exception: a");
    EXPECT_EQ(caught_by(err::runtime_error("b")), "err::exception: b");
    EXPECT_EQ(caught_by(files::error::cannot_write_to_file("c")), "err::exception: c");
    EXPECT_EQ(caught_by(synchronization::error::task_runtime_error("d", 1)),
              "err::exception: d\n error id: 1");
}

} // namespace
