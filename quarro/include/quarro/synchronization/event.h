// An auto-reset event: one signal releases one wait, and a signal made before the wait is
// kept until a wait takes it.
#pragma once

#include <quarro/types.h>

#include <condition_variable>
#include <mutex>

namespace synchronization {

class event
{
public:
    /// Timeouts at or above this wait without end.
    static constexpr quarro::u32 wait_forever = 0x7FFFFFFF;

    event() = default;
    event(const event&) = delete;
    event& operator=(const event&) = delete;

    /// Sets the event; any thread.
    void signal();
    /// Waits until the event is set or the timeout passes; takes the signal (the event resets).
    /// Returns true when the event was set, false after the timeout. Any thread; never throws.
    bool wait(quarro::u32 timeout_ms) noexcept;

private:
    std::mutex mutex_;
    std::condition_variable condition_;
    bool signalled_ = false;
};

} // namespace synchronization
