// offscreen_target.cpp: a WIC bitmap render target for pixel checks.
#include "offscreen_target.h"

#include "desktop.h"

OffscreenTarget::OffscreenTarget(UINT width, UINT height) : width_(width), height_(height)
{
    comInitialised_ = SUCCEEDED(CoInitialize(nullptr));
    HRESULT hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                                   reinterpret_cast<void**>(&factory_));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&wic_));
    if (SUCCEEDED(hr))
        hr = wic_->CreateBitmap(width, height, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap_);
    if (SUCCEEDED(hr)) {
        D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
            D2D1_RENDER_TARGET_TYPE_DEFAULT,
            D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
        hr = factory_->CreateWicBitmapRenderTarget(bitmap_, &props, &target_);
    }
    if (FAILED(hr) && target_) {
        target_->Release();
        target_ = nullptr;
    }
}

OffscreenTarget::~OffscreenTarget()
{
    if (target_)
        target_->Release();
    if (bitmap_)
        bitmap_->Release();
    if (wic_)
        wic_->Release();
    if (factory_)
        factory_->Release();
    if (comInitialised_)
        CoUninitialize();
}

std::vector<uint32_t> OffscreenTarget::Pixels() const
{
    std::vector<uint32_t> out(static_cast<size_t>(width_) * height_);
    WICRect all = {0, 0, static_cast<INT>(width_), static_cast<INT>(height_)};
    bitmap_->CopyPixels(&all, width_ * 4, static_cast<UINT>(out.size() * 4), reinterpret_cast<BYTE*>(out.data()));
    return out;
}

uint32_t OffscreenTarget::Pixel(UINT x, UINT y) const
{
    uint32_t p = 0;
    WICRect one = {static_cast<INT>(x), static_cast<INT>(y), 1, 1};
    bitmap_->CopyPixels(&one, 4, 4, reinterpret_cast<BYTE*>(&p));
    return p;
}

HRESULT OffscreenTarget::SavePng(const wchar_t* path) const
{
    return EncodePng(wic_, bitmap_, path);
}
