// The emulated speaker's virtual clock: microseconds that advance only when something waits on
// them (a report on the bus, a read that waits for its reply, a sleep of the panel's code), so
// that time-dependent behaviour costs no real time and gives the same answer on every run.
#pragma once

#include <cstdint>

namespace emulated_speaker::virtual_clock {

/// Microseconds since the process started its virtual clock. Any thread.
std::uint64_t now_us();

/// Moves the clock forward by `duration_us`. Any thread.
void advance_us(std::uint64_t duration_us);

/// Moves the clock to `time_us` unless it is already later. Any thread.
void advance_to_us(std::uint64_t time_us);

/// Makes the virtual clock the one that quarro's clock seam hands to the code around it
/// (idempotent). Any thread.
void install();

} // namespace emulated_speaker::virtual_clock
