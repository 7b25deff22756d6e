// A reference-counted thread object whose run() is the thread procedure, and a template that
// runs a member function of an object.
#pragma once

#include <quarro/memory/data_ptr.h>
#include <quarro/memory/reference_counter.h>
#include <quarro/types.h>

#include <pthread.h>

namespace synchronization {

class thread : public memory::reference_counter
{
public:
    thread() = default;
    thread(const thread&) = delete;
    thread& operator=(const thread&) = delete;
    virtual ~thread() = default;

    /// The thread procedure; its result is what the join reports.
    virtual quarro::i64 run() = 0;

    /// Starts a thread that calls run(). The object holds a reference on itself until the
    /// thread has been joined. Throws task_runtime_error when no thread can be started, or
    /// when one was started already.
    void start();

    /// Waits until the thread has ended and returns run()'s result; returns 0 at once when no
    /// thread was ever started. The timeout is not used (callers pass 2147483647). Throws
    /// task_runtime_error when the join fails.
    quarro::i64 wait_until_thread_is_finished(quarro::u32 timeout_ms);

    bool is_started() const noexcept { return started_; }

private:
    static void* procedure(void* self);

    bool started_ = false;
    bool joined_ = false;
    pthread_t handle_{};
    quarro::i64 result_ = 0;
};

/// Runs `(object->*member)()` as the thread procedure; the object is not owned.
template <class T>
class object_thread final : public thread
{
public:
    using member_function = quarro::i64 (T::*)();

    /// A new object_thread held by one reference.
    static memory::data_ptr<object_thread> create(T* object, member_function member)
    {
        return memory::data_ptr<object_thread>(new object_thread(object, member));
    }

    quarro::i64 run() override { return (object_->*member_)(); }

private:
    object_thread(T* object, member_function member) : object_(object), member_(member) {}

    T* object_;
    member_function member_;
};

} // namespace synchronization
