// Delivery and the ticket lock of the notification center.
#include <quarro/notification/notification_center.h>

#include <mutex>
#include <shared_mutex>
#include <thread>

namespace quarro {
namespace {

constexpr u32 byte_mask = 0xFF;

u32 byte_of(u32 word, int index) noexcept
{
    return (word >> (8 * index)) & byte_mask;
}

template <class Map>
void erase_observer(Map& map, notification_observer* observer)
{
    for (auto it = map.begin(); it != map.end();)
        it = it->second == observer ? map.erase(it) : std::next(it);
}

void pause() noexcept
{
    std::this_thread::yield();
}

} // namespace

u32 notification_center::ticket_lock::take_ticket() noexcept
{
    return byte_of(word_.fetch_add(0x10000, std::memory_order_acquire), 2);
}

void notification_center::ticket_lock::lock_shared() noexcept
{
    const u32 ticket = take_ticket();
    for (;;) {
        u32 word = word_.load(std::memory_order_acquire);
        if (byte_of(word, 1) != ticket) {
            pause();
            continue;
        }
        // Let the next reader in at once: byte 1 becomes ticket + 1, in one compare-and-swap
        // of the whole word so that a concurrent ticket or release is never lost.
        const u32 next = (word & ~(byte_mask << 8)) | (((ticket + 1) & byte_mask) << 8);
        if (word_.compare_exchange_weak(word, next, std::memory_order_acquire))
            return;
    }
}

void notification_center::ticket_lock::unlock_shared() noexcept
{
    u32 word = word_.load(std::memory_order_relaxed);
    for (;;) {
        const u32 next = (word & ~byte_mask) | ((byte_of(word, 0) + 1) & byte_mask);
        if (word_.compare_exchange_weak(word, next, std::memory_order_release))
            return;
    }
}

void notification_center::ticket_lock::lock() noexcept
{
    const u32 ticket = take_ticket();
    while (byte_of(word_.load(std::memory_order_acquire), 0) != ticket)
        pause();
}

void notification_center::ticket_lock::unlock() noexcept
{
    u32 word = word_.load(std::memory_order_relaxed);
    for (;;) {
        const u32 next = (word & ~u32{0xFFFF}) | ((byte_of(word, 0) + 1) & byte_mask) |
                         (((byte_of(word, 1) + 1) & byte_mask) << 8);
        if (word_.compare_exchange_weak(word, next, std::memory_order_release))
            return;
    }
}

void notification_center::post(const memory::data_ptr<notification>& posted)
{
    if (!posted)
        return;
    std::shared_lock<ticket_lock> lock(lock_);
    const auto pair = by_name_and_id_.equal_range({posted->name(), posted->id()});
    for (auto it = pair.first; it != pair.second; ++it)
        it->second->on_notification(posted);
    const auto named = by_name_.equal_range(posted->name());
    for (auto it = named.first; it != named.second; ++it)
        it->second->on_notification(posted);
    const auto numbered = by_id_.equal_range(posted->id());
    for (auto it = numbered.first; it != numbered.second; ++it)
        it->second->on_notification(posted);
    for (notification_observer* observer : of_everything_)
        observer->on_notification(posted);
}

void notification_center::add_observer(notification_observer* observer, const std::string& name)
{
    std::lock_guard<ticket_lock> lock(lock_);
    by_name_.emplace(name, observer);
}

void notification_center::add_observer(notification_observer* observer, u64 id)
{
    std::lock_guard<ticket_lock> lock(lock_);
    by_id_.emplace(id, observer);
}

void notification_center::add_observer(notification_observer* observer, const std::string& name,
                                       u64 id)
{
    std::lock_guard<ticket_lock> lock(lock_);
    by_name_and_id_.emplace(std::make_pair(name, id), observer);
}

void notification_center::add_observer(notification_observer* observer)
{
    std::lock_guard<ticket_lock> lock(lock_);
    of_everything_.insert(observer);
}

void notification_center::remove_observer(notification_observer* observer)
{
    std::lock_guard<ticket_lock> lock(lock_);
    erase_observer(by_name_, observer);
    erase_observer(by_id_, observer);
    erase_observer(by_name_and_id_, observer);
    of_everything_.erase(observer);
}

} // namespace quarro
