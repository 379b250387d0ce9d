// The ring bullets: the burst of 36 per family while an enemy is from 150 to 200
// down the field, whole-radian directions, Fighters limited to three families.
#include "bullet_checks.h"

namespace {

using RingTest = GameTest;

BulletFamily<RingBullets>& Ring(int family)
{
    return g_enemyRingBullets[family - 1];
}

}  // namespace

TEST_F(RingTest, CruiserReleasesAllNineRingsAtOnce)
{
    PlaceEnemy(12, 300, 150);
    RunRingBullets(&rt);

    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 9u * 36u);
    // Bullet 0 of the nine families, one after another, each drawn at its origin.
    ExpectLine(lines[0], 300, 210, 301, 211, 0xf000ff);
    ExpectLine(lines[1], 300, 210, 301, 211, 0xf00fff);
    ExpectLine(lines[2], 300, 210, 301, 211, 0xf000ff);
    for (int k = 3; k < 6; k++)
        ExpectLine(lines[k], 240, 90, 241, 91, 0xffff00);
    for (int k = 6; k < 9; k++)
        ExpectLine(lines[k], 360, 90, 361, 91, 0xffff00);

    // Whole radians: a = 360, 350 and 10 for bullets 0, 1 and 35.
    EXPECT_NEAR(Ring(1).x[12][0], 298.2979, 1e-4);
    EXPECT_NEAR(Ring(1).y[12][0], 215.7535, 1e-4);
    EXPECT_NEAR(Ring(1).x[12][1], 298.2982, 1e-4);
    EXPECT_NEAR(Ring(1).y[12][1], 204.2464, 1e-4);
    EXPECT_NEAR(Ring(1).x[12][35], 294.9656, 1e-4);
    EXPECT_NEAR(Ring(1).y[12][35], 206.7359, 1e-4);

    // Still in the band next frame: every bullet is in flight, none is relaunched.
    rt.log.Clear();
    RunRingBullets(&rt);
    lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 9u * 36u);
    for (const GlowLine& line : lines) {
        bool atOrigin = (line.p0.x == 300 && line.p0.y == 210) || (line.p0.x == 240 && line.p0.y == 90) ||
                        (line.p0.x == 360 && line.p0.y == 90);
        EXPECT_FALSE(atOrigin) << line.p0.x << ", " << line.p0.y;
    }
}

TEST_F(RingTest, FightersNeverLaunchFamilies4To9)
{
    PlaceEnemy(8, 300, 150);   // the last Fighter slot
    PlaceEnemy(9, 300, 180);   // the first Cruiser slot
    for (int frame = 0; frame < 3; frame++)
        RunRingBullets(&rt);

    for (int j = 0; j < RingBullets; j++) {
        for (int f = 1; f <= 3; f++)
            EXPECT_EQ(Ring(f).active[8][j], 1.0f);
        for (int f = 4; f <= 9; f++) {
            ExpectParked(Ring(f), 8, j);
            EXPECT_EQ(Ring(f).active[9][j], 1.0f);
        }
    }
    EXPECT_EQ(GlowLines(rt.log).size(), 3 * (3u * 36u + 9u * 36u));
}

TEST_F(RingTest, LaunchBandIsClosed)
{
    PlaceEnemy(0, 300, 150);
    PlaceEnemy(1, 300, 200);
    PlaceEnemy(2, 300, 149.9f);
    PlaceEnemy(3, 300, 200.1f);
    PlaceEnemy(4, 300, 175);
    g_enemies[4].alive = 0;
    RunRingBullets(&rt);

    EXPECT_EQ(Ring(1).active[0][0], 1.0f);
    EXPECT_EQ(Ring(1).active[1][0], 1.0f);
    for (int slot = 2; slot <= 4; slot++)
        ExpectParked(Ring(1), slot, 0);
    EXPECT_EQ(GlowLines(rt.log).size(), 2 * 3u * 36u);
}

TEST_F(RingTest, BulletLaunchedOutsideTheBoxIsDrawnOnceAndParked)
{
    // Families 4 to 6 start 60 left of the enemy: at x = -410, outside the box,
    // and no step of 10 or less brings them back inside.
    PlaceEnemy(10, -350, 150);
    for (int frame = 0; frame < 2; frame++) {
        rt.log.Clear();
        RunRingBullets(&rt);
        size_t outside = 0;
        for (const GlowLine& line : GlowLines(rt.log))
            outside += line.p0.x == -410.0f && line.p0.y == 90.0f;
        EXPECT_EQ(outside, 3u * 36u);  // relaunched every frame in the band
        for (int j = 0; j < RingBullets; j++) {
            for (int f = 4; f <= 6; f++)
                ExpectParked(Ring(f), 10, j);
            EXPECT_EQ(Ring(7).active[10][j], 1.0f);
        }
    }
}
