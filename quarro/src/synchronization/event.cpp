// The event over a mutex and a condition variable.
#include <quarro/synchronization/event.h>

#include <chrono>

namespace synchronization {

void event::signal()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        signalled_ = true;
    }
    condition_.notify_one();
}

bool event::wait(quarro::u32 timeout_ms) noexcept
{
    std::unique_lock<std::mutex> lock(mutex_);
    const auto is_set = [this] { return signalled_; };
    if (timeout_ms >= wait_forever) {
        condition_.wait(lock, is_set);
    } else if (!condition_.wait_for(lock, std::chrono::milliseconds(timeout_ms), is_set)) {
        return false;
    }
    signalled_ = false;
    return true;
}

} // namespace synchronization
