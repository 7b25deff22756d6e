// Clocks: the wall clock and local calendar of the C library, the monotonic steady clock.
#include <quarro/tools/date_time.h>

#include <quarro/tools/clock.h>

#include <chrono>
#include <cmath>
#include <ctime>

namespace quarro {

date_time::date_time(i32 day_, i32 month_, i32 year_, i32 hour_, i32 minute_, i32 second_,
                     i32 millisecond_)
    : day(day_), month(month_), year(year_), second(second_), minute(minute_), hour(hour_),
      millisecond(millisecond_)
{}

date_time date_time::from_absolute_time(absolute_time time)
{
    const f64 unix_seconds = std::floor(time) + static_cast<f64>(absolute_time_epoch_offset);
    // Times beyond what time_t and the calendar can hold read as the epoch itself.
    const std::time_t seconds = std::isfinite(unix_seconds) && std::fabs(unix_seconds) < 1e15
                                    ? static_cast<std::time_t>(unix_seconds)
                                    : static_cast<std::time_t>(absolute_time_epoch_offset);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return date_time();
    return date_time(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                     local.tm_min, local.tm_sec, 0);
}

absolute_time get_current_absolute_time()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<f64>(now.tv_sec - absolute_time_epoch_offset) +
           static_cast<f64>(now.tv_nsec) / 1e9;
}

date_time get_current_date_time()
{
    return date_time::from_absolute_time(get_current_absolute_time());
}

u64 get_milliseconds()
{
    return clock::now_ms();
}

} // namespace quarro
