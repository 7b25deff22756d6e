// The byte forms of log lines and log file names.
#include <quarro/log/log_data.h>
#include <quarro/tools/number_text.h>

#include <utility>

namespace quarro {

const char* log_level_text(u32 level) noexcept
{
    static const char* const texts[] = {
        " (none) \t\t",   " (emergency)\t", " (alert)\t\t", " (critical)\t", " (error)\t\t",
        " (warning)\t\t", " (notice)\t\t",  " (info)\t\t",  " (debug)\t\t",  " (user)\t\t"};
    if (level < sizeof texts / sizeof texts[0])
        return texts[level];
    return level == 255 ? " (dev)\t\t\t" : " (max)\t\t\t";
}

void append_log_line(std::string& text, const log_data& record)
{
    const date_time& t = record.time_stamp;
    for (const i32 part : {t.hour, t.minute, t.second}) {
        append_unsigned(text, static_cast<u64>(part), 2);
        text += ':';
    }
    append_unsigned(text, static_cast<u64>(t.millisecond), 3);
    text += log_level_text(record.level);
    text += record.message;
    text += "\r\n";
}

std::string make_log_file_name(const date_time& now, const std::string& digits)
{
    // Each number with the separator that follows it.
    const std::pair<i32, char> parts[] = {{now.day, '_'},  {now.month, '_'},  {now.year, ' '},
                                          {now.hour, '_'}, {now.minute, '_'}, {now.second, '_'}};
    std::string name = "Log ";
    for (const auto& [number, separator] : parts) {
        append_number(name, number, 1);
        name += separator;
    }
    return name + digits + ".log";
}

} // namespace quarro
