// The virtual clock and the emulated speaker's time on quarro's clock seam.
#include "virtual_clock.h"

#include <quarro/tools/clock.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace emulated_speaker::virtual_clock {
namespace {

std::atomic<quarro::u64>& virtual_ms()
{
    static std::atomic<quarro::u64> now{0};
    return now;
}

quarro::u64 virtual_now_ms()
{
    return virtual_ms().load();
}

void virtual_sleep_ms(quarro::u32 duration_ms)
{
    virtual_ms().fetch_add(duration_ms);
}

constexpr quarro::clock::source virtual_source{virtual_now_ms, virtual_sleep_ms};

#ifdef EMULATED_SPEAKER_ON_REAL_TIME
// Preloaded, the speaker shares the program's real time but owes it none of its own: what its
// reports and clocking would take is added to real time, not slept. Its clock never
// runs slower than real time, so the program's real waits still see its busy bits clear.
quarro::u64 ahead_now_ms()
{
    return quarro::clock::real().now_ms() + virtual_ms().load();
}

// Asked to, it sleeps a share of its own time for real: a test then meets the program in the
// middle of an operation that would otherwise be over before it could look.
quarro::u32 real_time_percent()
{
    static const quarro::u32 percent = [] {
        const char* text = std::getenv("PELLARO_EMULATED_REAL_TIME_PERCENT");
        const long value = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
        return static_cast<quarro::u32>(value < 0 ? 0 : value > 100 ? 100 : value);
    }();
    return percent;
}

void ahead_sleep_ms(quarro::u32 duration_ms)
{
    // The share is kept in hundredths of a millisecond until a whole one is owed: most waits
    // are of a millisecond or two.
    static std::atomic<quarro::u64> owed_hundredths{0};
    quarro::u64 owed = owed_hundredths.fetch_add(quarro::u64{duration_ms} * real_time_percent()) +
                       quarro::u64{duration_ms} * real_time_percent();
    while (owed >= 100 && !owed_hundredths.compare_exchange_weak(owed, owed % 100)) {
    }
    const quarro::u32 slept =
        static_cast<quarro::u32>(std::min<quarro::u64>(owed / 100, duration_ms));
    if (slept > 0)
        quarro::clock::real().sleep_ms(slept);
    virtual_ms().fetch_add(duration_ms - slept);
}

constexpr quarro::clock::source ahead_source{ahead_now_ms, ahead_sleep_ms};
#endif

} // namespace

std::uint64_t now_us()
{
    return quarro::clock::now_ms() * 1000;
}

void advance_us(std::uint64_t duration_us)
{
    if (duration_us > 0)
        quarro::clock::sleep_ms(static_cast<quarro::u32>((duration_us + 999) / 1000));
}

void advance_to_us(std::uint64_t time_us)
{
    const std::uint64_t now = now_us();
    if (now < time_us)
        advance_us(time_us - now);
}

void install()
{
#ifdef EMULATED_SPEAKER_ON_REAL_TIME
    quarro::clock::install(&ahead_source);
#else
    quarro::clock::install(&virtual_source);
#endif
}

} // namespace emulated_speaker::virtual_clock
