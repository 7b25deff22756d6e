// Reading a comma in a typed number as the decimal point; telling a text without a number.
#include "DecimalText.h"

namespace DecimalText {

juce::String withDecimalPoints(const juce::String& text)
{
    return text.replaceCharacter(',', '.');
}

bool holdsNoDigit(const juce::String& text)
{
    return !text.containsAnyOf("0123456789");
}

} // namespace DecimalText
