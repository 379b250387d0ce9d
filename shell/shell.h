// shell.h: what the application shell offers the rest of the program: the keyboard
// tables, the drawing resources the game draws with, the window and the paint cycle.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>

// ---- keyboard (keyboard.cpp) -------------------------------------------------
constexpr int KeyTableSize = 256;
extern BYTE g_keyDown[KeyTableSize];     // 1 while the key is held
extern BYTE g_keyLatched[KeyTableSize];  // 1 once KeyPressedOnce has reported the press
int KeyPressedOnce(int vk);

// ---- drawing resources (draw_resources.cpp) -------------------------------------
// Device-dependent: NULL until the first paint and after every device loss.
extern ID2D1HwndRenderTarget* g_renderTarget;
extern ID2D1SolidColorBrush* g_brush;
extern ID2D1Bitmap* g_spriteSheet;
extern ID2D1Bitmap* g_backgroundSheet;
// Device-independent: made once before the window exists.
extern IDWriteTextFormat* g_largeTextFormat;
extern IDWriteTextFormat* g_smallTextFormat;
extern ID2D1StrokeStyle* g_roundStrokeStyle;
