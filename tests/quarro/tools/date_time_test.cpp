// The calendar reading of absolute times and the monotonic clock.
#include <quarro/tools/date_time.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

class DateTime : public testing::Test
{
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        saved_ = tz ? tz : "";
        had_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        if (had_)
            setenv("TZ", saved_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string saved_;
    bool had_ = false;
};

TEST_F(DateTime, AbsoluteTimeZeroIsTheFirstOfJanuary2001)
{
    const quarro::date_time t = quarro::date_time::from_absolute_time(0.0);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.year, 2001);
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(t.minute, 0);
    EXPECT_EQ(t.second, 0);
    EXPECT_EQ(t.millisecond, 0);
}

TEST_F(DateTime, DecomposesAFixedTime)
{
    // 2026-12-06 07:05:09.75 UTC.
    const double at = 1796540709.75 - 978307200.0;
    const quarro::date_time t = quarro::date_time::from_absolute_time(at);
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 6);
    EXPECT_EQ(t.hour, 7);
    EXPECT_EQ(t.minute, 5);
    EXPECT_EQ(t.second, 9);
    EXPECT_EQ(t.millisecond, 0);
}

TEST_F(DateTime, BeforeTheEpochAndOtherZones)
{
    const quarro::date_time before = quarro::date_time::from_absolute_time(-0.5);
    EXPECT_EQ(before.year, 2000);
    EXPECT_EQ(before.second, 59);
    setenv("TZ", "UTC-2", 1); // two hours east of Greenwich
    tzset();
    EXPECT_EQ(quarro::date_time::from_absolute_time(0.0).hour, 2);
}

TEST_F(DateTime, CurrentTimeMatchesTheCLibrary)
{
    // The same clock as the code under test: time() reads a coarser one that can still show
    // the previous second just after a second boundary.
    const auto seconds_now = [] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        return now.tv_sec;
    };
    const std::time_t before = seconds_now();
    const quarro::date_time now = quarro::get_current_date_time();
    const std::time_t after = seconds_now();
    std::tm b{}, a{};
    gmtime_r(&before, &b);
    gmtime_r(&after, &a);
    EXPECT_GE(now.year, b.tm_year + 1900);
    EXPECT_LE(now.year, a.tm_year + 1900);
    EXPECT_TRUE(now.second == b.tm_sec || now.second == a.tm_sec);
}

TEST(Milliseconds, IsMonotonic)
{
    const quarro::u64 first = quarro::get_milliseconds();
    const quarro::u64 second = quarro::get_milliseconds();
    EXPECT_GE(second, first);
}

} // namespace
