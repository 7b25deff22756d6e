// Thread objects and jobs.
#include <quarro/synchronization/errors.h>
#include <quarro/synchronization/job.h>
#include <quarro/synchronization/thread.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace {

struct worker
{
    quarro::i64 work()
    {
        ran = true;
        return 42;
    }
    std::atomic<bool> ran{false};
};

TEST(Thread, WaitingForAThreadThatNeverStartedReturnsAtOnce)
{
    worker w;
    auto thread = synchronization::object_thread<worker>::create(&w, &worker::work);
    EXPECT_FALSE(thread->is_started());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(thread->wait_until_thread_is_finished(2147483647), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(w.ran);
}

TEST(Thread, RunsTheMemberFunctionAndReportsItsResult)
{
    worker w;
    auto thread = synchronization::object_thread<worker>::create(&w, &worker::work);
    thread->start();
    EXPECT_TRUE(thread->is_started());
    EXPECT_EQ(thread->wait_until_thread_is_finished(2147483647), 42);
    EXPECT_TRUE(w.ran);
    EXPECT_EQ(thread->get_reference_count(), 1u);
    EXPECT_THROW(thread->start(), synchronization::error::task_runtime_error);
    EXPECT_EQ(thread->wait_until_thread_is_finished(2147483647), 42);
}

struct counting_job : synchronization::job
{
    void run() override { runs++; }
    int runs = 0;
};

TEST(Job, NewJobHasStatusZeroAndRunsOnTheCaller)
{
    counting_job job;
    EXPECT_EQ(job.get_status(), 0u);
    job.cancel(); // the base does nothing
    job.run();
    EXPECT_EQ(job.runs, 1);
}

} // namespace
