// target.cpp: the software window render target, its solid-colour brush and its
// bitmaps, behind the platform's Direct2D interfaces. Drawing calls between
// BeginDraw and EndDraw are recorded as commands (with the brush's colour of the
// moment); EndDraw draws them in bands and presents the frame to the window with
// one GDI call. The target draws in memory, so its device is never lost.
#include "renderer_local.h"

#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

namespace sw {

namespace {

std::atomic<long> s_unsupportedCalls{0};

// Answered only by this renderer's own objects, to find their insides.
const GUID IID_SoftwareBitmap = {0x7c1e5a40, 0x2b7d, 0x4f61, {0x9a, 0x3e, 0x51, 0x0c, 0x8d, 0x26, 0xf4, 0x17}};
const GUID IID_SoftwareTarget = {0x7c1e5a41, 0x2b7d, 0x4f61, {0x9a, 0x3e, 0x51, 0x0c, 0x8d, 0x26, 0xf4, 0x17}};

// ID2D1HwndRenderTarget's interface identifier, which the toolchain's headers lack.
const GUID IID_HwndTarget = {0x2cd90698, 0x12e2, 0x11dc, {0x9f, 0xed, 0x00, 0x11, 0x43, 0xa0, 0x55, 0xf9}};

constexpr size_t InitialCommands = 16384;  // more than the busiest frame draws; grows if ever passed
constexpr float Dpi = 96.0f;               // device-independent pixels are pixels

bool IsIdentity(const D2D1_MATRIX_3X2_F& m)
{
    return m._11 == 1 && m._12 == 0 && m._21 == 0 && m._22 == 1 && m._31 == 0 && m._32 == 0;
}

// IUnknown and ID2D1Resource for the renderer's objects: a reference count, the
// factory the object answers with, and QueryInterface for IUnknown,
// ID2D1Resource and whatever identifiers the object itself answers to
// (Object::Answers). The last Release deletes the object.
template <class Object, class Interface>
class Resource : public Interface {
public:
    explicit Resource(ID2D1Factory* factory) : factory_(factory) { factory_->AddRef(); }
    virtual ~Resource() { factory_->Release(); }
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_ID2D1Resource || Object::Answers(iid)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG n = --refs_;
        if (n == 0)
            delete this;
        return n;
    }
    void STDMETHODCALLTYPE GetFactory(ID2D1Factory** factory) const override
    {
        factory_->AddRef();
        *factory = factory_;
    }

protected:
    ID2D1Factory* factory_;

private:
    std::atomic<ULONG> refs_{1};
};

// ---- bitmaps ----------------------------------------------------------------------------

class SoftwareBitmap final : public Resource<SoftwareBitmap, ID2D1Bitmap> {
public:
    static bool Answers(REFIID iid)
    {
        return iid == IID_ID2D1Image || iid == IID_ID2D1Bitmap || iid == IID_SoftwareBitmap;
    }

    SoftwareBitmap(ID2D1Factory* factory, UINT width, UINT height) : Resource(factory)
    {
        view_.width = static_cast<int>(width);
        view_.height = static_cast<int>(height);
        view_.stride = static_cast<int>(width);
        // One spare row and a few spare pixels: the fast loops may read just past
        // the last texel, which they then weigh at zero.
        storage_.assign(static_cast<size_t>(width) * (height + 1) + 8, 0);
        view_.pixels = storage_.data();
    }
    uint32_t* Pixels() { return storage_.data(); }
    const BitmapPixels& View() const { return view_; }

    D2D1_SIZE_F* STDMETHODCALLTYPE GetSize(D2D1_SIZE_F* size) const override
    {
        *size = D2D1::SizeF(static_cast<float>(view_.width), static_cast<float>(view_.height));
        return size;
    }
    D2D1_SIZE_U* STDMETHODCALLTYPE GetPixelSize(D2D1_SIZE_U* size) const override
    {
        *size = D2D1::SizeU(static_cast<UINT32>(view_.width), static_cast<UINT32>(view_.height));
        return size;
    }
    D2D1_PIXEL_FORMAT* STDMETHODCALLTYPE GetPixelFormat(D2D1_PIXEL_FORMAT* format) const override
    {
        *format = D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED);
        return format;
    }
    void STDMETHODCALLTYPE GetDpi(FLOAT* x, FLOAT* y) const override { *x = *y = Dpi; }
    HRESULT STDMETHODCALLTYPE CopyFromBitmap(const D2D1_POINT_2U*, ID2D1Bitmap*, const D2D1_RECT_U*) override
    {
        return Unsupported();
    }
    HRESULT STDMETHODCALLTYPE CopyFromRenderTarget(const D2D1_POINT_2U*, ID2D1RenderTarget*,
                                                   const D2D1_RECT_U*) override
    {
        return Unsupported();
    }
    HRESULT STDMETHODCALLTYPE CopyFromMemory(const D2D1_RECT_U*, const void*, UINT32) override { return Unsupported(); }
    using ID2D1Bitmap::GetPixelFormat;
    using ID2D1Bitmap::GetPixelSize;
    using ID2D1Bitmap::GetSize;

private:
    static HRESULT Unsupported()
    {
        NoteUnsupported();
        return E_NOTIMPL;
    }

    std::vector<uint32_t> storage_;
    BitmapPixels view_{};
};

// ---- the brush --------------------------------------------------------------------------

class SoftwareBrush final : public Resource<SoftwareBrush, ID2D1SolidColorBrush> {
public:
    static bool Answers(REFIID iid) { return iid == IID_ID2D1Brush || iid == IID_ID2D1SolidColorBrush; }

    SoftwareBrush(ID2D1Factory* factory, const D2D1_COLOR_F& colour, const D2D1_BRUSH_PROPERTIES* props)
        : Resource(factory), colour_(colour)
    {
        if (props != nullptr) {
            opacity_ = props->opacity;
            transform_ = props->transform;
        }
    }
    void STDMETHODCALLTYPE SetOpacity(FLOAT opacity) override { opacity_ = opacity; }
    // A solid colour looks the same under any transform; it is kept for GetTransform.
    void STDMETHODCALLTYPE SetTransform(const D2D1_MATRIX_3X2_F* m) override { transform_ = *m; }
    FLOAT STDMETHODCALLTYPE GetOpacity() const override { return opacity_; }
    void STDMETHODCALLTYPE GetTransform(D2D1_MATRIX_3X2_F* m) const override { *m = transform_; }
    void STDMETHODCALLTYPE SetColor(const D2D1_COLOR_F* colour) override { colour_ = *colour; }
    D2D1_COLOR_F* STDMETHODCALLTYPE GetColor(D2D1_COLOR_F* colour) const override
    {
        *colour = colour_;
        return colour;
    }
    using ID2D1Brush::SetTransform;
    using ID2D1SolidColorBrush::GetColor;
    using ID2D1SolidColorBrush::SetColor;

private:
    D2D1_COLOR_F colour_;
    FLOAT opacity_ = 1.0f;
    D2D1_MATRIX_3X2_F transform_ = D2D1::Matrix3x2F::Identity();
};

// ---- the render target ------------------------------------------------------------------

class SoftwareTarget final : public Resource<SoftwareTarget, ID2D1HwndRenderTarget> {
public:
    static bool Answers(REFIID iid)
    {
        return iid == IID_ID2D1RenderTarget || iid == IID_HwndTarget || iid == IID_SoftwareTarget;
    }

    SoftwareTarget(ID2D1Factory* factory, HWND hwnd, D2D1_SIZE_U size, const SoftwareRenderOptions& options)
        : Resource(factory), hwnd_(hwnd), width_(static_cast<int>(size.width)), height_(static_cast<int>(size.height)),
          plain_(options.plainPaths), texts_(size.width, size.height),
          workers_(options.plainPaths ? 1 : options.threads, static_cast<int>(size.width))
    {
        pixels_.assign(static_cast<size_t>(width_) * height_, 0);
        commands_.reserve(InitialCommands);
        spans_.reserve(InitialCommands);
        bitmaps_.reserve(64);
    }
    ~SoftwareTarget()
    {
        ReleaseFrameBitmaps();
        if (stroke_ != nullptr)
            stroke_->Release();
    }

    const std::vector<uint32_t>& Pixels() const { return pixels_; }

    // ---- resources
    HRESULT STDMETHODCALLTYPE CreateBitmapFromWicBitmap(IWICBitmapSource* source, const D2D1_BITMAP_PROPERTIES* props,
                                                        ID2D1Bitmap** bitmap) override;
    HRESULT STDMETHODCALLTYPE CreateSolidColorBrush(const D2D1_COLOR_F* colour, const D2D1_BRUSH_PROPERTIES* props,
                                                    ID2D1SolidColorBrush** brush) override
    {
        *brush = new SoftwareBrush(factory_, *colour, props);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateBitmap(D2D1_SIZE_U, const void*, UINT32, const D2D1_BITMAP_PROPERTIES*,
                                           ID2D1Bitmap** out) override
    {
        return Refuse(out);
    }
    HRESULT STDMETHODCALLTYPE CreateSharedBitmap(REFIID, void*, const D2D1_BITMAP_PROPERTIES*,
                                                 ID2D1Bitmap** out) override
    {
        return Refuse(out);
    }
    HRESULT STDMETHODCALLTYPE CreateBitmapBrush(ID2D1Bitmap*, const D2D1_BITMAP_BRUSH_PROPERTIES*,
                                                const D2D1_BRUSH_PROPERTIES*, ID2D1BitmapBrush** out) override
    {
        return Refuse(out);
    }
    // Gradients are refused: nothing draws with one (the glow toolkit's fade brush
    // reports the failure to its caller).
    HRESULT STDMETHODCALLTYPE CreateGradientStopCollection(const D2D1_GRADIENT_STOP*, UINT, D2D1_GAMMA,
                                                           D2D1_EXTEND_MODE, ID2D1GradientStopCollection** out) override
    {
        return Refuse(out);
    }
    HRESULT STDMETHODCALLTYPE CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES*,
                                                        const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*,
                                                        ID2D1LinearGradientBrush** out) override
    {
        return Refuse(out);
    }
    HRESULT STDMETHODCALLTYPE CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES*,
                                                        const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*,
                                                        ID2D1RadialGradientBrush** out) override
    {
        return Refuse(out);
    }
    HRESULT STDMETHODCALLTYPE CreateCompatibleRenderTarget(const D2D1_SIZE_F*, const D2D1_SIZE_U*,
                                                           const D2D1_PIXEL_FORMAT*,
                                                           D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS,
                                                           ID2D1BitmapRenderTarget** out) override
    {
        return Refuse(out);
    }
    HRESULT STDMETHODCALLTYPE CreateLayer(const D2D1_SIZE_F*, ID2D1Layer** out) override { return Refuse(out); }
    HRESULT STDMETHODCALLTYPE CreateMesh(ID2D1Mesh** out) override { return Refuse(out); }

    // ---- drawing
    void STDMETHODCALLTYPE DrawLine(D2D1_POINT_2F p0, D2D1_POINT_2F p1, ID2D1Brush* brush, FLOAT width,
                                    ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE DrawRectangle(const D2D1_RECT_F* rect, ID2D1Brush* brush, FLOAT width,
                                         ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE DrawRoundedRectangle(const D2D1_ROUNDED_RECT* rect, ID2D1Brush* brush, FLOAT width,
                                                ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE DrawEllipse(const D2D1_ELLIPSE* ellipse, ID2D1Brush* brush, FLOAT width,
                                       ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE FillEllipse(const D2D1_ELLIPSE* ellipse, ID2D1Brush* brush) override;
    void STDMETHODCALLTYPE DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* dest, FLOAT opacity,
                                      D2D1_BITMAP_INTERPOLATION_MODE mode, const D2D1_RECT_F* source) override;
    void STDMETHODCALLTYPE DrawText(const WCHAR* text, UINT length, IDWriteTextFormat* format,
                                    const D2D1_RECT_F* layout, ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options,
                                    DWRITE_MEASURING_MODE measuring) override;
    void STDMETHODCALLTYPE Clear(const D2D1_COLOR_F* colour) override;
    void STDMETHODCALLTYPE FillRectangle(const D2D1_RECT_F*, ID2D1Brush*) override { NoteUnsupported(); }
    void STDMETHODCALLTYPE FillRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*) override { NoteUnsupported(); }
    void STDMETHODCALLTYPE DrawGeometry(ID2D1Geometry*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override
    {
        NoteUnsupported();
    }
    void STDMETHODCALLTYPE FillGeometry(ID2D1Geometry*, ID2D1Brush*, ID2D1Brush*) override { NoteUnsupported(); }
    void STDMETHODCALLTYPE FillMesh(ID2D1Mesh*, ID2D1Brush*) override { NoteUnsupported(); }
    void STDMETHODCALLTYPE FillOpacityMask(ID2D1Bitmap*, ID2D1Brush*, D2D1_OPACITY_MASK_CONTENT, const D2D1_RECT_F*,
                                           const D2D1_RECT_F*) override
    {
        NoteUnsupported();
    }
    void STDMETHODCALLTYPE DrawTextLayout(D2D1_POINT_2F, IDWriteTextLayout*, ID2D1Brush*,
                                          D2D1_DRAW_TEXT_OPTIONS) override
    {
        NoteUnsupported();
    }
    void STDMETHODCALLTYPE DrawGlyphRun(D2D1_POINT_2F, const DWRITE_GLYPH_RUN*, ID2D1Brush*,
                                        DWRITE_MEASURING_MODE) override
    {
        NoteUnsupported();
    }

    // ---- state: kept and answered; drawing knows only the identity transform,
    // per-primitive anti-aliasing and grey-scale text, so other settings count as
    // unsupported.
    void STDMETHODCALLTYPE SetTransform(const D2D1_MATRIX_3X2_F* m) override
    {
        transform_ = *m;
        if (!IsIdentity(*m))
            NoteUnsupported();
    }
    void STDMETHODCALLTYPE GetTransform(D2D1_MATRIX_3X2_F* m) const override { *m = transform_; }
    void STDMETHODCALLTYPE SetAntialiasMode(D2D1_ANTIALIAS_MODE mode) override
    {
        antialias_ = mode;
        if (mode != D2D1_ANTIALIAS_MODE_PER_PRIMITIVE)
            NoteUnsupported();
    }
    D2D1_ANTIALIAS_MODE STDMETHODCALLTYPE GetAntialiasMode() const override { return antialias_; }
    void STDMETHODCALLTYPE SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE mode) override
    {
        textAntialias_ = mode;
        NoteUnsupported();
    }
    D2D1_TEXT_ANTIALIAS_MODE STDMETHODCALLTYPE GetTextAntialiasMode() const override { return textAntialias_; }
    void STDMETHODCALLTYPE SetTextRenderingParams(IDWriteRenderingParams*) override { NoteUnsupported(); }
    void STDMETHODCALLTYPE GetTextRenderingParams(IDWriteRenderingParams** params) const override { *params = nullptr; }
    void STDMETHODCALLTYPE SetTags(D2D1_TAG tag1, D2D1_TAG tag2) override
    {
        tag1_ = tag1;
        tag2_ = tag2;
    }
    void STDMETHODCALLTYPE GetTags(D2D1_TAG* tag1, D2D1_TAG* tag2) const override
    {
        if (tag1 != nullptr)
            *tag1 = tag1_;
        if (tag2 != nullptr)
            *tag2 = tag2_;
    }
    void STDMETHODCALLTYPE PushLayer(const D2D1_LAYER_PARAMETERS*, ID2D1Layer*) override { NoteUnsupported(); }
    void STDMETHODCALLTYPE PopLayer() override { NoteUnsupported(); }
    HRESULT STDMETHODCALLTYPE Flush(D2D1_TAG* tag1, D2D1_TAG* tag2) override
    {
        NoteUnsupported();
        GetTags(tag1, tag2);
        return E_NOTIMPL;
    }
    void STDMETHODCALLTYPE SaveDrawingState(ID2D1DrawingStateBlock*) const override { NoteUnsupported(); }
    void STDMETHODCALLTYPE RestoreDrawingState(ID2D1DrawingStateBlock*) override { NoteUnsupported(); }
    void STDMETHODCALLTYPE PushAxisAlignedClip(const D2D1_RECT_F*, D2D1_ANTIALIAS_MODE) override { NoteUnsupported(); }
    void STDMETHODCALLTYPE PopAxisAlignedClip() override { NoteUnsupported(); }
    void STDMETHODCALLTYPE BeginDraw() override;
    HRESULT STDMETHODCALLTYPE EndDraw(D2D1_TAG* tag1, D2D1_TAG* tag2) override;
    D2D1_PIXEL_FORMAT* STDMETHODCALLTYPE GetPixelFormat(D2D1_PIXEL_FORMAT* format) const override
    {
        *format = D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE);
        return format;
    }
    void STDMETHODCALLTYPE SetDpi(FLOAT x, FLOAT y) override
    {
        if (x != Dpi || y != Dpi)
            NoteUnsupported();
    }
    void STDMETHODCALLTYPE GetDpi(FLOAT* x, FLOAT* y) const override { *x = *y = Dpi; }
    D2D1_SIZE_F* STDMETHODCALLTYPE GetSize(D2D1_SIZE_F* size) const override
    {
        *size = D2D1::SizeF(static_cast<float>(width_), static_cast<float>(height_));
        return size;
    }
    D2D1_SIZE_U* STDMETHODCALLTYPE GetPixelSize(D2D1_SIZE_U* size) const override
    {
        *size = D2D1::SizeU(static_cast<UINT32>(width_), static_cast<UINT32>(height_));
        return size;
    }
    UINT32 STDMETHODCALLTYPE GetMaximumBitmapSize() const override { return 16384; }
    BOOL STDMETHODCALLTYPE IsSupported(const D2D1_RENDER_TARGET_PROPERTIES*) const override
    {
        NoteUnsupported();
        return FALSE;
    }

    // ---- the window
    D2D1_WINDOW_STATE STDMETHODCALLTYPE CheckWindowState() override
    {
        return IsIconic(hwnd_) ? D2D1_WINDOW_STATE_OCCLUDED : D2D1_WINDOW_STATE_NONE;
    }
    HRESULT STDMETHODCALLTYPE Resize(const D2D1_SIZE_U*) override
    {
        NoteUnsupported();
        return E_NOTIMPL;
    }
    HWND STDMETHODCALLTYPE GetHwnd() const override { return hwnd_; }

    using ID2D1RenderTarget::Clear;
    using ID2D1RenderTarget::CreateBitmap;
    using ID2D1RenderTarget::CreateBitmapFromWicBitmap;
    using ID2D1RenderTarget::CreateSolidColorBrush;
    using ID2D1RenderTarget::DrawBitmap;
    using ID2D1RenderTarget::DrawEllipse;
    using ID2D1RenderTarget::DrawRectangle;
    using ID2D1RenderTarget::DrawRoundedRectangle;
    using ID2D1RenderTarget::DrawText;
    using ID2D1RenderTarget::FillEllipse;
    using ID2D1RenderTarget::GetPixelFormat;
    using ID2D1RenderTarget::GetPixelSize;
    using ID2D1RenderTarget::GetSize;

private:
    template <class T>
    static HRESULT Refuse(T** out)
    {
        NoteUnsupported();
        if (out != nullptr)
            *out = nullptr;
        return E_NOTIMPL;
    }

    bool BrushColour(ID2D1Brush* brush, SolidColour* colour);
    void StrokeCaps(ID2D1StrokeStyle* stroke, D2D1_CAP_STYLE* start, D2D1_CAP_STYLE* end);
    bool StrokeColourAndCaps(ID2D1Brush* brush, ID2D1StrokeStyle* stroke, SolidColour* colour, D2D1_CAP_STYLE* start,
                             D2D1_CAP_STYLE* end);
    void AddShape(const Convex& outer, const Convex& inner, const SolidColour& colour);
    bool AddCommand(float top, float bottom, float left, float right, Command** out);
    void KeepForFrame(ID2D1Bitmap* bitmap);
    void ReleaseFrameBitmaps();
    void Present();

    HWND hwnd_;
    int width_, height_;
    bool plain_;
    std::vector<uint32_t> pixels_;
    std::vector<Command> commands_;
    std::vector<RowSpan> spans_;
    std::vector<ID2D1Bitmap*> bitmaps_;  // drawn this frame: held until it is drawn
    TextCache texts_;
    BandWorkers workers_;
    bool drawing_ = false;
    unsigned long frame_ = 0;
    ID2D1StrokeStyle* stroke_ = nullptr;  // the last stroke style seen, and its caps
    D2D1_CAP_STYLE startCap_ = D2D1_CAP_STYLE_FLAT, endCap_ = D2D1_CAP_STYLE_FLAT;
    D2D1_MATRIX_3X2_F transform_ = D2D1::Matrix3x2F::Identity();
    D2D1_ANTIALIAS_MODE antialias_ = D2D1_ANTIALIAS_MODE_PER_PRIMITIVE;
    D2D1_TEXT_ANTIALIAS_MODE textAntialias_ = D2D1_TEXT_ANTIALIAS_MODE_DEFAULT;
    D2D1_TAG tag1_ = 0, tag2_ = 0;
};

HRESULT SoftwareTarget::CreateBitmapFromWicBitmap(IWICBitmapSource* source, const D2D1_BITMAP_PROPERTIES* props,
                                                  ID2D1Bitmap** bitmap)
{
    *bitmap = nullptr;
    if (props != nullptr && ((props->pixelFormat.format != DXGI_FORMAT_UNKNOWN &&
                              props->pixelFormat.format != DXGI_FORMAT_B8G8R8A8_UNORM) ||
                             (props->pixelFormat.alphaMode != D2D1_ALPHA_MODE_UNKNOWN &&
                              props->pixelFormat.alphaMode != D2D1_ALPHA_MODE_PREMULTIPLIED))) {
        NoteUnsupported();
        return D2DERR_UNSUPPORTED_PIXEL_FORMAT;
    }
    WICPixelFormatGUID format;
    HRESULT hr = source->GetPixelFormat(&format);
    if (FAILED(hr))
        return hr;
    if (format != GUID_WICPixelFormat32bppPBGRA)
        return D2DERR_UNSUPPORTED_PIXEL_FORMAT;  // the callers convert first
    UINT w = 0, h = 0;
    hr = source->GetSize(&w, &h);
    if (FAILED(hr))
        return hr;
    if (w == 0 || h == 0 || w > GetMaximumBitmapSize() || h > GetMaximumBitmapSize())
        return D2DERR_MAX_TEXTURE_SIZE_EXCEEDED;
    SoftwareBitmap* b = new SoftwareBitmap(factory_, w, h);
    hr = source->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(b->Pixels()));
    if (FAILED(hr)) {
        b->Release();
        return hr;
    }
    *bitmap = b;
    return S_OK;
}

// The colour of a solid-colour brush, times its opacity; false for any other brush.
bool SoftwareTarget::BrushColour(ID2D1Brush* brush, SolidColour* colour)
{
    ID2D1SolidColorBrush* solid = nullptr;
    if (brush == nullptr ||
        FAILED(brush->QueryInterface(IID_ID2D1SolidColorBrush, reinterpret_cast<void**>(&solid)))) {
        NoteUnsupported();
        return false;
    }
    *colour = MakeSolidColour(solid->GetColor(), solid->GetOpacity());
    solid->Release();
    return true;
}

void SoftwareTarget::StrokeCaps(ID2D1StrokeStyle* stroke, D2D1_CAP_STYLE* start, D2D1_CAP_STYLE* end)
{
    if (stroke == nullptr) {
        *start = *end = D2D1_CAP_STYLE_FLAT;
        return;
    }
    if (stroke != stroke_) {
        if (stroke_ != nullptr)
            stroke_->Release();
        stroke_ = stroke;
        stroke_->AddRef();
        startCap_ = stroke->GetStartCap();
        endCap_ = stroke->GetEndCap();
    }
    if (stroke->GetDashStyle() != D2D1_DASH_STYLE_SOLID)
        NoteUnsupported();  // drawn solid
    *start = startCap_;
    *end = endCap_;
}

// What a stroking call draws with: false (nothing drawn) for a brush this target
// cannot draw with.
bool SoftwareTarget::StrokeColourAndCaps(ID2D1Brush* brush, ID2D1StrokeStyle* stroke, SolidColour* colour,
                                         D2D1_CAP_STYLE* start, D2D1_CAP_STYLE* end)
{
    if (!BrushColour(brush, colour))
        return false;
    StrokeCaps(stroke, start, end);
    return true;
}

// Appends a command touching the given extent; false (nothing appended) when the
// extent misses the target.
bool SoftwareTarget::AddCommand(float top, float bottom, float left, float right, Command** out)
{
    if (!drawing_ || !(bottom > 0 && top < height_ && right > 0 && left < width_))
        return false;
    RowSpan span;
    span.top = static_cast<int16_t>(std::max(0.0f, std::floor(top)));
    span.bottom = static_cast<int16_t>(std::min(static_cast<float>(height_), std::ceil(bottom)));
    if (span.top >= span.bottom)
        return false;
    commands_.emplace_back();
    spans_.push_back(span);
    *out = &commands_.back();
    return true;
}

void SoftwareTarget::AddShape(const Convex& outer, const Convex& inner, const SolidColour& colour)
{
    Command* c;
    if (!AddCommand(outer.top, outer.bottom, outer.left, outer.right, &c))
        return;
    c->kind = CommandKind::Shape;
    c->shape.outer = outer;
    c->shape.inner = inner;
    c->shape.colour = colour;
}

void SoftwareTarget::DrawLine(D2D1_POINT_2F p0, D2D1_POINT_2F p1, ID2D1Brush* brush, FLOAT width,
                              ID2D1StrokeStyle* stroke)
{
    SolidColour colour;
    D2D1_CAP_STYLE start, end;
    if (!StrokeColourAndCaps(brush, stroke, &colour, &start, &end))
        return;
    AddShape(MakeStroke(p0, p1, width, start, end), Convex(), colour);
}

void SoftwareTarget::FillEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* brush)
{
    SolidColour colour;
    if (BrushColour(brush, &colour))
        AddShape(MakeEllipse(e->point.x, e->point.y, e->radiusX, e->radiusY), Convex(), colour);
}

// The outlines: the shape grown by half the stroke width, less the shape shrunk
// by as much (the stroke is centred on the outline). The ellipse's offset curves
// are taken as ellipses, exact for circles.
void SoftwareTarget::DrawEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke)
{
    SolidColour colour;
    D2D1_CAP_STYLE start, end;  // closed figures have no caps; only the dash check counts
    if (!StrokeColourAndCaps(brush, stroke, &colour, &start, &end))
        return;
    float h = std::fabs(width) * 0.5f, rx = std::fabs(e->radiusX), ry = std::fabs(e->radiusY);
    Convex inner;
    if (rx > h && ry > h)
        inner = MakeEllipse(e->point.x, e->point.y, rx - h, ry - h);
    AddShape(MakeEllipse(e->point.x, e->point.y, rx + h, ry + h), inner, colour);
}

void SoftwareTarget::DrawRectangle(const D2D1_RECT_F* r, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke)
{
    D2D1_ROUNDED_RECT square = {*r, 0.0f, 0.0f};
    DrawRoundedRectangle(&square, brush, width, stroke);
}

void SoftwareTarget::DrawRoundedRectangle(const D2D1_ROUNDED_RECT* rr, ID2D1Brush* brush, FLOAT width,
                                          ID2D1StrokeStyle* stroke)
{
    SolidColour colour;
    D2D1_CAP_STYLE start, end;
    if (!StrokeColourAndCaps(brush, stroke, &colour, &start, &end))
        return;
    float h = std::fabs(width) * 0.5f;
    float l = std::min(rr->rect.left, rr->rect.right), t = std::min(rr->rect.top, rr->rect.bottom);
    float r = std::max(rr->rect.left, rr->rect.right), b = std::max(rr->rect.top, rr->rect.bottom);
    float rx = std::fabs(rr->radiusX), ry = std::fabs(rr->radiusY);
    // Square corners stay square when grown (mitred); round ones grow their radii.
    float grow = rx > 0 && ry > 0 ? h : 0.0f;
    Convex inner;
    if (r - l > 2 * h && b - t > 2 * h)
        inner = MakeRoundRect(l + h, t + h, r - h, b - h, std::max(0.0f, rx - h), std::max(0.0f, ry - h));
    AddShape(MakeRoundRect(l - h, t - h, r + h, b + h, rx + grow, ry + grow), inner, colour);
}

void SoftwareTarget::KeepForFrame(ID2D1Bitmap* bitmap)
{
    if (std::find(bitmaps_.begin(), bitmaps_.end(), bitmap) != bitmaps_.end())
        return;
    bitmap->AddRef();
    bitmaps_.push_back(bitmap);
}

void SoftwareTarget::ReleaseFrameBitmaps()
{
    for (ID2D1Bitmap* b : bitmaps_)
        b->Release();
    bitmaps_.clear();
}

void SoftwareTarget::DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* dest, FLOAT opacity,
                                D2D1_BITMAP_INTERPOLATION_MODE mode, const D2D1_RECT_F* source)
{
    ID2D1Bitmap* own = nullptr;
    if (bitmap == nullptr || FAILED(bitmap->QueryInterface(IID_SoftwareBitmap, reinterpret_cast<void**>(&own)))) {
        NoteUnsupported();  // a bitmap of another target
        return;
    }
    const BitmapPixels& pixels = static_cast<SoftwareBitmap*>(own)->View();
    own->Release();
    if (mode != D2D1_BITMAP_INTERPOLATION_MODE_LINEAR)
        NoteUnsupported();  // drawn with linear interpolation
    D2D1_RECT_F whole = D2D1::RectF(0, 0, static_cast<float>(pixels.width), static_cast<float>(pixels.height));
    const D2D1_RECT_F& src = source != nullptr ? *source : whole;
    D2D1_RECT_F dst = dest != nullptr ? *dest : D2D1::RectF(0, 0, src.right - src.left, src.bottom - src.top);
    BitmapCommand mapped;
    if (!MapBitmap(pixels, dst, src, opacity, &mapped))
        return;
    Command* c;
    if (!AddCommand(dst.top, dst.bottom, dst.left, dst.right, &c))
        return;
    c->kind = CommandKind::Bitmap;
    c->bitmap = mapped;
    KeepForFrame(bitmap);
}

void SoftwareTarget::DrawText(const WCHAR* text, UINT length, IDWriteTextFormat* format, const D2D1_RECT_F* layout,
                              ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options, DWRITE_MEASURING_MODE measuring)
{
    SolidColour colour;
    if (!drawing_ || text == nullptr || format == nullptr || !BrushColour(brush, &colour))
        return;
    const TextMask* mask = texts_.Find(text, length, format, *layout, options, measuring, frame_);
    if (mask == nullptr || mask->width == 0)
        return;
    Command* c;
    if (!AddCommand(static_cast<float>(mask->top), static_cast<float>(mask->top + mask->height),
                    static_cast<float>(mask->left), static_cast<float>(mask->left + mask->width), &c))
        return;
    c->kind = CommandKind::Text;
    c->text.mask = mask;
    c->text.colour = colour;
}

// Clear replaces every pixel with the colour premultiplied, each channel then
// clamped to 0..255 (as the platform clears an 8-bit target).
void SoftwareTarget::Clear(const D2D1_COLOR_F* colour)
{
    D2D1_COLOR_F c = colour != nullptr ? *colour : D2D1::ColorF(0, 0, 0, 0);
    SolidColour s = MakeSolidColour(c, 1.0f);
    uint32_t pixel = 0;
    for (int ch = 0; ch < 4; ch++)
        pixel |= static_cast<uint32_t>(std::min<uint16_t>(s.c[ch], 255)) << (8 * ch);
    Command* cmd;
    if (!AddCommand(0, static_cast<float>(height_), 0, static_cast<float>(width_), &cmd))
        return;
    cmd->kind = CommandKind::Clear;
    cmd->clearPixel = pixel;
}

void SoftwareTarget::BeginDraw()
{
    drawing_ = true;
    frame_ += 1;
    commands_.clear();
    spans_.clear();
}

HRESULT SoftwareTarget::EndDraw(D2D1_TAG* tag1, D2D1_TAG* tag2)
{
    GetTags(tag1, tag2);
    if (!drawing_)
        return D2DERR_WRONG_STATE;
    drawing_ = false;
    FrameView frame = {pixels_.data(), width_, height_, commands_.data(), spans_.data(), commands_.size(), plain_};
    workers_.Draw(frame);
    ReleaseFrameBitmaps();
    Present();
    return S_OK;
}

// Top row first, 32 bits a pixel; the alpha byte is not looked at.
void SoftwareTarget::Present()
{
    if (hwnd_ == NULL)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(hwnd_);
    if (dc == NULL)
        return;  // the window is gone; the next frame tries again
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                      static_cast<UINT>(height_), pixels_.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(hwnd_, dc);
}

}  // namespace

void NoteUnsupported()
{
    s_unsupportedCalls += 1;
}

}  // namespace sw

HRESULT CreateSoftwareRenderTarget(ID2D1Factory* factory, HWND hwnd, D2D1_SIZE_U size,
                                   const SoftwareRenderOptions* options, ID2D1HwndRenderTarget** target)
{
    *target = nullptr;
    if (factory == nullptr || size.width == 0 || size.height == 0 || size.width > 16384 || size.height > 16384)
        return E_INVALIDARG;
    SoftwareRenderOptions defaults;
    *target = new sw::SoftwareTarget(factory, hwnd, size, options != nullptr ? *options : defaults);
    return S_OK;
}

HRESULT CopySoftwareTargetPixels(ID2D1RenderTarget* target, uint32_t* pixels, size_t count)
{
    ID2D1HwndRenderTarget* own = nullptr;
    if (target == nullptr ||
        FAILED(target->QueryInterface(sw::IID_SoftwareTarget, reinterpret_cast<void**>(&own))))
        return E_INVALIDARG;
    const std::vector<uint32_t>& p = static_cast<sw::SoftwareTarget*>(own)->Pixels();
    HRESULT hr = E_INVALIDARG;
    if (count == p.size()) {
        std::copy(p.begin(), p.end(), pixels);
        hr = S_OK;
    }
    own->Release();
    return hr;
}

long UnsupportedSoftwareCalls()
{
    return sw::s_unsupportedCalls;
}
