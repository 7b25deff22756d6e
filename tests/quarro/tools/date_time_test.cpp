// The calendar reading of absolute times and the clocks.
#include <quarro/tools/date_time.h>

#include "support/environment_variable.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>
#include <tuple>

namespace {

std::string text_of(const quarro::date_time& t)
{
    return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year) +
           " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
           std::to_string(t.second) + "." + std::to_string(t.millisecond);
}

// Reads the calendar in UTC unless a test names another zone; the zone is put back after.
class DateTime : public testing::Test
{
protected:
    void SetUp() override { tzset(); }
    void TearDown() override
    {
        zone.reset();
        tzset();
    }

    std::optional<test_support::environment_variable> zone{std::in_place, "TZ", "UTC"};
};

TEST_F(DateTime, AbsoluteTimesInTheLocalCalendar)
{
    const std::tuple<const char*, double, const char*> cases[] = {
        {"UTC", 0.0, "1.1.2001 0:0:0.0"},
        {"UTC", 1796540709.75 - 978307200.0, "6.12.2026 7:5:9.0"},
        {"UTC", -0.5, "31.12.2000 23:59:59.0"},
        {"UTC-2", 0.0, "1.1.2001 2:0:0.0"}}; // two hours east of Greenwich
    for (const auto& [name, time, expected] : cases) {
        zone->set(name);
        tzset();
        EXPECT_EQ(text_of(quarro::date_time::from_absolute_time(time)), expected) << time;
    }
}

TEST_F(DateTime, CurrentTimeIsTheWallClock)
{
    // Read on the same clock as the code under test: time() reads a coarser one that can
    // still show the previous second just after a second boundary.
    const auto wall_clock = [] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return text_of(quarro::date_time::from_absolute_time(now.tv_sec - 978307200.0));
    };
    const std::string before = wall_clock();
    const std::string now = text_of(quarro::get_current_date_time());
    const std::string after = wall_clock();
    EXPECT_TRUE(now == before || now == after) << now;
}

} // namespace
