// game_fixture.h: the game world on a recording render target: every drawing
// call and every sound of a frame lands in one log, in order.
#pragma once

#include "game_local.h"
#include "recording_target.h"

#include <gtest/gtest.h>

#include <cstring>

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
