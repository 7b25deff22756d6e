// The auto-reset event.
#include <quarro/synchronization/event.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(Event, SignalBeforeTheWaitIsKept)
{
    synchronization::event event;
    event.signal();
    EXPECT_TRUE(event.wait(0));
    EXPECT_FALSE(event.wait(0)); // auto-reset: the signal was taken
}

TEST(Event, TimesOutWhenNobodySignals)
{
    synchronization::event event;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.wait(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(Event, SignalFromAnotherThreadWakesAnEndlessWait)
{
    synchronization::event ready, go;
    std::thread other([&] {
        ready.signal();
        go.signal();
    });
    EXPECT_TRUE(ready.wait(synchronization::event::wait_forever));
    EXPECT_TRUE(go.wait(0xFFFFFFFFu));
    other.join();
}

TEST(Event, TwoSignalsReleaseOneWait)
{
    synchronization::event event;
    event.signal();
    event.signal();
    EXPECT_TRUE(event.wait(0));
    EXPECT_FALSE(event.wait(0));
}

} // namespace
