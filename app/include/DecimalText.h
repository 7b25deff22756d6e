// Numbers typed into the value boxes: a comma is read as the decimal point, as many keyboards
// and locales write it ("2,5" is 2.5, not 2).
#pragma once

#include <juce_core/juce_core.h>

namespace DecimalText {

/** The text with every comma replaced by a full stop. Any thread. */
juce::String withDecimalPoints(const juce::String& text);

} // namespace DecimalText
