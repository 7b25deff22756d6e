// The clock seam: an atomic pointer to the installed source, the real clock by default.
#include <quarro/tools/clock.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace quarro::clock {
namespace {

u64 real_now_ms()
{
    using namespace std::chrono;
    return static_cast<u64>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void real_sleep_ms(u32 duration_ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(duration_ms));
}

constexpr source real_source{real_now_ms, real_sleep_ms};

std::atomic<const source*>& installed()
{
    static std::atomic<const source*> current{&real_source};
    return current;
}

} // namespace

const source& real()
{
    return real_source;
}

const source* install(const source* replacement)
{
    return installed().exchange(replacement != nullptr ? replacement : &real_source);
}

u64 now_ms()
{
    return installed().load()->now_ms();
}

void sleep_ms(u32 duration_ms)
{
    installed().load()->sleep_ms(duration_ms);
}

} // namespace quarro::clock
