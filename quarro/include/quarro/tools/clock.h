// The one clock seam that every wait of the foundation library and the speaker link goes
// through: real monotonic time by default, replaceable as a whole (a virtual clock for tests
// and for the emulated speaker, so that no test sleeps on real time).
#pragma once

#include <quarro/types.h>

namespace quarro::clock {

/// A clock: what the seam asks of whoever replaces it. Both functions may be called from any
/// thread at once and must be safe for that.
struct source
{
    /// Milliseconds on a monotonic scale; the origin is the source's own.
    u64 (*now_ms)();
    /// Waits `duration_ms` milliseconds (a virtual clock advances itself instead of sleeping).
    void (*sleep_ms)(u32 duration_ms);
};

/// The real clock: steady_clock and a thread sleep.
const source& real();

/// Installs `replacement` (which must stay valid for as long as it is installed) or, given
/// nullptr, the real clock again. Returns the source that was installed before. Any thread;
/// waits already in progress finish on the clock they started with.
const source* install(const source* replacement);

/// The installed clock's milliseconds. Any thread.
u64 now_ms();

/// Waits `duration_ms` milliseconds on the installed clock. Any thread.
void sleep_ms(u32 duration_ms);

} // namespace quarro::clock
