// The auto-reset event and thread objects.
#include <quarro/synchronization/errors.h>
#include <quarro/synchronization/event.h>
#include <quarro/synchronization/thread.h>

#include "support/bounded_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using std::chrono::steady_clock;

TEST(Event, SignalsBeforeTheWaitAreKeptAsOne)
{
    synchronization::event event;
    event.signal();
    event.signal();
    EXPECT_TRUE(event.wait(0));
    EXPECT_FALSE(event.wait(0)); // auto-reset: the signal was taken
}

TEST(Event, SignalFromAnotherThreadWakesAnEndlessWait)
{
    struct events
    {
        synchronization::event ready, go;
        std::atomic<bool> woken{true};
    };
    const auto shared = std::make_shared<events>(); // outlives a waiter that never wakes
    std::thread other([shared] {
        shared->ready.signal();
        shared->go.signal();
    });
    other.detach();
    EXPECT_TRUE(test_support::finishes_within([shared] {
        shared->woken = shared->ready.wait(synchronization::event::wait_forever) &&
                        shared->go.wait(0xFFFFFFFFu);
    })) << "a signal from another thread was lost";
    EXPECT_TRUE(shared->woken);
}

struct worker
{
    quarro::i64 work()
    {
        ran = true;
        return 42;
    }
    std::atomic<bool> ran{false};
};

// Waiting before the start returns at once; after it, the member function's result.
TEST(Thread, RunsTheMemberFunctionOnceStartedAndReportsItsResult)
{
    worker w;
    auto thread = synchronization::object_thread<worker>::create(&w, &worker::work);
    const auto start = steady_clock::now();
    EXPECT_EQ(thread->wait_until_thread_is_finished(2147483647), 0);
    EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(thread->is_started() || w.ran);
    thread->start();
    EXPECT_TRUE(thread->is_started());
    EXPECT_EQ(thread->wait_until_thread_is_finished(2147483647), 42);
    EXPECT_TRUE(w.ran);
    EXPECT_EQ(thread->get_reference_count(), 1u); // its own reference went with the join
    EXPECT_THROW(thread->start(), synchronization::error::task_runtime_error);
    EXPECT_EQ(thread->wait_until_thread_is_finished(2147483647), 42);
}

} // namespace
