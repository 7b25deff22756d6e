// A thread a test waits for with a bound: a lost wake-up or a lock never released then fails in
// seconds, saying what it waited for, instead of hanging until the test runner gives up.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <future>
#include <thread>
#include <utility>

namespace test_support {

class bounded_thread
{
public:
    /// Starts `body` on a thread of its own.
    template <class Body>
    explicit bounded_thread(Body&& body)
        : ended_(done_.get_future()), thread_([this, body = std::forward<Body>(body)]() mutable {
              try {
                  body();
              } catch (...) {
                  failure_ = std::current_exception();
              }
              done_.set_value();
          })
    {
    }
    bounded_thread(const bounded_thread&) = delete;
    bounded_thread& operator=(const bounded_thread&) = delete;
    ~bounded_thread()
    {
        if (thread_.joinable())
            join_within(std::chrono::seconds(20), "a test thread");
    }

    /// Waits at most `limit` for the body to end and rethrows what it threw. A body still
    /// running after that cannot be left behind (it uses the test's objects): the process
    /// ends at once with a line naming `what`.
    void join_within(std::chrono::seconds limit, const char* what)
    {
        if (ended_.wait_for(limit) != std::future_status::ready) {
            std::fprintf(stderr, "FAILED: %s did not end within %lld s\n", what,
                         static_cast<long long>(limit.count()));
            std::fflush(stdout);
            std::fflush(stderr);
            std::_Exit(1);
        }
        thread_.join();
        if (failure_)
            std::rethrow_exception(std::exchange(failure_, nullptr));
    }

private:
    std::promise<void> done_;
    std::future<void> ended_;
    std::exception_ptr failure_;
    std::thread thread_;
};

} // namespace test_support
