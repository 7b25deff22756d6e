// The caret of the value boxes' editors, drawn two pixels further left than the stock caret so
// that it sits against the centred digits.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A juce::CaretComponent shifted 2 pixels to the left. Message thread. */
class MyCaretComponent : public juce::CaretComponent
{
public:
    /** A caret for the given key-focus owner, which it does not own. */
    explicit MyCaretComponent(juce::Component* keyFocusOwner);

    /** Places the caret at the character area moved 2 pixels to the left. */
    void setCaretPosition(const juce::Rectangle<int>& characterArea) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MyCaretComponent)
};
