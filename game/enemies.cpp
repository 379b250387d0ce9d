// enemies.cpp: the 48 enemy slots: spawn windows of the stage script, the four
// movement patterns, drawing by slot band and the exit at the bottom. The slot
// index is the enemy's identity: it fixes kind, entry point, sprite and weapons.
#include "game_local.h"

#include <cmath>

Enemy g_enemies[EnemySlots];
const float g_pi = 3.14f;

namespace {

constexpr int FirstCruiser = 9;     // slots 0..8 are Fighters
constexpr float TurnStep = 0.0006f;
constexpr float Speed = 6.0f;
constexpr float ExitY = 1168.0f;     // 400 below the bottom of the field

// FighterWave entry points, slots 0..8: three arrowheads of three.
const float FighterY[9] = {-200, -100, -200, -600, -500, -600, -1000, -900, -1000};

// CapitalShipGroup n takes slots 9 + 3n .. 11 + 3n.
const float CapitalX[3] = {150, 450, 300};
const float CruiserY[3] = {-400, -400, -800};
const float BattleshipY[3] = {-800, -800, -1800};

// Sprite cells by slot band (three slots to a band from slot 9 on).
const D2D1_RECT_F FighterSprite = {50, 0, 110, 60};
const D2D1_RECT_F CapitalSprites[13] = {
    {0, 100, 300, 400},      {300, 100, 600, 400},     {600, 100, 900, 400},    // Cruisers 1-3
    {0, 400, 400, 1200},     {400, 400, 800, 1200},    {800, 400, 1200, 1200},  // Battleships 1-3
    {0, 1200, 400, 2000},    {400, 1200, 800, 2000},   {800, 1200, 1200, 2000}, // 4-6
    {0, 2000, 400, 2800},    {400, 2000, 800, 2800},   {800, 2000, 1200, 2800}, // 7-9
    {0, 2800, 400, 3600},                                                       // 10
};

// A movement pattern: its clock window, the turn sign of each quarter of the
// phase cycle, whether x moves, and the downward drift.
struct MovePattern {
    float first, last;
    float s1, s2, s3, s4;
    bool movesX;
    float drift;
};

const MovePattern Weave = {1, 2500, +1, +1, -1, -1, true, 6};
const MovePattern CircleFighters = {2500, 7500, +1, +1, +1, +1, true, 6};
const MovePattern CounterWeave = {2500, 7500, -1, -1, +1, +1, true, 6};
const MovePattern BobFighters = {7500, 10500, -1, -1, -1, -1, true, 3};
const MovePattern BobCapitals = {7500, 10500, -1, -1, +1, +1, false, 6};
constexpr float WithdrawFirst = 10500, WithdrawLast = 14500;

bool ClockIn(float first, float last)
{
    return g_stageClock >= first && g_stageClock <= last;
}

void Spawn(Enemy& e, float x, float y)
{
    e.x = x;
    e.y = y;
    e.hit = 0;
    e.deathTimer = 0;
    e.phase = 0;
    e.heading = 0;
    e.alive = 1;
}

// Every window is closed; a slot freed while its window is open refills at the
// same point in the next frame.
void SpawnIfDue(int i)
{
    Enemy& e = g_enemies[i];
    if (e.alive != 0)
        return;
    if (i < FirstCruiser) {
        bool open = ClockIn(100, 500);
        for (int m = 1; m <= 12 && !open; m++)
            open = ClockIn(1000.0f * m, 1000.0f * m + 500);
        if (open)
            Spawn(e, 60.0f * i + 60, FighterY[i]);
        return;
    }
    int n = (i - FirstCruiser) / 3, k = (i - FirstCruiser) % 3;
    if (ClockIn(500.0f + 1000.0f * n, 1050.0f + 1000.0f * n))
        Spawn(e, CapitalX[k], n < 3 ? CruiserY[k] : BattleshipY[k]);
}

// One pattern step. The heading is scaled as if to degrees and used as radians
// (deliberate); cosf/sinf here are the double functions of the float widened,
// rounded back to float. The y product and the drift are summed before the add.
void PatternStep(Enemy& e, const MovePattern& p)
{
    e.phase += 1;
    if (e.phase >= 1 && e.phase <= 300)
        e.heading += p.s1 * TurnStep;
    if (e.phase >= 301 && e.phase <= 600)
        e.heading += p.s2 * TurnStep;
    if (e.phase >= 601 && e.phase <= 900)
        e.heading += p.s3 * TurnStep;
    if (e.phase >= 901 && e.phase <= 1200)
        e.heading += p.s4 * TurnStep;
    if (e.phase >= 1201)
        e.phase = 0;
    float a = e.heading * 180 / g_pi;
    if (p.movesX)
        e.x += static_cast<float>(std::cos(static_cast<double>(a))) * Speed;
    e.y += static_cast<float>(std::sin(static_cast<double>(a))) * Speed + p.drift;
}

// The patterns are tried in order, each against its own window, so at 2500,
// 7500 and 10500 an enemy takes two steps; at clock 0 it takes none.
void Move(int i)
{
    Enemy& e = g_enemies[i];
    bool fighter = i < FirstCruiser;
    if (ClockIn(Weave.first, Weave.last))
        PatternStep(e, Weave);
    if (ClockIn(CircleFighters.first, CircleFighters.last))
        PatternStep(e, fighter ? CircleFighters : CounterWeave);
    if (ClockIn(BobFighters.first, BobFighters.last))
        PatternStep(e, fighter ? BobFighters : BobCapitals);
    if (ClockIn(WithdrawFirst, WithdrawLast))
        e.y += 6;
}

void Draw(ID2D1RenderTarget* rt, int i)
{
    const Enemy& e = g_enemies[i];
    D2D1_RECT_F dest;
    const D2D1_RECT_F* source;
    if (i < FirstCruiser) {
        source = &FighterSprite;
        dest = D2D1::RectF(e.x - 30, e.y - 30, e.x + 30, e.y + 30);
    } else if (i < 18) {
        source = &CapitalSprites[(i - FirstCruiser) / 3];
        dest = D2D1::RectF(e.x - 150, e.y - 150, e.x + 150, e.y + 150);
    } else {
        source = &CapitalSprites[(i - FirstCruiser) / 3];
        dest = D2D1::RectF(e.x - 200, e.y - 400, e.x + 200, e.y + 400);
    }
    rt->DrawBitmap(g_spriteSheet, dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, *source);
}

}  // namespace

void FreeEnemy(Enemy& e)
{
    e.x = ParkX;
    e.y = ParkY;
    e.alive = 0;
    e.hit = 0;
    e.deathTimer = 0;
    e.phase = 0;
    e.heading = 0;
}

// phase and heading of a free slot are left alone: a spawn sets them.
void ResetEnemies()
{
    for (Enemy& e : g_enemies) {
        e.x = ParkX;
        e.y = ParkY;
        e.alive = 0;
        e.hit = 0;
        e.deathTimer = 0;
    }
}

// Slot by slot: spawn, move, draw, exit, then the slot's debris, so slot k's
// debris lies over enemies 0..k and under k+1..47. An enemy that leaves at the
// bottom leaves no debris and no sound, even if it had been struck.
void RunEnemyPass(ID2D1RenderTarget* rt)
{
    for (int i = 0; i < EnemySlots; i++) {
        Enemy& e = g_enemies[i];
        SpawnIfDue(i);
        if (e.alive == 1) {
            Move(i);
            Draw(rt, i);
        }
        if (e.y >= ExitY)
            FreeEnemy(e);
        StepEnemyDebris(rt, i);
    }
}
