// The process-wide log: a text, a level and a set of targets (the run's log file, the
// console, the notification center), each target taking the levels its setting admits.
#pragma once

#include <quarro/container/atomic_queue.h>
#include <quarro/files/filepath.h>
#include <quarro/log/log_data.h>
#include <quarro/notification/notification_center.h>
#include <quarro/types.h>

#include <atomic>
#include <mutex>
#include <string>

namespace quarro {

/// The levels of a line, named as log_level_text shows them: the lower, the graver. A target
/// takes the lines up to its own level; none (0) as a target's level takes only lines of 0.
namespace log_level {
constexpr u32 none = 0;
constexpr u32 emergency = 1;
constexpr u32 alert = 2;
constexpr u32 critical = 3;
constexpr u32 error = 4;
constexpr u32 warning = 5;
constexpr u32 notice = 6;
constexpr u32 info = 7;
constexpr u32 debug = 8;
constexpr u32 user = 9;
} // namespace log_level

/// The highest level each target takes.
struct log_levels
{
    u8 file = log_level::none;
    u8 console = log_level::warning;
    u8 notification = log_level::none;
};

/// The one log of the process. Every line is written on the calling thread: nothing here
/// starts a thread. Lines of one thread reach the file in the order they were logged.
class logbook
{
public:
    static constexpr u32 file_target = 1;
    static constexpr u32 console_target = 2;
    static constexpr u32 notification_target = 4;
    static constexpr u32 file_and_console = file_target | console_target;

    /// The logbook, built on first use. It is never destroyed: at exit it logs "~logbook" at
    /// log_level::debug to the file and console, and from then on only the console target
    /// works, so code that logs from a static destructor never touches anything already
    /// destroyed. Any thread.
    static logbook& instance();

    /// The center that the notification target posts "quarro::logbook::message" (id 0, the
    /// text, the level) to; built on first use. Register observers here. Any thread.
    static notification_center& get_notification_center();

    logbook(const logbook&) = delete;
    logbook& operator=(const logbook&) = delete;

    /// Sends the text to each target in `targets` whose level admits `level`. The file target
    /// needs a log folder; the run's log file is made at its first line (with the header
    /// first). A file that can't be made or written loses that line; its error is logged at
    /// log_level::info to the console only (never to the file again, so a failing file can't
    /// recurse), and the next line tries again. Throws only what allocation or a notification
    /// observer throws. Any thread.
    void message(const std::string& text, u32 level, u32 targets);

    /// Settings; the owner sets them at start-up. Any thread.
    /// The folder of the log file; the next file-target line starts a new file there.
    void set_log_folder(const files::filepath& folder);
    /// Written first into the log file; includes its own line end.
    void set_header(const std::string& header);
    void set_levels(const log_levels& levels) noexcept;
    log_levels get_levels() const noexcept;

    /// The run's log file; the empty filepath until the first line has made it.
    files::filepath get_log_file() const;

private:
    class closer;

    logbook() = default;
    ~logbook() = default;

    void flush();
    void write_to_file(const std::string& text);
    void close();

    Container::atomic_queue<log_data> queue_;
    mutable std::mutex file_lock_; // guards the folder, the header and the log file
    files::filepath log_folder_;
    files::filepath log_file_;
    std::string header_;
    std::atomic<bool> folder_set_{false};
    std::atomic<u8> file_level_{log_level::none};
    std::atomic<u8> console_level_{log_level::warning};
    std::atomic<u8> notification_level_{log_level::none};
    std::atomic<bool> closed_{false};
};

} // namespace quarro
