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
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

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
        EXPECT_FALSE(std::filesystem::is_regular_file(destination / "fw.zip"));
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

TEST_F(DownloadJob, FileAlreadyThereIsDoneWithoutARequest)
{
    write_text(destination / "fw.zip", content);
    EXPECT_EQ(run_job()->get_file_path(), destination / "fw.zip");
    EXPECT_EQ(service.request_count(), 0u);
}

struct download_case
{
    const char* name;
    std::optional<std::size_t> part;   ///< the partial file's first bytes of the package
    std::optional<std::string> resume; ///< the resume file
    behaviour b;
    quarro::download_limits limits;
    std::vector<std::string> ranges; ///< the Range headers asked for
    /// A stopped job's resume file: total and received bytes (null: the job finishes).
    std::pair<const char*, const char*> stopped_at;
};

// What lies in the folder, how the service answers and the limits decide where the transfer
// starts and whether it finishes; a stopped job keeps its partial file for the next one.
TEST_F(DownloadJob, FolderServiceAndLimitsDecideTheOutcome)
{
    const std::string other = service.base_address() + "/firmware/K5R/1.0.8/fw.zip";
    behaviour cut, stall, slow, ignore_range, no_content;
    cut.close_after_bytes = 70000;
    stall.stall_after_bytes = 50000;
    stall.stall_ms = 10000;
    slow.bytes_per_second = 130000; // a piece every 100 ms for 1.6 s
    ignore_range.ignore_range = true;
    no_content.status = 204;
    const auto size = static_cast<quarro::i64>(package_size);
    const auto resume = [&](const char* total, const char* received) {
        return resume_text(url, total, received);
    };
    const download_case cases[] = {
        {"fresh", {}, {}, {}, {}, {""}, {}},
        {"cut off", {}, {}, cut, {}, {""}, {"200000", "70000"}},
        {"resumed", 70000, resume("200000", "70000"), {}, {}, {"bytes=70000-"}, {}},
        {"range ignored",
         70000,
         resume("200000", "70000"),
         ignore_range,
         {},
         {"bytes=70000-", ""},
         {}},
        {"416 when complete",
         package_size,
         resume("200000", "200000"),
         {},
         {},
         {"bytes=200000-"},
         {}},
        {"416 when short",
         package_size,
         resume("300000", "200000"),
         {},
         {},
         {"bytes=200000-"},
         {"300000", "200000"}},
        {"204 to a resume",
         1000,
         resume("-1", "1000"),
         no_content,
         {},
         {"bytes=1000-"},
         {"-1", "1000"}},
        {"never past the disk", 1000, resume("200000", "5000"), {}, {}, {"bytes=1000-"}, {}},
        {"partial without resume file", 1000, {}, {}, {}, {""}, {}},
        {"empty resume file", 1000, "", {}, {}, {""}, {}},
        {"no download element", 1000, "<downloads/>", {}, {}, {""}, {}},
        {"received not a number", 1000, resume("200000", "abc"), {}, {}, {""}, {}},
        {"total not a number", 1000, resume("2e5", "1000"), {}, {}, {""}, {}},
        {"another address", 1000, resume_text(other, "200000", "1000"), {}, {}, {""}, {}},
        {"no numbers",
         1000,
         "<downloads><download><download_url>" + url + "</download_url></download></downloads>",
         {},
         {},
         {""},
         {}},
        {"stalled past the limit", {}, {}, stall, {300, -1}, {""}, {"200000", "50000"}},
        {"slow but steady", {}, {}, slow, {500, -1}, {""}, {}},
        {"over the size limit", {}, {}, {}, {60000, size - 1}, {""}, {"200000", "0"}},
        {"at the size limit", {}, {}, {}, {60000, size}, {""}, {}},
    };
    for (const download_case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"fw.zip", "fw.zip.part", "fw.zip.resume.xml"})
            std::filesystem::remove(destination / name);
        if (c.part)
            write_text(destination / "fw.zip.part", content.substr(0, *c.part));
        if (c.resume)
            write_text(destination / "fw.zip.resume.xml", *c.resume);
        service.set_behaviour(c.b);
        const std::size_t asked = service.range_headers().size();
        const auto job = run_job(c.limits);
        const auto ranges = service.range_headers();
        EXPECT_EQ(std::vector<std::string>(ranges.begin() + asked, ranges.end()), c.ranges);
        const auto [total, received] = c.stopped_at;
        if (total == nullptr) {
            expect_finished(*job);
            continue;
        }
        expect_stopped(*job);
        EXPECT_EQ(read_text(destination / "fw.zip.resume.xml"), resume_text(url, total, received));
        EXPECT_EQ(std::filesystem::file_size(destination / "fw.zip.part"), std::stoull(received));
    }
}

// A cancel or the caller's abort flag from another thread during a stall stops at once.
TEST_F(DownloadJob, CancelOrAbortStops)
{
    behaviour stall;
    stall.stall_after_bytes = 50000;
    stall.stall_ms = 10000;
    service.set_behaviour(stall);
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
