// Waits that end: a lost wake-up or a lock never released fails the test in seconds, saying
// what it waited for, instead of running into CTest's time limit.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace test_support {

/// How long a test waits for something that should happen at once.
constexpr std::chrono::milliseconds wait_limit{5000};

/// Waits until `done()` holds (looking again after each yield), at most `limit`. False when it
/// never held; the caller says what it waited for.
template <class Predicate>
bool eventually(Predicate done, std::chrono::milliseconds limit = wait_limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

/// Runs `action` on a thread of its own and waits for it at most `limit`. False when it did
/// not finish: the thread is then left running (detached), so everything `action` uses must
/// be owned by it (captured shared pointers), and the test must fail.
inline bool finishes_within(std::function<void()> action,
                            std::chrono::milliseconds limit = wait_limit)
{
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();
    std::thread([finished, action = std::move(action)] {
        action();
        finished->set_value();
    }).detach();
    return done.wait_for(limit) == std::future_status::ready;
}

} // namespace test_support
