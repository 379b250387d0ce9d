// game_resources.cpp: the program's drawing resources for a test's real target.
#include "game_resources.h"

#include "shell.h"

namespace {

template <class T>
void ReleaseAndClear(T** p)
{
    if (*p != nullptr) {
        (*p)->Release();
        *p = nullptr;
    }
}

// As the paint cycle loads them: frame 0 of the PNG, converted to premultiplied BGRA.
HRESULT LoadSheet(IWICImagingFactory* wic, ID2D1RenderTarget* rt, const wchar_t* file, ID2D1Bitmap** bitmap)
{
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    HRESULT hr = wic->CreateDecoderFromFilename(file, NULL, GENERIC_READ, WICDecodeMetadataCacheOnLoad, &decoder);
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr))
        hr = wic->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, NULL, 0.0,
                                   WICBitmapPaletteTypeMedianCut);
    if (SUCCEEDED(hr))
        hr = rt->CreateBitmapFromWicBitmap(converter, NULL, bitmap);
    ReleaseAndClear(&converter);
    ReleaseAndClear(&frame);
    ReleaseAndClear(&decoder);
    return hr;
}

}  // namespace

HRESULT GameResources::Make(ID2D1RenderTarget* target, ID2D1Factory* factory, IWICImagingFactory* wic,
                            IDWriteFactory* dwrite)
{
    HRESULT hr = LoadSheet(wic, target, L"images\\jiki1.png", &sprites);
    if (SUCCEEDED(hr))
        hr = LoadSheet(wic, target, L"images\\back01.png", &background);
    if (SUCCEEDED(hr))
        hr = target->CreateSolidColorBrush(D2D1::ColorF(0x000000, 1.0f), &brush);
    if (SUCCEEDED(hr))
        hr = dwrite->CreateTextFormat(L"メイリオ", NULL, DWRITE_FONT_WEIGHT_BLACK, DWRITE_FONT_STYLE_NORMAL,
                                      DWRITE_FONT_STRETCH_EXTRA_EXPANDED, 56.0f, L"", &largeFormat);
    if (SUCCEEDED(hr)) {
        D2D1_STROKE_STYLE_PROPERTIES stroke = D2D1::StrokeStyleProperties(
            D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_FLAT, D2D1_LINE_JOIN_MITER, 10.0f,
            D2D1_DASH_STYLE_SOLID, 0.0f);
        hr = factory->CreateStrokeStyle(&stroke, NULL, 0, &roundStroke);
    }
    return hr;
}

void GameResources::Release()
{
    ReleaseAndClear(&roundStroke);
    ReleaseAndClear(&largeFormat);
    ReleaseAndClear(&brush);
    ReleaseAndClear(&background);
    ReleaseAndClear(&sprites);
}

void GameResources::Install() const
{
    g_brush = brush;
    g_largeTextFormat = largeFormat;
    g_spriteSheet = sprites;
    g_backgroundSheet = background;
    g_roundStrokeStyle = roundStroke;
}
