// offscreen_target.h: a real Direct2D render target on a WIC bitmap, whose pixels
// a test can read back after drawing.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <wincodec.h>

#include <cstdint>
#include <vector>

class OffscreenTarget {
public:
    OffscreenTarget(UINT width, UINT height);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    bool ok() const { return target_ != nullptr; }
    ID2D1RenderTarget* target() const { return target_; }
    ID2D1Factory* factory() const { return factory_; }
    IWICImagingFactory* wic() const { return wic_; }

    // Copies the pixels (premultiplied BGRA, one uint32 0xAARRGGBB per pixel).
    std::vector<uint32_t> Pixels() const;
    uint32_t Pixel(UINT x, UINT y) const;  // reads one pixel; prefer Pixels() in loops
    // Writes the current pixels as a PNG (for people to look at).
    HRESULT SavePng(const wchar_t* path) const;

    UINT width() const { return width_; }
    UINT height() const { return height_; }

private:
    UINT width_, height_;
    bool comInitialised_ = false;
    ID2D1Factory* factory_ = nullptr;
    IWICImagingFactory* wic_ = nullptr;
    IWICBitmap* bitmap_ = nullptr;
    ID2D1RenderTarget* target_ = nullptr;
};
