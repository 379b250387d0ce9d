// text.cpp: DrawText. Laying out and rasterising glyphs stays the platform's
// job: the first time a text is drawn, DirectWrite lays it out as Direct2D's
// DrawText does (a text layout as wide and high as the layout rectangle, drawn
// from its top-left corner, lines flowing below it unclipped, baselines snapped
// to whole pixels) and rasterises each glyph run; the grey-scale coverage is
// kept, trimmed to the text. Every later frame blends it in the brush's colour.
#include "renderer_local.h"

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
    DWRITE_LINE_SPACING_METHOD lineSpacingMethod{};
    FLOAT lineSpacing = 0, baseline = 0, tabStop = 0;
    DWRITE_TRIMMING trimming{};
    bool ok = false;
    unsigned long used = 0;
    TextMask mask;

    ~Entry()
    {
        if (format != nullptr)
            format->Release();
    }

    // The settings a text format can change after it is made (its font is fixed).
    void Settings(IDWriteTextFormat* f)
    {
        textAlignment = f->GetTextAlignment();
        paragraphAlignment = f->GetParagraphAlignment();
        wordWrapping = f->GetWordWrapping();
        readingDirection = f->GetReadingDirection();
        flowDirection = f->GetFlowDirection();
        // Not tested: a format that cannot report these keeps the zeros.
        f->GetLineSpacing(&lineSpacingMethod, &lineSpacing, &baseline);
        tabStop = f->GetIncrementalTabStop();
        IDWriteInlineObject* sign = nullptr;
        if (SUCCEEDED(f->GetTrimming(&trimming, &sign)) && sign != nullptr)
            sign->Release();
    }

    bool SameSettings(const Entry& o) const
    {
        return textAlignment == o.textAlignment && paragraphAlignment == o.paragraphAlignment &&
               wordWrapping == o.wordWrapping && readingDirection == o.readingDirection &&
               flowDirection == o.flowDirection && lineSpacingMethod == o.lineSpacingMethod &&
               lineSpacing == o.lineSpacing && baseline == o.baseline && tabStop == o.tabStop &&
               trimming.granularity == o.trimming.granularity && trimming.delimiter == o.trimming.delimiter &&
               trimming.delimiterCount == o.trimming.delimiterCount;
    }

    bool Matches(const WCHAR* t, UINT length, IDWriteTextFormat* f, const D2D1_RECT_F& r, D2D1_DRAW_TEXT_OPTIONS o,
                 DWRITE_MEASURING_MODE m, const Entry& now) const
    {
        return f == format && o == options && m == measuring && r.left == layout.left && r.top == layout.top &&
               r.right == layout.right && r.bottom == layout.bottom && text.size() == length &&
               std::equal(text.begin(), text.end(), t) && SameSettings(now);
    }
};

TextCache::TextCache(UINT width, UINT height) : width_(width), height_(height), settings_(new Entry)
{
    entries_.reserve(Capacity);
}

TextCache::~TextCache()
{
    for (Entry* e : entries_)
        delete e;
    delete settings_;
    if (dwrite_ != nullptr)
        dwrite_->Release();
}

const TextMask* TextCache::Find(const WCHAR* text, UINT length, IDWriteTextFormat* format, const D2D1_RECT_F& layout,
                                D2D1_DRAW_TEXT_OPTIONS options, DWRITE_MEASURING_MODE measuring, unsigned long frame)
{
    settings_->Settings(format);
    for (Entry* e : entries_) {
        if (e->Matches(text, length, format, layout, options, measuring, *settings_)) {
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

namespace {

// Receives the glyph runs of a laid-out text and rasterises each with DirectWrite
// into a canvas the size of the target.
class CoverageRenderer final : public IDWriteTextRenderer {
public:
    CoverageRenderer(IDWriteFactory* factory, int width, int height)
        : factory_(factory), width_(width), height_(height), canvas_(static_cast<size_t>(width) * height, 0)
    {
    }
    const std::vector<uint8_t>& Canvas() const { return canvas_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == __uuidof(IDWritePixelSnapping) || iid == __uuidof(IDWriteTextRenderer)) {
            *out = static_cast<IDWriteTextRenderer*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of one rasterisation: the count is not kept.
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE IsPixelSnappingDisabled(void*, WINBOOL* disabled) override
    {
        *disabled = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentTransform(void*, DWRITE_MATRIX* m) override
    {
        *m = {1, 0, 0, 1, 0, 0};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelsPerDip(void*, FLOAT* ppd) override
    {
        *ppd = 1.0f;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawGlyphRun(void*, FLOAT x, FLOAT y, DWRITE_MEASURING_MODE measuring,
                                           const DWRITE_GLYPH_RUN* run, const DWRITE_GLYPH_RUN_DESCRIPTION*,
                                           IUnknown*) override;
    // Nothing here underlines, strikes through or embeds objects.
    HRESULT STDMETHODCALLTYPE DrawUnderline(void*, FLOAT, FLOAT, const DWRITE_UNDERLINE*, IUnknown*) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawStrikethrough(void*, FLOAT, FLOAT, const DWRITE_STRIKETHROUGH*, IUnknown*) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawInlineObject(void*, FLOAT, FLOAT, IDWriteInlineObject*, WINBOOL, WINBOOL,
                                               IUnknown*) override
    {
        return S_OK;
    }

private:
    IDWriteFactory* factory_;
    int width_, height_;
    std::vector<uint8_t> canvas_;
};

// The rendering mode DirectWrite recommends for the run; outlines (large sizes)
// are rasterised as natural symmetric glyphs, which the analysis can draw.
DWRITE_RENDERING_MODE RunRenderingMode(IDWriteFactory* factory, const DWRITE_GLYPH_RUN* run,
                                       DWRITE_MEASURING_MODE measuring)
{
    DWRITE_RENDERING_MODE mode = DWRITE_RENDERING_MODE_NATURAL_SYMMETRIC;
    IDWriteRenderingParams* params = nullptr;
    if (SUCCEEDED(factory->CreateRenderingParams(&params))) {
        // Not tested: on failure the natural symmetric mode stands.
        run->fontFace->GetRecommendedRenderingMode(run->fontEmSize, 1.0f, measuring, params, &mode);
        params->Release();
    }
    if (mode == DWRITE_RENDERING_MODE_DEFAULT || mode == DWRITE_RENDERING_MODE_OUTLINE)
        mode = DWRITE_RENDERING_MODE_NATURAL_SYMMETRIC;
    return mode;
}

// Grey-scale coverage: an aliased run as it is, a ClearType run as the mean of
// its three sub-pixel samples. Runs composite over each other as coverage does.
HRESULT CoverageRenderer::DrawGlyphRun(void*, FLOAT x, FLOAT y, DWRITE_MEASURING_MODE measuring,
                                       const DWRITE_GLYPH_RUN* run, const DWRITE_GLYPH_RUN_DESCRIPTION*, IUnknown*)
{
    DWRITE_RENDERING_MODE mode = RunRenderingMode(factory_, run, measuring);
    DWRITE_TEXTURE_TYPE type =
        mode == DWRITE_RENDERING_MODE_ALIASED ? DWRITE_TEXTURE_ALIASED_1x1 : DWRITE_TEXTURE_CLEARTYPE_3x1;
    int samples = type == DWRITE_TEXTURE_ALIASED_1x1 ? 1 : 3;
    IDWriteGlyphRunAnalysis* analysis = nullptr;
    HRESULT hr = factory_->CreateGlyphRunAnalysis(run, 1.0f, nullptr, mode, measuring, x, y, &analysis);
    RECT bounds = {};
    if (SUCCEEDED(hr))
        hr = analysis->GetAlphaTextureBounds(type, &bounds);
    if (SUCCEEDED(hr) && bounds.right > bounds.left && bounds.bottom > bounds.top) {
        int w = bounds.right - bounds.left, h = bounds.bottom - bounds.top;
        std::vector<uint8_t> texture(static_cast<size_t>(w) * h * samples);
        hr = analysis->CreateAlphaTexture(type, &bounds, texture.data(), static_cast<UINT32>(texture.size()));
        for (int ty = 0; SUCCEEDED(hr) && ty < h; ty++) {
            int cy = bounds.top + ty;
            if (cy < 0 || cy >= height_)
                continue;
            for (int tx = 0; tx < w; tx++) {
                int cx = bounds.left + tx;
                if (cx < 0 || cx >= width_)
                    continue;
                const uint8_t* t = &texture[(static_cast<size_t>(ty) * w + tx) * samples];
                uint32_t a = samples == 1 ? t[0] : (t[0] + t[1] + t[2] + 1) / 3;
                uint8_t& c = canvas_[static_cast<size_t>(cy) * width_ + cx];
                c = static_cast<uint8_t>(a + c - Div255(a * c));
            }
        }
    }
    if (analysis != nullptr)
        analysis->Release();
    return hr;
}

}  // namespace

// Lays the text out with DirectWrite as Direct2D's DrawText does and keeps the
// rows and columns that carry any of its coverage.
HRESULT TextCache::Rasterise(Entry& e)
{
    if (dwrite_ == nullptr) {
        HRESULT hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                         reinterpret_cast<IUnknown**>(&dwrite_));
        if (FAILED(hr))
            return hr;
    }
    IDWriteTextLayout* layout = nullptr;
    HRESULT hr = dwrite_->CreateTextLayout(e.text.data(), static_cast<UINT32>(e.text.size()), e.format,
                                           e.layout.right - e.layout.left, e.layout.bottom - e.layout.top, &layout);
    if (FAILED(hr))
        return hr;
    CoverageRenderer renderer(dwrite_, static_cast<int>(width_), static_cast<int>(height_));
    hr = layout->Draw(nullptr, &renderer, e.layout.left, e.layout.top);
    layout->Release();
    if (FAILED(hr))
        return hr;

    const std::vector<uint8_t>& canvas = renderer.Canvas();
    int x0 = static_cast<int>(width_), y0 = static_cast<int>(height_), x1 = 0, y1 = 0;
    for (int y = 0; y < static_cast<int>(height_); y++)
        for (int x = 0; x < static_cast<int>(width_); x++)
            if (canvas[static_cast<size_t>(y) * width_ + x] != 0) {
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
            std::copy_n(&canvas[static_cast<size_t>(y0 + y) * width_ + x0], m.width,
                        &m.coverage[static_cast<size_t>(y) * m.width]);
    }
    return S_OK;
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
