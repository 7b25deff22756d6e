// A gate that holds one HID report of the emulated speaker until a test lets it pass, so that a
// worker thread can be stopped at a known point without sleeps.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace emulated_speaker {

/// Built by speaker::hold_report. The writing thread waits in hold(); the test waits for that
/// with wait_until_held() and lets it go with release(). Every wait is bounded.
class report_gate
{
public:
    /// The longest a report is held when nobody releases it.
    static constexpr std::chrono::seconds hold_limit{30};

    /// True once a report is being held; false when none arrived within `timeout`.
    /// Any thread.
    bool wait_until_held(std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return reached_.wait_for(lock, timeout, [this] { return held_; });
    }
    /// Lets the held report (or the one still to come) pass. Any thread.
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        opened_.notify_all();
    }
    /// True while a report is held.
    bool held() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return held_ && !released_;
    }

    /// Called on the writing thread: waits for release(), at most hold_limit.
    void hold()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        held_ = true;
        reached_.notify_all();
        opened_.wait_for(lock, hold_limit, [this] { return released_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable reached_;
    std::condition_variable opened_;
    bool held_ = false;
    bool released_ = false;
};

} // namespace emulated_speaker
