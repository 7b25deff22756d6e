// The resumable download against the local firmware service: fresh, cut off and resumed,
// restarted, finished or stopped by a 416, stopped by a 204 or by a range that ends early,
// stalled or slow but steady, cancelled, over its size limit, on a full disk, unable to
// rename, and continued from resume files that are damaged, old or wrong.
#include <quarro/http/download_job.h>
#include <quarro/http/resume_file.h>

#include <support/file_size_limit.h>
#include <support/temporary_folder.h>

#include <firmware_service/service.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <tuple>

namespace {

using firmware_service::behaviour;
using test_support::read_text;
using test_support::write_text;

constexpr std::size_t package_size = 200000;

std::string package_bytes()
{
    std::string bytes(package_size, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

std::string resume_text(const std::string& url, const std::string& total,
                        const std::string& received)
{
    return "<?xml version=\"1.0\" ?>\n<!DOCTYPE downloads SYSTEM \"quarro/download.dtd\">\n"
           "<downloads>\n\t<download version=\"1.0\">\n\t\t<download_url>" +
           url + "</download_url>\n\t\t<total_file_size>" + total +
           "</total_file_size>\n\t\t<bytes_received>" + received +
           "</bytes_received>\n\t</download>\n</downloads>\n";
}

class DownloadJob : public ::testing::Test
{
protected:
    DownloadJob()
    {
        std::filesystem::create_directories(packages / "K5R/1.0.9");
        write_text(packages / "K5R/1.0.9/fw.zip", content);
    }

    /// Runs a new job for the package into the destination folder.
    memory::data_ptr<quarro::download_job> run_job(const quarro::download_limits& limits = {})
    {
        memory::data_ptr<quarro::download_job> job(
            new quarro::download_job(files::filepath(destination.path()), url, limits));
        job->run();
        return job;
    }

    void expect_finished(const quarro::download_job& job)
    {
        ASSERT_TRUE(job.is_done());
        EXPECT_EQ(job.get_file_path(), destination / "fw.zip");
        EXPECT_TRUE(read_text(destination / "fw.zip") == content) << "the bytes differ";
        EXPECT_FALSE(std::filesystem::exists(destination / "fw.zip.part"));
        EXPECT_FALSE(std::filesystem::exists(destination / "fw.zip.resume.xml"));
    }

    void expect_stopped(const quarro::download_job& job)
    {
        EXPECT_FALSE(job.is_done());
        EXPECT_FALSE(std::filesystem::is_regular_file(destination / "fw.zip"));
        EXPECT_TRUE(std::filesystem::exists(destination / "fw.zip.resume.xml"));
    }

    /// The Range header of every package request so far, each followed by '|'.
    std::string ranges_asked() const
    {
        std::string text;
        for (const std::string& range : service.range_headers())
            text += range + '|';
        return text;
    }

    const std::string content = package_bytes();
    test_support::temporary_folder packages;
    test_support::temporary_folder destination;
    firmware_service::service service{packages.path()};
    const std::string url = service.base_address() + "/firmware/K5R/1.0.9/fw.zip";
};

TEST(DownloadFileName, IsThePartAfterTheLastSeparator)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"http://h/a/b/fw.zip", "fw.zip", true},
        {"http://h/a\\fw.zip", "fw.zip", true},
        {"http://h/a/", "", false},
        {"http://h/a/..", "..", false},
        {"http://h/a/f\x01.zip", "f\x01.zip", false}};
    for (const auto& [url, name, plain] : cases) {
        EXPECT_EQ(quarro::download_file_name(url), name) << url;
        EXPECT_EQ(quarro::is_plain_file_name(name), plain) << url;
    }
}

// The document itself is pinned by the resume files of stopped jobs below.
TEST(ResumeFile, KeepsSixtyFourBitNumbers)
{
    const auto read = quarro::read_resume_record(
        quarro::print_resume_record({"http://h/fw.zip", 3221225472, 2147483648u}));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->total_file_size, 3221225472);
    EXPECT_EQ(read->bytes_received, 2147483648u);
}

// name; the partial file (the package's first bytes) and the resume file before the run; the
// service's behaviour; the limits; the Range headers asked for, each followed by '|'; a stopped
// job's total and received bytes (none: the job finishes)
using download_case = std::tuple<const char*, std::optional<std::size_t>,
                                 std::optional<std::string>, behaviour, quarro::download_limits,
                                 std::string, std::optional<std::pair<quarro::i64, std::size_t>>>;

// What lies in the folder, how the service answers and the limits decide where the transfer
// starts and whether it finishes; a stopped job keeps its partial file for the next one.
TEST_F(DownloadJob, FolderServiceAndLimitsDecideTheOutcome)
{
    const std::string other = service.base_address() + "/firmware/K5R/1.0.8/fw.zip";
    const std::string no_numbers =
        "<downloads><download><download_url>" + url + "</download_url></download></downloads>";
    behaviour cut, stall, slow, ignore_range, part_only, no_content;
    cut.close_after_bytes = 70000;
    stall.stall_after_bytes = 50000;
    stall.stall_ms = 10000;
    slow.bytes_per_second = 130000; // a piece every 100 ms for 1.6 s
    ignore_range.ignore_range = true;
    part_only.range_bytes = 30000;
    no_content.status = 204;
    constexpr auto size = static_cast<quarro::i64>(package_size);
    const auto record = [&](quarro::i64 total, std::size_t received) {
        return resume_text(url, std::to_string(total), std::to_string(received));
    };
    const download_case cases[] = {
        {"fresh", {}, {}, {}, {}, "|", {}},
        {"cut off", {}, {}, cut, {}, "|", {{size, 70000}}},
        {"resumed", 70000, record(size, 70000), {}, {}, "bytes=70000-|", {}},
        {"range ignored", 70000, record(size, 70000), ignore_range, {}, "bytes=70000-||", {}},
        {"short 206", 70000, record(size, 70000), part_only, {}, "bytes=70000-|", {{size, 100000}}},
        {"416 when complete", size, record(size, size), {}, {}, "bytes=200000-|", {}},
        {"416 when short", size, record(300000, size), {}, {}, "bytes=200000-|", {{300000, size}}},
        {"204 to a resume", 1000, record(-1, 1000), no_content, {}, "bytes=1000-|", {{-1, 1000}}},
        {"never past the disk", 1000, record(size, 5000), {}, {}, "bytes=1000-|", {}},
        {"partial without resume file", 1000, {}, {}, {}, "|", {}},
        {"empty resume file", 1000, "", {}, {}, "|", {}},
        {"no numbers", 1000, no_numbers, {}, {}, "|", {}},
        {"received not a number", 1000, resume_text(url, "200000", "abc"), {}, {}, "|", {}},
        {"total not a number", 1000, resume_text(url, "2e5", "1000"), {}, {}, "|", {}},
        {"another address", 1000, resume_text(other, "200000", "1000"), {}, {}, "|", {}},
        {"stalled past the limit", {}, {}, stall, {300, -1}, "|", {{size, 50000}}},
        {"slow but steady", {}, {}, slow, {500, -1}, "|", {}},
        {"over the size limit", {}, {}, {}, {60000, size - 1}, "|", {{size, 0}}},
        {"at the size limit", {}, {}, {}, {60000, size}, "|", {}},
    };
    for (const auto& [name, part, resume, b, limits, ranges, stopped] : cases) {
        SCOPED_TRACE(name);
        for (const char* file : {"fw.zip", "fw.zip.part", "fw.zip.resume.xml"})
            std::filesystem::remove(destination / file);
        if (part)
            write_text(destination / "fw.zip.part", content.substr(0, *part));
        if (resume)
            write_text(destination / "fw.zip.resume.xml", *resume);
        service.set_behaviour(b);
        const std::string before = ranges_asked();
        const auto job = run_job(limits);
        EXPECT_EQ(ranges_asked().substr(before.size()), ranges);
        if (!stopped) {
            expect_finished(*job);
            continue;
        }
        expect_stopped(*job);
        EXPECT_EQ(read_text(destination / "fw.zip.resume.xml"),
                  record(stopped->first, stopped->second));
        EXPECT_EQ(std::filesystem::file_size(destination / "fw.zip.part"), stopped->second);
    }
}

// A cancel stops the transfer at its next progress call (the caller's abort flag, read in the
// same place, is pinned during a stall by the firmware update's tests).
TEST_F(DownloadJob, CancelStops)
{
    memory::data_ptr<quarro::download_job> job(
        new quarro::download_job(files::filepath(destination.path()), url));
    job->cancel();
    job->run();
    expect_stopped(*job);
}

// The finished file's name taken by a folder: the rename fails and the job is not done.
TEST_F(DownloadJob, RenameThatFailsLeavesTheJobNotDone)
{
    std::filesystem::create_directory(destination / "fw.zip");
    expect_stopped(*run_job());
    EXPECT_EQ(std::filesystem::file_size(destination / "fw.zip.part"), package_size);
}

TEST_F(DownloadJob, FullDiskStopsAndKeepsThePartialFileForLater)
{
    {
        test_support::file_size_limit limit(100000);
        expect_stopped(*run_job());
    }
    EXPECT_GT(std::filesystem::file_size(destination / "fw.zip.part"), 0u);
    expect_finished(*run_job());
}

} // namespace
