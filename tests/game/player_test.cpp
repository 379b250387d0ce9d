// The player's side: the ship's moves and box, one volley per press, the five
// shot tables, the options following the ship, and what is drawn over what.
#include "game_fixture.h"

namespace {

const D2D1_RECT_F OptionSource = {110, 30, 160, 100};
const D2D1_RECT_F ShipSource = {0, 0, 50, 100};
const D2D1_RECT_F SightSource = {1200, 0, 1600, 300};

bool SameRect(const D2D1_RECT_F& a, const D2D1_RECT_F& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct Spot {
    float x, y;
};

class PlayerTest : public GameTest {
protected:
    void Press() { g_keyDown[VK_SPACE] = 1; }
    // What WM_KEYUP does: the key is up and may be reported again.
    void Release()
    {
        g_keyDown[VK_SPACE] = 0;
        g_keyLatched[VK_SPACE] = 0;
    }

    // Log positions of the sprite-sheet draws from this source cell.
    std::vector<size_t> Sprites(const D2D1_RECT_F& source) const
    {
        std::vector<size_t> at;
        for (size_t i = 0; i < rt.log.calls.size(); i++) {
            const DrawCall& c = rt.log.calls[i];
            if (c.kind == CallKind::DrawBitmap && c.bitmap == &sprites && SameRect(c.source, source)) {
                EXPECT_EQ(c.opacity, 1.0f);
                EXPECT_EQ(c.interpolation, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
                at.push_back(i);
            }
        }
        return at;
    }

    D2D1_RECT_F DestAt(size_t i) const { return rt.log.calls[i].dest; }

    // The beams of step 4: every call between the two background layers and
    // the first option. Each beam is a glow of three lines (widths 8, 4, 2)
    // whose core colour is 0x0FFF00, running from (x, y - 40) up to (x, y - 80);
    // the result is each beam's (x, y).
    std::vector<Spot> Beams() const
    {
        size_t from = 0;
        int layers = 0;
        while (layers < 2 && from < rt.log.calls.size())
            if (rt.log.calls[from++].bitmap == &background)
                layers++;
        size_t to = Sprites(OptionSource).at(0);
        EXPECT_EQ((to - from) % 6, 0u);
        std::vector<Spot> beams;
        for (size_t i = from; i + 6 <= to; i += 6) {
            const DrawCall* c = &rt.log.calls[i];
            const float widths[3] = {8, 4, 2};
            for (int k = 0; k < 3; k++) {
                EXPECT_EQ(c[2 * k].kind, CallKind::SetColor);
                EXPECT_EQ(c[2 * k + 1].kind, CallKind::DrawLine);
                EXPECT_EQ(c[2 * k + 1].width, widths[k]);
                EXPECT_EQ(c[2 * k + 1].p0.x, c[1].p0.x);
                EXPECT_EQ(c[2 * k + 1].p0.y, c[1].p0.y);
                EXPECT_EQ(c[2 * k + 1].p1.x, c[1].p0.x);
                EXPECT_EQ(c[2 * k + 1].p1.y, c[1].p0.y - 40);
            }
            EXPECT_EQ(c[4].color.r, 15 / 255.f);
            EXPECT_EQ(c[4].color.g, 1.0f);
            EXPECT_EQ(c[4].color.b, 0.0f);
            EXPECT_EQ(c[4].color.a, 1.0f);
            beams.push_back({c[1].p0.x, c[1].p0.y + 40});
        }
        return beams;
    }

    static int Live(const PlayerShot* table)
    {
        int n = 0;
        for (int i = 0; i < PlayerShotSlots; i++)
            n += table[i].active >= 1;
        return n;
    }
};

#define EXPECT_SPOT(spot, ex, ey)   \
    do {                            \
        EXPECT_EQ((spot).x, ex);    \
        EXPECT_EQ((spot).y, ey);    \
    } while (0)

PlayerShot* const AllTables[5] = {g_playerShots, g_option1Shots, g_option2Shots, g_option3Shots, g_option4Shots};

}  // namespace

TEST_F(PlayerTest, ArrowKeysMoveEightAndOppositeKeysCancel)
{
    struct Case {
        std::vector<int> keys;
        float x, y;
    };
    const Case cases[] = {
        {{VK_LEFT}, 292, 520},          {{VK_RIGHT}, 308, 520},        {{VK_UP}, 300, 512},
        {{VK_DOWN}, 300, 528},          {{VK_LEFT, VK_UP}, 292, 512},  {{VK_LEFT, VK_RIGHT}, 300, 520},
        {{VK_UP, VK_DOWN}, 300, 520},   {{VK_LEFT, VK_RIGHT, VK_DOWN}, 300, 528},
    };
    for (const Case& c : cases) {
        g_playerX = 300;
        g_playerY = 520;
        memset(g_keyDown, 0, sizeof g_keyDown);
        for (int k : c.keys)
            g_keyDown[k] = 1;
        rt.log.Clear();
        Frame();
        EXPECT_EQ(g_playerX, c.x);
        EXPECT_EQ(g_playerY, c.y);
        std::vector<size_t> ship = Sprites(ShipSource);
        ASSERT_EQ(ship.size(), 1u);
        EXPECT_TRUE(SameRect(DestAt(ship[0]), {c.x - 25, c.y - 50, c.x + 25, c.y + 50}));
    }
}

TEST_F(PlayerTest, ClampActsBeforeTheVolleyAndBeforeTheOptionsArePlaced)
{
    g_playerX = 28;
    g_keyDown[VK_LEFT] = 1;
    Press();
    Frame();
    EXPECT_EQ(g_playerX, 24.0f);
    EXPECT_EQ(g_playerShots[0].x, 24.0f);
    std::vector<Spot> beams = Beams();
    ASSERT_EQ(beams.size(), 6u);
    EXPECT_SPOT(beams[0], 14.0f, 502.0f);
    EXPECT_SPOT(beams[1], 34.0f, 502.0f);
    EXPECT_EQ(g_option1X, -26.0f);
    EXPECT_TRUE(SameRect(DestAt(Sprites(OptionSource).at(0)), {-51, 535, -1, 605}));

    // The other three edges of the box.
    struct Case {
        float x, y;
        int key;
        float cx, cy;
    };
    const Case cases[] = {{572, 520, VK_RIGHT, 576, 520}, {300, 404, VK_UP, 300, 400}, {300, 692, VK_DOWN, 300, 696}};
    for (const Case& c : cases) {
        memset(g_keyDown, 0, sizeof g_keyDown);
        g_keyDown[c.key] = 1;
        g_playerX = c.x;
        g_playerY = c.y;
        Frame();
        EXPECT_EQ(g_playerX, c.cx);
        EXPECT_EQ(g_playerY, c.cy);
    }
}

TEST_F(PlayerTest, HeldSpaceFiresOneVolleyUntilReleasedAndPressedAgain)
{
    Press();
    Frames(5);  // auto-repeat keeps the key down: still the one volley
    for (const PlayerShot* t : AllTables)
        EXPECT_EQ(Live(t), 1);
    Release();
    Frame();
    for (const PlayerShot* t : AllTables)
        EXPECT_EQ(Live(t), 1);
    Press();
    Frame();
    for (const PlayerShot* t : AllTables) {
        EXPECT_EQ(Live(t), 2);
        EXPECT_EQ(t[1].active, 1);
    }
}

// The ship fires from where it now stands; the options from where the
// previous frame placed them, 8 off after a diagonal move.
TEST_F(PlayerTest, VolleyStartsAtTheShipAndAtLastFramesOptions)
{
    g_keyDown[VK_LEFT] = 1;
    g_keyDown[VK_UP] = 1;
    Press();
    Frame();
    std::vector<Spot> beams = Beams();
    ASSERT_EQ(beams.size(), 6u);
    EXPECT_SPOT(beams[0], 282.0f, 494.0f);
    EXPECT_SPOT(beams[1], 302.0f, 494.0f);
    EXPECT_SPOT(beams[2], 250.0f, 564.0f);
    EXPECT_SPOT(beams[3], 350.0f, 564.0f);
    EXPECT_SPOT(beams[4], 200.0f, 614.0f);
    EXPECT_SPOT(beams[5], 400.0f, 614.0f);
    const Spot moved[5] = {{292, 478}, {250, 548}, {350, 548}, {200, 598}, {400, 598}};
    for (int t = 0; t < 5; t++) {
        EXPECT_EQ(AllTables[t][0].active, 1);
        EXPECT_SPOT(AllTables[t][0], moved[t].x, moved[t].y);
    }
    std::vector<size_t> options = Sprites(OptionSource);
    ASSERT_EQ(options.size(), 4u);
    EXPECT_TRUE(SameRect(DestAt(options[0]), {217, 527, 267, 597}));  // Option1 at (242, 562)
    EXPECT_TRUE(SameRect(DestAt(options[1]), {317, 527, 367, 597}));
    EXPECT_TRUE(SameRect(DestAt(options[2]), {167, 577, 217, 647}));
    EXPECT_TRUE(SameRect(DestAt(options[3]), {367, 577, 417, 647}));
}

TEST_F(PlayerTest, FullTableFiresNothingWhileTheOthersStillFire)
{
    for (int i = 0; i < PlayerShotSlots; i++)
        g_playerShots[i] = {1, float(i), 700};
    g_option1Shots[0] = {1, 5, 700};
    g_option1Shots[1] = {-1, 5, 700};  // below 1: free
    Press();
    Frame();
    for (int i = 0; i < PlayerShotSlots; i++) {
        EXPECT_EQ(g_playerShots[i].x, float(i));
        EXPECT_EQ(g_playerShots[i].y, 684.0f);
    }
    EXPECT_EQ(g_option1Shots[1].active, 1);
    EXPECT_SPOT(g_option1Shots[1], 250.0f, 548.0f);
    EXPECT_EQ(Live(g_option1Shots), 2);
    for (const PlayerShot* t : {g_option2Shots, g_option3Shots, g_option4Shots})
        EXPECT_EQ(Live(t), 1);
}

TEST_F(PlayerTest, ShotIsFreedWhenItsMoveTakesItAboveMinus32AndKeepsItsPlace)
{
    g_playerShots[0] = {1, 100, -16};
    g_option2Shots[5] = {1, 200, -20};
    Frame();
    std::vector<Spot> beams = Beams();
    ASSERT_EQ(beams.size(), 3u);
    EXPECT_SPOT(beams[2], 200.0f, -20.0f);
    EXPECT_EQ(g_option2Shots[5].active, 0);
    EXPECT_SPOT(g_option2Shots[5], 200.0f, -36.0f);
    EXPECT_EQ(g_playerShots[0].active, 1);  // exactly -32 is not above it
    EXPECT_EQ(g_playerShots[0].y, -32.0f);

    rt.log.Clear();
    Frame();
    beams = Beams();
    ASSERT_EQ(beams.size(), 2u);
    EXPECT_SPOT(beams[0], 90.0f, -32.0f);
    EXPECT_EQ(g_playerShots[0].active, 0);
    EXPECT_EQ(g_playerShots[0].y, -48.0f);

    rt.log.Clear();
    Frame();
    EXPECT_TRUE(Beams().empty());
}

// First frame after the reset: the options stand where the reset put them;
// shots lie under the options, the options under the ship, the sight on top
// of the world and under the opening picture.
TEST_F(PlayerTest, FirstFrameDrawsShotsOptionsShipThenTheSight)
{
    EXPECT_SPOT((Spot{g_option1X, g_option1Y}), 250.0f, 570.0f);
    Press();
    Frame();
    std::vector<size_t> options = Sprites(OptionSource), ship = Sprites(ShipSource), sight = Sprites(SightSource);
    ASSERT_EQ(options.size(), 4u);
    ASSERT_EQ(ship.size(), 1u);
    ASSERT_EQ(sight.size(), 1u);
    const Spot at[4] = {{250, 570}, {350, 570}, {200, 620}, {400, 620}};
    for (int k = 0; k < 4; k++)
        EXPECT_TRUE(SameRect(DestAt(options[k]), {at[k].x - 25, at[k].y - 35, at[k].x + 25, at[k].y + 35}));
    EXPECT_EQ(Beams().size(), 6u);  // all before the first option
    EXPECT_LT(options[3], ship[0]);
    EXPECT_TRUE(SameRect(DestAt(ship[0]), {275, 470, 325, 570}));
    EXPECT_TRUE(SameRect(DestAt(sight[0]), {100, 170, 500, 470}));
    EXPECT_LT(ship[0], sight[0]);
    const DrawCall& next = rt.log.calls.at(sight[0] + 1);
    EXPECT_EQ(next.bitmap, &background);  // the opening picture
    EXPECT_EQ(next.source.left, 600.0f);
}

// The sight is drawn once a frame over the ship, and right before the music
// cues and texts: after every call of steps 6 to 15.
TEST_F(PlayerTest, SightEveryFrameAfterTheWorldAndBeforeCuesAndTexts)
{
    g_keyDown[VK_RIGHT] = 1;
    for (int f = 0; f < 70; f++) {
        rt.log.Clear();
        float clock = g_stageClock;
        Frame();
        std::vector<size_t> sight = Sprites(SightSource);
        ASSERT_EQ(sight.size(), 1u);
        EXPECT_TRUE(SameRect(DestAt(sight[0]), {g_playerX - 200, g_playerY - 350, g_playerX + 200, g_playerY - 50}));
        if (clock == 10) {
            EXPECT_EQ(Describe(rt.log.calls.at(sight[0] + 1)), "Sound bgm001 loop 0");
        }
    }

    struct Case {
        float clock;
        const char* next;
    };
    const Case cases[] = {{2500, "Sound bgm002 loop 0"}, {13500, "SetTextAlignment 2"}};
    for (const Case& c : cases) {
        g_stageClock = c.clock;
        g_enemies[20] = {1, g_playerX, g_playerY - 100, 0, 0, 0, 0};  // inside the lock-on box
        rt.log.Clear();
        Frame();
        std::vector<size_t> sight = Sprites(SightSource);
        ASSERT_EQ(sight.size(), 1u);
        EXPECT_EQ(Describe(rt.log.calls.at(sight[0] + 1)), c.next);
        // Steps 6 to 15 did draw in this frame, all before the sight.
        std::vector<size_t> battleship = Sprites({0, 400, 400, 1200});
        ASSERT_FALSE(battleship.empty());
        EXPECT_LT(battleship.back(), sight[0]);
        EXPECT_LT(Sprites({200, 0, 270, 70}).at(0), sight[0]);  // the lock-on marker
    }
}
