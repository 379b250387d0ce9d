// Homing lasers: arming, the launch frame, the trail's lines, the field boxes,
// the LaserHitBox and the strike, disarming (also of a laser with nothing left in
// flight) and the clock gate of the ship's lasers.
// The steps are called directly on states built by hand.
#include "game_fixture.h"

#include <cmath>

namespace {

const float Turn = 3.14f / 21.0f;

// One move of a segment, worked out here from the formula; volatile keeps the
// compiler from folding the trigonometry at build time.
struct Move {
    float heading, aim, vx, vy;
};

Move ExpectedMove(float x, float y, float heading, float tx, float ty, float fx, float fy)
{
    volatile float vxIn = x, vyIn = y, vh = heading, vtx = tx, vty = ty;
    Move m;
    m.heading = vh;
    m.aim = atan2f(vty - (vyIn + 3.0f), vtx - (vxIn + 11.0f));
    m.vx = cosf(m.heading + m.aim) * fx;
    m.vy = sinf(m.heading + m.aim) * fy;
    return m;
}

void Arm(HomingLaserTable& t, int i, int32_t stepBefore, float ox, float oy)
{
    t.armed[i] = 1;
    t.step[i] = stepBefore;
    t.originX[i] = ox;
    t.originY[i] = oy;
}

void Flying(HomingLaserTable& t, int i, int k, float x, float y, float heading = 3.14f)
{
    t.state[i][k] = 1;
    t.x[i][k] = x;
    t.y[i][k] = y;
    t.heading[i][k] = heading;
}

size_t BusyEffects()
{
    size_t n = 0;
    for (const Effect& e : g_effects)
        n += e.framesLeft != 0;
    return n;
}

}  // namespace

using HomingTest = GameTest;

TEST_F(HomingTest, ArmingSkipsSlotsZeroToTwoAndUsesInclusiveThresholds)
{
    for (int i = 0; i < 3; i++) {
        g_enemies[i].x = 100.0f + 50 * i;
        g_enemies[i].y = 400;
    }
    g_enemies[5].x = g_enemies[6].x = g_enemies[7].x = g_enemies[8].x = 300;
    g_enemies[5].y = 200;
    g_enemies[6].y = std::nextafter(200.0f, 0.0f);
    for (int n = 0; n < 10; n++)
        RunEnemyHomingLasers(&rt);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(g_enemyHomingLasers.armed[i], 0.0f) << i;
        EXPECT_EQ(g_enemyHomingLasers.step[i], 0) << i;
        EXPECT_EQ(g_enemyHomingLasers.state[i][0], 0.0f) << i;
        EXPECT_EQ(g_enemyHomingLasers.x[i][0], ParkX) << i;
    }
    EXPECT_EQ(g_enemyHomingLasers.armed[5], 1.0f);
    EXPECT_EQ(g_enemyHomingLasers.step[5], 9);
    EXPECT_EQ(g_enemyHomingLasers.armed[6], 0.0f);

    g_stageClock = 60;
    g_enemies[7].y = -160;
    g_enemies[8].y = std::nextafter(-160.0f, -1000.0f);
    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(g_playerHomingLasers.armed[7], 1.0f);
    EXPECT_EQ(g_playerHomingLasers.step[7], 0);
    EXPECT_EQ(g_playerHomingLasers.armed[8], 0.0f);
}

// The arming frame re-anchors all 21 segments (states kept), and segment 0 is
// born and takes one steering step. A segment still flying from an earlier volley
// stays at the anchor and is drawn from there.
TEST_F(HomingTest, ArmingFrameReanchorsAndMovesSegmentZeroOnce)
{
    HomingLaserTable& e = g_enemyHomingLasers;
    g_enemies[9].x = 150;
    g_enemies[9].y = 300;
    Flying(e, 9, 7, 50, 50);
    RunEnemyHomingLasers(&rt);
    EXPECT_EQ(e.step[9], 0);
    EXPECT_EQ(e.originX[9], 150.0f);
    EXPECT_EQ(e.originY[9], 330.0f);
    for (int k = 1; k < HomingSegments; k++) {
        EXPECT_EQ(e.x[9][k], 151.0f) << k;
        EXPECT_EQ(e.y[9][k], 331.0f) << k;
        EXPECT_EQ(e.state[9][k], k == 7 ? 1.0f : 0.0f) << k;
    }
    Move m = ExpectedMove(151, 331, 3.14f + Turn, 300, 2000, 24, 30);  // slot 9 turns +
    EXPECT_EQ(e.state[9][0], 1.0f);
    EXPECT_EQ(e.heading[9][0], m.heading);
    EXPECT_EQ(e.aim[9][0], m.aim);
    EXPECT_EQ(e.x[9][0], 151.0f + m.vx);
    EXPECT_EQ(e.y[9][0], 331.0f + m.vy);
    std::vector<const DrawCall*> lines = rt.log.Of(CallKind::DrawLine);
    ASSERT_EQ(lines.size(), 3u);  // segment 7 to segment 8
    EXPECT_EQ(Describe(*lines[2]), "DrawLine (151, 331)-(151, 331) width 2");

    // The ship's side: odd laser turns -, factors 18 and 25, launched from the ship.
    HomingLaserTable& p = g_playerHomingLasers;
    g_stageClock = 60;
    g_enemies[5].x = 100;
    g_enemies[5].y = 0;
    RunPlayerHomingLasers(&rt);
    m = ExpectedMove(301, 551, 3.14f - Turn, 100, 0, 18, 25);
    EXPECT_EQ(p.originX[5], 300.0f);
    EXPECT_EQ(p.originY[5], 550.0f);
    EXPECT_EQ(p.heading[5][0], m.heading);
    EXPECT_EQ(p.x[5][0], 301.0f + m.vx);
    EXPECT_EQ(p.y[5][0], 551.0f + m.vy);
}

// With segments 0..19 in flight, 18 lines join segment 1 to 19; each line is
// drawn after segment k moved and before segment k + 1 moves.
TEST_F(HomingTest, EighteenLinesJoinSegmentsOneToNineteen)
{
    HomingLaserTable& e = g_enemyHomingLasers;
    g_enemies[9].x = 150;
    g_enemies[9].y = 300;
    for (int n = 0; n < 19; n++)
        RunEnemyHomingLasers(&rt);
    float bx[HomingSegments], by[HomingSegments];
    for (int k = 0; k < HomingSegments; k++) {
        bx[k] = e.x[9][k];
        by[k] = e.y[9][k];
    }
    rt.log.Clear();
    RunEnemyHomingLasers(&rt);
    ASSERT_EQ(e.step[9], 19);
    for (int k = 0; k < HomingSegments; k++)
        ASSERT_EQ(e.state[9][k], k <= 19 ? 1.0f : 0.0f) << k;
    std::vector<const DrawCall*> lines = rt.log.Of(CallKind::DrawLine);
    ASSERT_EQ(lines.size(), 54u);
    for (int k = 1; k <= 18; k++) {
        const DrawCall& core = *lines[(k - 1) * 3 + 2];
        EXPECT_EQ(core.p0.x, e.x[9][k]) << k;
        EXPECT_EQ(core.p0.y, e.y[9][k]) << k;
        EXPECT_EQ(core.p1.x, bx[k + 1]) << k;
        EXPECT_EQ(core.p1.y, by[k + 1]) << k;
    }
    // The core pass is drawn in the enemy lasers' blue.
    std::vector<const DrawCall*> colours = rt.log.Of(CallKind::SetColor);
    ASSERT_EQ(colours.size(), 54u);
    D2D1_COLOR_F blue = D2D1::ColorF(0x000aff, 1.0f);
    EXPECT_EQ(colours[2]->color.b, blue.b);
    EXPECT_EQ(colours[2]->color.g, blue.g);
}

// Segments placed beyond the launch step do not move this frame, so their
// position alone meets the box test: on an edge stays, just beyond retires.
TEST_F(HomingTest, SegmentOnAFieldBoxEdgeStays)
{
    struct Side {
        HomingLaserTable* table;
        void (*run)(ID2D1RenderTarget*);
        int laser;
        float left, top, right, bottom;
    };
    const Side sides[] = {
        {&g_enemyHomingLasers, RunEnemyHomingLasers, 4, -100, -100, 700, 868},
        {&g_playerHomingLasers, RunPlayerHomingLasers, 4, -800, -100, 1400, 1168},
    };
    g_stageClock = 60;
    for (const Side& s : sides) {
        HomingLaserTable& t = *s.table;
        int i = s.laser;
        Arm(t, i, 0, 300, 300);
        t.x[i][20] = 300;
        t.y[i][20] = 300;
        const float inf = INFINITY;
        const float at[8][2] = {
            {s.left, 300}, {s.right, 300}, {300, s.top}, {300, s.bottom},
            {std::nextafter(s.left, -inf), 300}, {std::nextafter(s.right, inf), 300},
            {300, std::nextafter(s.top, -inf)}, {300, std::nextafter(s.bottom, inf)},
        };
        for (int j = 0; j < 8; j++)
            Flying(t, i, 10 + j, at[j][0], at[j][1]);
        s.run(&rt);
        for (int j = 0; j < 8; j++) {
            int k = 10 + j;
            if (j < 4) {
                EXPECT_EQ(t.state[i][k], 1.0f) << s.right << " " << k;
                EXPECT_EQ(t.x[i][k], at[j][0]) << s.right << " " << k;
                EXPECT_EQ(t.y[i][k], at[j][1]) << s.right << " " << k;
            } else {
                EXPECT_EQ(t.state[i][k], 2.0f) << s.right << " " << k;
                EXPECT_EQ(t.x[i][k], -1550.0f) << s.right << " " << k;
                EXPECT_EQ(t.y[i][k], ParkY) << s.right << " " << k;
            }
        }
        EXPECT_EQ(t.armed[i], 1.0f);  // the tail is inside: no disarm
        EXPECT_EQ(t.step[i], 1);
    }
}

// A retiring segment that finds the tail outside disarms the laser; the rest of
// its trail then cruises at 30 and 30, step -1 counting as later than any frame.
TEST_F(HomingTest, DisarmedLaserKeepsCruising)
{
    HomingLaserTable& e = g_enemyHomingLasers;
    g_enemies[4].x = 123;
    g_enemies[4].y = 150;  // below the arming line: no new volley
    Arm(e, 4, 0, 300, 300);
    Flying(e, 4, 5, 300, 400, 1.0f);
    Flying(e, 4, 15, 800, 300);
    e.state[4][20] = 2;
    e.x[4][20] = -1550;
    e.y[4][20] = ParkY;
    RunEnemyHomingLasers(&rt);
    EXPECT_EQ(e.armed[4], 0.0f);
    EXPECT_EQ(e.step[4], -1);
    EXPECT_EQ(e.originX[4], 123.0f);
    EXPECT_EQ(e.originY[4], 150.0f);
    EXPECT_EQ(e.state[4][15], 2.0f);
    EXPECT_EQ(e.x[4][15], 124.0f);
    EXPECT_EQ(e.y[4][15], 151.0f);
    EXPECT_EQ(e.x[4][20], -68.0f);
    EXPECT_EQ(e.y[4][20], ParkY);
    EXPECT_EQ(e.x[4][5], 300.0f);  // step 1 < 5: it waited this frame

    rt.log.Clear();
    RunEnemyHomingLasers(&rt);
    Move m = ExpectedMove(300, 400, 1.0f, 300, 2000, 30, 30);
    EXPECT_EQ(e.heading[4][5], 1.0f);
    EXPECT_EQ(e.x[4][5], 300.0f + m.vx);
    EXPECT_EQ(e.y[4][5], 400.0f + m.vy);
    EXPECT_EQ(e.armed[4], 0.0f);
    EXPECT_EQ(rt.log.Count(CallKind::DrawLine), 6u);  // segments 1 and 5, still drawn
}

// Enemy 10 at (300, 100): its LaserHitBox is 280 < x < 320, 90 < y < 130.
TEST_F(HomingTest, LaserHitBoxEdgesDoNotTouch)
{
    HomingLaserTable& p = g_playerHomingLasers;
    g_stageClock = 60;
    g_enemies[10].x = 300;
    g_enemies[10].y = 100;
    Arm(p, 10, 0, 300, 600);
    p.x[10][20] = 300;
    p.y[10][20] = 600;
    const float at[5][2] = {{320, 100}, {280, 100}, {300, 130}, {300, 90}, {280.5f, 129.5f}};
    for (int j = 0; j < 5; j++)
        Flying(p, 10, 11 + j, at[j][0], at[j][1]);
    RunPlayerHomingLasers(&rt);
    for (int j = 0; j < 4; j++)
        EXPECT_EQ(p.state[10][11 + j], 1.0f) << 11 + j;
    EXPECT_EQ(p.state[10][15], 0.0f);
    EXPECT_EQ(p.x[10][15], 280.5f);
    EXPECT_EQ(p.y[10][15], 129.5f);
    EXPECT_EQ(g_enemies[10].hit, 0.0f);
    EXPECT_EQ(p.armed[10], 1.0f);
    EXPECT_EQ(BusyEffects(), 0u);
}

// Segments 14 and 19 cruise straight down into the box of enemy 10 and stop
// there; they strike nothing, and the line from segment 13 keeps ending at 14.
TEST_F(HomingTest, OtherSegmentStopsInTheBoxAndStaysALineEnd)
{
    HomingLaserTable& p = g_playerHomingLasers;
    g_stageClock = 60;
    g_enemies[10].x = 300;
    g_enemies[10].y = 100;
    Arm(p, 10, 39, 300, 600);  // step 40: segments 13 and 14 cruise
    p.x[10][20] = 300;
    p.y[10][20] = 600;
    Flying(p, 10, 13, 100, 600, 0.0f);
    Flying(p, 10, 14, 289, 72, 0.0f);
    Flying(p, 10, 19, 289, 72, 0.0f);  // past the strike segment: stops, no strike
    Move m = ExpectedMove(289, 72, 0.0f, 300, 100, 30, 30);
    const float lx = 289.0f + m.vx, ly = 72.0f + m.vy;
    ASSERT_TRUE(lx > 280 && lx < 320 && ly > 90 && ly < 130);
    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(p.state[10][14], 0.0f);
    EXPECT_EQ(p.state[10][19], 0.0f);
    EXPECT_EQ(p.x[10][14], lx);
    EXPECT_EQ(p.y[10][14], ly);
    for (int n = 0; n < 2; n++) {
        rt.log.Clear();
        RunPlayerHomingLasers(&rt);
        EXPECT_EQ(p.x[10][14], lx);
        EXPECT_EQ(p.y[10][14], ly);
        std::vector<const DrawCall*> lines = rt.log.Of(CallKind::DrawLine);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[2]->p0.x, p.x[10][13]);
        EXPECT_EQ(lines[2]->p1.x, lx);
        EXPECT_EQ(lines[2]->p1.y, ly);
    }
    EXPECT_EQ(g_enemies[10].hit, 0.0f);
    EXPECT_EQ(p.armed[10], 1.0f);
    EXPECT_EQ(BusyEffects(), 0u);
}

// Segment 18 entering the box strikes: hit, one effect at the enemy, the laser
// disarmed; segment 19, due to steer this frame, now cruises at 30 and 30.
TEST_F(HomingTest, OnlySegmentEighteenStrikes)
{
    HomingLaserTable& p = g_playerHomingLasers;
    g_stageClock = 60;
    g_enemies[10].x = 300;
    g_enemies[10].y = 100;
    g_enemies[10].alive = 1;
    Arm(p, 10, 38, 300, 600);  // step 39: 18 cruises, 19 still steers
    p.x[10][20] = 300;
    p.y[10][20] = 600;
    Flying(p, 10, 18, 289, 72, 0.0f);
    Flying(p, 10, 19, 500, 600, 1.0f);
    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(p.state[10][18], 0.0f);
    EXPECT_EQ(g_enemies[10].hit, 1.0f);
    EXPECT_EQ(g_enemies[10].alive, 1);  // the strike leaves alive to the next frame
    ASSERT_EQ(BusyEffects(), 1u);
    EXPECT_EQ(g_effects[0].x, 300.0f);
    EXPECT_EQ(g_effects[0].y, 100.0f);
    EXPECT_EQ(p.armed[10], 0.0f);
    EXPECT_EQ(p.step[10], -1);
    Move m = ExpectedMove(500, 600, 1.0f, 300, 100, 30, 30);
    EXPECT_EQ(p.heading[10][19], 1.0f);
    EXPECT_EQ(p.x[10][19], 500.0f + m.vx);
    EXPECT_EQ(p.y[10][19], 600.0f + m.vy);
}

// Laser 12's tail stopped in the box of enemy 12 while segment 18 missed: no
// segment flies and none will ever retire with the tail outside. The laser is
// disarmed in that frame, left as it lies, and fires again once its enemy is low
// enough. Laser 14 still has segment 19 in flight and stays armed; laser 16 is
// still launching (step 5) after firing point-blank into enemy 16, whose box
// stopped segment 5 at once, and stays armed too.
TEST_F(HomingTest, LaserWithNothingLeftInFlightIsDisarmedAndFiresAgain)
{
    HomingLaserTable& p = g_playerHomingLasers;
    g_stageClock = 60;
    PlaceEnemy(12, 300, 100);
    PlaceEnemy(14, 100, 100);
    PlaceEnemy(16, 300, 400);
    for (int i : {12, 14}) {
        float ex = g_enemies[i].x;
        Arm(p, i, 59, ex + 200, 700);
        for (int k = 0; k < HomingSegments; k++) {
            p.state[i][k] = 2;
            p.x[i][k] = -1550;
            p.y[i][k] = ParkY;
        }
        p.state[i][20] = 0;  // stopped in the box
        p.x[i][20] = ex + 5;
        p.y[i][20] = 110;
    }
    Flying(p, 14, 19, 700, 900, 0.0f);
    Arm(p, 16, 4, 288, 397);  // segment 5 is born at (289, 398), just above enemy 16
    Move m = ExpectedMove(289, 398, 3.14f + Turn, 300, 400, 18, 25);
    const float sx = 289.0f + m.vx, sy = 398.0f + m.vy;
    ASSERT_TRUE(sx > 280 && sx < 320 && sy > 390 && sy < 430);

    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(p.armed[12], 0.0f);
    EXPECT_EQ(p.step[12], -1);
    EXPECT_EQ(p.originX[12], 500.0f);
    EXPECT_EQ(p.originY[12], 700.0f);
    EXPECT_EQ(p.state[12][20], 0.0f);
    EXPECT_EQ(p.x[12][20], 305.0f);
    EXPECT_EQ(p.y[12][20], 110.0f);
    EXPECT_EQ(g_enemies[12].hit, 0.0f);
    EXPECT_EQ(BusyEffects(), 0u);

    EXPECT_EQ(p.armed[14], 1.0f);
    EXPECT_EQ(p.step[14], 60);
    EXPECT_EQ(p.state[14][19], 1.0f);

    EXPECT_EQ(p.armed[16], 1.0f);
    EXPECT_EQ(p.step[16], 5);
    EXPECT_EQ(p.state[16][5], 0.0f);
    EXPECT_EQ(p.x[16][5], sx);
    EXPECT_EQ(p.y[16][5], sy);

    // Above the arming line the laser stays idle; back below it, a new volley.
    g_enemies[12].y = std::nextafter(-160.0f, -1000.0f);
    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(p.armed[12], 0.0f);
    EXPECT_EQ(p.step[12], -1);
    EXPECT_EQ(p.x[12][20], 305.0f);

    g_enemies[12].y = 100;
    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(p.armed[12], 1.0f);
    EXPECT_EQ(p.step[12], 0);
    EXPECT_EQ(p.originX[12], 300.0f);
    EXPECT_EQ(p.originY[12], 550.0f);
    EXPECT_EQ(p.state[12][0], 1.0f);
    m = ExpectedMove(301, 551, 3.14f + Turn, 300, 100, 18, 25);
    EXPECT_EQ(p.x[12][0], 301.0f + m.vx);
    EXPECT_EQ(p.y[12][0], 551.0f + m.vy);
    EXPECT_EQ(p.x[12][20], 301.0f);
    EXPECT_EQ(p.y[12][20], 551.0f);
}

TEST_F(HomingTest, ShipLasersWaitForClockSixty)
{
    HomingLaserTable& p = g_playerHomingLasers;
    g_enemies[0].x = 300;
    g_enemies[0].y = 0;
    Flying(p, 0, 5, 200, 200);
    g_stageClock = 59;
    RunPlayerHomingLasers(&rt);
    EXPECT_TRUE(rt.log.calls.empty());
    EXPECT_EQ(p.armed[0], 0.0f);
    EXPECT_EQ(p.x[0][5], 200.0f);

    g_stageClock = 60;
    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(p.armed[0], 1.0f);
    std::vector<const DrawCall*> lines = rt.log.Of(CallKind::DrawLine);
    ASSERT_EQ(lines.size(), 3u);  // segment 5, re-anchored, to segment 6
    EXPECT_EQ(Describe(*lines[2]), "DrawLine (301, 551)-(301, 551) width 2");
    D2D1_COLOR_F green = D2D1::ColorF(0x00aa00, 1.0f);
    std::vector<const DrawCall*> colours = rt.log.Of(CallKind::SetColor);
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours[2]->color.g, green.g);
    EXPECT_EQ(colours[2]->color.r, 0.0f);
}
