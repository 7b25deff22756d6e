// How the equaliser knobs' travel maps onto the fixed frequency and Q steps.
#include "EqualiserScales.h"

#include <cmath>
#include <cstddef>

namespace EqualiserScales {
namespace {

template <typename Entry, std::size_t count>
double entryAtProportion(const std::array<Entry, count>& table, double proportion) noexcept
{
    constexpr auto last = count - 1;
    const double scaled = proportion * static_cast<double>(last);
    // Written so that NaN and values far outside the travel never reach the integer cast.
    if (!(scaled >= 1.0))
        return static_cast<double>(table.front());
    if (scaled >= static_cast<double>(last))
        return static_cast<double>(table.back());
    return static_cast<double>(table[static_cast<std::size_t>(scaled)]);
}

template <typename Entry, std::size_t count, typename Midpoint>
double proportionOfValue(const std::array<Entry, count>& table, double value,
                         Midpoint midpoint) noexcept
{
    constexpr auto last = count - 1;
    std::size_t best = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (static_cast<double>(table[i]) == value)
            return static_cast<double>(i) / static_cast<double>(last);
        if (static_cast<double>(table[i]) < value)
            best = i;
    }
    // Between the first two entries there is no midpoint test: the first entry wins.
    if (best == 0)
        return 0.0;
    if (best >= last)
        return 1.0;
    const auto index = value < midpoint(table[best], table[best + 1]) ? best : best + 1;
    return static_cast<double>(index) / static_cast<double>(last);
}

} // namespace

double frequencyAtProportion(double proportion) noexcept
{
    return entryAtProportion(frequencies, proportion);
}

double proportionOfFrequency(double hertz) noexcept
{
    // Whole hertz: between 26 and 29 the midpoint is 27, not 27.5.
    return proportionOfValue(frequencies, hertz, [](int low, int high) {
        return static_cast<double>((low + high) / 2);
    });
}

double qAtProportion(double proportion) noexcept
{
    return entryAtProportion(qValues, proportion);
}

double proportionOfQ(double q) noexcept
{
    return proportionOfValue(qValues, q,
                             [](double low, double high) { return (low + high) * 0.5; });
}

} // namespace EqualiserScales
