// A queue that any thread can push to without waiting, emptied all at once by a taker.
#pragma once

#include <atomic>
#include <utility>

namespace Container {

/// Pushes and the take-all are compare-and-swap and exchange on one head pointer, so no
/// caller ever blocks; values come out oldest first. Any thread.
template <class T>
class atomic_queue
{
    struct node
    {
        T value;
        node* next;
    };

public:
    /// The values taken out of a queue, oldest first; owns them.
    class value_list
    {
    public:
        class iterator
        {
        public:
            explicit iterator(node* at) noexcept : at_(at) {}
            const T& operator*() const noexcept { return at_->value; }
            iterator& operator++() noexcept
            {
                at_ = at_->next;
                return *this;
            }
            bool operator!=(const iterator& other) const noexcept { return at_ != other.at_; }

        private:
            node* at_;
        };

        explicit value_list(node* first) noexcept : first_(first) {}
        value_list(value_list&& other) noexcept : first_(std::exchange(other.first_, nullptr)) {}
        value_list(const value_list&) = delete;
        value_list& operator=(const value_list&) = delete;
        value_list& operator=(value_list&&) = delete;
        virtual ~value_list()
        {
            while (first_ != nullptr)
                delete std::exchange(first_, first_->next);
        }

        bool empty() const noexcept { return first_ == nullptr; }
        iterator begin() const noexcept { return iterator(first_); }
        iterator end() const noexcept { return iterator(nullptr); }

    private:
        node* first_;
    };

    atomic_queue() = default;
    atomic_queue(const atomic_queue&) = delete;
    atomic_queue& operator=(const atomic_queue&) = delete;
    /// Deletes the values still queued.
    virtual ~atomic_queue() { take_all(); }

    /// Adds a value; throws what allocation throws.
    void push(T value)
    {
        auto* added = new node{std::move(value), head_.load(std::memory_order_relaxed)};
        while (!head_.compare_exchange_weak(added->next, added, std::memory_order_release,
                                            std::memory_order_relaxed)) {
        }
    }

    /// Every value queued so far, oldest first; the queue is empty afterwards.
    value_list take_all() noexcept
    {
        node* newest = head_.exchange(nullptr, std::memory_order_acquire);
        node* oldest = nullptr;
        while (newest != nullptr) // the chain runs newest first: turn it round
            oldest = std::exchange(newest, std::exchange(newest->next, oldest));
        return value_list(oldest);
    }

private:
    std::atomic<node*> head_{nullptr};
};

} // namespace Container
