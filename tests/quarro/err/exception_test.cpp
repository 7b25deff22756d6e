// Message texts of the error tree, and which handlers take its errors.
#include <quarro/err/exception.h>
#include <quarro/files/file_error.h>
#include <quarro/synchronization/errors.h>

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <tuple>
#include <type_traits>

namespace {

using namespace files::error;
using synchronization::error::event_runtime_error;
using synchronization::error::task_runtime_error;

TEST(ErrorText, PathNameAndIdLinesOnlyWhereGiven)
{
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"name", file("m", "", "c").what(), "m\nfile/folder name: \"c\""},
        {"path", file("m", "/a/b", "").what(), "m\nfull path: \"/a/b\""},
        {"both", file_not_found("m", "/a/b", "c").what(),
         "m\nfull path: \"/a/b\"\nfile/folder name: \"c\""},
        {"id", file_path("m", "/p", "n", -5).what(),
         "m\nfull path: \"/p\"\nfile/folder name: \"n\"\nerror id: -5"},
        {"id alone", file_path("m", "", "", 7).what(), "m\nerror id: 7"},
        {"write", cannot_write_to_file("m").what(), "m"},
        {"event id 0", event_runtime_error("x", 0).what(), "x\n error id: 0"},
        {"task id", task_runtime_error("x", -1).what(), "x\n error id: -1"},
    };
    for (const auto& [label, what, expected] : cases)
        EXPECT_EQ(what, expected) << label;
}

// The standard handler never takes our errors; a handler of err::exception takes them all.
static_assert(!std::is_base_of_v<std::exception, err::exception>);
static_assert(std::is_base_of_v<err::exception, files::error::not_enough_disk_space>);
static_assert(std::is_base_of_v<err::exception, synchronization::error::task_runtime_error>);

} // namespace
