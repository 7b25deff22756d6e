// Delivery order, concurrency and failing observers of the notification center.
#include <quarro/notification/notification_center.h>

#include "support/bounded_wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

// Runs its action on every notification it receives.
struct observer : quarro::notification_observer
{
    explicit observer(std::function<void(const quarro::notification&)> action)
        : action_(std::move(action))
    {}
    void on_notification(const memory::data_ptr<quarro::notification>& posted) override
    {
        action_(*posted);
    }
    std::function<void(const quarro::notification&)> action_;
};

memory::data_ptr<quarro::notification> message(const std::string& name = "log", quarro::u64 id = 0)
{
    return memory::make_data_ptr<quarro::notification>(name, id);
}

TEST(NotificationCenter, DeliversPairThenNameThenIdThenEverything)
{
    quarro::notification_center center;
    std::string log;
    const auto tagged = [&](const char* tag) {
        return [&log, tag](const quarro::notification& posted) {
            log += std::string(tag) + ":" + posted.name() + " ";
        };
    };
    observer all(tagged("all")), id(tagged("id")), name(tagged("name")), pair(tagged("pair")),
        other(tagged("other"));
    center.add_observer(&all);
    center.add_observer(&id, quarro::u64{0});
    center.add_observer(&name, "log");
    center.add_observer(&pair, "log", 0);
    center.add_observer(&pair, "log"); // called once for each
    center.add_observer(&other, "something else");
    center.add_observer(&other, quarro::u64{5});
    center.post(message());
    EXPECT_EQ(log, "pair:log name:log pair:log id:log all:log ");
    for (observer* each : {&all, &id, &name, &pair}) // every registration goes
        center.remove_observer(each);
    center.post(message());
    EXPECT_EQ(log, "pair:log name:log pair:log id:log all:log ");
}

TEST(NotificationCenter, ThrowingObserverLeavesTheCenterUsable)
{
    quarro::notification_center center;
    observer bad([](const quarro::notification&) { throw std::runtime_error("observer failed"); });
    center.add_observer(&bad, "log");
    EXPECT_THROW(center.post(message()), std::runtime_error);
    // Both sides of the lock still work: a writer (remove) and readers (post).
    center.remove_observer(&bad);
    int delivered = 0;
    observer good([&](const quarro::notification&) { ++delivered; });
    center.add_observer(&good);
    center.post(message());
    EXPECT_EQ(delivered, 1);
}

// Everything an observer may do from inside its call; each used to hang the center for ever.
TEST(NotificationCenter, ObserverMayChangeRegistrationsAndPostFromItsCall)
{
    struct scene
    {
        quarro::notification_center center;
        std::string log;
        std::unique_ptr<observer> self_removing, other, removed, reposting;
    };
    auto owner = std::make_shared<scene>(); // kept by the posting thread should it hang
    scene* s = owner.get();
    s->other = std::make_unique<observer>(
        [s](const quarro::notification& posted) { s->log += "other:" + posted.name() + " "; });
    s->removed =
        std::make_unique<observer>([s](const quarro::notification&) { s->log += "removed "; });
    s->self_removing = std::make_unique<observer>([s](const quarro::notification&) {
        s->log += "self ";
        s->center.remove_observer(s->self_removing.get());
        s->center.remove_observer(s->removed.get());
        s->center.add_observer(s->other.get(), "log");
    });
    s->reposting = std::make_unique<observer>([s](const quarro::notification& posted) {
        if (posted.name() == "log")
            s->center.post(message("inner"));
    });
    s->center.add_observer(s->self_removing.get(), "log");
    s->center.add_observer(s->removed.get(), quarro::u64{0});
    s->center.add_observer(s->reposting.get());
    s->center.add_observer(s->other.get(), "inner");

    EXPECT_TRUE(test_support::finishes_within([owner, s] {
        s->center.post(message()); // "other" added during this post is called from the next
        s->center.post(message());
    })) << "a post from inside a call, or a change of registrations, hung the center";
    EXPECT_EQ(s->log, "self other:inner other:log other:inner ");
}

// An observer removed by another thread is never called once remove_observer has returned,
// even when a post had already taken it up: the removal waits for that call to end.
TEST(NotificationCenter, RemovalWaitsForCallsOnOtherThreads)
{
    quarro::notification_center center;
    std::atomic<bool> inside{false}, removing{false}, removed{false}, called_after{false};
    std::atomic<int> calls{0};
    bool removed_too_early = false;
    observer slow([&](const quarro::notification&) {
        if (removed)
            called_after = true;
        if (calls++ > 0)
            return;
        inside = true;
        test_support::eventually([&] { return removing.load(); });
        // A removal that does not wait returns now, while this call is still running.
        removed_too_early = test_support::eventually([&] { return removed.load(); },
                                                     std::chrono::milliseconds(200));
    });
    center.add_observer(&slow);
    std::thread poster([&] { center.post(message()); });
    if (!test_support::eventually([&] { return inside.load(); })) {
        removing = true; // lets a late call go on, so the poster can be joined
        poster.join();
        FAIL() << "the post never reached its observer";
    }
    std::thread remover([&] {
        removing = true;
        center.remove_observer(&slow);
        removed = true;
    });
    poster.join();
    remover.join();
    center.post(message());
    EXPECT_FALSE(removed_too_early) << "remove_observer returned during a call in progress";
    EXPECT_FALSE(called_after);
    EXPECT_EQ(calls.load(), 1);
}

} // namespace
