// The third edition: shots pass through enemies; only the ship's homing lasers
// destroy, with the lock-on display shown and no line drawn.
#include "edition_checks.h"

using Edition3 = EditionTest;

TEST_F(Edition3, ShotsPassThroughEnemies)
{
    PlaceEnemy(9, 300, 200);
    PlaceShot(0, 300, 200);
    Frame();
    EXPECT_EQ(g_enemies[9].alive, 1);
    EXPECT_EQ(g_enemies[9].hit, 0.0f);
    EXPECT_EQ(g_playerShots[0].active, 1);
    EXPECT_EQ(LiveEffects(), 0);
}

TEST_F(Edition3, TheShipFiresOneLaserPerEnemySlot)
{
    EXPECT_EQ(PlayerHomingLaserCount(), 48);
    PlaceEnemy(47, 300, -160);  // exactly at the arming threshold
    g_stageClock = 60;
    RunPlayerHomingLasers(&rt);
    EXPECT_EQ(g_playerHomingLasers.armed[47], 1.0f);
    EXPECT_EQ(g_playerHomingLasers.originX[47], 300.0f);
    EXPECT_EQ(g_playerHomingLasers.originY[47], 550.0f);
}

TEST_F(Edition3, LockOnMarksWithoutALine)
{
    PlaceEnemy(0, 300, 400);
    RunLockOnDisplay(&rt);
    EXPECT_EQ(rt.log.Count(CallKind::DrawBitmap), 2u);
    EXPECT_EQ(rt.log.Count(CallKind::DrawLine), 0u);
    EXPECT_EQ(Sounds(L"loc"), 1u);
}
