// The virtual clock and its installation in quarro's clock seam.
#include "virtual_clock.h"

#include <quarro/tools/clock.h>

#include <atomic>
#include <chrono>

namespace emulated_speaker::virtual_clock {
namespace {

// What advancing has added; the clock is this plus, when preloaded, the real time elapsed.
std::atomic<std::uint64_t>& advanced_us()
{
    static std::atomic<std::uint64_t> advanced{0};
    return advanced;
}

std::uint64_t elapsed_real_us()
{
#ifdef EMULATED_SPEAKER_FOLLOWS_REAL_TIME
    // Preloaded, the program's own sleeps stay on its real clock, which this library cannot
    // see; so its time runs on with real time too, and reports and reads still add theirs.
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return static_cast<std::uint64_t>(
        duration_cast<microseconds>(steady_clock::now() - start).count());
#else
    return 0;
#endif
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
    return advanced_us().load() + elapsed_real_us();
}

void advance_us(std::uint64_t duration_us)
{
    advanced_us().fetch_add(duration_us);
}

void advance_to_us(std::uint64_t time_us)
{
    const std::uint64_t now = now_us();
    if (now < time_us)
        advance_us(time_us - now);
}

void install()
{
    quarro::clock::install(&virtual_source);
}

} // namespace emulated_speaker::virtual_clock
