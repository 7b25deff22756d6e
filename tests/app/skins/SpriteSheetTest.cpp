// The frame and cell choices that every skin makes.
#include "SpriteSheet.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(SpriteSheet, FrameFollowsTheSliderPosition)
{
    const struct
    {
        float position;
        int frames;
        int frame;
    } rows[] = {
        {0.0f, 129, 0},
        {1.0f, 129, 128},
        {0.5f, 129, 64},
        {0.5f, 3, 1},
        {1.0f, 3, 2},
        {0.0f, 3, 0},
        // A product a hair under the whole frame still reaches it.
        {0.49999997f, 3, 1},
        {0.25f, 5, 1},
        {0.75f, 5, 3},
        {1.0f, 5, 4},
        {30.0f / 61.0f, 129, 63},
        {1.0f / 61.0f, 129, 2},
        {60.0f / 61.0f, 129, 126},
        // Outside the travel the strip's end frames are shown, never a frame beyond them.
        {1.5f, 129, 128},
        {-0.5f, 129, 0},
        {-3.0f, 5, 0},
        {std::numeric_limits<float>::quiet_NaN(), 129, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.position << " of " << row.frames);
        EXPECT_EQ(SpriteSheet::frameForPosition(row.position, row.frames), row.frame);
    }
}

TEST(SpriteSheet, DisabledWinsOverDownAndDownOverMouseOver)
{
    const struct
    {
        bool enabled;
        bool mouseOver;
        bool down;
        int cell;
    } rows[] = {
        {true, false, false, 0}, {true, true, false, 1},   {true, false, true, 2},
        {true, true, true, 2},   {false, false, false, 3}, {false, true, false, 3},
        {false, false, true, 3}, {false, true, true, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.enabled << row.mouseOver << row.down);
        EXPECT_EQ(SpriteSheet::fourStateCell(row.enabled, row.mouseOver, row.down), row.cell);
    }
}

} // namespace
