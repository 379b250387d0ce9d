// game_fixture.h: the game world on a recording render target: every drawing
// call and every sound of a frame lands in one log, in order.
#pragma once

#include "game_local.h"
#include "recording_target.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

// An enemy in play at (x, y), as a spawn leaves it, struck if hit is 1.0.
inline void PlaceEnemy(int slot, float x, float y, float hit = 0)
{
    Enemy& e = g_enemies[slot];
    e.alive = 1;
    e.x = x;
    e.y = y;
    e.hit = hit;
    e.deathTimer = 0;
    e.phase = 0;
    e.heading = 0;
}

struct GlowLine {
    D2D1_POINT_2F p0, p1;
    UINT32 rgb;  // the core colour, back as 0xRRGGBB
};

// The glow lines of a log, in drawing order: each is SetColor + DrawLine at the
// widths 8, 4 and 2 on one segment. Any other call in between is skipped.
inline std::vector<GlowLine> GlowLines(const CallLog& log)
{
    std::vector<GlowLine> lines;
    const std::vector<DrawCall>& c = log.calls;
    for (size_t k = 0; k + 5 < c.size();) {
        bool glow = c[k].kind == CallKind::SetColor && c[k + 1].kind == CallKind::DrawLine &&
                    c[k + 1].width == 8.0f && c[k + 2].kind == CallKind::SetColor &&
                    c[k + 3].kind == CallKind::DrawLine && c[k + 3].width == 4.0f &&
                    c[k + 4].kind == CallKind::SetColor && c[k + 5].kind == CallKind::DrawLine &&
                    c[k + 5].width == 2.0f;
        if (!glow) {
            k++;
            continue;
        }
        const D2D1_COLOR_F& core = c[k + 4].color;
        EXPECT_EQ(core.a, 1.0f);
        UINT32 rgb = static_cast<UINT32>(std::lround(core.r * 255)) << 16 |
                     static_cast<UINT32>(std::lround(core.g * 255)) << 8 |
                     static_cast<UINT32>(std::lround(core.b * 255));
        lines.push_back({c[k + 5].p0, c[k + 5].p1, rgb});
        k += 6;
    }
    return lines;
}

class GameTest : public ::testing::Test {
protected:
    RecordingRenderTarget rt;
    RecordingBrush brush{&rt.log};
    RecordingTextFormat largeFormat{&rt.log};
    FakeBitmap sprites;
    FakeBitmap background;
    ID2D1StrokeStyle* const stroke = reinterpret_cast<ID2D1StrokeStyle*>(0x5157);

    void SetUp() override
    {
        g_brush = &brush;
        g_largeTextFormat = &largeFormat;
        g_spriteSheet = &sprites;
        g_backgroundSheet = &background;
        g_roundStrokeStyle = stroke;
        memset(g_keyDown, 0, sizeof g_keyDown);
        memset(g_keyLatched, 0, sizeof g_keyLatched);
        g_frameCount = 0;
        g_bgScrollFar = 0;
        g_bgScrollNear = 0;
        ResetGame();
        g_soundLog = &rt.log;
        rt.log.Clear();
    }

    void TearDown() override
    {
        g_soundLog = nullptr;
        g_brush = nullptr;
        g_largeTextFormat = nullptr;
        g_spriteSheet = nullptr;
        g_backgroundSheet = nullptr;
        g_roundStrokeStyle = nullptr;
    }

    // One painted frame as the paint cycle runs it: the game, then the effects.
    void Frame()
    {
        GameFrame(&rt);
        StepAndDrawEffects(&rt, g_brush, g_frameCount);
    }

    void Frames(int n)
    {
        for (int i = 0; i < n; i++)
            Frame();
    }

    // Frames with the log cleared before each, so that the log holds the last one.
    void RunTo(float clock)
    {
        while (g_stageClock != clock) {
            rt.log.Clear();
            Frame();
        }
        rt.log.Clear();
    }
};
