// The resumable download against the local firmware service: fresh, cut off and resumed,
// restarted, finished or stopped by a 416, started afresh when the file changed on the service,
// stopped by a 204 or by a range that ends early, stalled, trickling or slow but steady,
// cancelled, over its size limit, on a full disk, unable to rename, and continued from resume
// files that are damaged, old or wrong.
#include <quarro/http/download_job.h>
#include <quarro/http/resume_file.h>

#include <support/bounded_wait.h>
#include <support/file_size_limit.h>
#include <support/temporary_folder.h>
#include <support/virtual_clock.h>

#include <firmware_service/service.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
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

// The package as the service had it before it was published again, smaller: 250000 bytes
// that differ from the new package's wherever both have a byte.
std::string old_package_bytes()
{
    std::string bytes(250000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251 + 1);
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

// name; the partial file and the resume file before the run; the service's behaviour; the
// limits; the Range headers asked for, each followed by '|'; a stopped job's total and received
// bytes (none: the job finishes)
using download_case = std::tuple<const char*, std::optional<std::string>,
                                 std::optional<std::string>, behaviour, quarro::download_limits,
                                 std::string, std::optional<std::pair<quarro::i64, std::size_t>>>;

// What lies in the folder, how the service answers and the limits decide where the transfer
// starts and whether it finishes; a stopped job keeps its partial file for the next one. A
// partial file of a package that has changed on the service since (a 416 short of the recorded
// total, another total in the Content-Range, the whole file for a range) is dropped and the
// package fetched afresh in the same run, once.
TEST_F(DownloadJob, FolderServiceAndLimitsDecideTheOutcome)
{
    const std::string other = service.base_address() + "/firmware/K5R/1.0.8/fw.zip";
    const std::string no_numbers =
        "<downloads><download><download_url>" + url + "</download_url></download></downloads>";
    behaviour cut, stall, slow, ignore_range, part_only, no_content, no_range;
    cut.close_after_bytes = 70000;
    stall.stall_after_bytes = 50000;
    stall.stall_ms = 10000;
    slow.bytes_per_second = 130000; // a piece every 100 ms for 1.6 s
    ignore_range.ignore_range = true;
    part_only.range_bytes = 30000;
    no_content.status = 204;
    no_range.status = 416;
    constexpr auto size = static_cast<quarro::i64>(package_size);
    const auto record = [&](quarro::i64 total, std::size_t received) {
        return resume_text(url, std::to_string(total), std::to_string(received));
    };
    // The partial file: the first bytes of the package, or of the package it replaced.
    const auto first = [&](std::size_t count) { return content.substr(0, count); };
    const std::string old_content = old_package_bytes();
    const auto old = [&](std::size_t count) { return old_content.substr(0, count); };
    constexpr quarro::i64 old_size = 250000;
    const download_case cases[] = {
        {"fresh", {}, {}, {}, {}, "|", {}},
        {"cut off", {}, {}, cut, {}, "|", {{size, 70000}}},
        {"resumed", first(70000), record(size, 70000), {}, {}, "bytes=70000-|", {}},
        {"resumed, total unknown", first(70000), record(-1, 70000), {}, {}, "bytes=70000-|", {}},
        {"range ignored",
         first(70000),
         record(size, 70000),
         ignore_range,
         {},
         "bytes=70000-||",
         {}},
        {"range ignored, the file changed",
         old(70000),
         record(old_size, 70000),
         ignore_range,
         {},
         "bytes=70000-||",
         {}},
        {"short 206",
         first(70000),
         record(size, 70000),
         part_only,
         {},
         "bytes=70000-|",
         {{size, 100000}}},
        {"416 when complete", first(size), record(size, size), {}, {}, "bytes=200000-|", {}},
        {"416 when short", first(size), record(300000, size), {}, {}, "bytes=200000-||", {}},
        {"416, the whole old file",
         old(old_size),
         record(old_size, old_size),
         {},
         {},
         "bytes=250000-||",
         {}},
        {"416, cut off past the new end",
         old(230000),
         record(old_size, 230000),
         {},
         {},
         "bytes=230000-||",
         {}},
        {"416 that stays",
         first(70000),
         record(size, 70000),
         no_range,
         {},
         "bytes=70000-||",
         {{-1, 0}}},
        {"another total in the Content-Range",
         old(100000),
         record(old_size, 100000),
         {},
         {},
         "bytes=100000-||",
         {}},
        {"another total, then cut off",
         old(100000),
         record(old_size, 100000),
         cut,
         {},
         "bytes=100000-||",
         {{size, 70000}}},
        {"204 to a resume",
         first(1000),
         record(-1, 1000),
         no_content,
         {},
         "bytes=1000-|",
         {{-1, 1000}}},
        {"never past the disk", first(1000), record(size, 5000), {}, {}, "bytes=1000-|", {}},
        {"partial without resume file", first(1000), {}, {}, {}, "|", {}},
        {"empty resume file", first(1000), "", {}, {}, "|", {}},
        {"no numbers", first(1000), no_numbers, {}, {}, "|", {}},
        {"received not a number", first(1000), resume_text(url, "200000", "abc"), {}, {}, "|", {}},
        {"total not a number", first(1000), resume_text(url, "2e5", "1000"), {}, {}, "|", {}},
        {"another address", first(1000), resume_text(other, "200000", "1000"), {}, {}, "|", {}},
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
            write_text(destination / "fw.zip.part", *part);
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

// A moment of an arrival pattern on the test clock: `bytes` arrive at `at_ms`, or, with 0
// bytes, nothing arrives and the watchdog looks at the time.
struct arrival
{
    std::uint64_t at_ms;
    std::uint64_t bytes;
};

// `count` pieces of `bytes`, one every `every_ms`, the first at `first_ms`, after `before`.
std::vector<arrival> every(std::vector<arrival> before, std::uint64_t first_ms,
                           std::uint64_t every_ms, std::uint64_t bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        before.push_back({first_ms + i * every_ms, bytes});
    return before;
}

// Plays an arrival pattern through the service and the job so that the watchdog sees exactly
// the pattern, however the threads run: the pattern starts once the job has taken the
// response's headers, and a piece goes out only once the job has received the one before and
// looked at the time since (libcurl's progress call follows each arrival at once); the clock
// then reads the time of the piece that the newest byte belongs to; a moment at which nothing
// arrives is held until the watchdog has looked at it (libcurl looks at least once a second
// while nothing comes). After the pattern, the rest of the file comes at once.
class arrival_player
{
public:
    explicit arrival_player(std::vector<arrival> pattern) : pattern_(std::move(pattern)) {}

    /// The service's question before each piece, on its thread: the most the piece may hold.
    std::uint64_t next_piece(std::uint64_t sent)
    {
        // The headers went out before the first piece; until the job has taken them, a moment
        // played now could stop the transfer before its total is known.
        if (!wait_for("the job to take the response's headers", [&] { return responded_.load(); }))
            return 0;
        if (!wait_for("the job to receive and look at the piece before", [&] {
                return received_.load() == sent && looked_since(look_at_arrival_.load());
            }))
            return 0;
        while (next_ < pattern_.size()) {
            const arrival a = pattern_[next_++];
            if (a.bytes > 0)
                return a.bytes;
            test_support::virtual_clock::advance_to(a.at_ms);
            const std::uint64_t looks = test_support::virtual_clock::read_count();
            if (!wait_for("the watchdog to look at the time", [&] { return looked_since(looks); }))
                return 0;
        }
        return std::numeric_limits<std::uint64_t>::max();
    }

    /// The job received `count` more bytes (its thread, inside libcurl).
    void received(std::uint64_t count)
    {
        const std::uint64_t total = received_.load() + count;
        test_support::virtual_clock::advance_to(time_of_byte(total));
        // Told last: whoever sees the bytes counted sees since when to wait for a look.
        look_at_arrival_ = test_support::virtual_clock::read_count();
        received_ = total;
    }

    /// The job has taken the response's headers (its thread, inside libcurl).
    void responded() { responded_ = true; }

    /// The job has returned: nothing is waited for any more.
    void end() { ended_ = true; }

private:
    static bool looked_since(std::uint64_t looks)
    {
        return test_support::virtual_clock::read_count() > looks;
    }

    template <class Condition>
    bool wait_for(const char* what, Condition condition)
    {
        const bool done = test_support::eventually([&] { return ended_.load() || condition(); },
                                                   std::chrono::seconds(10));
        if (!done)
            ADD_FAILURE() << "waited 10 s for " << what;
        return done && !ended_.load();
    }

    // When the `count`-th byte arrives: the time of its piece; the rest, at the pattern's end.
    std::uint64_t time_of_byte(std::uint64_t count) const
    {
        std::uint64_t end = 0;
        for (const arrival& a : pattern_) {
            end += a.bytes;
            if (a.bytes > 0 && end >= count)
                return a.at_ms;
        }
        return pattern_.empty() ? 0 : pattern_.back().at_ms;
    }

    const std::vector<arrival> pattern_;
    std::size_t next_ = 0; // the service's thread only
    std::atomic<std::uint64_t> received_{0};
    std::atomic<std::uint64_t> look_at_arrival_{0};
    std::atomic<bool> responded_{false};
    std::atomic<bool> ended_{false};
};

// A download job that tells the player what arrived, and keeps why it stopped.
class paced_download_job : public quarro::download_job
{
public:
    paced_download_job(const files::filepath& folder, const std::string& url,
                       arrival_player& player)
        : quarro::download_job(folder, url), player_(player)
    {}

    std::string stop_text;
    /// Runs once the transfer starts afresh, before it asks again.
    std::function<void()> restarting;

protected:
    void on_restarted(quarro::http_download& download, const std::string& reason) override
    {
        quarro::download_job::on_restarted(download, reason);
        if (restarting)
            restarting();
    }
    void on_data_received(quarro::http_download& download, quarro::u64 count) override
    {
        quarro::download_job::on_data_received(download, count);
        player_.received(count);
    }
    void on_response(quarro::http_download& download,
                     const memory::shared_handle<quarro::http_response>& response) override
    {
        quarro::download_job::on_response(download, response);
        player_.responded();
    }
    void on_stopped(quarro::http_download& download, const std::string& text) override
    {
        quarro::download_job::on_stopped(download, text);
        stop_text = text;
    }

private:
    arrival_player& player_;
};

// The bytes received, the time and the reason when the watchdog stopped a transfer.
struct watchdog_stop
{
    std::uint64_t bytes;
    std::uint64_t at_ms;
    const char* reason;
};

// A server on 127.0.0.1 that redirects every request to `target` with a "moved" page of
// `page_bytes`, keeping the connection open as most servers do: libcurl then reads the page,
// and counts it as received, before it follows. (The firmware service closes every connection
// after one request, and libcurl reads no page on a connection about to close.)
class redirect_with_page
{
public:
    redirect_with_page(const std::string& target, std::size_t page_bytes)
    {
        server_.set_keep_alive_timeout(1);
        server_.Get(".*", [this, target, page = std::string(page_bytes, 'm')](
                              const httplib::Request&, httplib::Response& response) {
            ++requests_;
            response.set_redirect(target);
            response.set_content(page, "text/html");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0)
            throw std::runtime_error("no port for the redirecting server");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~redirect_with_page()
    {
        // stop() does nothing before listen_after_bind's loop runs.
        EXPECT_TRUE(test_support::eventually([this] { return server_.is_running(); }))
            << "the redirecting server never ran";
        server_.stop();
        thread_.join();
    }
    redirect_with_page(const redirect_with_page&) = delete;
    redirect_with_page& operator=(const redirect_with_page&) = delete;

    std::string address() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int requests() const { return requests_.load(); }

private:
    httplib::Server server_;
    std::atomic<int> requests_{0};
    int port_ = 0;
    std::thread thread_;
};

// How a paced transfer's request is reached: asked for at once; behind a redirect whose page
// of 50000 bytes libcurl reads and drops; or resuming at 70000 bytes from a service that
// ignores the range and answers the whole file, so that the file is asked again from byte 0.
enum class first_request
{
    direct,
    redirected,
    range_ignored
};

struct arrival_case
{
    const char* name;
    std::vector<arrival> pattern;
    std::optional<watchdog_stop> stopped; // none: the transfer finishes
    first_request start = first_request::direct;
};

// With the limit of 60 s: a transfer that receives less than 1 KiB within a span longer than
// the limit, nothing at all or a trickle, is stopped as soon as the span is, says which of the
// two it was, and keeps its partial file and resume file for the next attempt; 1 KiB within
// every such span finishes, counted over all the requests of the transfer.
TEST_F(DownloadJob, WatchdogStopsATransferThatReceivesTooLittleForTooLong)
{
    const arrival_case cases[] = {
        {"nothing from the start past the limit",
         {{60001, 0}},
         {{0, 60001, "no data for 60001 ms"}}},
        {"stalled for exactly the limit", {{0, 50000}, {60000, 0}}, {}},
        {"stalled one ms past the limit",
         {{0, 50000}, {60001, 0}},
         {{50000, 60001, "no data for 60001 ms"}}},
        {"1023 bytes in a span past the limit",
         {{0, 50000}, {30000, 1023}, {60001, 0}},
         {{51023, 60001, "only 1023 bytes in 60001 ms"}}},
        {"1024 bytes in a span past the limit", {{0, 50000}, {30000, 1024}, {60001, 0}}, {}},
        {"a byte a second",
         every({}, 1000, 1000, 1, 61),
         {{61, 61000, "only 61 bytes in 61000 ms"}}},
        {"a byte a second after 100000",
         every({{0, 100000}}, 1000, 1000, 1, 61),
         {{100061, 61000, "only 61 bytes in 61000 ms"}}},
        {"1 KiB a minute", {{60000, 0}, {60000, 1024}, {120000, 0}, {120000, 1024}}, {}},
        {"2 KiB a minute after a redirect's page",
         every({}, 30000, 30000, 1024, 4),
         {},
         first_request::redirected},
        {"2 KiB a minute after asking again from byte 0",
         every({}, 30000, 30000, 1024, 4),
         {},
         first_request::range_ignored},
    };
    for (const auto& [name, pattern, stopped, start] : cases) {
        SCOPED_TRACE(name);
        for (const char* file : {"fw.zip", "fw.zip.part", "fw.zip.resume.xml"})
            std::filesystem::remove(destination / file);
        const test_support::virtual_clock clock;
        const auto player = std::make_shared<arrival_player>(pattern);
        behaviour paced;
        paced.next_piece = [player](std::uint64_t sent) { return player->next_piece(sent); };
        service.set_behaviour(paced);
        std::string job_url = url;
        std::optional<redirect_with_page> front;
        if (start == first_request::redirected) {
            front.emplace(url, 50000);
            job_url = front->address() + "/firmware/K5R/1.0.9/fw.zip";
        }
        if (start == first_request::range_ignored) {
            write_text(destination / "fw.zip.part", content.substr(0, 70000));
            write_text(destination / "fw.zip.resume.xml",
                       resume_text(url, std::to_string(package_size), "70000"));
            // The whole file is answered, which the transfer gives up at its headers; the paced
            // pattern plays in the request from byte 0, which the service takes only once the
            // transfer has started afresh (a piece of the first answer, asked for or not,
            // closes it).
            behaviour whole = paced;
            whole.ignore_range = true;
            whole.next_piece = [](std::uint64_t) -> std::uint64_t { return 0; };
            service.set_behaviour(whole);
        }
        const std::string before = ranges_asked();
        memory::data_ptr<paced_download_job> job(
            new paced_download_job(files::filepath(destination.path()), job_url, *player));
        if (start == first_request::range_ignored)
            job->restarting = [this, paced] { service.set_behaviour(paced); };
        job->run();
        player->end();
        const char* const requests[] = {"|", "|", "bytes=70000-||"}; // by first_request
        EXPECT_EQ(ranges_asked().substr(before.size()), requests[static_cast<int>(start)]);
        EXPECT_EQ(front ? front->requests() : 1, 1) << "the redirects";
        if (!stopped) {
            expect_finished(*job);
            continue;
        }
        expect_stopped(*job);
        EXPECT_EQ(test_support::virtual_clock::now_ms(), stopped->at_ms) << "the stop's time";
        EXPECT_EQ(job->stop_text, stopped->reason);
        EXPECT_EQ(
            read_text(destination / "fw.zip.resume.xml"),
            resume_text(job_url, std::to_string(package_size), std::to_string(stopped->bytes)));
        std::error_code missing; // a failed row must not end the table
        EXPECT_EQ(std::filesystem::file_size(destination / "fw.zip.part", missing), stopped->bytes);
    }
    service.set_behaviour({});
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

// A disk that takes no more stops the job with the system's own words and the file it was
// writing: a file-size limit, and a volume that is full (the partial file a link to /dev/full,
// continued from a resume file). What was written stays for a later job.
TEST_F(DownloadJob, FullDiskStopsAndKeepsThePartialFileForLater)
{
    const std::string partial = destination / "fw.zip.part";
    {
        test_support::file_size_limit limit(100000);
        const auto job = run_job();
        expect_stopped(*job);
        EXPECT_EQ(job->get_stop_reason(), "cannot write " + partial + ": File too large");
    }
    EXPECT_GT(std::filesystem::file_size(partial), 0u);
    expect_finished(*run_job());

    std::filesystem::remove(destination / "fw.zip");
    std::filesystem::create_symlink("/dev/full", partial);
    write_text(destination / "fw.zip.resume.xml",
               resume_text(url, std::to_string(package_size), "0"));
    const auto job = run_job();
    expect_stopped(*job);
    EXPECT_EQ(job->get_stop_reason(), "cannot write " + partial + ": No space left on device");
    EXPECT_TRUE(std::filesystem::is_symlink(partial));
}

} // namespace
