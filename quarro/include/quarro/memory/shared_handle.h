// A non-intrusive shared pointer for objects that carry no count of their own.
#pragma once

#include <quarro/memory/quick_allocator.h>
#include <quarro/types.h>

#include <atomic>
#include <utility>

namespace memory {

/// The pool that holds the counters of shared handles (8-byte blocks).
quick_allocator& get_shared_count_pool();

/// Shares ownership of an object through a pooled atomic counter. Copies may be made and
/// dropped on any thread; the last one deletes the object.
template <class T>
class shared_handle
{
public:
    shared_handle() noexcept = default;
    /// Takes ownership of `object`; a null object gets no counter.
    explicit shared_handle(T* object) : object_(object)
    {
        if (object_ != nullptr) {
            try {
                counter_ = new (get_shared_count_pool().allocate(sizeof(counter))) counter{1};
            } catch (...) {
                delete object_;
                throw;
            }
        }
    }
    shared_handle(const shared_handle& other) noexcept
        : object_(other.object_), counter_(other.counter_)
    {
        if (counter_ != nullptr)
            counter_->fetch_add(1, std::memory_order_relaxed);
    }
    shared_handle(shared_handle&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)),
          counter_(std::exchange(other.counter_, nullptr))
    {}
    ~shared_handle() { release(); }

    shared_handle& operator=(shared_handle other) noexcept
    {
        std::swap(object_, other.object_);
        std::swap(counter_, other.counter_);
        return *this;
    }

    /// Drops this handle's reference; the last one frees the counter, then the object.
    void release() noexcept
    {
        counter* c = std::exchange(counter_, nullptr);
        T* object = std::exchange(object_, nullptr);
        if (c != nullptr && c->fetch_sub(1, std::memory_order_acq_rel) == 1) {
            c->~counter();
            get_shared_count_pool().free(c, sizeof(counter));
            delete object;
        }
    }

    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    T& operator*() const noexcept { return *object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    using counter = std::atomic<quarro::u64>;
    static_assert(sizeof(counter) == 8, "the counter pool holds 8-byte blocks");

    T* object_ = nullptr;
    counter* counter_ = nullptr;
};

} // namespace memory
