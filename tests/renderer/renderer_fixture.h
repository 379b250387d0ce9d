// renderer_fixture.h: what the software renderer's tests share: the factories,
// one frame drawn by the same callback on a software or a platform target and
// read back, bitmaps made from pixels or from the game's sheets, pixel maths.
#pragma once

#include "renderer.h"

#include <dwrite.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <vector>

using Microsoft::WRL::ComPtr;
using Pixels = std::vector<uint32_t>;  // 0xAARRGGBB premultiplied, top row first
using DrawFn = std::function<void(ID2D1RenderTarget*)>;

// One of each for the whole program (COM stays initialised until it ends).
ID2D1Factory* Factory();
IWICImagingFactory* Wic();

// Frames (BeginDraw, `draw`, EndDraw) on a w x h target, the last read back: a new
// software target each time; the platform's is kept from the last frame of its size.
Pixels DrawSoftware(UINT w, UINT h, const SoftwareRenderOptions& options, const DrawFn& draw, int frames = 1);
Pixels DrawPlatform(UINT w, UINT h, const DrawFn& draw);

// 32bppPBGRA WIC bitmaps: of `pixels`; of `part` of an image file.
ComPtr<IWICBitmap> MakeWicBitmap(UINT w, UINT h, const Pixels& pixels);
ComPtr<IWICBitmap> LoadSheet(const wchar_t* path, const WICRect& part);

// Random premultiplied pixels in 8 x 8 blocks that are wholly transparent, wholly
// opaque, translucent, or a mixture of the three pixel by pixel.
Pixels BlockPattern(UINT w, UINT h, unsigned seed);

// Resources; a failure fails the calling test.
ComPtr<ID2D1Bitmap> Upload(ID2D1RenderTarget* rt, IWICBitmapSource* source);
ComPtr<ID2D1SolidColorBrush> Brush(ID2D1RenderTarget* rt, const D2D1_COLOR_F& colour);
ComPtr<ID2D1StrokeStyle> Caps(D2D1_CAP_STYLE cap);

inline int Channel(uint32_t p, int ch)
{
    return static_cast<int>((p >> (8 * ch)) & 0xFF);
}

// The largest difference of any channel of two pixels.
int ChannelDiff(uint32_t a, uint32_t b);
