// debris.cpp: the destruction of a struck enemy and the debris it bursts into.
// Each enemy slot owns a row of 221 particles that outlive the enemy; the
// runtime's rand, seeded 1 and never reseeded, is called by nothing else, so
// every run's explosions fly the same way.
#include "game_local.h"

#include <cstdlib>

DebrisTable g_enemyDebris;

namespace {

constexpr int LastBurst = 160;         // particles 0..160 burst, 161..220 fall
constexpr int LastSmall = 80;          // 0..80 small pieces, 81..160 medium
constexpr float DeathSteps = 220;      // deathTimer 1..220 spawns, 221 frees
constexpr float BurstLife = 100;

const D2D1_RECT_F DebrisLarge = {110, 0, 140, 30};
const D2D1_RECT_F DebrisMedium = {62, 84, 78, 100};
const D2D1_RECT_F DebrisSmall = {94, 84, 110, 100};

// The operands of each difference are drawn left first (sequenced on purpose).
int RandDifference(int range)
{
    int left = rand() % range;
    int right = rand() % range;
    return left - right;
}

void SpawnBurst(int i, int k, const Enemy& e)
{
    DebrisTable& d = g_enemyDebris;
    d.x[i][k] = e.x + 22;
    d.y[i][k] = e.y + 22 - 25;
    d.dx[i][k] = static_cast<float>(RandDifference(22) + 4);
    d.dy[i][k] = static_cast<float>(RandDifference(22) - 14);
    d.age[i][k] = 0;
    d.active[i][k] = 1;
}

void SpawnFalling(int i, int k, const Enemy& e)
{
    DebrisTable& d = g_enemyDebris;
    d.x[i][k] = e.x + 15;
    d.y[i][k] = e.y + 15 - 25;
    d.dx[i][k] = static_cast<float>(RandDifference(4));
    d.dy[i][k] = static_cast<float>(rand() % 12 + 4);
    d.age[i][k] = 0;
    d.active[i][k] = 1;
}

void Park(int i, int k)
{
    DebrisTable& d = g_enemyDebris;
    d.x[i][k] = ParkX;
    d.y[i][k] = ParkY;
    d.dx[i][k] = 0;
    d.dy[i][k] = 0;
    d.active[i][k] = 0;
    d.age[i][k] = 0;
}

// The whole sequence runs inside one debris step, deathTimer counting 1..221 as
// k runs 0..220: 220 particles, the sound at 2, the slot freed at 221.
void DeathStep(int i, int k)
{
    Enemy& e = g_enemies[i];
    e.deathTimer += 1;
    if (e.deathTimer >= 1 && e.deathTimer <= DeathSteps) {
        if (e.deathTimer == 2 && g_edition.deathSound)
            ReplaySoundByName(L"hit", 0, NULL);
        if (k <= LastBurst)
            SpawnBurst(i, k, e);
        else
            SpawnFalling(i, k, e);
    }
    if (e.deathTimer >= DeathSteps + 1)
        FreeEnemy(e);
}

void Fly(ID2D1RenderTarget* rt, int i, int k)
{
    DebrisTable& d = g_enemyDebris;
    d.x[i][k] += d.dx[i][k];
    d.y[i][k] += d.dy[i][k];
    if (k <= LastBurst) {
        if (d.age[i][k] >= 0 && d.age[i][k] <= BurstLife)
            d.age[i][k] += 1;
        if (d.age[i][k] >= BurstLife)
            d.active[i][k] = 0;
    }
    float x = d.x[i][k], y = d.y[i][k];
    D2D1_RECT_F dest;
    const D2D1_RECT_F* source;
    if (k > LastBurst) {
        source = &DebrisLarge;
        dest = D2D1::RectF(x - 15, y - 15, x + 15, y + 15);
    } else {
        source = k > LastSmall ? &DebrisMedium : &DebrisSmall;
        dest = D2D1::RectF(x - 8, y - 8, x + 8, y + 8);
    }
    rt->DrawBitmap(g_spriteSheet, dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, *source);
}

// A particle stays only strictly inside 100 beyond each edge of the field, and
// vanishes where it meets the ship (all four bounds inclusive); it does no harm.
void ParkIfGone(int i, int k)
{
    DebrisTable& d = g_enemyDebris;
    float x = d.x[i][k], y = d.y[i][k];
    if (x <= -100 || x >= 700 || y <= -100 || y >= 868) {
        Park(i, k);
        return;
    }
    if (x <= g_playerX + 50 && x + 16 >= g_playerX && y <= g_playerY + 100 && y + 16 >= g_playerY)
        Park(i, k);
}

}  // namespace

void ResetDebris()
{
    for (int i = 0; i < EnemySlots; i++)
        for (int k = 0; k < DebrisParticles; k++)
            Park(i, k);
}

void StepEnemyDebris(ID2D1RenderTarget* rt, int slot)
{
    for (int k = 0; k < DebrisParticles; k++) {
        if (g_enemies[slot].hit > 0)
            DeathStep(slot, k);
        if (g_enemyDebris.active[slot][k] == 1)
            Fly(rt, slot, k);
        ParkIfGone(slot, k);
    }
}
