// Reading a comma in a typed number as the decimal point.
#include "DecimalText.h"

namespace DecimalText {

juce::String withDecimalPoints(const juce::String& text)
{
    return text.replaceCharacter(',', '.');
}

} // namespace DecimalText
