// player.cpp: the player's ship, its four options, the five shot tables and the
// sight. Nothing hurts the ship: it moves, fires and shows where it aims.
#include "game_local.h"

#include <cstring>

float g_playerX, g_playerY;
float g_option1X, g_option1Y;
float g_option2X, g_option2Y;
float g_option3X, g_option3Y;
float g_option4X, g_option4Y;
PlayerShot g_playerShots[PlayerShotSlots];
PlayerShot g_option1Shots[PlayerShotSlots];
PlayerShot g_option2Shots[PlayerShotSlots];
PlayerShot g_option3Shots[PlayerShotSlots];
PlayerShot g_option4Shots[PlayerShotSlots];

namespace {

constexpr float ShipStep = 8.0f;
constexpr float ShipMinX = 24, ShipMaxX = 576, ShipMinY = 400, ShipMaxY = 696;
constexpr float ShotSpeed = 16.0f;
constexpr float ShotFreeY = -32.0f;
constexpr UINT32 ShotColour = 0x0FFF00;
constexpr float ShotHitRange2 = 900.0f;  // 30 squared

const D2D1_RECT_F OptionSprite = {110, 30, 160, 100};
const D2D1_RECT_F PlayerShipSprite = {0, 0, 50, 100};
const D2D1_RECT_F SightSprite = {1200, 0, 1600, 300};

// The five shot tables in firing and drawing order, with where each fires from.
struct ShotTable {
    PlayerShot* shots;
    float* fromX;
    float* fromY;
    float offsetY;
    bool twinBeam;  // the ship's shot is two parallel beams
};

const ShotTable ShotTables[] = {
    {g_playerShots, &g_playerX, &g_playerY, -18, true},
    {g_option1Shots, &g_option1X, &g_option1Y, -6, false},
    {g_option2Shots, &g_option2X, &g_option2Y, -6, false},
    {g_option3Shots, &g_option3X, &g_option3Y, -6, false},
    {g_option4Shots, &g_option4X, &g_option4Y, -6, false},
};

void PlaceOptions()
{
    g_option1X = g_playerX - 50;
    g_option1Y = g_playerY + 50;
    g_option2X = g_playerX + 50;
    g_option2Y = g_playerY + 50;
    g_option3X = g_playerX - 100;
    g_option3Y = g_playerY + 100;
    g_option4X = g_playerX + 100;
    g_option4Y = g_playerY + 100;
}

void DrawSprite(ID2D1RenderTarget* rt, const D2D1_RECT_F& source, float left, float top, float right,
                float bottom)
{
    D2D1_RECT_F dest = {left, top, right, bottom};
    rt->DrawBitmap(g_spriteSheet, dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, source);
}

void DrawOption(ID2D1RenderTarget* rt, float ox, float oy)
{
    DrawSprite(rt, OptionSprite, ox - 25, oy - 35, ox + 25, oy + 35);
}

void DrawShot(ID2D1RenderTarget* rt, const PlayerShot& s, bool twinBeam)
{
    if (twinBeam) {
        DrawGlowLine(rt, ShotColour, D2D1::Point2F(s.x - 10, s.y - 40), D2D1::Point2F(s.x - 10, s.y - 80));
        DrawGlowLine(rt, ShotColour, D2D1::Point2F(s.x + 10, s.y - 40), D2D1::Point2F(s.x + 10, s.y - 80));
    } else {
        DrawGlowLine(rt, ShotColour, D2D1::Point2F(s.x, s.y - 40), D2D1::Point2F(s.x, s.y - 80));
    }
}

// The editions whose shots strike: every live enemy within 30 of the moved shot
// is struck. The test goes on through the other enemies after a strike, so one
// shot can strike several, its `active` falling by one per strike.
void ShotHitTest(PlayerShot& s)
{
    for (int e = 0; e < EnemySlots; e++) {
        Enemy& enemy = g_enemies[e];
        if (enemy.alive <= 0)
            continue;
        float dx = s.x - enemy.x;
        float dy = s.y - enemy.y;
        if (dx * dx + dy * dy < ShotHitRange2) {
            s.active -= 1;
            if (g_edition.shotHitSound)
                ReplaySoundByName(L"hit", 0, NULL);
            enemy.hit = 1.0f;
            SpawnEffect(enemy.x, enemy.y);
        }
    }
}

}  // namespace

void ResetPlayer()
{
    g_playerX = 300;
    g_playerY = 720 - 2 * 100;
    memset(g_playerShots, 0, sizeof g_playerShots);
    memset(g_option1Shots, 0, sizeof g_option1Shots);
    memset(g_option2Shots, 0, sizeof g_option2Shots);
    memset(g_option3Shots, 0, sizeof g_option3Shots);
    memset(g_option4Shots, 0, sizeof g_option4Shots);
    PlaceOptions();
}

// All four moves first, then the clamp once: opposite keys cancel.
void MovePlayerShip()
{
    if (g_keyDown[VK_LEFT])
        g_playerX -= ShipStep;
    if (g_keyDown[VK_RIGHT])
        g_playerX += ShipStep;
    if (g_keyDown[VK_UP])
        g_playerY -= ShipStep;
    if (g_keyDown[VK_DOWN])
        g_playerY += ShipStep;
    if (g_playerX < ShipMinX)
        g_playerX = ShipMinX;
    if (g_playerX > ShipMaxX)
        g_playerX = ShipMaxX;
    if (g_playerY < ShipMinY)
        g_playerY = ShipMinY;
    if (g_playerY > ShipMaxY)
        g_playerY = ShipMaxY;
}

// One volley per press. The options fire from where the previous frame placed
// them (deliberate: they are placed again only in the next step). A full table
// fires nothing; the others still fire.
void FirePlayerShots()
{
    if (KeyPressedOnce(VK_SPACE) != 1)
        return;
    for (const ShotTable& t : ShotTables) {
        for (int i = 0; i < PlayerShotSlots; i++) {
            PlayerShot& s = t.shots[i];
            if (s.active >= 1)
                continue;
            s.active = 1;
            s.x = *t.fromX;
            s.y = *t.fromY + t.offsetY;
            break;
        }
    }
}

// Drawn where it stands, then moved; a shot is freed once it is above -32 and
// keeps its last position.
void StepPlayerShots(ID2D1RenderTarget* rt)
{
    for (const ShotTable& t : ShotTables) {
        for (int i = 0; i < PlayerShotSlots; i++) {
            PlayerShot& s = t.shots[i];
            if (s.active < 1)
                continue;
            DrawShot(rt, s, t.twinBeam);
            s.y -= ShotSpeed;
            if (g_edition.shotHitTest)
                ShotHitTest(s);
            if (s.y < ShotFreeY)
                s.active = 0;
        }
    }
}

void PlaceOptionsAndDrawShip(ID2D1RenderTarget* rt)
{
    PlaceOptions();
    DrawOption(rt, g_option1X, g_option1Y);
    DrawOption(rt, g_option2X, g_option2Y);
    DrawOption(rt, g_option3X, g_option3Y);
    DrawOption(rt, g_option4X, g_option4Y);
    DrawSprite(rt, PlayerShipSprite, g_playerX - 25, g_playerY - 50, g_playerX + 25, g_playerY + 50);
}

void DrawSight(ID2D1RenderTarget* rt)
{
    DrawSprite(rt, SightSprite, g_playerX - 200, g_playerY - 350, g_playerX + 200, g_playerY - 50);
}
