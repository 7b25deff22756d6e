// SIGINT and SIGTERM turned into quit requests on the message thread.
#pragma once

#include <functional>

/** While it lives, SIGINT and SIGTERM no longer end the process: the signal only wakes the
    message thread, which then calls `onQuitRequest`. One instance at a time; made and
    destroyed on the message thread, after JUCE's own signal set-up. */
class QuitSignals
{
public:
    explicit QuitSignals(std::function<void()> onQuitRequest);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    /** True when the handlers are installed. */
    bool isActive() const noexcept { return readEnd >= 0; }

private:
    std::function<void()> onQuitRequest;
    int readEnd = -1;
};
