// spiral.cpp: the two spiral streams of every enemy: one dot a frame from each
// side while the enemy is from 150 to 800 down the field, each dot flying in a
// fixed direction given by its index alone, so the stream turns like a sprinkler.
#include "game_local.h"

#include <cmath>

BulletFamily<SpiralBullets> g_enemySpiralBullets[SpiralFamilies];
int32_t g_spiralIndex[EnemySlots];

namespace {

constexpr UINT32 FighterColour = 0xfff000;
constexpr UINT32 CapitalColour = 0x00ffff;

// Bullet j steps by (c, s) = 16 (cos t, sin t), t = (unsigned)(18 - j) x 0.2 in
// double. The unsigned wrap is deliberate: bullets 19..35 take huge arguments
// and so start the turn again from a new angle.
void SpiralStep(int j, float* c, float* s)
{
    uint32_t u = static_cast<uint32_t>(18 - j);
    double t = static_cast<double>(u) * 0.2;
    *c = static_cast<float>(std::cos(t) * 16.0);
    *s = static_cast<float>(std::sin(t) * 16.0);
}

bool OutsideSpiralBox(float x, float y)
{
    return x <= -400 || x >= 1000 || y <= -400 || y >= 1168;
}

// Bullets 1..35 in turn; the one launched takes back a bullet still in flight.
void LaunchLoop()
{
    for (int i = 0; i < EnemySlots; i++) {
        const Enemy& e = g_enemies[i];
        if (!(e.alive > 0 && e.y >= 150 && e.y <= 800))
            continue;
        g_spiralIndex[i] += 1;
        uint32_t n = static_cast<uint32_t>(g_spiralIndex[i]);
        BulletFamily<SpiralBullets>& f1 = g_enemySpiralBullets[0];
        BulletFamily<SpiralBullets>& f2 = g_enemySpiralBullets[1];
        f1.x[i][n] = e.x - 20;
        f1.y[i][n] = e.y;
        f1.active[i][n] = 1;
        f2.x[i][n] = e.x + 20;
        f2.y[i][n] = e.y;
        f2.active[i][n] = 1;
        if (n >= 35)
            g_spiralIndex[i] = 0;
    }
}

// Drawn where it stands as a dot, then moved; the second family mirrors x.
void FlyBullet(ID2D1RenderTarget* rt, int family, int i, int j)
{
    BulletFamily<SpiralBullets>& f = g_enemySpiralBullets[family];
    if (f.active[i][j] == 1) {
        float x = f.x[i][j], y = f.y[i][j];
        DrawGlowLine(rt, i < 9 ? FighterColour : CapitalColour, D2D1::Point2F(x, y), D2D1::Point2F(x + 1, y + 1));
        float c, s;
        SpiralStep(j, &c, &s);
        f.x[i][j] = family == 0 ? f.x[i][j] + c : f.x[i][j] - c;
        f.y[i][j] = f.y[i][j] + s;
    }
    if (OutsideSpiralBox(f.x[i][j], f.y[i][j]))
        ParkBullet(f, i, j);
}

}  // namespace

void ResetSpiralBullets()
{
    for (BulletFamily<SpiralBullets>& f : g_enemySpiralBullets)
        ParkBulletFamily(f);
    for (int32_t& n : g_spiralIndex)
        n = 0;
}

void RunSpiralBullets(ID2D1RenderTarget* rt)
{
    LaunchLoop();
    for (int i = 0; i < EnemySlots; i++)
        for (int j = 0; j < SpiralBullets; j++)
            for (int family = 0; family < SpiralFamilies; family++)
                FlyBullet(rt, family, i, j);
}
