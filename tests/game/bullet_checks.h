// bullet_checks.h: what the enemy weapon tests check by hand: glow lines and
// parked bullets.
#pragma once

#include "game_fixture.h"

#include <cmath>
#include <vector>

namespace bullettest {

inline void ExpectLine(const GlowLine& line, float x0, float y0, float x1, float y1, UINT32 rgb)
{
    EXPECT_EQ(line.p0.x, x0);
    EXPECT_EQ(line.p0.y, y0);
    EXPECT_EQ(line.p1.x, x1);
    EXPECT_EQ(line.p1.y, y1);
    EXPECT_EQ(line.rgb, rgb) << std::hex << line.rgb;
}

template <int PerSlot>
void ExpectParked(const BulletFamily<PerSlot>& f, int slot, int j)
{
    EXPECT_EQ(f.active[slot][j], 0.0f) << "slot " << slot << " bullet " << j;
    EXPECT_EQ(f.x[slot][j], ParkX) << "slot " << slot << " bullet " << j;
    EXPECT_EQ(f.y[slot][j], ParkY) << "slot " << slot << " bullet " << j;
}

}  // namespace bullettest

using namespace bullettest;
