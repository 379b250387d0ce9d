// renderer_fixture.cpp: the shared factories, frames and bitmaps of the renderer's tests.
#include "renderer_fixture.h"

#include "offscreen_target.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

ID2D1Factory* Factory()
{
    static ID2D1Factory* factory = [] {
        CoInitialize(nullptr);
        ID2D1Factory* f = nullptr;
        D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                          reinterpret_cast<void**>(&f));
        return f;
    }();
    return factory;
}

IWICImagingFactory* Wic()
{
    static IWICImagingFactory* wic = [] {
        Factory();  // initialises COM
        IWICImagingFactory* w = nullptr;
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         reinterpret_cast<void**>(&w));
        return w;
    }();
    return wic;
}

Pixels DrawSoftware(UINT w, UINT h, const SoftwareRenderOptions& options, const DrawFn& draw, int frames)
{
    Pixels out(static_cast<size_t>(w) * h);
    ComPtr<ID2D1HwndRenderTarget> rt;
    EXPECT_HRESULT_SUCCEEDED(CreateSoftwareRenderTarget(Factory(), NULL, D2D1::SizeU(w, h), &options, &rt));
    if (rt == nullptr)
        return out;
    for (int i = 0; i < frames; i++) {
        rt->BeginDraw();
        draw(rt.Get());
        EXPECT_HRESULT_SUCCEEDED(rt->EndDraw());
    }
    EXPECT_HRESULT_SUCCEEDED(CopySoftwareTargetPixels(rt.Get(), out.data(), out.size()));
    return out;
}

// The platform's target is slow to make under Wine (most of a second), so the
// last one is kept for the next frame of its size, until the program ends.
Pixels DrawPlatform(UINT w, UINT h, const DrawFn& draw)
{
    static OffscreenTarget* off = nullptr;
    if (off == nullptr || off->width() != w || off->height() != h) {
        delete off;
        off = new OffscreenTarget(w, h);
    }
    EXPECT_TRUE(off->ok());
    if (!off->ok())
        return Pixels(static_cast<size_t>(w) * h);
    off->target()->BeginDraw();
    draw(off->target());
    EXPECT_HRESULT_SUCCEEDED(off->target()->EndDraw());
    return off->Pixels();
}

ComPtr<IWICBitmap> MakeWicBitmap(UINT w, UINT h, const Pixels& pixels)
{
    ComPtr<IWICBitmap> bitmap;
    BYTE* bytes = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(pixels.data()));
    EXPECT_HRESULT_SUCCEEDED(
        Wic()->CreateBitmapFromMemory(w, h, GUID_WICPixelFormat32bppPBGRA, w * 4, w * h * 4, bytes, &bitmap));
    return bitmap;
}

ComPtr<IWICBitmap> LoadSheet(const wchar_t* path, const WICRect& part)
{
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    Pixels px(static_cast<size_t>(part.Width) * part.Height);
    HRESULT hr = Wic()->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad, &decoder);
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr))
        hr = Wic()->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeMedianCut);
    if (SUCCEEDED(hr))
        hr = converter->CopyPixels(&part, part.Width * 4, static_cast<UINT>(px.size() * 4),
                                   reinterpret_cast<BYTE*>(px.data()));
    EXPECT_HRESULT_SUCCEEDED(hr) << "reading " << path;
    return MakeWicBitmap(part.Width, part.Height, px);
}

Pixels BlockPattern(UINT w, UINT h, unsigned seed)
{
    std::mt19937 rng(seed);
    Pixels px(static_cast<size_t>(w) * h);
    for (UINT y = 0; y < h; y++)
        for (UINT x = 0; x < w; x++) {
            uint32_t kind = (x / 8 * 5 + y / 8 * 3 + seed) % 4;
            kind = kind == 3 ? rng() % 3 : kind;
            uint32_t a = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256, p = a << 24;
            for (int ch = 0; ch < 3; ch++)
                p |= (rng() % (a + 1)) << (8 * ch);
            px[y * w + x] = p;
        }
    return px;
}

ComPtr<ID2D1Bitmap> Upload(ID2D1RenderTarget* rt, IWICBitmapSource* source)
{
    ComPtr<ID2D1Bitmap> bitmap;
    EXPECT_HRESULT_SUCCEEDED(rt->CreateBitmapFromWicBitmap(source, nullptr, &bitmap));
    return bitmap;
}

ComPtr<ID2D1SolidColorBrush> Brush(ID2D1RenderTarget* rt, const D2D1_COLOR_F& colour)
{
    ComPtr<ID2D1SolidColorBrush> brush;
    EXPECT_HRESULT_SUCCEEDED(rt->CreateSolidColorBrush(colour, &brush));
    return brush;
}

ComPtr<ID2D1StrokeStyle> Caps(D2D1_CAP_STYLE cap)
{
    ComPtr<ID2D1StrokeStyle> stroke;
    D2D1_STROKE_STYLE_PROPERTIES props = D2D1::StrokeStyleProperties(
        cap, cap, D2D1_CAP_STYLE_FLAT, D2D1_LINE_JOIN_MITER, 10.0f, D2D1_DASH_STYLE_SOLID, 0);
    EXPECT_HRESULT_SUCCEEDED(Factory()->CreateStrokeStyle(&props, nullptr, 0, &stroke));
    return stroke;
}

int ChannelDiff(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int ch = 0; ch < 4; ch++)
        worst = std::max(worst, std::abs(Channel(a, ch) - Channel(b, ch)));
    return worst;
}
