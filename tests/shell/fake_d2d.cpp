// fake_d2d.cpp: the scripted parts of the fake factory and window target.
#include "fake_d2d.h"

HRESULT FakeHwndTarget::CreateBitmapFromWicBitmap(IWICBitmapSource* s, const D2D1_BITMAP_PROPERTIES* p, ID2D1Bitmap** o)
{
    if (failBitmapAt != 0 && bitmapsCreated + 1 == failBitmapAt)
        return failBitmapNumber;
    HRESULT hr = inner_->CreateBitmapFromWicBitmap(s, p, o);
    if (SUCCEEDED(hr))
        bitmapsCreated++;
    return hr;
}

HRESULT FakeHwndTarget::CreateSolidColorBrush(const D2D1_COLOR_F* c, const D2D1_BRUSH_PROPERTIES* p, ID2D1SolidColorBrush** o)
{
    if (failBrush != S_OK)
        return failBrush;
    HRESULT hr = inner_->CreateSolidColorBrush(c, p, o);
    if (SUCCEEDED(hr))
        brushesCreated++;
    return hr;
}

void FakeHwndTarget::Clear(const D2D1_COLOR_F* c)
{
    clears++;
    lastClear = *c;
    inner_->Clear(c);
}

HRESULT FakeHwndTarget::EndDraw(D2D1_TAG* a, D2D1_TAG* b)
{
    HRESULT hr = inner_->EndDraw(a, b);
    return endDrawResult != S_OK ? endDrawResult : hr;
}

HRESULT FakeFactory::CreateHwndRenderTarget(const D2D1_RENDER_TARGET_PROPERTIES* p,
                                            const D2D1_HWND_RENDER_TARGET_PROPERTIES* h, ID2D1HwndRenderTarget** t)
{
    lastProps = *p;
    lastHwndProps = *h;
    if (failTarget != S_OK)
        return failTarget;
    targets.push_back(std::make_unique<FakeHwndTarget>(inner_, h->hwnd, h->pixelSize));
    FakeHwndTarget* target = targets.back().get();
    target->failBitmapAt = failBitmapAt;
    target->failBitmapNumber = failBitmap;
    target->failBrush = failBrush;
    *t = target;
    return S_OK;
}
