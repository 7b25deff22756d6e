// One HTTP request against the local firmware service: what a completed transfer hands out, and
// the text of every kind of failure.
#include <quarro/http/http_connection.h>
#include <quarro/http/http_error.h>

#include <support/bounded_thread.h>
#include <support/bounded_wait.h>
#include <support/https_service.h>
#include <support/service_behaviour.h>
#include <support/temporary_folder.h>

#include <firmware_service/service.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>

namespace {

// The body's text after a completed transfer, or "error: <what>" after a failed one.
std::string outcome(const std::string& url, quarro::i32 timeout_ms = 300,
                    const std::atomic<bool>* abort_flag = nullptr)
{
    memory::shared_handle<quarro::http_response> response;
    memory::data_ptr<memory::data> body;
    try {
        const memory::shared_handle<quarro::http_request> get(
            new quarro::http_request(url, timeout_ms, "GET"));
        if (!quarro::perform_http_request(get, response, body, abort_flag))
            return "not finished";
    } catch (const err::exception& error) {
        EXPECT_EQ(body.get(), nullptr);
        return std::string("error: ") + error.what();
    }
    if (!body)
        return "null body";
    return std::string(reinterpret_cast<const char*>(body->bytes()), body->size());
}

class HttpConnection : public ::testing::Test
{
protected:
    HttpConnection()
    {
        std::filesystem::create_directories(packages / "K5R/1.0.9");
        test_support::write_text(packages / "K5R/1.0.9/fw.zip", "package");
    }

    test_support::temporary_folder packages;
    firmware_service::service service{packages.path()};
    const std::string latest = service.base_address() + "/wp-json/api/firmware/K5R/latest";
};

TEST_F(HttpConnection, BlanksInTheAddressAreEncodedAndNothingElse)
{
    EXPECT_EQ(quarro::http_request("a b/c d?x=%41", 0, "GET").get_url(), "a%20b/c%20d?x=%41");
}

// The body of a completed transfer, or how and where one failed. Every row's behaviour is given
// to both services: the https one redirects to the plain one.
TEST_F(HttpConnection, TransfersEndAsTheServiceAnswers)
{
    using namespace test_support;
    https_service secure(packages.path(), true);
    const std::string secure_latest = secure->base_address() + "/wp-json/api/firmware/K5R/latest";
    const std::string closed = // where nothing listens any more
        firmware_service::service(temporary_folder().path()).base_address() + "/x";
    const std::tuple<firmware_service::behaviour, std::string, std::string> cases[] = {
        {{}, "package", service.base_address() + "/firmware/K5R/1.0.9/fw.zip"},
        {answer_body(""), "", latest}, // an empty block, not a null body
        {answer_status(400), "error: HTTP status 400 (" + latest + ")", latest},
        {answer_late(5000), "error: Timeout was reached: Operation timed out after", latest},
        {answer_redirect(""),
         "error: Number of redirects hit maximum amount: Maximum (10) redirects followed (" +
             latest + ")",
         latest},
        {answer_redirect("file:///etc/passwd"), "error: Unsupported protocol: Protocol \"file\"",
         latest},
        {{}, "error: Unsupported protocol: Protocol \"file\"", "file:///etc/passwd"},
        {answer_redirect(latest), "error: Unsupported protocol: Protocol \"http\"", secure_latest},
        {answer_body(std::string(quarro::http_connection::max_body_bytes + 1, 'x')),
         "error: reply larger than 1048576 bytes (" + latest + ")", latest},
        {{}, "error: Couldn't connect to se", closed},
    };
    for (const auto& [b, text, url] : cases) {
        service.set_behaviour(b);
        secure->set_behaviour(b);
        const std::string got = outcome(url);
        EXPECT_EQ(text.empty() ? got : got.substr(0, text.size()), text) << url;
    }
}

// The caller's flag, set from another thread while the service holds its answer back, ends the
// request as a failure of its own. (How soon is pinned by the firmware search's quit.)
TEST_F(HttpConnection, AbortFlagSetElsewhereEndsARequestTheServiceHoldsBack)
{
    service.set_behaviour(test_support::answer_late(10000));
    std::atomic<bool> abort{false};
    test_support::bounded_thread aborter([&] {
        EXPECT_TRUE(test_support::eventually([&] { return service.request_count() == 1; }))
            << "waited for the request to reach the service";
        abort = true;
    });
    EXPECT_EQ(outcome(latest, 10000, &abort),
              "error: Operation was aborted by an application callback: Callback aborted (" +
                  latest + ")");
    aborter.join_within(std::chrono::seconds(10), "the thread that sets the abort flag");
}

} // namespace
