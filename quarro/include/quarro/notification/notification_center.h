// An in-process publish and subscribe hub. Posts run concurrently and call their observers
// without holding a lock; removing an observer waits for its calls on other threads.
#pragma once

#include <quarro/memory/data_ptr.h>
#include <quarro/notification/notification.h>
#include <quarro/types.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
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
    /// everything, on the calling thread, before returning. Observers registered when the
    /// post begins are called, unless removed before their turn. No lock is held during a
    /// call: an observer may post, add or remove observers (itself included) from inside it.
    /// An observer's exception passes to the poster. Any thread.
    void post(const memory::data_ptr<notification>& posted);

    /// Registrations; observers are not owned and must be removed before they die.
    void add_observer(notification_observer* observer, const std::string& name);
    void add_observer(notification_observer* observer, u64 id);
    void add_observer(notification_observer* observer, const std::string& name, u64 id);
    void add_observer(notification_observer* observer);
    /// Removes every registration of the observer. When it returns, the observer is not
    /// called again: it waits for calls of the observer in progress on other threads (not for
    /// one on the calling thread, so that an observer may remove itself). Must not be called
    /// while holding something such a call waits for. Any thread.
    void remove_observer(notification_observer* observer);

private:
    void add_registration(notification_observer* observer);
    // Which observer each thread is calling (several entries when posts nest).
    using calls = std::multimap<notification_observer*, std::thread::id>;

    void deliver(notification_observer* observer, const memory::data_ptr<notification>& posted);

    std::multimap<std::string, notification_observer*> by_name_;
    std::multimap<u64, notification_observer*> by_id_;
    std::multimap<std::pair<std::string, u64>, notification_observer*> by_name_and_id_;
    std::set<notification_observer*> of_everything_;
    std::map<notification_observer*, u64> registrations_; // observer to its count
    calls calling_;                                       // the calls in progress
    std::mutex mutex_;                                    // guards everything above
    std::condition_variable call_ended_;
};

} // namespace quarro
