// The spiral streams and the straight lasers, and what every enemy weapon shares:
// bullets outlive their enemy, and a struck enemy still fires in its last frame.
#include "bullet_checks.h"

namespace {

using SpiralTest = GameTest;
using StraightLaserTest = GameTest;
using EnemyWeaponsTest = GameTest;

BulletFamily<SpiralBullets>& Spiral1 = g_enemySpiralBullets[0];
BulletFamily<SpiralBullets>& Spiral2 = g_enemySpiralBullets[1];

void PutSpiralBullet(BulletFamily<SpiralBullets>& f, int slot, int j, float x, float y)
{
    f.x[slot][j] = x;
    f.y[slot][j] = y;
    f.active[slot][j] = 1;
}

}  // namespace

TEST_F(SpiralTest, LaunchesFromBothSidesOnlyFrom150To800)
{
    PlaceEnemy(0, 300, 150);
    PlaceEnemy(1, 300, 800);
    PlaceEnemy(2, 300, 800.5f);
    PlaceEnemy(9, 300, 400);
    RunSpiralBullets(&rt);

    EXPECT_EQ(g_spiralIndex[0], 1);
    EXPECT_EQ(g_spiralIndex[1], 1);
    EXPECT_EQ(g_spiralIndex[2], 0);
    ExpectParked(Spiral1, 2, 1);
    ExpectParked(Spiral2, 2, 1);

    // Drawn as a dot at the launch point, family 1 then family 2, coloured by kind.
    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 6u);
    ExpectLine(lines[0], 280, 150, 281, 151, 0xfff000);
    ExpectLine(lines[1], 320, 150, 321, 151, 0xfff000);
    ExpectLine(lines[2], 280, 800, 281, 801, 0xfff000);
    ExpectLine(lines[3], 320, 800, 321, 801, 0xfff000);
    ExpectLine(lines[4], 280, 400, 281, 401, 0x00ffff);
    ExpectLine(lines[5], 320, 400, 321, 401, 0x00ffff);
    EXPECT_EQ(Spiral1.active[1][1], 1.0f);
    EXPECT_EQ(Spiral2.active[1][1], 1.0f);
}

TEST_F(SpiralTest, UsesBullets1To35ThenTakesBullet1Back)
{
    PlaceEnemy(20, 300, 400);
    RunSpiralBullets(&rt);
    const float firstX = Spiral1.x[20][1], firstY = Spiral1.y[20][1];
    for (int frame = 2; frame <= 35; frame++) {
        rt.log.Clear();
        RunSpiralBullets(&rt);
        EXPECT_EQ(g_spiralIndex[20], frame == 35 ? 0 : frame);
        EXPECT_EQ(GlowLines(rt.log).size(), 2u * frame);
        EXPECT_EQ(Spiral1.active[20][frame], 1.0f);
        EXPECT_EQ(Spiral2.active[20][frame], 1.0f);
        if (frame < 35)
            ExpectParked(Spiral1, 20, frame + 1);
    }
    ExpectParked(Spiral1, 20, 0);
    ExpectParked(Spiral2, 20, 0);
    EXPECT_NE(Spiral1.x[20][1], firstX);  // 35 frames out

    RunSpiralBullets(&rt);  // frame 36: bullet 1 again, taken back to the enemy
    EXPECT_EQ(g_spiralIndex[20], 1);
    EXPECT_EQ(Spiral1.x[20][1], firstX);
    EXPECT_EQ(Spiral1.y[20][1], firstY);
    ExpectParked(Spiral1, 20, 0);
    ExpectParked(Spiral2, 20, 0);

    // Out of the window the index waits where it was.
    g_enemies[20].y = 801;
    RunSpiralBullets(&rt);
    EXPECT_EQ(g_spiralIndex[20], 1);
}

TEST_F(SpiralTest, EachBulletStepsByItsFixedDirection)
{
    struct Row {
        int j;
        float c, s;
    };
    const Row rows[] = {{1, -15.4688f, -4.0887f},
                        {10, -0.4672f, 15.9932f},
                        {18, 16.0f, 0.0f},
                        {19, 13.8503f, 8.0106f},  // a new start angle, not the next step
                        {35, -14.2943f, -7.1885f}};
    for (const Row& r : rows) {
        PutSpiralBullet(Spiral1, 0, r.j, 0, 0);
        PutSpiralBullet(Spiral2, 1, r.j, 0, 0);
    }
    RunSpiralBullets(&rt);
    for (const Row& r : rows) {
        EXPECT_NEAR(Spiral1.x[0][r.j], r.c, 5e-5) << "bullet " << r.j;
        EXPECT_NEAR(Spiral1.y[0][r.j], r.s, 5e-5) << "bullet " << r.j;
        EXPECT_NEAR(Spiral2.x[1][r.j], -r.c, 5e-5) << "bullet " << r.j;
        EXPECT_NEAR(Spiral2.y[1][r.j], r.s, 5e-5) << "bullet " << r.j;
    }
    // Bullet 18 flies exactly level: right in family 1, left in family 2.
    RunSpiralBullets(&rt);
    EXPECT_EQ(Spiral1.x[0][18], 32.0f);
    EXPECT_EQ(Spiral1.y[0][18], 0.0f);
    EXPECT_EQ(Spiral2.x[1][18], -32.0f);
    EXPECT_EQ(Spiral2.y[1][18], 0.0f);
}

TEST_F(SpiralTest, ParksOnTheEdgesOfTheBox)
{
    // Bullet 18 steps (16, 0) in family 1 and (-16, 0) in family 2.
    PutSpiralBullet(Spiral1, 0, 18, 984, 500);    // to x = 1000
    PutSpiralBullet(Spiral2, 1, 18, -384, 500);   // to x = -400
    PutSpiralBullet(Spiral1, 2, 18, 0, -400);
    PutSpiralBullet(Spiral1, 3, 18, 0, 1168);
    PutSpiralBullet(Spiral1, 4, 18, 983.5f, 500);
    PutSpiralBullet(Spiral2, 5, 18, -383.5f, 500);
    PutSpiralBullet(Spiral1, 6, 18, 0, -399.5f);
    PutSpiralBullet(Spiral1, 7, 18, 0, 1167.5f);
    RunSpiralBullets(&rt);

    EXPECT_EQ(GlowLines(rt.log).size(), 8u);  // each drawn before it is parked
    ExpectParked(Spiral1, 0, 18);
    ExpectParked(Spiral2, 1, 18);
    ExpectParked(Spiral1, 2, 18);
    ExpectParked(Spiral1, 3, 18);
    EXPECT_EQ(Spiral1.x[4][18], 999.5f);
    EXPECT_EQ(Spiral2.x[5][18], -399.5f);
    EXPECT_EQ(Spiral1.active[6][18], 1.0f);
    EXPECT_EQ(Spiral1.active[7][18], 1.0f);
}

TEST_F(StraightLaserTest, DrawsTwoFourOrEightBeamsBySlot)
{
    PlaceEnemy(8, 100, 200);
    PlaceEnemy(9, 200, 300);
    PlaceEnemy(23, 300, 400);
    PlaceEnemy(24, 400, 500);
    RunStraightLasers(&rt);

    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 2u + 4u + 4u + 8u);
    ExpectLine(lines[0], 90, 230, 90, 280, 0x0fffff);
    ExpectLine(lines[1], 110, 230, 110, 280, 0x0fffff);
    for (int k = 2; k < 10; k++)
        EXPECT_EQ(lines[k].rgb, 0x0fffffu);
    ExpectLine(lines[8], 280, 420, 280, 470, 0x0fffff);  // slot 23, beam 3
    ExpectLine(lines[9], 320, 420, 320, 470, 0x0fffff);
    const GlowLine* b = &lines[10];  // slot 24 at (400, 500)
    ExpectLine(b[0], 390, 530, 390, 580, 0x0fffff);
    ExpectLine(b[1], 410, 530, 410, 580, 0x0fffff);
    ExpectLine(b[2], 380, 520, 380, 570, 0x0fffff);
    ExpectLine(b[3], 420, 520, 420, 570, 0x0fffff);
    ExpectLine(b[4], 360, 520, 360, 570, 0xfff000);
    ExpectLine(b[5], 440, 520, 440, 570, 0xfff000);
    ExpectLine(b[6], 330, 500, 330, 550, 0xfff000);
    ExpectLine(b[7], 470, 500, 470, 550, 0xfff000);
}

TEST_F(StraightLaserTest, LaunchesFrom100DownWhileFree)
{
    PlaceEnemy(0, 300, 100);
    PlaceEnemy(1, 300, 99.9f);
    PlaceEnemy(2, 300, 300);
    g_enemies[2].alive = 0;
    RunStraightLasers(&rt);

    // Drawn at the enemy, then moved 18.
    EXPECT_EQ(g_enemyStraightLasers.active[0][0], 1.0f);
    EXPECT_EQ(g_enemyStraightLasers.x[0][0], 300.0f);
    EXPECT_EQ(g_enemyStraightLasers.y[0][0], 118.0f);
    ExpectParked(g_enemyStraightLasers, 1, 0);
    ExpectParked(g_enemyStraightLasers, 2, 0);
    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 2u);
    ExpectLine(lines[0], 290, 130, 290, 180, 0x0fffff);

    // One laser at a time: the enemy moving on does not launch another.
    g_enemies[0].y = 400;
    RunStraightLasers(&rt);
    EXPECT_EQ(g_enemyStraightLasers.y[0][0], 136.0f);
}

TEST_F(StraightLaserTest, ParkedAt1168AfterItsLastDrawing)
{
    BulletFamily<1>& l = g_enemyStraightLasers;
    PlaceEnemy(5, 300, 200);
    l.x[5][0] = 300;
    l.y[5][0] = 1150;
    l.active[5][0] = 1;
    l.x[6][0] = 300;
    l.y[6][0] = 1149.5f;
    l.active[6][0] = 1;
    RunStraightLasers(&rt);

    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 4u);
    ExpectLine(lines[0], 290, 1180, 290, 1230, 0x0fffff);
    ExpectParked(l, 5, 0);
    EXPECT_EQ(l.y[6][0], 1167.5f);

    RunStraightLasers(&rt);  // free again, so the enemy fires anew
    EXPECT_EQ(l.active[5][0], 1.0f);
    EXPECT_EQ(l.y[5][0], 218.0f);
}

TEST_F(EnemyWeaponsTest, BulletsAndLasersOutliveTheirEnemy)
{
    PlaceEnemy(12, 300, 150);
    RunRingBullets(&rt);
    RunSpiralBullets(&rt);
    RunStraightLasers(&rt);
    RunFanBullets(&rt);
    FreeEnemy(g_enemies[12]);

    const float ringX = g_enemyRingBullets[0].x[12][0], ringY = g_enemyRingBullets[0].y[12][0];
    const float spiralX = Spiral1.x[12][1];
    rt.log.Clear();
    RunRingBullets(&rt);
    RunSpiralBullets(&rt);
    RunStraightLasers(&rt);
    RunFanBullets(&rt);

    EXPECT_EQ(GlowLines(rt.log).size(), 9u * 36u + 2u + 4u + 6u * 5u);
    EXPECT_EQ(g_enemyRingBullets[0].active[12][0], 1.0f);
    EXPECT_NE(g_enemyRingBullets[0].x[12][0], ringX);
    EXPECT_NE(g_enemyRingBullets[0].y[12][0], ringY);
    EXPECT_EQ(Spiral1.active[12][1], 1.0f);
    EXPECT_NEAR(Spiral1.x[12][1], spiralX + (spiralX - 280), 1e-3);
    EXPECT_EQ(g_spiralIndex[12], 1);
    EXPECT_EQ(g_enemyStraightLasers.y[12][0], 186.0f);
    EXPECT_EQ(g_enemyFanBullets[0].y[12][0], 270.0f);
}

TEST_F(EnemyWeaponsTest, StruckEnemyStillFiresInItsLastFrame)
{
    PlaceEnemy(12, 300, 150);
    g_enemies[12].hit = 1.0f;
    Frame();

    EXPECT_EQ(g_enemies[12].alive, 0);  // freed later in the same frame
    EXPECT_EQ(g_enemyRingBullets[8].active[12][35], 1.0f);
    EXPECT_EQ(g_spiralIndex[12], 1);
    EXPECT_EQ(Spiral2.active[12][1], 1.0f);
    EXPECT_EQ(g_enemyStraightLasers.active[12][0], 1.0f);
    EXPECT_EQ(g_enemyFanBullets[5].active[12][4], 1.0f);
}
