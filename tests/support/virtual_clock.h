// A virtual clock for the clock seam: time moves only when something sleeps on it (or the test
// moves it), so waits cost no real time and give the same answer on every run.
#pragma once

#include <quarro/tools/clock.h>

#include <atomic>
#include <cstdint>

namespace test_support {

/// Installs itself for its lifetime, starting at 0 ms, and puts back the clock it replaced.
/// Its time and counts are shared by every thread; use one at a time.
class virtual_clock
{
public:
    virtual_clock()
    {
        now().store(0);
        sleeps().store(0);
        reads().store(0);
        previous_ = quarro::clock::install(&source);
    }
    ~virtual_clock() { quarro::clock::install(previous_); }
    virtual_clock(const virtual_clock&) = delete;
    virtual_clock& operator=(const virtual_clock&) = delete;

    /// Milliseconds since the clock was installed.
    static std::uint64_t now_ms() { return now().load(); }
    /// Calls of sleep_ms since the clock was installed.
    static std::uint64_t sleep_count() { return sleeps().load(); }
    /// Calls of now_ms since the clock was installed: how often the code looked at the time.
    static std::uint64_t read_count() { return reads().load(); }
    /// Moves the time on to `time_ms`; a time already past stays.
    static void advance_to(std::uint64_t time_ms)
    {
        std::uint64_t current = now().load();
        while (current < time_ms && !now().compare_exchange_weak(current, time_ms)) {
        }
    }

private:
    static std::atomic<std::uint64_t>& now()
    {
        static std::atomic<std::uint64_t> value{0};
        return value;
    }
    static std::atomic<std::uint64_t>& sleeps()
    {
        static std::atomic<std::uint64_t> value{0};
        return value;
    }
    static std::atomic<std::uint64_t>& reads()
    {
        static std::atomic<std::uint64_t> value{0};
        return value;
    }
    static quarro::u64 read_now()
    {
        reads().fetch_add(1);
        return now().load();
    }
    static void sleep(quarro::u32 duration_ms)
    {
        sleeps().fetch_add(1);
        now().fetch_add(duration_ms);
    }
    static constexpr quarro::clock::source source{read_now, sleep};

    const quarro::clock::source* previous_ = nullptr;
};

} // namespace test_support
