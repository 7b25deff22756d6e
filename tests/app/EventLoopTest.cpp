// Boxes and file panels opened from inside an event callback, while more event sources become
// ready: JUCE's Linux event loop walks its list of ready callbacks by reference, so a box or
// panel that ran a nested round of the loop would leave the outer round walking freed memory
// (AddressSanitizer stops the test then).
#include "DesktopServices.h"
#include "JuceDialogHooks.h"

#include "support/temporary_folder.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <unistd.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

/** A pipe whose read end is an event source of the message thread's loop. */
class EventSource
{
public:
    explicit EventSource(std::function<void()> onReady) : ready(std::move(onReady))
    {
        if (::pipe(ends.data()) != 0)
            throw std::runtime_error("no pipe");
        juce::LinuxEventLoop::registerFdCallback(ends[0], [this](int fd) {
            char byte = 0;
            if (::read(fd, &byte, 1) == 1 && ready)
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

private:
    std::array<int, 2> ends{};
    std::function<void()> ready;
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
        int besideCalls = 0;
        int closed = 0;
        // Many sources made ready together, more than the loop's list has held so far; the
        // last closes whatever box or panel is up.
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
        const EventSource beside([&besideCalls] { ++besideCalls; });
        opener.makeReady();
        beside.makeReady();
        const auto limit = juce::Time::getMillisecondCounter() + 10000;
        while ((besideCalls == 0 || closed == 0 ||
                juce::Component::getCurrentlyModalComponent() != nullptr ||
                (name != "message box" && !answered)) &&
               juce::Time::getMillisecondCounter() < limit)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
        EXPECT_EQ(besideCalls, 1) << "the source beside the opener was called again";
        EXPECT_GE(closed, 1) << "nothing was open to close";
        EXPECT_EQ(juce::Component::getCurrentlyModalComponent(), nullptr)
            << "still open after 10 s";
        if (name != "message box") {
            EXPECT_TRUE(answered) << "no answer within 10 s";
        }
    }
}

} // namespace
