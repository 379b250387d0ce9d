// lockon.cpp: the lock-on display: every enemy whose centre comes inside the box
// around the ship gets the overlay above the ship, a marker and the lock-on blip.
// It keeps no state and decides nothing: the homing lasers fire on their own.
#include "game_local.h"

namespace {

const D2D1_RECT_F LockOnOverlay = {1200, 300, 1600, 600};
const D2D1_RECT_F LockOnMarker = {200, 0, 270, 70};
constexpr UINT32 LockOnLineColour = 0x00ff00;

// Each bound inclusive, each sum in single precision as written; the first
// comparison that fails ends the test. A parked (free) slot is never inside.
bool InsideLockOnBox(float ex, float ey, float px, float py)
{
    return ex <= px + 200 && ex + 60 >= px - 150 && ey <= py + 50 && ey + 60 >= py - 300;
}

}  // namespace

// With n enemies inside, the overlay is drawn n times, each over the markers
// drawn before it, and "loc" restarts n times: the last restart is heard.
void RunLockOnDisplay(ID2D1RenderTarget* rt)
{
    if (!g_edition.lockOnDisplay)
        return;
    float px = g_playerX, py = g_playerY;
    for (int i = 0; i < EnemySlots; i++) {
        float ex = g_enemies[i].x, ey = g_enemies[i].y;
        if (!InsideLockOnBox(ex, ey, px, py))
            continue;
        D2D1_RECT_F overlay = {px - 200, py - 150 - 200, px + 200, py + 150 - 200};
        rt->DrawBitmap(g_spriteSheet, overlay, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, LockOnOverlay);
        D2D1_RECT_F marker = {ex - 35, ey - 35, ex + 35, ey + 35};
        rt->DrawBitmap(g_spriteSheet, marker, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, LockOnMarker);
        if (g_edition.lockOnLine)
            DrawGlowLine(rt, LockOnLineColour, D2D1::Point2F(px, py), D2D1::Point2F(ex, ey));
        ReplaySoundByName(L"loc", 0, NULL);
    }
}
