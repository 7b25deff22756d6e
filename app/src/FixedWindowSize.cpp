// Size hints of minimum = maximum = the window's size, restored whenever JUCE rewrites them.
#include "FixedWindowSize.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

FixedWindowSize::FixedWindowSize(juce::Component& windowToKeep) : window(windowToKeep)
{
    auto* peer = window.getPeer();
    if (peer == nullptr || (display = XOpenDisplay(nullptr)) == nullptr)
        return;
    nativeWindow = reinterpret_cast<::Window>(peer->getNativeHandle());
    // Event masks belong to each connection: this one leaves JUCE's untouched.
    XSelectInput(display, nativeWindow, PropertyChangeMask);
    restoreLimits();
    juce::LinuxEventLoop::registerFdCallback(ConnectionNumber(display),
                                             [this](int) { handleEvents(); });
    handleEvents();
}

FixedWindowSize::~FixedWindowSize()
{
    if (display == nullptr)
        return;
    juce::LinuxEventLoop::unregisterFdCallback(ConnectionNumber(display));
    XCloseDisplay(display);
}

// Until no event is left: reading the hints can queue events that the connection's file
// descriptor will not announce again.
void FixedWindowSize::handleEvents()
{
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == PropertyNotify && event.xproperty.atom == XA_WM_NORMAL_HINTS)
            restoreLimits();
    }
}

void FixedWindowSize::restoreLimits()
{
    const int width = window.getWidth();
    const int height = window.getHeight();
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(display, nativeWindow, &hints, &supplied) == 0)
        hints = XSizeHints{};
    if ((hints.flags & PMinSize) != 0 && (hints.flags & PMaxSize) != 0 &&
        hints.min_width == width && hints.max_width == width && hints.min_height == height &&
        hints.max_height == height)
        return;
    hints.flags |= PMinSize | PMaxSize;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    XSetWMNormalHints(display, nativeWindow, &hints);
    XFlush(display);
}
