// edition_checks.h: set-ups shared by the per-edition tests: shots placed next
// to enemies, a homing laser about to strike, and the glow lines of a log.
#pragma once

#include "game_fixture.h"

#include <vector>

class EditionTest : public GameTest {
protected:
    // An enemy in play at (x, y). At clock 0 no pattern moves it and no window
    // spawns anything, so a frame leaves it where it is unless it is struck.
    void PlaceEnemy(int slot, float x, float y)
    {
        Enemy& e = g_enemies[slot];
        e.alive = 1;
        e.x = x;
        e.y = y;
        e.hit = 0;
        e.deathTimer = 0;
        e.phase = 0;
        e.heading = 0;
    }

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

    struct GlowLine {
        D2D1_POINT_2F p0, p1;
        D2D1_COLOR_F core;
    };

    // Each glow line is SetColor + DrawLine three times, widths 8, 4, 2.
    std::vector<GlowLine> GlowLines() const
    {
        std::vector<GlowLine> out;
        const std::vector<DrawCall>& calls = rt.log.calls;
        for (size_t i = 1; i < calls.size(); i++)
            if (calls[i].kind == CallKind::DrawLine && calls[i].width == 2.0f)
                out.push_back({calls[i].p0, calls[i].p1, calls[i - 1].color});
        return out;
    }
};
