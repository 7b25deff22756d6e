// Numbers typed into the value boxes: a comma is read as the decimal point, as many keyboards
// and locales write it ("2,5" is 2.5, not 2), and a box left without a digit holds no number.
#pragma once

#include <juce_core/juce_core.h>

namespace DecimalText {

/** The text with every comma replaced by a full stop. Any thread. */
juce::String withDecimalPoints(const juce::String& text);

/** True when the text holds no digit: an emptied box, or one left with only signs, points,
    commas or blanks. Such a text names no value, and a knob keeps the one it has rather than
    reading it as 0. Any thread. */
bool holdsNoDigit(const juce::String& text);

} // namespace DecimalText
