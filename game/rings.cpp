// rings.cpp: the ring bullets: while an enemy is from 150 to 200 down the field,
// each of its ring families refills its 36 bullets, one per direction, from a
// point fixed to the enemy. Fighters fire families 1 to 3, the rest all nine.
#include "game_local.h"

#include <cmath>

BulletFamily<RingBullets> g_enemyRingBullets[RingFamilies];

namespace {

constexpr int FighterRingFamilies = 3;

struct RingFamily {
    float originX, originY;  // offset from the enemy
    double speed;
    UINT32 colour;
};

const RingFamily RingFamilyTable[RingFamilies] = {
    {0, 60, 6, 0xf000ff},   {0, 60, 8, 0xf00fff},   {0, 60, 10, 0xf000ff},
    {-60, -60, 6, 0xffff00}, {-60, -60, 8, 0xffff00}, {-60, -60, 10, 0xffff00},
    {60, -60, 6, 0xffff00},  {60, -60, 8, 0xffff00},  {60, -60, 10, 0xffff00},
};

// Bullet j flies at (36 - j) x 10 whole radians (deliberately not degrees), the
// products taken in double and rounded to float before they are added.
void FamilyStep(ID2D1RenderTarget* rt, int f, int i, int j)
{
    BulletFamily<RingBullets>& b = g_enemyRingBullets[f];
    const RingFamily& rf = RingFamilyTable[f];
    const Enemy& e = g_enemies[i];
    if (e.alive > 0 && e.y >= 150 && e.y <= 200 && b.active[i][j] == 0) {
        b.x[i][j] = e.x + rf.originX;
        b.y[i][j] = e.y + rf.originY;
        b.active[i][j] = 1;
    }
    if (b.active[i][j] == 1) {
        float x = b.x[i][j], y = b.y[i][j];
        DrawGlowLine(rt, rf.colour, D2D1::Point2F(x, y), D2D1::Point2F(x + 1, y + 1));
        double a = static_cast<double>((36 - j) * 10);
        b.x[i][j] = b.x[i][j] + static_cast<float>(std::cos(a) * rf.speed);
        b.y[i][j] = b.y[i][j] + static_cast<float>(std::sin(a) * rf.speed);
    }
    float x = b.x[i][j], y = b.y[i][j];
    if (x <= -400 || x >= 1000 || y <= -400 || y >= 1168)
        ParkBullet(b, i, j);
}

}  // namespace

void ResetRingBullets()
{
    for (BulletFamily<RingBullets>& f : g_enemyRingBullets)
        ParkBulletFamily(f);
}

void RunRingBullets(ID2D1RenderTarget* rt)
{
    for (int i = 0; i < EnemySlots; i++) {
        int families = i < 9 ? FighterRingFamilies : RingFamilies;
        for (int j = 0; j < RingBullets; j++)
            for (int f = 0; f < families; f++)
                FamilyStep(rt, f, i, j);
    }
}
