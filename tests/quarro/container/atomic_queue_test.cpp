// The take-all queue: values come out oldest first, and none is lost between pushers.
#include <quarro/container/atomic_queue.h>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

TEST(AtomicQueue, TakesEverythingOldestFirst)
{
    Container::atomic_queue<int> queue;
    EXPECT_TRUE(queue.take_all().empty());
    for (int i = 1; i <= 3; ++i)
        queue.push(i);
    std::vector<int> taken;
    for (int value : queue.take_all())
        taken.push_back(value);
    EXPECT_EQ(taken, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(queue.take_all().empty());
}

TEST(AtomicQueue, ConcurrentPushersLoseNothing)
{
    Container::atomic_queue<std::unique_ptr<int>> queue; // owned values: ASan sees any leak
    std::vector<std::thread> pushers;
    for (int t = 0; t < 4; ++t)
        pushers.emplace_back([&queue, t] {
            for (int i = 0; i < 1000; ++i)
                queue.push(std::make_unique<int>(t * 1000 + i));
        });
    std::vector<int> last(4, -1);
    int count = 0;
    const auto drain = [&] {
        for (const auto& value : queue.take_all()) {
            const int t = *value / 1000;
            EXPECT_GT(*value % 1000, last[t]);
            last[t] = *value % 1000;
            ++count;
        }
    };
    for (int round = 0; round < 100; ++round)
        drain();
    for (auto& pusher : pushers)
        pusher.join();
    drain();
    EXPECT_EQ(count, 4000);
    queue.push(std::make_unique<int>(0)); // left for the destructor
}

} // namespace
