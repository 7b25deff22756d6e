// The emulated speaker's time: the time of quarro's clock seam, so that the speaker and the code
// around it share one timeline. Linked into a program, the emulated speaker installs a virtual
// clock there whose time moves only when something waits on it (a report on the bus, a read
// waiting for its reply, a sleep of the panel's code): time-dependent behaviour then costs no
// real time and gives the same answer on every run.
#pragma once

#include <cstdint>

namespace emulated_speaker::virtual_clock {

/// True in the preloaded build, whose time runs ahead of the program's real time: there a wait
/// the program would make on real time for the speaker (a reply, a packet's clocking) is paid
/// at once in the speaker's own time instead.
#ifdef EMULATED_SPEAKER_ON_REAL_TIME
constexpr bool runs_ahead = true;
#else
constexpr bool runs_ahead = false;
#endif

/// The seam's time in microseconds (its milliseconds times 1000). Any thread.
std::uint64_t now_us();

/// Waits `duration_us` (rounded up to whole milliseconds) on the seam. Any thread.
void advance_us(std::uint64_t duration_us);

/// Waits until the seam's time is at least `time_us`. Any thread.
void advance_to_us(std::uint64_t time_us);

/// Installs the virtual clock in quarro's clock seam. In the preloaded build, whose seam is a
/// copy of its own, the speaker's time is real time plus what its waits would have taken,
/// none of it slept: demonstrations and end-to-end runs go quickly. The environment variable
/// PELLARO_EMULATED_REAL_TIME_PERCENT (0 to 100, default 0) makes it sleep that share of them
/// for real (100: as long as a real speaker takes). Any thread.
void install();

} // namespace emulated_speaker::virtual_clock
