// bullet_checks.h: what the enemy weapon tests read back: the glow lines of a
// log, and enemies and bullets set up or checked by hand.
#pragma once

#include "game_fixture.h"

#include <cmath>
#include <vector>

namespace bullettest {

struct GlowLine {
    D2D1_POINT_2F p0, p1;
    UINT32 rgb;  // the core colour, back as 0xRRGGBB
};

// The glow lines of a log, in drawing order: each is SetColor + DrawLine at the
// widths 8, 4 and 2 on one segment. Any other call in between is skipped.
inline std::vector<GlowLine> GlowLines(const CallLog& log)
{
    std::vector<GlowLine> lines;
    const std::vector<DrawCall>& c = log.calls;
    for (size_t k = 0; k + 5 < c.size();) {
        bool glow = c[k].kind == CallKind::SetColor && c[k + 1].kind == CallKind::DrawLine &&
                    c[k + 1].width == 8.0f && c[k + 2].kind == CallKind::SetColor &&
                    c[k + 3].kind == CallKind::DrawLine && c[k + 3].width == 4.0f &&
                    c[k + 4].kind == CallKind::SetColor && c[k + 5].kind == CallKind::DrawLine &&
                    c[k + 5].width == 2.0f;
        if (!glow) {
            k++;
            continue;
        }
        const D2D1_COLOR_F& core = c[k + 4].color;
        EXPECT_EQ(core.a, 1.0f);
        UINT32 rgb = static_cast<UINT32>(std::lround(core.r * 255)) << 16 |
                     static_cast<UINT32>(std::lround(core.g * 255)) << 8 |
                     static_cast<UINT32>(std::lround(core.b * 255));
        lines.push_back({c[k + 5].p0, c[k + 5].p1, rgb});
        k += 6;
    }
    return lines;
}

inline void PlaceEnemy(int slot, float x, float y)
{
    g_enemies[slot].alive = 1;
    g_enemies[slot].x = x;
    g_enemies[slot].y = y;
}

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
