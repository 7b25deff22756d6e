// The virtual clock and its installation in quarro's clock seam.
#include "virtual_clock.h"

#include <quarro/tools/clock.h>

#include <atomic>

namespace emulated_speaker::virtual_clock {
namespace {

std::atomic<std::uint64_t>& microseconds()
{
    static std::atomic<std::uint64_t> now{0};
    return now;
}

quarro::u64 seam_now_ms()
{
    return now_us() / 1000;
}

void seam_sleep_ms(quarro::u32 duration_ms)
{
    advance_us(std::uint64_t{duration_ms} * 1000);
}

constexpr quarro::clock::source virtual_source{seam_now_ms, seam_sleep_ms};

} // namespace

std::uint64_t now_us()
{
    return microseconds().load();
}

void advance_us(std::uint64_t duration_us)
{
    microseconds().fetch_add(duration_us);
}

void advance_to_us(std::uint64_t time_us)
{
    std::uint64_t now = microseconds().load();
    while (now < time_us && !microseconds().compare_exchange_weak(now, time_us)) {
    }
}

void install()
{
    quarro::clock::install(&virtual_source);
}

} // namespace emulated_speaker::virtual_clock
