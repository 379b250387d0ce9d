// The fan bullets: five streaks a family at five speeds, families 1-6 down from
// the band 150..200 and families 7-12 up from the band 350..400.
#include "bullet_checks.h"

namespace {

using FanTest = GameTest;

BulletFamily<FanBullets>& Fan(int family)
{
    return g_enemyFanBullets[family - 1];
}

}  // namespace

TEST_F(FanTest, DownwardFamiliesStringOutAndPassTheBottom)
{
    PlaceEnemy(0, 300, 150);
    RunFanBullets(&rt);

    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 6u * 5u);  // a Fighter fires every family
    ExpectLine(lines[0], 290, 180, 286, 230, 0xf000ff);       // bullet 0, family 1
    ExpectLine(lines[5], 310, 180, 334, 230, 0xf000ff);       // bullet 0, family 6
    ExpectLine(lines[4 * 6], 290, 180, 286, 230, 0xf000ff);   // bullet 4, family 1
    EXPECT_EQ(Fan(1).x[0][0], 294.0f);
    EXPECT_EQ(Fan(1).y[0][0], 210.0f);
    EXPECT_EQ(Fan(1).x[0][4], 298.0f);
    EXPECT_EQ(Fan(1).y[0][4], 170.0f);
    EXPECT_EQ(Fan(6).x[0][0], 336.0f);
    EXPECT_EQ(Fan(6).y[0][0], 210.0f);

    FreeEnemy(g_enemies[0]);
    for (int move = 2; move <= 16; move++)
        RunFanBullets(&rt);
    EXPECT_EQ(Fan(6).x[0][0], 876.0f);  // far right of the field: no bound on x
    EXPECT_EQ(Fan(6).y[0][0], 1110.0f);
    rt.log.Clear();
    RunFanBullets(&rt);  // the 17th move, to (912, 1170)
    lines = GlowLines(rt.log);
    ASSERT_FALSE(lines.empty());
    ExpectLine(lines[5], 886, 1140, 910, 1190, 0xf000ff);
    ExpectParked(Fan(6), 0, 0);
}

TEST_F(FanTest, UpwardFamiliesPassTheTop)
{
    PlaceEnemy(0, 300, 350);
    RunFanBullets(&rt);

    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 6u * 5u);
    ExpectLine(lines[4 * 6], 310, 380, 314, 330, 0xffff00);  // bullet 4, family 7
    EXPECT_EQ(Fan(7).x[0][4], 302.0f);
    EXPECT_EQ(Fan(7).y[0][4], 330.0f);

    FreeEnemy(g_enemies[0]);
    for (int move = 2; move <= 37; move++)
        RunFanBullets(&rt);
    EXPECT_EQ(Fan(7).y[0][4], -390.0f);
    EXPECT_EQ(Fan(7).active[0][4], 1.0f);
    RunFanBullets(&rt);  // the 38th move, to y = -410
    ExpectParked(Fan(7), 0, 4);
}

TEST_F(FanTest, LaunchBandsAreClosed)
{
    const float ys[] = {150, 200, 200.1f, 349.9f, 350, 400};
    for (int slot = 0; slot < 6; slot++)
        PlaceEnemy(slot, 300, ys[slot]);
    PlaceEnemy(6, 300, 175);
    g_enemies[6].alive = 0;
    RunFanBullets(&rt);

    for (int slot = 0; slot <= 6; slot++) {
        bool down = slot <= 1, up = slot == 4 || slot == 5;
        for (int f = 1; f <= 12; f++) {
            bool fired = f <= 6 ? down : up;
            EXPECT_EQ(Fan(f).active[slot][0], fired ? 1.0f : 0.0f) << "slot " << slot << " family " << f;
        }
    }
    EXPECT_EQ(GlowLines(rt.log).size(), 4 * 6u * 5u);
}

TEST_F(FanTest, EveryDownwardStreakIsDrawnBeforeTheFirstUpwardOne)
{
    PlaceEnemy(0, 300, 350);  // upward, in the lower slot
    PlaceEnemy(1, 300, 150);  // downward
    RunFanBullets(&rt);

    std::vector<GlowLine> lines = GlowLines(rt.log);
    ASSERT_EQ(lines.size(), 2 * 6u * 5u);
    for (size_t k = 0; k < lines.size(); k++)
        EXPECT_EQ(lines[k].rgb, k < 30 ? 0xf000ffu : 0xffff00u) << "streak " << k;
}
