// Boxes and file panels opened from inside an event callback, while more event sources become
// ready. JUCE's Linux event loop walks its list of ready callbacks by reference and refills that
// one list in each round, so a box or panel that ran a nested round of the loop would leave the
// outer round walking the nested round's list. Where the nested round reallocated the list, the
// outer one walks freed memory and AddressSanitizer or UndefinedBehaviorSanitizer stops the
// test; where it refilled the list in place, the outer round goes on calling sources whose byte
// the nested round has already taken: the test counts every call that finds its pipe empty, and
// every call of the source beside the opener.
#include "DesktopServices.h"
#include "JuceDialogHooks.h"

#include "support/temporary_folder.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

/** A pipe whose read end is an event source of the message thread's loop. Neither end blocks:
    a callback called on an empty pipe, as by a round walking a stale list, is counted and
    returns, so the test fails with a message instead of hanging until CTest's time limit. */
class EventSource
{
public:
    explicit EventSource(std::function<void()> onReady) : ready(std::move(onReady))
    {
        if (::pipe2(ends.data(), O_NONBLOCK | O_CLOEXEC) != 0)
            throw std::runtime_error("no pipe");
        juce::LinuxEventLoop::registerFdCallback(ends[0], [this](int fd) {
            ++calls;
            char byte = 0;
            if (::read(fd, &byte, 1) != 1)
                ++emptyCalls;
            else if (ready)
                ready();
        });
    }
    ~EventSource()
    {
        juce::LinuxEventLoop::unregisterFdCallback(ends[0]);
        ::close(ends[0]);
        ::close(ends[1]);
    }
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

    void makeReady() const
    {
        const char byte = 1;
        if (::write(ends[1], &byte, 1) != 1)
            throw std::runtime_error("pipe full");
    }

    /** How often the loop has called this source, whether its pipe held a byte or not. */
    int callCount() const { return calls; }
    /** How often the loop has called this source with nothing in its pipe to read. */
    int emptyCallCount() const { return emptyCalls; }

private:
    std::array<int, 2> ends{};
    std::function<void()> ready;
    int calls = 0;
    int emptyCalls = 0;
};

TEST(EventLoop, ABoxOrPanelOpenedFromAnEventLeavesTheRoundOfThatEventIntact)
{
    const test_support::temporary_folder folder;
    DesktopServices::install(nullptr); // the native boxes
    JuceDialogHooks hooks;
    bool answered = false;
    const std::vector<std::pair<const char*, std::function<void()>>> rows = {
        {"message box",
         [] { DesktopServices::get().showMessage("Reset failed", "text", nullptr); }},
        {"question",
         [&] {
             DesktopServices::get().askYesNo("Reset speaker", "text", nullptr,
                                             [&](bool) { answered = true; });
         }},
        {"open panel",
         [&] {
             hooks.begin_choose_file_to_open("load preset...", folder.path(),
                                             [&](std::optional<std::string>) { answered = true; });
         }},
        {"save panel",
         [&] {
             hooks.begin_choose_file_to_save("save preset as...", folder.path(), "User Preset",
                                             "xml",
                                             [&](std::optional<std::string>) { answered = true; });
         }},
    };
    for (const auto& row : rows) {
        const std::string name = row.first;
        SCOPED_TRACE(name);
        answered = false;
        int closed = 0;
        // Many sources made ready together, more than the loop's list has held before the first
        // row (a nested round reallocates it) and fewer than it holds in the rows after (a
        // nested round refills it in place); the last closes whatever box or panel is up.
        std::vector<std::unique_ptr<EventSource>> many;
        for (int i = 0; i < 40; ++i)
            many.push_back(std::make_unique<EventSource>([&closed] {
                if (auto* modal = juce::Component::getCurrentlyModalComponent()) {
                    modal->exitModalState(0);
                    ++closed;
                }
            }));
        // Ready in one round: the opener, then the source beside it (the loop walks its
        // sources in the order of their numbers, and the opener's pipe is made first).
        const EventSource opener([&] {
            for (const auto& source : many)
                source->makeReady();
            row.second();
        });
        const EventSource beside([] {});
        opener.makeReady();
        beside.makeReady();
        const auto limit = juce::Time::getMillisecondCounter() + 10000;
        while ((beside.callCount() == 0 || closed == 0 ||
                juce::Component::getCurrentlyModalComponent() != nullptr ||
                (name != "message box" && !answered)) &&
               juce::Time::getMillisecondCounter() < limit)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
        EXPECT_EQ(beside.callCount(), 1) << "the source beside the opener was called again";
        int emptyCalls = opener.emptyCallCount() + beside.emptyCallCount();
        for (const auto& source : many)
            emptyCalls += source->emptyCallCount();
        EXPECT_EQ(emptyCalls, 0) << "sources were called with an empty pipe, by a round of the "
                                    "loop that walked a list another round had refilled";
        EXPECT_GE(closed, 1) << "nothing was open to close";
        EXPECT_EQ(juce::Component::getCurrentlyModalComponent(), nullptr)
            << "still open after 10 s";
        if (name != "message box") {
            EXPECT_TRUE(answered) << "no answer within 10 s";
        }
    }
}

} // namespace
