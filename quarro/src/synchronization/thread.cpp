// Thread objects over POSIX threads.
#include <quarro/synchronization/errors.h>
#include <quarro/synchronization/thread.h>

namespace synchronization {

void* thread::procedure(void* self)
{
    auto* object = static_cast<thread*>(self);
    object->result_ = object->run();
    return nullptr;
}

void thread::start()
{
    if (started_)
        throw error::task_runtime_error("thread::start() thread already started!", 0);
    add_reference(); // kept until the join, so the object outlives its thread
    const int result = pthread_create(&handle_, nullptr, &thread::procedure, this);
    if (result != 0) {
        remove_reference();
        throw error::task_runtime_error("thread::start() pthread_create failed!", result);
    }
    started_ = true;
}

quarro::i64 thread::wait_until_thread_is_finished(quarro::u32 /*timeout_ms*/)
{
    if (!started_ || joined_)
        return result_;
    const int result = pthread_join(handle_, nullptr);
    if (result != 0) {
        throw error::task_runtime_error(
            "thread::wait_until_thread_is_finished() pthread_join failed!", result);
    }
    joined_ = true;
    const quarro::i64 run_result = result_;
    if (remove_reference() == 0)
        delete this; // the caller held no reference of its own
    return run_result;
}

} // namespace synchronization
