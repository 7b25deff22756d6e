// Delivery and registration of the notification center.
#include <quarro/notification/notification_center.h>

#include <vector>

namespace quarro {
namespace {

template <class Map>
void erase_observer(Map& map, notification_observer* observer)
{
    for (auto it = map.begin(); it != map.end();)
        it = it->second == observer ? map.erase(it) : std::next(it);
}

template <class Range>
void append_observers(std::vector<notification_observer*>& list, const Range& range)
{
    for (auto it = range.first; it != range.second; ++it)
        list.push_back(it->second);
}

} // namespace

void notification_center::post(const memory::data_ptr<notification>& posted)
{
    if (!posted)
        return;
    // The observers in their order of delivery, taken at once; each is looked up again just
    // before its call, so that one removed meanwhile is skipped.
    std::vector<notification_observer*> observers;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (registrations_.empty())
            return;
        append_observers(observers, by_name_and_id_.equal_range({posted->name(), posted->id()}));
        append_observers(observers, by_name_.equal_range(posted->name()));
        append_observers(observers, by_id_.equal_range(posted->id()));
        observers.insert(observers.end(), of_everything_.begin(), of_everything_.end());
    }
    for (notification_observer* observer : observers)
        deliver(observer, posted);
}

void notification_center::deliver(notification_observer* observer,
                                  const memory::data_ptr<notification>& posted)
{
    calls::iterator entry;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (registrations_.count(observer) == 0)
            return;
        entry = calling_.emplace(observer, std::this_thread::get_id());
    }
    // Ends the call's entry on every way out, an observer's exception included.
    struct call_end
    {
        notification_center& center;
        calls::iterator entry;
        ~call_end()
        {
            {
                const std::lock_guard<std::mutex> lock(center.mutex_);
                center.calling_.erase(entry);
            }
            center.call_ended_.notify_all();
        }
    } end{*this, entry};
    observer->on_notification(posted);
}

void notification_center::add_registration(notification_observer* observer)
{
    ++registrations_[observer];
}

void notification_center::add_observer(notification_observer* observer, const std::string& name)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    by_name_.emplace(name, observer);
    add_registration(observer);
}

void notification_center::add_observer(notification_observer* observer, u64 id)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    by_id_.emplace(id, observer);
    add_registration(observer);
}

void notification_center::add_observer(notification_observer* observer, const std::string& name,
                                       u64 id)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    by_name_and_id_.emplace(std::make_pair(name, id), observer);
    add_registration(observer);
}

void notification_center::add_observer(notification_observer* observer)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (of_everything_.insert(observer).second)
        add_registration(observer);
}

void notification_center::remove_observer(notification_observer* observer)
{
    std::unique_lock<std::mutex> lock(mutex_);
    erase_observer(by_name_, observer);
    erase_observer(by_id_, observer);
    erase_observer(by_name_and_id_, observer);
    of_everything_.erase(observer);
    registrations_.erase(observer);
    // Calls on this thread are the caller's own callers: waiting for them would never end.
    const auto called_elsewhere = [&] {
        const auto calls = calling_.equal_range(observer);
        for (auto it = calls.first; it != calls.second; ++it) {
            if (it->second != std::this_thread::get_id())
                return true;
        }
        return false;
    };
    call_ended_.wait(lock, [&] { return !called_elsewhere(); });
}

} // namespace quarro
