// straight.cpp: the straight lasers: one per enemy, fired straight down whenever
// the enemy is 100 or more down the field and its laser is free, drawn as 2, 4
// or 8 parallel beams by the enemy's kind.
#include "game_local.h"

BulletFamily<1> g_enemyStraightLasers;

namespace {

constexpr float LaserSpeed = 18.0f;

struct Beam {
    int firstSlot;          // slots from this one on draw the beam
    float x0, y0, x1, y1;   // offsets from the laser's point
    UINT32 colour;
};

const Beam Beams[] = {
    {0, -10, 30, -10, 80, 0x0fffff},
    {0, +10, 30, +10, 80, 0x0fffff},
    {9, -20, 20, -20, 70, 0x0fffff},
    {9, +20, 20, +20, 70, 0x0fffff},
    {24, -40, 20, -40, 70, 0xfff000},
    {24, +40, 20, +40, 70, 0xfff000},
    {24, -70, 0, -70, 50, 0xfff000},
    {24, +70, 0, +70, 50, 0xfff000},
};

}  // namespace

void ResetStraightLasers()
{
    ParkBulletFamily(g_enemyStraightLasers);
}

// A laser outlives its enemy: once launched it flies on to the bottom.
void RunStraightLasers(ID2D1RenderTarget* rt)
{
    BulletFamily<1>& f = g_enemyStraightLasers;
    for (int i = 0; i < EnemySlots; i++) {
        const Enemy& e = g_enemies[i];
        if (e.alive > 0 && e.y >= 100 && f.active[i][0] == 0) {
            f.x[i][0] = e.x;
            f.y[i][0] = e.y;
            f.active[i][0] = 1;
        }
        if (f.active[i][0] == 1) {
            float x = f.x[i][0], y = f.y[i][0];
            for (const Beam& b : Beams)
                if (i >= b.firstSlot)
                    DrawGlowLine(rt, b.colour, D2D1::Point2F(x + b.x0, y + b.y0), D2D1::Point2F(x + b.x1, y + b.y1));
            f.y[i][0] += LaserSpeed;
        }
        if (f.y[i][0] >= 1168)
            ParkBullet(f, i, 0);
    }
}
