// Delivery order, concurrency and failing observers of the notification center.
#include <quarro/notification/notification_center.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using log_notification = quarro::notification_ex_2<std::string, unsigned int>;

struct recorder : quarro::notification_observer
{
    explicit recorder(std::string tag, std::vector<std::string>& log)
        : tag_(std::move(tag)), log_(log)
    {}
    void on_notification(const memory::data_ptr<quarro::notification>& posted) override
    {
        const auto* message = dynamic_cast<const log_notification*>(posted.get());
        log_.push_back(tag_ + ":" + posted->name() + ":" +
                       (message ? message->first() + "/" + std::to_string(message->second()) : ""));
    }
    std::string tag_;
    std::vector<std::string>& log_;
};

memory::data_ptr<quarro::notification> message(const std::string& text, unsigned int level)
{
    return log_notification::create("quarro::logbook::message", 0, text, level);
}

TEST(NotificationCenter, DeliversPairThenNameThenIdThenEverything)
{
    quarro::notification_center center;
    std::vector<std::string> log;
    recorder all("all", log), id("id", log), name("name", log), pair("pair", log),
        other("other", log);
    center.add_observer(&all);
    center.add_observer(&id, quarro::u64{0});
    center.add_observer(&name, "quarro::logbook::message");
    center.add_observer(&pair, "quarro::logbook::message", 0);
    center.add_observer(&pair, "quarro::logbook::message"); // called once for each
    center.add_observer(&other, "something else");
    center.add_observer(&other, quarro::u64{5});
    center.post(message("abc", 4));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "pair:quarro::logbook::message:abc/4", "name:quarro::logbook::message:abc/4",
                       "pair:quarro::logbook::message:abc/4", "id:quarro::logbook::message:abc/4",
                       "all:quarro::logbook::message:abc/4"}));
    for (recorder* observer : {&all, &id, &name, &pair}) // every registration goes
        center.remove_observer(observer);
    center.post(message("nobody", 7));
    EXPECT_EQ(log.size(), 5u);
}

struct thrower : quarro::notification_observer
{
    void on_notification(const memory::data_ptr<quarro::notification>&) override
    {
        throw std::runtime_error("observer failed");
    }
};

TEST(NotificationCenter, ThrowingObserverLeavesTheCenterUsable)
{
    quarro::notification_center center;
    thrower bad;
    center.add_observer(&bad, "quarro::logbook::message");
    EXPECT_THROW(center.post(message("boom", 4)), std::runtime_error);
    // Both sides of the lock still work: a writer (remove) and readers (post).
    center.remove_observer(&bad);
    std::vector<std::string> log;
    recorder good("good", log);
    center.add_observer(&good);
    center.post(message("after", 4));
    EXPECT_EQ(log.size(), 1u);
}

// Holds the reader lock until released, to show that a second reader is not kept out.
struct gate : quarro::notification_observer
{
    void on_notification(const memory::data_ptr<quarro::notification>& posted) override
    {
        if (posted->name() == "first") {
            inside = true;
            while (!release)
                std::this_thread::yield();
        } else {
            second_delivered = true;
        }
    }
    std::atomic<bool> inside{false}, release{false}, second_delivered{false};
};

TEST(NotificationCenter, TwoPostersProceedTogether)
{
    quarro::notification_center center;
    gate g;
    center.add_observer(&g);
    std::thread first(
        [&] { center.post(memory::make_data_ptr<quarro::notification>("first", 1)); });
    while (!g.inside)
        std::this_thread::yield();
    // The first post still holds the reader lock; the second must get through anyway.
    center.post(memory::make_data_ptr<quarro::notification>("second", 2));
    EXPECT_TRUE(g.second_delivered);
    g.release = true;
    first.join();
}

TEST(NotificationCenter, ManyThreadsPostWhileObserversChange)
{
    quarro::notification_center center;
    std::atomic<int> delivered{0};
    struct counter : quarro::notification_observer
    {
        explicit counter(std::atomic<int>& n) : n_(n) {}
        void on_notification(const memory::data_ptr<quarro::notification>&) override { n_++; }
        std::atomic<int>& n_;
    } steady(delivered), coming(delivered);
    center.add_observer(&steady);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i)
                center.post(message("m", 7));
        });
    }
    for (int i = 0; i < 200; ++i) {
        center.add_observer(&coming, "quarro::logbook::message");
        center.remove_observer(&coming);
    }
    for (auto& t : threads)
        t.join();
    EXPECT_GE(delivered.load(), 8 * 500);
}

} // namespace
