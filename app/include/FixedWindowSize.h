// Keeping the window manager from resizing a window that has no resizable border.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

struct _XDisplay;

/** While it lives, the native window of `window` tells the window manager to keep it at the
    component's size: its size hints (WM_NORMAL_HINTS) hold that size as minimum and maximum,
    also after the component changes size.

    JUCE 7 rewrites those hints without limits whenever it places the native window (and at
    the first paint after it has let its backing image go), so this watches them on an X
    connection of its own and puts the limits back each time they change. Watching after the
    fact keeps the order right: a second connection cannot overtake what JUCE has queued.

    `window` must be on the desktop and outlive this object; without a peer or a display it
    does nothing. Made, used and destroyed on the message thread. */
class FixedWindowSize
{
public:
    explicit FixedWindowSize(juce::Component& window);
    ~FixedWindowSize();

private:
    /** Reads the pending events and restores the limits after each change of the hints. */
    void handleEvents();
    /** Sets the limits to the component's size unless the hints hold them already (as they do
        when the change was our own). */
    void restoreLimits();

    juce::Component& window;
    _XDisplay* display = nullptr;
    unsigned long nativeWindow = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(FixedWindowSize)
};
