// The frame a film strip shows for a slider position.
#include "SpriteSheet.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(SpriteSheet, FrameFollowsTheSliderPosition)
{
    // A product a hair under a whole frame still reaches it; outside the travel, and for NaN,
    // the strip's end frames are shown, never a frame beyond them.
    const struct
    {
        float position;
        int frames;
        int frame;
    } rows[] = {
        {0.0f, 129, 0},
        {0.5f, 129, 64},
        {0.75f, 5, 3},
        {0.49999997f, 3, 1},
        {1.5f, 129, 128},
        {-3.0f, 5, 0},
        {std::numeric_limits<float>::quiet_NaN(), 129, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.position << " of " << row.frames);
        EXPECT_EQ(SpriteSheet::frameForPosition(row.position, row.frames), row.frame);
    }
}

} // namespace
