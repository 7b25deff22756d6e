// The log's targets, its file and its closing at exit.
#include <quarro/desktop/console.h>
#include <quarro/err/exception.h>
#include <quarro/files/whole_file.h>
#include <quarro/log/logbook.h>
#include <quarro/notification/notification.h>
#include <quarro/tools/text.h>

#include "log/log_file.h"

namespace quarro {
namespace {

using log_notification = notification_ex_2<std::string, unsigned int>;

// Set while this thread reports a failure of the log file: that report must not go to the
// file again, or a file that keeps failing would recurse without end.
thread_local bool reporting_file_failure = false;

} // namespace

/// Logs the closing line when static objects are destroyed at exit, then leaves only the
/// console target working: what the file and notification targets use may be gone by then.
class logbook::closer
{
public:
    explicit closer(logbook& book) noexcept : book_(book) {}
    ~closer() { book_.close(); }

private:
    logbook& book_;
};

logbook& logbook::instance()
{
    static logbook* const book = [] {
        // Statics the targets use, built before the closer below so that they outlive it.
        get_notification_center();
        log_notification::class_allocator();
        random_digits();
        return new logbook;
    }();
    static closer at_exit(*book);
    return *book;
}

notification_center& logbook::get_notification_center()
{
    static notification_center center;
    return center;
}

void logbook::message(const std::string& text, u32 level, u32 targets)
{
    if ((targets & file_target) != 0 && level <= file_level_.load() && folder_set_.load() &&
        !closed_.load() && !reporting_file_failure) {
        queue_.push(log_data{text, 0, level, get_current_date_time()});
        flush();
    }
    if ((targets & console_target) != 0 && level <= console_level_.load())
        console_log(text);
    if ((targets & notification_target) != 0 && level <= notification_level_.load() &&
        !closed_.load()) {
        get_notification_center().post(
            log_notification::create("quarro::logbook::message", 0, text, level));
    }
}

void logbook::flush()
{
    bool failed = false;
    std::string failure;
    {
        // Taken and written under one lock: a record taken by another thread is in the file
        // before this thread can log its next line, so each thread's lines keep their order.
        std::lock_guard<std::mutex> lock(file_lock_);
        const auto records = queue_.take_all();
        if (records.empty())
            return;
        try {
            std::string text;
            for (const log_data& record : records)
                append_log_line(text, record);
            write_to_file(text);
        } catch (const err::exception& error) {
            failed = true;
            failure = error.what();
        } catch (...) {
        }
    }
    if (failed) {
        reporting_file_failure = true;
        try {
            message(failure, log_level::info, file_and_console);
        } catch (...) {
        }
        reporting_file_failure = false;
    }
}

void logbook::write_to_file(const std::string& text)
{
    if (!log_file_.exists_flag_set() && log_folder_.exists_flag_set()) {
        log_file_ = detail::create_log_file(log_folder_, get_current_date_time(), random_digits);
        if (!header_.empty())
            files::append_to_file(log_file_, memory::data(header_.data(), header_.size()));
    }
    if (log_file_.exists_flag_set() && !text.empty())
        files::append_to_file(log_file_, memory::data(text.data(), text.size()));
}

void logbook::close()
{
    message("~logbook", log_level::debug, file_and_console);
    closed_.store(true);
}

void logbook::set_log_folder(const files::filepath& folder)
{
    std::lock_guard<std::mutex> lock(file_lock_);
    log_folder_ = folder;
    log_file_ = files::filepath(); // the next line starts a file in the new folder
    folder_set_.store(folder.exists_flag_set());
}

void logbook::set_header(const std::string& header)
{
    std::lock_guard<std::mutex> lock(file_lock_);
    header_ = header;
}

void logbook::set_levels(const log_levels& levels) noexcept
{
    file_level_.store(levels.file);
    console_level_.store(levels.console);
    notification_level_.store(levels.notification);
}

log_levels logbook::get_levels() const noexcept
{
    return log_levels{file_level_.load(), console_level_.load(), notification_level_.load()};
}

files::filepath logbook::get_log_file() const
{
    std::lock_guard<std::mutex> lock(file_lock_);
    return log_file_;
}

} // namespace quarro
