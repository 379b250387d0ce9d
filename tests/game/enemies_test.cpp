// The enemy pass: spawn windows, the movement patterns against a reference
// written out here on its own, the exit at the bottom, the sprite of each slot
// band, and one whole pass of the script.
#include "game_fixture.h"

#include <cmath>
#include <utility>

namespace {

// ---- reference model ---------------------------------------------------------------
// One enemy as the reference sees it.
struct Body {
    float x, y, phase, heading;
};

struct Turn {
    int sign[4];  // per quarter of the 1201-step cycle
    bool movesX;
    float drift;
};

const Turn Weave = {{+1, +1, -1, -1}, true, 6};
const Turn Circle = {{+1, +1, +1, +1}, true, 6};
const Turn CounterWeave = {{-1, -1, +1, +1}, true, 6};
const Turn BobFighter = {{-1, -1, -1, -1}, true, 3};
const Turn BobCapital = {{-1, -1, +1, +1}, false, 6};

// One step: count the phase, turn by the quarter's sign (none at 1201, which
// starts the cycle again), scale the heading by 180 / 3.14 in float and use it
// as radians through the double functions, then move.
void Step(Body& b, const Turn& t)
{
    b.phase = b.phase + 1.0f;
    int quarter = -1;
    if (b.phase >= 1 && b.phase <= 1200)
        quarter = (int(b.phase) - 1) / 300;
    if (quarter >= 0)
        b.heading = t.sign[quarter] > 0 ? b.heading + 0.0006f : b.heading - 0.0006f;
    if (b.phase >= 1201)
        b.phase = 0;
    float a = b.heading * 180.0f;
    a = a / 3.14f;
    if (t.movesX) {
        float dx = float(cos(double(a))) * 6.0f;
        b.x = b.x + dx;
    }
    float dy = float(sin(double(a))) * 6.0f + t.drift;
    b.y = b.y + dy;
}

// The steps of one frame for a slot: each pattern whose window holds the clock.
void FrameSteps(Body& b, int slot, int clock)
{
    bool fighter = slot <= 8;
    if (clock >= 1 && clock <= 2500)
        Step(b, Weave);
    if (clock >= 2500 && clock <= 7500)
        Step(b, fighter ? Circle : CounterWeave);
    if (clock >= 7500 && clock <= 10500)
        Step(b, fighter ? BobFighter : BobCapital);
    if (clock >= 10500)
        b.y = b.y + 6.0f;
}

// The spawn windows of a slot, closed, in script order.
std::vector<std::pair<int, int>> Windows(int slot)
{
    std::vector<std::pair<int, int>> w;
    if (slot <= 8) {
        w.push_back({100, 500});
        for (int start = 1000; start <= 12000; start += 1000)
            w.push_back({start, start + 500});
    } else {
        int group = (slot - 9) / 3;
        w.push_back({500 + 1000 * group, 1050 + 1000 * group});
    }
    return w;
}

int OpenWindow(int slot, int clock)
{
    std::vector<std::pair<int, int>> w = Windows(slot);
    for (size_t k = 0; k < w.size(); k++)
        if (clock >= w[k].first && clock <= w[k].second)
            return int(k);
    return -1;
}

Body Entry(int slot)
{
    const float fighterY[9] = {-200, -100, -200, -600, -500, -600, -1000, -900, -1000};
    if (slot <= 8)
        return {60.0f + 60 * slot, fighterY[slot], 0, 0};
    const float x[3] = {150, 450, 300};
    int k = (slot - 9) % 3;
    bool cruiser = slot <= 17;
    float y = k == 2 ? (cruiser ? -800.0f : -1800.0f) : (cruiser ? -400.0f : -800.0f);
    return {x[k], y, 0, 0};
}

Body Of(const Enemy& e)
{
    return {e.x, e.y, e.phase, e.heading};
}

#define EXPECT_BODY(actual, expected)                  \
    do {                                               \
        Body a_ = (actual), e_ = (expected);           \
        EXPECT_EQ(a_.x, e_.x);                         \
        EXPECT_EQ(a_.y, e_.y);                         \
        EXPECT_EQ(a_.phase, e_.phase);                 \
        EXPECT_EQ(a_.heading, e_.heading);             \
    } while (0)

void Place(int slot, Body b)
{
    g_enemies[slot] = {1, b.x, b.y, 0, 0, b.phase, b.heading};
}

bool Parked(const Enemy& e)
{
    return e.alive == 0 && e.x == ParkX && e.y == ParkY && e.hit == 0 && e.deathTimer == 0 && e.phase == 0 &&
           e.heading == 0;
}

bool SameRect(const D2D1_RECT_F& a, const D2D1_RECT_F& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

using EnemiesTest = GameTest;

// The sprite-sheet draws from one source cell, in log order.
std::vector<const DrawCall*> SpriteDraws(const CallLog& log, const D2D1_RECT_F& s)
{
    std::vector<const DrawCall*> out;
    for (const DrawCall* c : log.Of(CallKind::DrawBitmap))
        if (SameRect(c->source, s))
            out.push_back(c);
    return out;
}

}  // namespace

TEST_F(EnemiesTest, WavesSpawnOnTheirWindowsEdges)
{
    g_stageClock = 99;
    Frame();
    for (const Enemy& e : g_enemies)
        EXPECT_EQ(e.alive, 0);

    rt.log.Clear();
    Frame();  // clock 100: the FighterWave opens, each Fighter moved once by Weave
    for (int i = 0; i < EnemySlots; i++)
        EXPECT_EQ(g_enemies[i].alive, i <= 8 ? 1 : 0) << i;
    EXPECT_EQ(g_enemies[0].phase, 1.0f);
    EXPECT_EQ(g_enemies[0].heading, 0.0006f);
    std::vector<const DrawCall*> fighters = SpriteDraws(rt.log, {50, 0, 110, 60});
    ASSERT_EQ(fighters.size(), 9u);
    EXPECT_NEAR(fighters[0]->dest.left + 30, 66.0f, 0.05);
    EXPECT_NEAR(fighters[0]->dest.top + 30, -193.8f, 0.05);
    for (int i = 0; i <= 8; i++) {
        Body b = Entry(i);
        Step(b, Weave);
        EXPECT_BODY(Of(g_enemies[i]), b);
    }

    // At 500 the last frame of the first FighterWave and the first of
    // CapitalShipGroup 0.
    ResetEnemies();
    g_stageClock = 500;
    Frame();
    for (int i = 0; i < EnemySlots; i++)
        EXPECT_EQ(g_enemies[i].alive, i <= 11 ? 1 : 0) << i;
    for (int i = 9; i <= 11; i++) {
        Body b = Entry(i);
        Step(b, Weave);
        EXPECT_BODY(Of(g_enemies[i]), b);
    }

    // 501 to 999: no Fighter; the Cruisers keep refilling.
    ResetEnemies();
    while (g_stageClock < 1000) {
        rt.log.Clear();
        Frame();
        for (int i = 0; i <= 8; i++)
            ASSERT_EQ(g_enemies[i].alive, 0) << "slot " << i << " at " << g_stageClock - 1;
    }
    EXPECT_EQ(g_enemies[9].alive, 1);
    Frame();
    EXPECT_EQ(g_enemies[0].alive, 1);
}

// At the seams of the patterns an enemy takes two steps, the second from where
// the first left it; at clock 0 it takes none and is drawn where it stands.
TEST_F(EnemiesTest, TwoStepsAtThePatternSeamsAndNoneAtClockZero)
{
    const Body start = {300, 100, 299, 0.1f};  // the first step ends a quarter, the second starts one
    for (int clock : {2500, 7500, 10500}) {
        ResetEnemies();
        Place(4, start);
        Place(20, start);
        g_stageClock = float(clock);
        Frame();
        Body fighter = start, capital = start;
        FrameSteps(fighter, 4, clock);
        FrameSteps(capital, 20, clock);
        EXPECT_BODY(Of(g_enemies[4]), fighter);
        EXPECT_BODY(Of(g_enemies[20]), capital);
        EXPECT_EQ(g_enemies[4].phase, clock == 10500 ? 300.0f : 301.0f) << clock;  // Withdraw does not count
    }

    ResetEnemies();
    Place(4, start);
    Place(20, start);
    g_stageClock = 0;
    rt.log.Clear();
    Frame();
    EXPECT_BODY(Of(g_enemies[4]), start);
    EXPECT_BODY(Of(g_enemies[20]), start);
    std::vector<const DrawCall*> fighter = SpriteDraws(rt.log, {50, 0, 110, 60});
    std::vector<const DrawCall*> battleship = SpriteDraws(rt.log, {0, 400, 400, 1200});
    ASSERT_EQ(fighter.size(), 1u);
    ASSERT_EQ(battleship.size(), 1u);
    EXPECT_TRUE(SameRect(fighter[0]->dest, {270, 70, 330, 130}));
    EXPECT_TRUE(SameRect(battleship[0]->dest, {100, -300, 500, 500}));
}

TEST_F(EnemiesTest, PhaseWrapsAfter1201WithoutTurning)
{
    Place(20, {300, 100, 1200, 0.25f});
    g_stageClock = 100;
    Frame();
    EXPECT_EQ(g_enemies[20].phase, 0.0f);
    EXPECT_EQ(g_enemies[20].heading, 0.25f);
    Frame();
    EXPECT_EQ(g_enemies[20].phase, 1.0f);
    EXPECT_EQ(g_enemies[20].heading, 0.25f + 0.0006f);
}

// The pass's arithmetic, step for step, against the reference over the first
// four patterns and eight phase cycles. The y is brought back up the field
// (in both) before it could leave, so that the exit never intervenes.
TEST_F(EnemiesTest, MovementMatchesTheReferenceExactlyOverManySteps)
{
    const int slots[2] = {4, 30};
    Body ref[2] = {{300, 0, 0, 0}, {200, 0, 0, 0}};
    for (int k = 0; k < 2; k++)
        Place(slots[k], ref[k]);
    for (int clock = 1; clock <= 10700; clock++) {
        for (int k = 0; k < 2; k++) {
            if (ref[k].y > 1000) {
                ref[k].y -= 2000;
                g_enemies[slots[k]].y = ref[k].y;
            }
            FrameSteps(ref[k], slots[k], clock);
        }
        g_stageClock = float(clock);
        rt.log.Clear();
        RunEnemyPass(&rt);
        for (int k = 0; k < 2; k++) {
            const Enemy& e = g_enemies[slots[k]];
            ASSERT_EQ(e.x, ref[k].x) << "slot " << slots[k] << " clock " << clock;
            ASSERT_EQ(e.y, ref[k].y) << "slot " << slots[k] << " clock " << clock;
            ASSERT_EQ(e.phase, ref[k].phase) << "slot " << slots[k] << " clock " << clock;
            ASSERT_EQ(e.heading, ref[k].heading) << "slot " << slots[k] << " clock " << clock;
        }
    }
}

// In CircleAndBob only the Fighters move sideways.
TEST_F(EnemiesTest, CircleAndBobHoldsTheCapitalShipsX)
{
    const Body start = {300, 0, 10, 0.05f};
    for (int i = 0; i < EnemySlots; i++)
        Place(i, start);
    g_stageClock = 8000;
    Frame();
    for (int i = 0; i < EnemySlots; i++) {
        Body b = start;
        FrameSteps(b, i, 8000);
        EXPECT_BODY(Of(g_enemies[i]), b);
        if (i <= 8)
            EXPECT_NE(g_enemies[i].x, 300.0f);
        else
            EXPECT_EQ(g_enemies[i].x, 300.0f);
    }
}

// Withdraw takes 1162 to 1168: drawn there, then parked, even though struck,
// with no debris and no sound. 1161.9 + 6 stays in play.
TEST_F(EnemiesTest, ExitAt1168DrawsThenParksTheSlot)
{
    Place(20, {300, 1161.9f, 0, 0});
    Place(21, {300, 1162, 40, 0.3f});
    g_enemies[21].hit = 1.0f;
    g_stageClock = 10600;
    Frame();
    EXPECT_EQ(g_enemies[20].alive, 1);
    EXPECT_EQ(g_enemies[20].y, 1161.9f + 6.0f);
    EXPECT_TRUE(Parked(g_enemies[21]));
    std::vector<const DrawCall*> drawn = SpriteDraws(rt.log, {400, 400, 800, 1200});
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0]->dest.top, 768.0f);
    EXPECT_EQ(drawn[0]->dest.bottom, 1568.0f);
    EXPECT_EQ(rt.log.Count(CallKind::Sound), 0u);
    for (int k = 0; k < DebrisParticles; k++)
        ASSERT_EQ(g_enemyDebris.active[21][k], 0.0f);
}

// A Fighter leaving inside its window comes back at its entry point in the
// next frame, its cycle started afresh (Withdraw does not step it).
TEST_F(EnemiesTest, FighterLeavingInItsWindowReappearsAtItsEntry)
{
    Place(0, {123, 1165, 77, 0.5f});
    g_stageClock = 11200;
    Frame();
    EXPECT_TRUE(Parked(g_enemies[0]));
    Frame();
    EXPECT_EQ(g_enemies[0].alive, 1);
    EXPECT_BODY(Of(g_enemies[0]), (Body{60, -194, 0, 0}));

    ResetEnemies();
    Place(0, {123, 1168, 77, 0.5f});  // a step never takes y up
    g_stageClock = 300;  // Weave: the new cycle is one step old
    Frame();
    Frame();
    Body b = Entry(0);
    Step(b, Weave);
    EXPECT_BODY(Of(g_enemies[0]), b);
}

TEST_F(EnemiesTest, EachSlotBandHasItsSprite)
{
    struct Band {
        int first, last;
        D2D1_RECT_F source;
        float halfW, halfH;
    };
    const Band bands[14] = {
        {0, 8, {50, 0, 110, 60}, 30, 30},
        {9, 11, {0, 100, 300, 400}, 150, 150},     {12, 14, {300, 100, 600, 400}, 150, 150},
        {15, 17, {600, 100, 900, 400}, 150, 150},  {18, 20, {0, 400, 400, 1200}, 200, 400},
        {21, 23, {400, 400, 800, 1200}, 200, 400}, {24, 26, {800, 400, 1200, 1200}, 200, 400},
        {27, 29, {0, 1200, 400, 2000}, 200, 400},  {30, 32, {400, 1200, 800, 2000}, 200, 400},
        {33, 35, {800, 1200, 1200, 2000}, 200, 400}, {36, 38, {0, 2000, 400, 2800}, 200, 400},
        {39, 41, {400, 2000, 800, 2800}, 200, 400}, {42, 44, {800, 2000, 1200, 2800}, 200, 400},
        {45, 47, {0, 2800, 400, 3600}, 200, 400},
    };
    for (int i = 0; i < EnemySlots; i++)
        Place(i, {100.0f + 10 * i, 50.0f + 5 * i, 0, 0});
    g_stageClock = 0;  // no pattern: each stands where it was put
    RunEnemyPass(&rt);
    std::vector<const DrawCall*> drawn = rt.log.Of(CallKind::DrawBitmap);
    ASSERT_EQ(drawn.size(), 48u);
    for (const Band& b : bands) {
        for (int i = b.first; i <= b.last; i++) {
            const DrawCall& c = *drawn[i];
            float x = 100.0f + 10 * i, y = 50.0f + 5 * i;
            DrawCall expected(CallKind::DrawBitmap);
            expected.bitmap = &sprites;
            expected.dest = {x - b.halfW, y - b.halfH, x + b.halfW, y + b.halfH};
            expected.opacity = 1.0f;
            expected.interpolation = D2D1_BITMAP_INTERPOLATION_MODE_LINEAR;
            expected.source = b.source;
            expected.hasDest = expected.hasSource = true;
            EXPECT_EQ(Describe(c), Describe(expected)) << "slot " << i;
        }
    }
}

// One whole pass of the script through the frame, with the reference model
// running beside it: every alive enemy matches it exactly and stays finite;
// spawns happen only inside the slot's windows, each window spawning its slot
// at least once; a slot the reference still flies may only have been freed by
// its DeathSequence.
TEST_F(EnemiesTest, OnePassFollowsTheWindowsAndTheReference)
{
    Body ref[EnemySlots] = {};
    bool flying[EnemySlots] = {};
    int spawns[EnemySlots][13] = {};
    int destroyed = 0;
    for (int frame = 0; frame < StageLength; frame++) {
        int clock = int(g_stageClock);
        for (int i = 0; i < EnemySlots; i++) {
            int w = OpenWindow(i, clock);
            if (!flying[i] && w >= 0) {
                ref[i] = Entry(i);
                flying[i] = true;
                spawns[i][w]++;
            }
            if (flying[i]) {
                FrameSteps(ref[i], i, clock);
                if (ref[i].y >= 1168)
                    flying[i] = false;
            }
        }
        bool struck[EnemySlots];
        for (int i = 0; i < EnemySlots; i++)
            struck[i] = g_enemies[i].hit > 0;
        rt.log.Clear();
        Frame();
        for (int i = 0; i < EnemySlots; i++) {
            const Enemy& e = g_enemies[i];
            ASSERT_TRUE(std::isfinite(e.x) && std::isfinite(e.y) && std::isfinite(e.heading));
            if (e.alive == 1) {
                ASSERT_TRUE(flying[i]) << "slot " << i << " clock " << clock;
                ASSERT_EQ(e.x, ref[i].x) << "slot " << i << " clock " << clock;
                ASSERT_EQ(e.y, ref[i].y) << "slot " << i << " clock " << clock;
                ASSERT_EQ(e.phase, ref[i].phase) << "slot " << i << " clock " << clock;
                ASSERT_EQ(e.heading, ref[i].heading) << "slot " << i << " clock " << clock;
            } else {
                ASSERT_TRUE(Parked(e)) << "slot " << i << " clock " << clock;
                if (flying[i]) {  // freed in flight: only a DeathSequence does that
                    ASSERT_TRUE(struck[i]) << "slot " << i << " clock " << clock;
                    flying[i] = false;
                    destroyed++;
                }
            }
        }
    }
    EXPECT_EQ(g_stageClock, 0.0f);
    EXPECT_GT(destroyed, 0);
    for (int i = 0; i < EnemySlots; i++) {
        std::vector<std::pair<int, int>> w = Windows(i);
        for (size_t k = 0; k < w.size(); k++)
            EXPECT_GE(spawns[i][k], 1) << "slot " << i << " window " << w[k].first;
    }
}
