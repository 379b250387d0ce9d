// Destruction and debris: the runtime's rand against the generator the debris
// relies on, the death sequence inside the enemy pass, and the particles' parking.
#include "game_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// The generator every run of the game must see: seeded 1, never reseeded.
struct Lcg {
    uint32_t state = 1;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

const D2D1_RECT_F FighterSprite = {50, 0, 110, 60};
const D2D1_RECT_F DebrisSmall = {94, 84, 110, 100};
const D2D1_RECT_F DebrisMedium = {62, 84, 78, 100};
const D2D1_RECT_F DebrisLarge = {110, 0, 140, 30};

bool Same(const D2D1_RECT_F& a, const D2D1_RECT_F& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The log reduced to what the enemy pass draws and plays: F a fighter, s m l the
// three debris sizes, h the "hit" sound, '.' anything else.
std::string Tokens(const CallLog& log)
{
    std::string out;
    for (const DrawCall& c : log.calls) {
        if (c.kind == CallKind::Sound)
            out += c.sound == L"hit" ? 'h' : '.';
        else if (c.kind != CallKind::DrawBitmap)
            continue;
        else if (Same(c.source, FighterSprite))
            out += 'F';
        else if (Same(c.source, DebrisSmall))
            out += 's';
        else if (Same(c.source, DebrisMedium))
            out += 'm';
        else if (Same(c.source, DebrisLarge))
            out += 'l';
        else
            out += '.';
    }
    return out;
}

const std::string Burst = "sh" + std::string(80, 's') + std::string(80, 'm') + std::string(59, 'l');

void Particle(int slot, int k, float x, float y, float dx, float dy, float age = 0)
{
    DebrisTable& d = g_enemyDebris;
    d.x[slot][k] = x;
    d.y[slot][k] = y;
    d.dx[slot][k] = dx;
    d.dy[slot][k] = dy;
    d.age[slot][k] = age;
    d.active[slot][k] = 1;
}

void ExpectParked(int slot, int k)
{
    const DebrisTable& d = g_enemyDebris;
    EXPECT_EQ(d.x[slot][k], ParkX) << k;
    EXPECT_EQ(d.y[slot][k], ParkY) << k;
    EXPECT_EQ(d.active[slot][k], 0.0f) << k;
    EXPECT_EQ(d.dx[slot][k], 0.0f) << k;
}

void ExpectFreeSlot(int slot)
{
    const Enemy& e = g_enemies[slot];
    EXPECT_EQ(e.alive, 0) << slot;
    EXPECT_EQ(e.x, ParkX) << slot;
    EXPECT_EQ(e.y, ParkY) << slot;
    EXPECT_EQ(e.hit, 0.0f) << slot;
    EXPECT_EQ(e.deathTimer, 0.0f) << slot;
}

}  // namespace

using DebrisTest = GameTest;

TEST(RuntimeRand, IsTheSeedOneLinearCongruentialSequence)
{
    srand(1);
    Lcg lcg;
    for (int n = 0; n < 100000; n++)
        ASSERT_EQ(rand(), lcg.Next()) << "call " << n;
}

// At clock 11600 the fighters only withdraw (y += 6) and no fighter window is
// open. Slots 4 and 6 were struck in frame N (step 15 set hit); frame N+1 draws
// each once more and bursts it right after its sprite, before the next slot's.
TEST_F(DebrisTest, StruckEnemiesBurstInTheNextFrameAndAreFreeAfter)
{
    srand(1);
    g_stageClock = 11600;
    PlaceEnemy(4, 100, 300, 1.0f);
    PlaceEnemy(5, 200, 300, 0.0f);
    PlaceEnemy(6, 400, 300, 1.0f);
    Frame();

    std::string tokens = Tokens(rt.log);
    size_t first = tokens.find('F');
    ASSERT_NE(first, std::string::npos);
    std::string pass = "F" + Burst + "FF" + Burst;
    EXPECT_EQ(tokens.substr(first, pass.size()), pass);
    EXPECT_EQ(tokens.find_first_of("smlh", first + pass.size()), std::string::npos);

    // The last sprite of slot 4, and particle 0 one flight step from its start.
    Lcg lcg;
    std::vector<const DrawCall*> bitmaps = rt.log.Of(CallKind::DrawBitmap);
    const DrawCall* sprite4 = nullptr;
    for (size_t n = 0; n + 1 < bitmaps.size() && !sprite4; n++)
        if (Same(bitmaps[n]->source, FighterSprite))
            sprite4 = bitmaps[n];
    ASSERT_NE(sprite4, nullptr);
    EXPECT_EQ(sprite4->dest.left, 70.0f);
    EXPECT_EQ(sprite4->dest.top, 276.0f);
    const DrawCall* particle0 = *(std::find(bitmaps.begin(), bitmaps.end(), sprite4) + 1);

    // Every particle's steps come from the one sequence: 821 values for slot 4,
    // the next 821 for slot 6, and nothing else in the frame calls rand.
    for (int slot : {4, 6}) {
        for (int k = 0; k <= 220; k++) {
            if (k == 220) {
                ExpectParked(slot, k);  // never spawned
                continue;
            }
            int a = lcg.Next(), b = lcg.Next(), c = lcg.Next();
            float dx, dy;
            if (k <= 160) {
                dx = static_cast<float>(a % 22 - b % 22 + 4);
                dy = static_cast<float>(c % 22 - lcg.Next() % 22 - 14);
            } else {
                dx = static_cast<float>(a % 4 - b % 4);
                dy = static_cast<float>(c % 12 + 4);
            }
            ASSERT_EQ(g_enemyDebris.dx[slot][k], dx) << slot << " " << k;
            ASSERT_EQ(g_enemyDebris.dy[slot][k], dy) << slot << " " << k;
            if (slot == 4 && k == 0) {
                EXPECT_EQ(particle0->dest.left, 100.0f + 22 + dx - 8);
                EXPECT_EQ(particle0->dest.top, 306.0f + 22 - 25 + dy - 8);
            }
        }
        ExpectFreeSlot(slot);
    }
    EXPECT_EQ(rand(), lcg.Next());
    EXPECT_EQ(g_enemies[5].alive, 1);

    // Frame N+2: only slot 5 is drawn; the debris flies on and no sound plays.
    rt.log.Clear();
    Frame();
    tokens = Tokens(rt.log);
    EXPECT_EQ(std::count(tokens.begin(), tokens.end(), 'F'), 1);
    EXPECT_EQ(tokens.find('h'), std::string::npos);
    EXPECT_GT(std::count(tokens.begin(), tokens.end(), 's'), 0);
    ExpectFreeSlot(4);
    ExpectFreeSlot(6);
}

// Slot 20 withdraws from 1162 to 1168 in this pass and is freed by the exit
// test before its debris step: no burst, no sound, rand untouched.
TEST_F(DebrisTest, StruckEnemyLeavingAtTheBottomLeavesNoDebris)
{
    srand(1);
    g_stageClock = 11600;
    PlaceEnemy(20, 300, 1162, 1.0f);
    RunEnemyPass(&rt);
    ExpectFreeSlot(20);
    for (int k = 0; k < DebrisParticles; k++)
        ExpectParked(20, k);
    EXPECT_EQ(rt.log.Count(CallKind::Sound), 0u);
    EXPECT_EQ(rand(), Lcg().Next());
}

// Landing exactly on the field's outer bounds parks; -99.5 flies on. A burst
// particle reaching age 100 is drawn once more, then stays put undrawn.
TEST_F(DebrisTest, FieldBoundsParkAndBurstParticlesAge)
{
    Particle(7, 161, -90, 300, -10, 0);
    Particle(7, 162, 690, 300, 10, 0);
    Particle(7, 163, 300, -90, 0, -10);
    Particle(7, 164, 300, 858, 0, 10);
    Particle(7, 165, -89.5f, 300, -10, 0);
    Particle(7, 0, 300, 300, 1, 0, 99);
    StepEnemyDebris(&rt, 7);
    EXPECT_EQ(rt.log.Count(CallKind::DrawBitmap), 6u);  // the leaving ones are drawn
    for (int k = 161; k <= 164; k++)
        ExpectParked(7, k);
    EXPECT_EQ(g_enemyDebris.active[7][165], 1.0f);
    EXPECT_EQ(g_enemyDebris.x[7][165], -99.5f);
    EXPECT_EQ(g_enemyDebris.active[7][0], 0.0f);
    EXPECT_EQ(g_enemyDebris.age[7][0], 100.0f);

    rt.log.Clear();
    StepEnemyDebris(&rt, 7);
    EXPECT_EQ(rt.log.Count(CallKind::DrawBitmap), 1u);  // only 165
    EXPECT_EQ(g_enemyDebris.x[7][0], 301.0f);
}

// The ship at (300, 520): x from 284 to 350 and y from 504 to 620, all
// four bounds inclusive; the particles there are drawn, then parked.
TEST_F(DebrisTest, PlayerDebrisBoxBoundsAreInclusive)
{
    const float at[6][2] = {{350, 504}, {284, 620}, {350.5f, 560}, {283.5f, 560}, {300, 620.5f}, {300, 503.5f}};
    for (int j = 0; j < 6; j++)
        Particle(3, 170 + j, at[j][0], at[j][1], 0, 0);
    StepEnemyDebris(&rt, 3);
    EXPECT_EQ(rt.log.Count(CallKind::DrawBitmap), 6u);
    ExpectParked(3, 170);
    ExpectParked(3, 171);
    for (int j = 2; j < 6; j++) {
        EXPECT_EQ(g_enemyDebris.active[3][170 + j], 1.0f) << j;
        EXPECT_EQ(g_enemyDebris.x[3][170 + j], at[j][0]) << j;
    }
    EXPECT_EQ(rt.log.Count(CallKind::Sound), 0u);
}
