// The resumable download against the local firmware service: fresh, cut off and resumed,
// restarted, finished by a 416, stalled, cancelled or aborted, over its size limit, on a full
// disk, and continued from resume files that are damaged, old or wrong.
#include <quarro/http/download_job.h>
#include <quarro/http/resume_file.h>

#include <support/bounded_wait.h>
#include <support/file_size_limit.h>
#include <support/temporary_folder.h>

#include <firmware_service/service.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
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
        EXPECT_EQ(job.get_file_path(), "");
        EXPECT_FALSE(std::filesystem::exists(destination / "fw.zip"));
        EXPECT_TRUE(std::filesystem::exists(destination / "fw.zip.resume.xml"));
    }

    /// The Range header of the last package request.
    std::string last_range() const
    {
        const auto ranges = service.range_headers();
        return ranges.empty() ? "(no request)" : ranges.back();
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

TEST(ResumeFile, PrintsTheDocumentAndReadsSixtyFourBitNumbers)
{
    const quarro::resume_record record{"http://h/fw.zip", 3221225472, 2147483648u};
    const auto printed = quarro::print_resume_record(record);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(printed->bytes()), printed->size()),
              resume_text("http://h/fw.zip", "3221225472", "2147483648"));
    const auto read = quarro::read_resume_record(printed);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes_received, 2147483648u);
}

TEST_F(DownloadJob, FreshDownloadLeavesOnlyTheFinishedFile)
{
    const auto job = run_job();
    expect_finished(*job);
    EXPECT_EQ(job->get_total_size(), static_cast<quarro::i64>(package_size));
    EXPECT_EQ(last_range(), "");
    // A file already there is done at once, with no request.
    const auto again = run_job();
    EXPECT_TRUE(again->is_done());
    EXPECT_EQ(service.range_headers().size(), 1u);
}

// Cut off at 70000 bytes, then resumed by a server that honours the range and by one that
// ignores it (a restart from zero within the same run).
TEST_F(DownloadJob, CutOffTransferResumesOrRestarts)
{
    for (const bool ignore_range : {false, true}) {
        std::filesystem::remove(destination / "fw.zip");
        behaviour cut;
        cut.close_after_bytes = 70000;
        service.set_behaviour(cut);
        expect_stopped(*run_job());
        EXPECT_EQ(std::filesystem::file_size(destination / "fw.zip.part"), 70000u);
        behaviour rest;
        rest.ignore_range = ignore_range;
        service.set_behaviour(rest);
        expect_finished(*run_job());
        const auto ranges = service.range_headers(); // a restart asks again for the whole
        EXPECT_EQ(ranges[ranges.size() - 1 - ignore_range], "bytes=70000-");
        EXPECT_EQ(ranges.back(), ignore_range ? "" : "bytes=70000-");
    }
}

// What is on the disk before the run: the range asked for, or a fresh start ("").
TEST_F(DownloadJob, ResumeFileDecidesWhereToStart)
{
    const std::string other = service.base_address() + "/firmware/K5R/1.0.8/fw.zip";
    const std::tuple<std::size_t, std::string, std::string> cases[] = {
        {package_size, resume_text(url, "200000", "200000"), "bytes=200000-"}, // a 416 finishes
        {1000, resume_text(url, "200000", "5000"), "bytes=1000-"}, // never past the disk
        {1000, "", ""},
        {1000, "<downloads/>", ""},
        {1000, resume_text(url, "200000", "abc"), ""},
        {1000, resume_text(url, "2e5", "1000"), ""},
        {1000, resume_text(other, "200000", "1000"), ""},
        {1000,
         "<downloads><download><download_url>" + url + "</download_url></download></downloads>",
         ""},
    };
    for (const auto& [part, resume, range] : cases) {
        SCOPED_TRACE(resume);
        std::filesystem::remove(destination / "fw.zip");
        write_text(destination / "fw.zip.part", content.substr(0, part));
        write_text(destination / "fw.zip.resume.xml", resume);
        expect_finished(*run_job());
        EXPECT_EQ(last_range(), range);
    }
}

// A stall past the limit, and a cancel or the caller's abort flag from another thread during a
// stall, all stop at once.
TEST_F(DownloadJob, StallCancelOrAbortStops)
{
    behaviour stall;
    stall.stall_after_bytes = 50000;
    stall.stall_ms = 10000;
    service.set_behaviour(stall);
    const auto started = std::chrono::steady_clock::now();
    expect_stopped(*run_job({300, -1}));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(std::filesystem::file_size(destination / "fw.zip.part"), 50000u);

    for (const bool by_flag : {false, true}) {
        SCOPED_TRACE(by_flag ? "abort flag" : "cancel");
        std::filesystem::remove(destination / "fw.zip.resume.xml");
        std::atomic<bool> abort{false};
        memory::data_ptr<quarro::download_job> job(new quarro::download_job(
            files::filepath(destination.path()), url, {60000, -1, &abort}));
        std::thread runner([&] { job->run(); });
        EXPECT_TRUE(test_support::eventually([&] {
            return std::filesystem::exists(destination / "fw.zip.resume.xml");
        })) << "waited 5 s for the first resume file";
        const auto asked = std::chrono::steady_clock::now();
        if (by_flag)
            abort = true;
        else
            job->cancel();
        runner.join();
        EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(3));
        expect_stopped(*job);
    }
}

TEST_F(DownloadJob, DownloadOverTheSizeLimitStops)
{
    expect_stopped(*run_job({60000, static_cast<quarro::i64>(package_size) - 1}));
    expect_finished(*run_job({60000, static_cast<quarro::i64>(package_size)}));
}

TEST_F(DownloadJob, FullDiskStopsAndKeepsThePartialFileForLater)
{
    {
        test_support::file_size_limit limit(100000);
        expect_stopped(*run_job());
    }
    const auto kept = std::filesystem::file_size(destination / "fw.zip.part");
    EXPECT_GT(kept, 0u);
    expect_finished(*run_job());
    // It continues from what the resume file counted, never past what the disk holds.
    const std::string range = last_range();
    ASSERT_EQ(range.rfind("bytes=", 0), 0u) << range;
    EXPECT_GT(std::stoull(range.substr(6)), 0u);
    EXPECT_LE(std::stoull(range.substr(6)), kept);
}

} // namespace
