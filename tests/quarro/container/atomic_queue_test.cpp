// The lock-free queue: values come out oldest first, from one thread and from many.
#include <quarro/container/atomic_queue.h>

#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

namespace {

TEST(AtomicQueue, TakesAllOldestFirst)
{
    Container::atomic_queue<int> queue;
    for (int value : {1, 2, 3})
        queue.push(value);
    std::vector<int> taken;
    for (int value : queue.take_all())
        taken.push_back(value);
    EXPECT_EQ(taken, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(queue.take_all().empty());
}

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
