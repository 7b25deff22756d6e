// The frequency and Q scales: every step maps to its place on the knob and back, values between
// steps go to the nearer one by the midpoint rules, the ends hold.
#include "EqualiserScales.h"

#include <gtest/gtest.h>

#include <utility>

#include <cmath>
#include <limits>

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();

TEST(EqualiserScales, EveryStepMapsToItsPlaceAndBack)
{
    const auto& frequencies = EqualiserScales::frequencies;
    for (std::size_t n = 0; n < frequencies.size(); ++n) {
        EXPECT_EQ(EqualiserScales::proportionOfFrequency(frequencies[n]), n / 61.0);
        EXPECT_EQ(EqualiserScales::frequencyAtProportion(n / 61.0), frequencies[n]);
    }
    const auto& qs = EqualiserScales::qValues;
    for (std::size_t n = 0; n < qs.size(); ++n) {
        EXPECT_EQ(EqualiserScales::proportionOfQ(qs[n]), n / 28.0);
        EXPECT_EQ(EqualiserScales::qAtProportion(n / 28.0), qs[n]);
    }
}

TEST(EqualiserScales, ProportionsOutsideTheTravelGiveTheEnds)
{
    const struct
    {
        double proportion;
        double frequency;
        double q;
    } rows[] = {
        {-0.01, 20.0, 0.1},
        {1.5, 20000.0, 20.0},
        {notANumber, 20.0, 0.1},
        {0.999, 18000.0, 19.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.proportion);
        EXPECT_EQ(EqualiserScales::frequencyAtProportion(row.proportion), row.frequency);
        EXPECT_EQ(EqualiserScales::qAtProportion(row.proportion), row.q);
    }
}

TEST(EqualiserScales, ValuesBetweenStepsGoToTheNearerByTheirMidpoints)
{
    // Frequencies by the whole-hertz midpoint, Q by the exact mean: that of 0.8 and 0.9 in
    // doubles lies just above 0.85, that of 0.3 and 0.4 at 0.35.
    const std::pair<double, int> frequencies[] = {
        {21.9, 0}, {22.0, 1},    {-5.0, 0},    {29.9, 4},
        {30.0, 5}, {1049.9, 35}, {1050.0, 36}, {25000.0, 61},
    };
    for (const auto& [hertz, step] : frequencies)
        EXPECT_EQ(EqualiserScales::proportionOfFrequency(hertz), step / 61.0) << hertz;
    const std::pair<double, int> qs[] = {{0.25, 2}, {0.35, 3},  {0.85, 7},      {1.5, 10},
                                         {1.49, 9}, {21.0, 28}, {notANumber, 0}};
    for (const auto& [q, step] : qs)
        EXPECT_EQ(EqualiserScales::proportionOfQ(q), step / 28.0) << q;
}

} // namespace
