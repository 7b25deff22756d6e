// Reading a comma in a typed number as the decimal point; telling a text that names a value.
#include "DecimalText.h"

namespace DecimalText {

juce::String withDecimalPoints(const juce::String& text)
{
    return text.replaceCharacter(',', '.');
}

bool namesValue(const juce::String& text, const juce::StringArray& units)
{
    auto number = withDecimalPoints(text.trim());
    for (const auto& unit : units)
        if (unit.isNotEmpty() && number.endsWith(unit)) {
            number = number.dropLastCharacters(unit.length());
            break;
        }
    auto character = number.getCharPointer();
    if (*character == '+' || *character == '-')
        ++character;
    int digits = 0;
    int points = 0;
    for (; !character.isEmpty(); ++character) {
        if (*character >= '0' && *character <= '9')
            ++digits;
        else if (*character == '.' && points == 0)
            ++points;
        else
            return false;
    }
    return digits > 0;
}

} // namespace DecimalText
