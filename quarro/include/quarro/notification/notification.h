// Notifications: a name, a numeric id and up to two typed arguments, shared by reference.
#pragma once

#include <quarro/memory/data_ptr.h>
#include <quarro/memory/quick_allocator.h>
#include <quarro/memory/reference_counter.h>
#include <quarro/types.h>

#include <string>
#include <utility>

namespace quarro {

/// Immutable once built; shared between threads through memory::data_ptr.
class notification : public memory::reference_counter
{
public:
    notification(std::string name, u64 id) : name_(std::move(name)), id_(id) {}
    notification(const notification&) = delete;
    notification& operator=(const notification&) = delete;
    virtual ~notification() = default;

    const std::string& name() const noexcept { return name_; }
    u64 id() const noexcept { return id_; }

private:
    std::string name_;
    u64 id_;
};

/// A notification with one argument.
template <class A1>
class notification_ex_1 : public notification
{
    QUARRO_POOLED_CLASS(notification_ex_1, 256, 8)

public:
    notification_ex_1(std::string name, u64 id, A1 first)
        : notification(std::move(name), id), first_(std::move(first))
    {}

    const A1& first() const noexcept { return first_; }

private:
    A1 first_;
};

/// A notification with two arguments.
template <class A1, class A2>
class notification_ex_2 : public notification_ex_1<A1>
{
    QUARRO_POOLED_CLASS(notification_ex_2, 256, 8)

public:
    notification_ex_2(std::string name, u64 id, A1 first, A2 second)
        : notification_ex_1<A1>(std::move(name), id, std::move(first)), second_(std::move(second))
    {}

    /// A new notification held by one reference.
    static memory::data_ptr<notification_ex_2> create(std::string name, u64 id, A1 first, A2 second)
    {
        return memory::data_ptr<notification_ex_2>(
            new notification_ex_2(std::move(name), id, std::move(first), std::move(second)));
    }

    const A2& second() const noexcept { return second_; }

private:
    A2 second_;
};

} // namespace quarro
