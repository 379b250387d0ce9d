// draw_resources.cpp: the Direct2D and DirectWrite objects the game world draws with.
// The paint cycle creates and releases them; they stand here, apart from the
// window code, so that the game links without the window.
#include "shell_shared.h"

ID2D1HwndRenderTarget* g_renderTarget;
ID2D1SolidColorBrush* g_brush;
ID2D1Bitmap* g_spriteSheet;
ID2D1Bitmap* g_backgroundSheet;

IDWriteTextFormat* g_largeTextFormat;
IDWriteTextFormat* g_smallTextFormat;
ID2D1StrokeStyle* g_roundStrokeStyle;
