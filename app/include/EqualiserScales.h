// The fixed steps of the equaliser's frequency and Q knobs, and how a knob's travel maps onto
// them. The speaker stores a band's frequency and Q as an index into these same tables.
#pragma once

#include <array>

namespace EqualiserScales {

/** The 62 band frequencies in whole hertz, index 0 to 61. */
inline constexpr std::array<int, 62> frequencies{
    20,   22,   24,   26,    29,    32,    36,    40,    45,    50,   56,   63,   71,
    80,   90,   100,  112,   125,   140,   160,   180,   200,   224,  250,  280,  315,
    355,  400,  450,  500,   560,   630,   710,   800,   900,   1000, 1100, 1200, 1400,
    1600, 1800, 2000, 2300,  2500,  2800,  3200,  3600,  4000,  4500, 5000, 5600, 6300,
    7100, 8000, 9000, 10000, 11200, 12500, 14000, 16000, 18000, 20000};

/** The 29 Q values, index 0 to 28: 0.1 to 1.0 in tenths, then 2 to 20. */
inline constexpr std::array<double, 29> qValues{
    0.1, 0.2, 0.3, 0.4,  0.5,  0.6,  0.7,  0.8,  0.9,  1.0,  2.0,  3.0,  4.0,  5.0, 6.0,
    7.0, 8.0, 9.0, 10.0, 11.0, 12.0, 13.0, 14.0, 15.0, 16.0, 17.0, 18.0, 19.0, 20.0};

/** The frequency at a proportion of the knob's travel: entry trunc(proportion x 61), the
    first entry below 0 (and for NaN), the last above 1. Any thread; allocates nothing. */
double frequencyAtProportion(double proportion) noexcept;

/** The proportion of the knob's travel that shows a frequency: index / 61 of the matching
    entry, else of the nearer neighbour with the midpoint taken in whole hertz (truncated) and
    ties going up; a value below the second entry gives 0, one above the last gives 1. */
double proportionOfFrequency(double hertz) noexcept;

/** As frequencyAtProportion, on the Q table (index / 28). */
double qAtProportion(double proportion) noexcept;

/** As proportionOfFrequency, on the Q table, with the exact mean as the midpoint. */
double proportionOfQ(double q) noexcept;

} // namespace EqualiserScales
