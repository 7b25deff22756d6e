// The voicing selector's names.
#include "ActivePresetSlider.h"

#include <array>

namespace {

constexpr std::array<const char*, 5> slotNames{"Preset 1: Tarn", "Preset 2: QLX", "User Preset 1",
                                               "User Preset 2", "User Preset 3"};

} // namespace

double ActivePresetSlider::getValueFromText(const juce::String& text)
{
    for (std::size_t i = 0; i < slotNames.size(); ++i)
        if (text == slotNames[i])
            return static_cast<double>(i + 1);
    return 0.0;
}

juce::String ActivePresetSlider::getTextFromValue(double value)
{
    for (std::size_t i = 0; i < slotNames.size(); ++i)
        if (value == static_cast<double>(i + 1))
            return slotNames[i];
    return "unknown";
}
