// Calendar date and time records and the clocks that fill them.
#pragma once

#include <quarro/types.h>

namespace quarro {

/// Seconds since 1 January 2001 00:00:00 UTC, the epoch of the absolute times used here.
using absolute_time = f64;

/// Seconds between the Unix epoch and the absolute-time epoch.
constexpr i64 absolute_time_epoch_offset = 978307200;

/// A local calendar date and time. Fields are public and kept in this order.
struct date_time
{
    date_time() = default;
    date_time(i32 day, i32 month, i32 year, i32 hour, i32 minute, i32 second, i32 millisecond);

    /// The local calendar's reading of an absolute time; millisecond is 0.
    static date_time from_absolute_time(absolute_time time);

    i32 day = 1;     ///< 1-31
    i32 month = 1;   ///< 1-12
    i32 year = 2001; ///< four digits
    i32 second = 0;
    i32 minute = 0;
    i32 hour = 0; ///< 0-23
    i32 millisecond = 0;
};

/// The current absolute time (wall clock).
absolute_time get_current_absolute_time();

/// The current local date and time, millisecond 0.
date_time get_current_date_time();

/// A monotonic clock in milliseconds; any thread.
u64 get_milliseconds();

} // namespace quarro
