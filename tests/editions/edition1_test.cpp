// The first edition: shots strike with a "hit" at every strike and a silent
// death, the options fire the homing lasers at a fixed point and never strike,
// and the lock-on display draws a line to each marked enemy.
#include "edition_checks.h"

using Edition1 = EditionTest;

TEST_F(Edition1, ShotStrikeSoundsHitAtTheStrikeAndNotInTheDeathSequence)
{
    PlaceEnemy(20, 300, 200);
    PlaceShot(0, 300, 229.9f);  // 29.9 below the centre after the move: inside 30
    Frame();
    EXPECT_EQ(Sounds(L"hit"), 1u);
    EXPECT_EQ(g_enemies[20].alive, 0);  // destroyed in the same frame's enemy pass
    EXPECT_EQ(g_enemyDebris.active[20][0], 1.0f);
    EXPECT_EQ(LiveEffects(), 1);
}

TEST_F(Edition1, ShotsStrikeInsideThirtyOnly)
{
    PlaceEnemy(9, 300, 200);
    PlaceShot(0, 300, 230);  // exactly 30: no strike
    PlaceEnemy(10, 100, 200);
    PlaceShot(1, 100, 229.9f);
    Frame();
    EXPECT_EQ(g_enemies[9].alive, 1);
    EXPECT_EQ(g_enemies[9].hit, 0.0f);
    EXPECT_EQ(g_enemies[10].alive, 0);
}

TEST_F(Edition1, OptionLasersLaunchAtOnceAndNeverStrike)
{
    Frame();
    for (int s = 0; s < 4; s++) {
        EXPECT_EQ(g_playerHomingLasers.armed[s], 1.0f) << s;
        EXPECT_EQ(g_playerHomingLasers.step[s], 0) << s;
        EXPECT_EQ(g_playerHomingLasers.state[s][0], 1.0f) << s;
        EXPECT_EQ(g_playerHomingLasers.state[s][1], 0.0f) << s;
    }
    // Option1 at (250, 570) launches from (251, 601) and first swings downward.
    EXPECT_GT(g_playerHomingLasers.y[0][0], 601.0f);

    // A whole wave period with no shots fired: nothing is ever struck.
    for (int f = 0; f < 1500; f++) {
        rt.log.Clear();
        Frame();
        for (const Enemy& e : g_enemies)
            ASSERT_EQ(e.hit, 0.0f) << "frame " << f;
        ASSERT_EQ(LiveEffects(), 0) << "frame " << f;
    }
    // ...while the option lasers kept flying volley after volley.
    EXPECT_EQ(g_playerHomingLasers.armed[3], 1.0f);
}

TEST_F(Edition1, LockOnDrawsAGreenLineFromTheShipToEachMarkedEnemy)
{
    PlaceEnemy(0, 300, 400);
    PlaceEnemy(1, 400, 450);
    RunLockOnDisplay(&rt);
    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 2u);
    for (const GlowLine& l : lines) {
        EXPECT_EQ(l.p0.x, 300.0f);
        EXPECT_EQ(l.p0.y, 520.0f);
        EXPECT_EQ(l.rgb, 0x00ff00u);
    }
    EXPECT_EQ(lines[0].p1.x, 300.0f);
    EXPECT_EQ(lines[0].p1.y, 400.0f);
    EXPECT_EQ(lines[1].p1.x, 400.0f);
    EXPECT_EQ(lines[1].p1.y, 450.0f);
    // Each line after its enemy's marker and before its "loc".
    std::vector<std::string> kinds;
    for (const DrawCall& c : rt.log.calls)
        if (c.kind == CallKind::DrawBitmap || c.kind == CallKind::Sound || (c.kind == CallKind::DrawLine && c.width == 2.0f))
            kinds.push_back(c.kind == CallKind::DrawBitmap ? "bitmap" : c.kind == CallKind::Sound ? "loc" : "line");
    EXPECT_EQ(kinds, (std::vector<std::string>{"bitmap", "bitmap", "line", "loc", "bitmap", "bitmap", "line", "loc"}));
}
