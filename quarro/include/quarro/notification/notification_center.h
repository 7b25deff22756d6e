// An in-process publish and subscribe hub. Posts share a reader lock and run concurrently;
// adding or removing observers takes the writer side.
#pragma once

#include <quarro/memory/data_ptr.h>
#include <quarro/notification/notification.h>
#include <quarro/types.h>

#include <atomic>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace quarro {

/// What an observer implements. Called on the posting thread.
class notification_observer
{
public:
    virtual ~notification_observer() = default;
    virtual void on_notification(const memory::data_ptr<notification>& posted) = 0;
};

class notification_center
{
public:
    notification_center() = default;
    notification_center(const notification_center&) = delete;
    notification_center& operator=(const notification_center&) = delete;
    virtual ~notification_center() = default;

    /// Delivers to the observers of (name, id), then of the name, then of the id, then of
    /// everything, on the calling thread, before returning. An observer's exception passes
    /// to the poster with the lock released. Any thread.
    void post(const memory::data_ptr<notification>& posted);

    /// Registrations; observers are not owned and must be removed before they die.
    void add_observer(notification_observer* observer, const std::string& name);
    void add_observer(notification_observer* observer, u64 id);
    void add_observer(notification_observer* observer, const std::string& name, u64 id);
    void add_observer(notification_observer* observer);
    /// Removes every registration of the observer.
    void remove_observer(notification_observer* observer);

private:
    /// A ticket reader/writer lock in one word: byte 0 the ticket of the next writer to enter,
    /// byte 1 the ticket of the next reader to enter, byte 2 the next ticket to hand out.
    class ticket_lock
    {
    public:
        void lock_shared() noexcept;
        void unlock_shared() noexcept;
        void lock() noexcept;
        void unlock() noexcept;

    private:
        u32 take_ticket() noexcept;
        std::atomic<u32> word_{0};
    };

    std::multimap<std::string, notification_observer*> by_name_;
    std::multimap<u64, notification_observer*> by_id_;
    std::multimap<std::pair<std::string, u64>, notification_observer*> by_name_and_id_;
    std::set<notification_observer*> of_everything_;
    ticket_lock lock_;
};

} // namespace quarro
