// The lock-free queue: values come out oldest first and once, while many threads push.
#include <quarro/container/atomic_queue.h>

#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

namespace {

TEST(AtomicQueue, EachThreadsValuesKeepTheirOrder)
{
    Container::atomic_queue<std::pair<int, int>> queue; // (thread, sequence number)
    std::vector<std::thread> pushers;
    for (int t = 0; t < 4; ++t) {
        pushers.emplace_back([&queue, t] {
            for (int i = 0; i < 1000; ++i)
                queue.push({t, i});
        });
    }
    std::vector<int> next(4, 0);
    const auto take = [&] {
        for (const auto& [thread, sequence] : queue.take_all())
            EXPECT_EQ(sequence, next[thread]++) << "thread " << thread;
    };
    for (int round = 0; round < 50; ++round)
        take(); // taken while the pushers run
    for (auto& pusher : pushers)
        pusher.join();
    take();
    EXPECT_EQ(next, (std::vector<int>(4, 1000)));
}

} // namespace
