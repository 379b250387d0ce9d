// The lock-on display: the box's inclusive bounds, the order of its calls with
// several enemies inside, and slots that are free when it runs.
#include "game_fixture.h"

namespace {

std::string Bitmap(ID2D1Bitmap* bitmap, D2D1_RECT_F dest, D2D1_RECT_F source)
{
    DrawCall c(CallKind::DrawBitmap);
    c.bitmap = bitmap;
    c.dest = dest;
    c.opacity = 1.0f;
    c.interpolation = D2D1_BITMAP_INTERPOLATION_MODE_LINEAR;
    c.source = source;
    c.hasDest = c.hasSource = true;
    return Describe(c);
}

std::string Loc()
{
    DrawCall c(CallKind::Sound);
    c.sound = L"loc";
    return Describe(c);
}

const D2D1_RECT_F OverlaySource = {1200, 300, 1600, 600};
const D2D1_RECT_F MarkerSource = {200, 0, 270, 70};

}  // namespace

using LockOnTest = GameTest;

// The ship at (300, 520): ex from 90 to 500, ey from 160 to 570.
TEST_F(LockOnTest, EveryBoundOfTheBoxIsInclusive)
{
    struct Case {
        float ex, ey;
        bool inside;
    };
    const Case cases[] = {
        {500, 400, true},  {500.5f, 400, false}, {90, 400, true},  {89.5f, 400, false},
        {300, 570, true},  {300, 570.5f, false}, {300, 160, true}, {300, 159.5f, false},
    };
    for (const Case& c : cases) {
        rt.log.Clear();
        g_enemies[12].x = c.ex;
        g_enemies[12].y = c.ey;
        RunLockOnDisplay(&rt);
        std::vector<const DrawCall*> bitmaps = rt.log.Of(CallKind::DrawBitmap);
        if (!c.inside) {
            EXPECT_TRUE(rt.log.calls.empty()) << c.ex << ", " << c.ey;
            continue;
        }
        ASSERT_EQ(bitmaps.size(), 2u) << c.ex << ", " << c.ey;
        EXPECT_EQ(Describe(*bitmaps[1]),
                  Bitmap(&sprites, {c.ex - 35, c.ey - 35, c.ex + 35, c.ey + 35}, MarkerSource));
        EXPECT_EQ(rt.log.Count(CallKind::Sound), 1u);
    }
}

TEST_F(LockOnTest, EachEnemyInsideGetsOverlayMarkerAndSound)
{
    g_enemies[3].x = 200;
    g_enemies[3].y = 300;
    g_enemies[30].x = 400;
    g_enemies[30].y = 450;
    RunLockOnDisplay(&rt);
    const D2D1_RECT_F overlay = {100, 170, 500, 470};
    std::vector<std::string> expected = {
        Bitmap(&sprites, overlay, OverlaySource), Bitmap(&sprites, {165, 265, 235, 335}, MarkerSource), Loc(),
        Bitmap(&sprites, overlay, OverlaySource), Bitmap(&sprites, {365, 415, 435, 485}, MarkerSource), Loc(),
    };
    EXPECT_EQ(rt.log.Lines(), expected);
}

// Free slots lie at the parking spot wherever the ship is; an enemy destroyed
// in this frame's enemy pass is parked before the display looks.
TEST_F(LockOnTest, FreeSlotsAreNeverMarked)
{
    const float ships[4][2] = {{0, 0}, {600, 0}, {0, 768}, {600, 768}};
    for (const auto& s : ships) {
        g_playerX = s[0];
        g_playerY = s[1];
        RunLockOnDisplay(&rt);
    }
    EXPECT_TRUE(rt.log.calls.empty());

    g_playerX = 300;
    g_playerY = 520;
    g_stageClock = 11600;
    Enemy& e = g_enemies[4];
    e.alive = 1;
    e.x = 300;
    e.y = 400;
    e.hit = 1.0f;
    Frame();
    for (const DrawCall* c : rt.log.Of(CallKind::DrawBitmap))
        EXPECT_FALSE(c->source.left == MarkerSource.left && c->source.top == MarkerSource.top);
    for (const DrawCall* c : rt.log.Of(CallKind::Sound))
        EXPECT_NE(c->sound, L"loc");
}
