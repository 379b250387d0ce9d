// game.h: the game world as the shell sees it: reset, one frame, the effects on top.
#pragma once

#include <windows.h>
#include <d2d1.h>

#include <cstdint>

extern int32_t g_frameCount;  // frames run since program start, raised by GameFrame

void ResetGame();
void RestartGame();
void GameFrame(ID2D1RenderTarget* rt);
void StepAndDrawEffects(ID2D1RenderTarget* rt, ID2D1SolidColorBrush* brush, int frameCount);
