// fans.cpp: the fan bullets: twelve families of five streaks per enemy, each
// family on one line at five speeds. Families 1-6 fire down while the enemy is
// from 150 to 200 down the field, families 7-12 up from 350 to 400.
#include "game_local.h"

BulletFamily<FanBullets> g_enemyFanBullets[FanFamilies];

namespace {

constexpr int DownwardFamilies = 6;

struct FanFamily {
    float bandTop, bandBottom;  // launch band of the enemy's y, both ends included
    int xStep, yStep;           // multiples of the bullet's speed unit d
    float x0, y0, x1, y1;       // the streak, from the bullet's position
    UINT32 colour;
};

const FanFamily FanFamilyTable[FanFamilies] = {
    {150, 200, -1, +10, -10, 30, -14, 80, 0xf000ff},
    {150, 200, +1, +10, +10, 30, +14, 80, 0xf000ff},
    {150, 200, -3, +10, -10, 30, -20, 80, 0xf000ff},
    {150, 200, +3, +10, +10, 30, +20, 80, 0xf000ff},
    {150, 200, -6, +10, -10, 30, -34, 80, 0xf000ff},
    {150, 200, +6, +10, +10, 30, +34, 80, 0xf000ff},
    {350, 400, +1, -10, +10, 30, +14, -20, 0xffff00},
    {350, 400, -1, -10, -10, 30, -14, -20, 0xffff00},
    {350, 400, +3, -10, +10, 30, +20, -20, 0xffff00},
    {350, 400, -3, -10, -10, 30, -20, -20, 0xffff00},
    {350, 400, +6, -10, +10, 30, +34, -20, 0xffff00},
    {350, 400, -6, -10, -10, 30, -34, -20, 0xffff00},
};

// Every step is a whole number of pixels. A bullet has no x bound: it flies on
// outside the field until its y bound frees it.
void FamilyStep(ID2D1RenderTarget* rt, int f, int i, int j)
{
    BulletFamily<FanBullets>& b = g_enemyFanBullets[f];
    const FanFamily& ff = FanFamilyTable[f];
    const Enemy& e = g_enemies[i];
    int d = 6 - j;
    if (e.alive > 0 && e.y >= ff.bandTop && e.y <= ff.bandBottom && b.active[i][j] == 0) {
        b.x[i][j] = e.x;
        b.y[i][j] = e.y;
        b.active[i][j] = 1;
    }
    if (b.active[i][j] == 1) {
        float x = b.x[i][j], y = b.y[i][j];
        DrawGlowLine(rt, ff.colour, D2D1::Point2F(x + ff.x0, y + ff.y0), D2D1::Point2F(x + ff.x1, y + ff.y1));
        b.x[i][j] += static_cast<float>(ff.xStep * d);
        b.y[i][j] += static_cast<float>(ff.yStep * d);
    }
    bool gone = f < DownwardFamilies ? b.y[i][j] >= 1168 : b.y[i][j] <= -400;
    if (gone)
        ParkBullet(b, i, j);
}

void FanLoop(ID2D1RenderTarget* rt, int firstFamily, int lastFamily)
{
    for (int i = 0; i < EnemySlots; i++)
        for (int j = 0; j < FanBullets; j++)
            for (int f = firstFamily; f <= lastFamily; f++)
                FamilyStep(rt, f, i, j);
}

}  // namespace

void ResetFanBullets()
{
    for (BulletFamily<FanBullets>& f : g_enemyFanBullets)
        ParkBulletFamily(f);
}

// Every downward streak of the frame is drawn before the first upward one.
void RunFanBullets(ID2D1RenderTarget* rt)
{
    FanLoop(rt, 0, DownwardFamilies - 1);
    FanLoop(rt, DownwardFamilies, FanFamilies - 1);
}
