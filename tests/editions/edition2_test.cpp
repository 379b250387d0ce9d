// The second edition: shots and the ship's homing lasers both destroy, "hit"
// sounds in the death sequence, and there is no lock-on display.
#include "edition_checks.h"

using Edition2 = EditionTest;

TEST_F(Edition2, AShotWithinThirtyOfTwoEnemiesStrikesBothAndIsGone)
{
    PlaceEnemy(12, 300, 200);
    PlaceEnemy(13, 310, 210);
    PlaceShot(5, 305, 205);
    GameFrame(&rt);
    EXPECT_LT(g_playerShots[5].active, 1);  // 1 - 2 strikes
    EXPECT_EQ(g_playerShots[5].active, -1);
    EXPECT_EQ(LiveEffects(), 2);
    EXPECT_EQ(g_effects[0].x, 300.0f);
    EXPECT_EQ(g_effects[1].x, 310.0f);
    EXPECT_EQ(g_enemies[12].alive, 0);  // destroyed in the same frame
    EXPECT_EQ(g_enemies[13].alive, 0);
    EXPECT_EQ(Sounds(L"hit"), 2u);      // once in each death sequence
    // A shot that is gone is neither drawn nor moved again.
    float y = g_playerShots[5].y;
    Frame();
    EXPECT_EQ(g_playerShots[5].y, y);
}

TEST_F(Edition2, AFreeSlotIsNeverStruck)
{
    Enemy& e = g_enemies[30];
    e.x = 300;
    e.y = 200;  // alive stays 0
    PlaceShot(0, 300, 200);
    Frame();
    EXPECT_EQ(e.hit, 0.0f);
    EXPECT_EQ(g_playerShots[0].active, 1);
    EXPECT_EQ(LiveEffects(), 0);
}

TEST_F(Edition2, LaserStrikeDestroysInTheNextFrame)
{
    PlaceEnemy(15, 300, 200);
    AimSegment18At(15);
    g_stageClock = 60;
    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(g_enemies[15].hit, 1.0f);
    EXPECT_EQ(g_enemies[15].alive, 1);  // still in play until the next enemy pass
    EXPECT_EQ(LiveEffects(), 1);
    g_stageClock = 0;
    Frame();
    EXPECT_EQ(g_enemies[15].alive, 0);
}

TEST_F(Edition2, StruckByLaserAndShotIsDestroyedOnceWithTwoEffects)
{
    PlaceEnemy(15, 300, 200);
    AimSegment18At(15);
    g_stageClock = 60;
    RunPlayerHomingLasers(&rt);  // the laser strikes late in frame N
    g_stageClock = 0;
    PlaceShot(0, 300, 210);      // the shot strikes early in frame N+1
    rt.log.Clear();
    Frame();
    EXPECT_EQ(g_enemies[15].alive, 0);
    EXPECT_EQ(LiveEffects(), 2);
    EXPECT_EQ(Sounds(L"hit"), 1u);  // one death sequence
    int flying = 0;
    for (int k = 0; k < DebrisParticles; k++)
        flying += g_enemyDebris.active[15][k] == 1.0f;
    EXPECT_EQ(flying, 220);
}

TEST_F(Edition2, NothingIsMarkedOrSounded)
{
    PlaceEnemy(0, 300, 400);
    PlaceEnemy(1, 400, 450);
    RunLockOnDisplay(&rt);
    EXPECT_TRUE(rt.log.calls.empty());
}
