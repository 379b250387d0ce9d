// text.cpp: DrawText. Laying out and rasterising glyphs stays the platform's
// job: the first time a text is drawn, the platform's Direct2D draws it in white
// on a transparent bitmap the size of the target, at the very place the call
// asks for; the bitmap's alpha is kept, trimmed to the text, as coverage. Every
// later frame blends that coverage in the brush's colour.
#include "renderer_local.h"

#include <wincodec.h>

#include <algorithm>

namespace sw {

struct TextCache::Entry {
    std::wstring text;
    IDWriteTextFormat* format = nullptr;  // one reference held, so the address stays its own
    D2D1_RECT_F layout{};
    D2D1_DRAW_TEXT_OPTIONS options{};
    DWRITE_MEASURING_MODE measuring{};
    // The format's settings that change the layout, as they were when drawn.
    DWRITE_TEXT_ALIGNMENT textAlignment{};
    DWRITE_PARAGRAPH_ALIGNMENT paragraphAlignment{};
    DWRITE_WORD_WRAPPING wordWrapping{};
    DWRITE_READING_DIRECTION readingDirection{};
    DWRITE_FLOW_DIRECTION flowDirection{};
    bool ok = false;
    unsigned long used = 0;
    TextMask mask;

    ~Entry()
    {
        if (format != nullptr)
            format->Release();
    }

    void Settings(IDWriteTextFormat* f)
    {
        textAlignment = f->GetTextAlignment();
        paragraphAlignment = f->GetParagraphAlignment();
        wordWrapping = f->GetWordWrapping();
        readingDirection = f->GetReadingDirection();
        flowDirection = f->GetFlowDirection();
    }

    bool Matches(const WCHAR* t, UINT length, IDWriteTextFormat* f, const D2D1_RECT_F& r, D2D1_DRAW_TEXT_OPTIONS o,
                 DWRITE_MEASURING_MODE m) const
    {
        return f == format && o == options && m == measuring && r.left == layout.left && r.top == layout.top &&
               r.right == layout.right && r.bottom == layout.bottom && text.size() == length &&
               std::equal(text.begin(), text.end(), t) && f->GetTextAlignment() == textAlignment &&
               f->GetParagraphAlignment() == paragraphAlignment && f->GetWordWrapping() == wordWrapping &&
               f->GetReadingDirection() == readingDirection && f->GetFlowDirection() == flowDirection;
    }
};

TextCache::TextCache(ID2D1Factory* factory, UINT width, UINT height) : factory_(factory), width_(width), height_(height)
{
    entries_.reserve(Capacity);
}

TextCache::~TextCache()
{
    for (Entry* e : entries_)
        delete e;
}

const TextMask* TextCache::Find(const WCHAR* text, UINT length, IDWriteTextFormat* format, const D2D1_RECT_F& layout,
                                D2D1_DRAW_TEXT_OPTIONS options, DWRITE_MEASURING_MODE measuring, unsigned long frame)
{
    for (Entry* e : entries_) {
        if (e->Matches(text, length, format, layout, options, measuring)) {
            e->used = frame;
            return e->ok ? &e->mask : nullptr;
        }
    }
    // Full: the entry drawn longest ago makes room, unless this very frame drew it
    // (its coverage is still to be blended); then the cache grows instead.
    if (static_cast<int>(entries_.size()) >= Capacity) {
        auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                       [](const Entry* a, const Entry* b) { return a->used < b->used; });
        if ((*oldest)->used != frame) {
            delete *oldest;
            entries_.erase(oldest);
        }
    }
    Entry* e = new Entry;
    e->text.assign(text, length);
    e->format = format;
    format->AddRef();
    e->layout = layout;
    e->options = options;
    e->measuring = measuring;
    e->Settings(format);
    e->used = frame;
    e->ok = SUCCEEDED(Rasterise(*e));
    entries_.push_back(e);
    return e->ok ? &e->mask : nullptr;
}

// Draws the text with the platform's Direct2D on a WIC bitmap of the target's size
// and keeps the rows and columns that carry any of its alpha.
HRESULT TextCache::Rasterise(Entry& e)
{
    IWICImagingFactory* wic = nullptr;
    IWICBitmap* bitmap = nullptr;
    ID2D1RenderTarget* rt = nullptr;
    ID2D1SolidColorBrush* white = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&wic));
    if (SUCCEEDED(hr))
        hr = wic->CreateBitmap(width_, height_, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap);
    if (SUCCEEDED(hr)) {
        D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
            D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
            96.0f, 96.0f);
        hr = factory_->CreateWicBitmapRenderTarget(bitmap, &props, &rt);
    }
    if (SUCCEEDED(hr))
        hr = rt->CreateSolidColorBrush(D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f), &white);
    if (SUCCEEDED(hr)) {
        // Grey-scale coverage: the colour comes later, from the brush of each frame.
        rt->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
        rt->BeginDraw();
        rt->Clear(D2D1::ColorF(0, 0, 0, 0));
        rt->DrawText(e.text.data(), static_cast<UINT>(e.text.size()), e.format, &e.layout, white, e.options,
                     e.measuring);
        hr = rt->EndDraw();
    }
    std::vector<uint32_t> pixels;
    if (SUCCEEDED(hr)) {
        pixels.resize(static_cast<size_t>(width_) * height_);
        hr = bitmap->CopyPixels(nullptr, width_ * 4, static_cast<UINT>(pixels.size() * 4),
                                reinterpret_cast<BYTE*>(pixels.data()));
    }
    if (SUCCEEDED(hr)) {
        int x0 = static_cast<int>(width_), y0 = static_cast<int>(height_), x1 = 0, y1 = 0;
        for (int y = 0; y < static_cast<int>(height_); y++)
            for (int x = 0; x < static_cast<int>(width_); x++)
                if (pixels[static_cast<size_t>(y) * width_ + x] >> 24) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x + 1);
                    y0 = std::min(y0, y);
                    y1 = std::max(y1, y + 1);
                }
        TextMask& m = e.mask;
        if (x0 < x1) {
            m.left = x0;
            m.top = y0;
            m.width = x1 - x0;
            m.height = y1 - y0;
            m.coverage.resize(static_cast<size_t>(m.width) * m.height);
            for (int y = 0; y < m.height; y++)
                for (int x = 0; x < m.width; x++)
                    m.coverage[static_cast<size_t>(y) * m.width + x] =
                        static_cast<uint8_t>(pixels[static_cast<size_t>(y0 + y) * width_ + x0 + x] >> 24);
        }
    }
    if (white != nullptr)
        white->Release();
    if (rt != nullptr)
        rt->Release();
    if (bitmap != nullptr)
        bitmap->Release();
    if (wic != nullptr)
        wic->Release();
    return hr;
}

void DrawTextRows(const FrameView& frame, const TextCommand& c, int y0, int y1, BandScratch& scratch)
{
    const TextMask& m = *c.mask;
    int top = std::max(y0, m.top), bottom = std::min(y1, m.top + m.height);
    uint16_t* cov = scratch.cov.data();
    for (int y = top; y < bottom; y++) {
        const uint8_t* row = m.coverage.data() + static_cast<size_t>(y - m.top) * m.width;
        for (int x = 0; x < m.width; x++)
            cov[x] = static_cast<uint16_t>(row[x] + (row[x] >> 7));  // 0..255 to 0..256
        BlendSolidSpan(frame.pixels + static_cast<size_t>(y) * frame.width + m.left, cov, m.width, c.colour,
                       frame.plain);
    }
}

}  // namespace sw
