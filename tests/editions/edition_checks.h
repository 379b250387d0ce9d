// edition_checks.h: set-ups shared by the per-edition tests: shots placed next
// to enemies, a homing laser about to strike, effects and sounds counted.
#pragma once

#include "game_fixture.h"

#include <vector>

class EditionTest : public GameTest {
protected:
    // A live ship's shot whose reference point, after this frame's move of 16,
    // lies at (x, y).
    void PlaceShot(int slot, float x, float y)
    {
        g_playerShots[slot].active = 1;
        g_playerShots[slot].x = x;
        g_playerShots[slot].y = y + 16;
    }

    // Player laser i armed long ago with only segment 18 flying, placed so that
    // its next cruising step (straight at the target) ends inside enemy i's box.
    void AimSegment18At(int i)
    {
        const Enemy& e = g_enemies[i];
        HomingLaserTable& t = g_playerHomingLasers;
        t.armed[i] = 1;
        t.step[i] = 38;
        t.state[i][18] = 1;
        t.heading[i][18] = 0;
        t.x[i][18] = e.x - 11;
        t.y[i][18] = e.y - 3 - 30;
    }

    int LiveEffects() const
    {
        int n = 0;
        for (const Effect& e : g_effects)
            n += e.framesLeft != 0;
        return n;
    }

    size_t Sounds(const wchar_t* name) const
    {
        size_t n = 0;
        for (const DrawCall* c : rt.log.Of(CallKind::Sound))
            n += c->sound == name;
        return n;
    }
};
