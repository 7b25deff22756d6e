// Numbers typed into the value boxes: a comma is read as the decimal point, as many keyboards
// and locales write it ("2,5" is 2.5, not 2), and only a well-formed number names a value.
#pragma once

#include <juce_core/juce_core.h>

namespace DecimalText {

/** The text with every comma replaced by a full stop. Any thread. */
juce::String withDecimalPoints(const juce::String& text);

/** True when the text names a value: with the blanks at both ends trimmed, commas read as the
    decimal point and one of `units` (the units the box shows, such as " dB") taken off its
    end, it is an optional sign directly followed by digits with at most one point and a digit
    on at least one side of it ("-5", "+3.5 dB", ".5", "0,5"). Any other text ("", "-",
    "--5", "- 5", "1-3", "1 000") names none, and a knob keeps the value it has rather than
    reading the lenient parse's guess. Any thread. */
bool namesValue(const juce::String& text, const juce::StringArray& units);

} // namespace DecimalText
