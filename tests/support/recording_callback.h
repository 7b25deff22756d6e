// A dsp_control_callback for tests: it records every report with the thread it arrived on, lets
// a test wait for the next one with a bounded wait, and can run an action inside a chosen
// report (throw, or hold the worker until the test lets it go) before the report is seen.
#pragma once

#include <speaker_link/dsp_control.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

class recording_callback : public dsp_control_callback
{
public:
    static constexpr std::chrono::seconds report_limit{20};

    struct report
    {
        std::string name;
        std::thread::id thread;
        int number = -1;       ///< the firmware failure kind or progress stage, where it has one
        quarro::u64 total = 0; ///< progress only
        quarro::u64 done = 0;  ///< progress only
    };

    /// Runs `action` inside every report named `name`, before the report is published (seen
    /// by next(), reports() and count()), so that a test that has seen the report knows its
    /// action is over, and may leave with what the action uses. A report whose action throws
    /// is published all the same, and the exception goes on to the caller.
    void on(const std::string& name, std::function<void(dsp_control&)> action)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        actions_[name] = std::move(action);
    }

    /// The name of the next report not yet taken, waiting for it at most report_limit;
    /// "(no report)" when none came.
    std::string next()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!arrived_.wait_for(lock, report_limit, [this] { return taken_ < reports_.size(); }))
            return "(no report)";
        return reports_[taken_++].name;
    }

    /// Every report so far.
    std::vector<report> reports() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return reports_;
    }
    std::size_t count() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return reports_.size();
    }
    /// Reports that next() has not taken.
    std::size_t untaken() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return reports_.size() - taken_;
    }

// Each report is recorded under its own method name.
#define PELLARO_RECORD(name)                                                                       \
    void name(dsp_control& c) override                                                             \
    {                                                                                              \
        record(c, #name);                                                                          \
    }
    PELLARO_RECORD(speaker_changed)
    PELLARO_RECORD(main_settings_read)
    PELLARO_RECORD(main_settings_read_failed)
    PELLARO_RECORD(firmware_up_to_date)
    PELLARO_RECORD(firmware_search_failed)
    PELLARO_RECORD(user_preset_read)
    PELLARO_RECORD(user_preset_read_failed)
    PELLARO_RECORD(user_preset_written)
    PELLARO_RECORD(user_preset_write_failed)
    PELLARO_RECORD(device_reset)
    PELLARO_RECORD(device_reset_failed)
    PELLARO_RECORD(main_settings_written)
    PELLARO_RECORD(main_settings_write_failed)
    PELLARO_RECORD(firmware_update_started)
    PELLARO_RECORD(firmware_update_succeeded)
#undef PELLARO_RECORD
    void firmware_update_available(dsp_control& c, const std::string&) override
    {
        record(c, "firmware_update_available");
    }
    void firmware_update_progress(dsp_control& c, int stage, quarro::u64 total,
                                  quarro::u64 done) override
    {
        record(c, "firmware_update_progress", stage, total, done);
    }
    void firmware_update_failed(dsp_control& c, int kind) override
    {
        record(c, "firmware_update_failed", kind);
    }

private:
    void record(dsp_control& control, const std::string& name, int number = -1,
                quarro::u64 total = 0, quarro::u64 done = 0)
    {
        const report arrived{name, std::this_thread::get_id(), number, total, done};
        std::function<void(dsp_control&)> action;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            const auto found = actions_.find(name);
            if (found != actions_.end())
                action = found->second;
        }
        if (action) {
            try {
                action(control);
            } catch (...) {
                action = nullptr;
                publish(arrived);
                throw;
            }
            action = nullptr;
        }
        publish(arrived);
    }

    void publish(const report& arrived)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            reports_.push_back(arrived);
        }
        arrived_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<report> reports_;
    std::size_t taken_ = 0;
    std::map<std::string, std::function<void(dsp_control&)>> actions_;
};

/// A latch a test opens once; waits on it are bounded.
class test_latch
{
public:
    static constexpr std::chrono::seconds wait_limit{20};

    void open()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    /// True when the latch opened within wait_limit.
    bool wait()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, wait_limit, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

} // namespace test_support
