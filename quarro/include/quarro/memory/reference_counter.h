// The intrusive reference count carried by shared objects (blocks, files, jobs, records).
#pragma once

#include <quarro/types.h>

#include <atomic>
#include <cassert>

namespace memory {

/// An atomic count starting at 0. An object must not die while references to it remain:
/// the destructor asserts that the count is 0. Copies of an object start with a count of 0.
class reference_counter
{
public:
    reference_counter() noexcept = default;
    reference_counter(const reference_counter&) noexcept {}
    reference_counter& operator=(const reference_counter&) noexcept { return *this; }
    ~reference_counter() { assert(get_reference_count() == 0); }

    /// Adds one reference; returns the new count.
    quarro::u64 add_reference() const noexcept
    {
        return count_.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    /// Drops one reference; returns the new count. Acquire-release, so that the thread that
    /// drops the last reference sees every write made through the others.
    quarro::u64 remove_reference() const noexcept
    {
        return count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    }
    quarro::u64 get_reference_count() const noexcept
    {
        return count_.load(std::memory_order_acquire);
    }

private:
    mutable std::atomic<quarro::u64> count_{0};
};

} // namespace memory
