// One log record and the texts a log file is made of: its lines and its name.
#pragma once

#include <quarro/tools/date_time.h>
#include <quarro/types.h>

#include <string>

namespace quarro {

/// A message as the log file target queues it.
struct log_data
{
    std::string message;
    u64 id = 0; ///< 0 for every record of the system
    u32 level = 0;
    date_time time_stamp; ///< local time; millisecond 0
};

/// The text a log line shows for a level: " (none) \t\t" for 0 up to " (user)\t\t" for 9,
/// " (dev)\t\t\t" for 255 and " (max)\t\t\t" for any other value above 9. Any thread.
const char* log_level_text(u32 level) noexcept;

/// Appends the record's line: hh:mm:ss:mmm, the level's text, the message and CR LF.
void append_log_line(std::string& text, const log_data& record);

/// "Log d_m_yyyy h_m_s_<digits>.log" for the time, numbers without leading zeros.
std::string make_log_file_name(const date_time& now, const std::string& digits);

} // namespace quarro
