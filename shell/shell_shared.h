// shell_shared.h: what the game world may read from the shell: the keyboard tables
// and the drawing resources it draws with (keyboard.cpp, draw_resources.cpp). The
// window, the frame clock and the paint cycle stay in shell.h, out of the game's reach.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>

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
