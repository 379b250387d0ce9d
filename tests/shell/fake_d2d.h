// fake_d2d.h: a Direct2D factory and window render target for the paint cycle's
// tests. The factory hands out window targets that draw, for real, into one
// offscreen target; each creation and each result can be scripted to fail, and
// every object counts its references so a test can see what was released.
#pragma once

#include <windows.h>
#include <d2d1.h>

#include <memory>
#include <vector>

class FakeHwndTarget final : public ID2D1HwndRenderTarget {
public:
    FakeHwndTarget(ID2D1RenderTarget* inner, HWND hwnd, D2D1_SIZE_U size) : inner_(inner), hwnd_(hwnd), size_(size) {}

    // Scripts and counters.
    HRESULT failBitmapNumber = 0;  // when set, the Nth CreateBitmapFromWicBitmap (1-based) fails with it...
    int failBitmapAt = 0;          // ...where N is this
    HRESULT failBrush = S_OK;
    HRESULT endDrawResult = S_OK;  // returned by EndDraw instead of the real result, when not S_OK
    int bitmapsCreated = 0;
    int brushesCreated = 0;
    int clears = 0;
    D2D1_COLOR_F lastClear{};
    ULONG refs() const { return refs_; }
    D2D1_SIZE_U size() const { return size_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    void STDMETHODCALLTYPE GetFactory(ID2D1Factory** f) const override { inner_->GetFactory(f); }

    HRESULT STDMETHODCALLTYPE CreateBitmap(D2D1_SIZE_U s, const void* d, UINT32 p, const D2D1_BITMAP_PROPERTIES* b, ID2D1Bitmap** o) override { return inner_->CreateBitmap(s, d, p, b, o); }
    HRESULT STDMETHODCALLTYPE CreateBitmapFromWicBitmap(IWICBitmapSource* s, const D2D1_BITMAP_PROPERTIES* p, ID2D1Bitmap** o) override;
    HRESULT STDMETHODCALLTYPE CreateSharedBitmap(REFIID r, void* d, const D2D1_BITMAP_PROPERTIES* p, ID2D1Bitmap** o) override { return inner_->CreateSharedBitmap(r, d, p, o); }
    HRESULT STDMETHODCALLTYPE CreateBitmapBrush(ID2D1Bitmap* b, const D2D1_BITMAP_BRUSH_PROPERTIES* bp, const D2D1_BRUSH_PROPERTIES* p, ID2D1BitmapBrush** o) override { return inner_->CreateBitmapBrush(b, bp, p, o); }
    HRESULT STDMETHODCALLTYPE CreateSolidColorBrush(const D2D1_COLOR_F* c, const D2D1_BRUSH_PROPERTIES* p, ID2D1SolidColorBrush** o) override;
    HRESULT STDMETHODCALLTYPE CreateGradientStopCollection(const D2D1_GRADIENT_STOP* s, UINT n, D2D1_GAMMA g, D2D1_EXTEND_MODE e, ID2D1GradientStopCollection** o) override { return inner_->CreateGradientStopCollection(s, n, g, e, o); }
    HRESULT STDMETHODCALLTYPE CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES* l, const D2D1_BRUSH_PROPERTIES* p, ID2D1GradientStopCollection* s, ID2D1LinearGradientBrush** o) override { return inner_->CreateLinearGradientBrush(l, p, s, o); }
    HRESULT STDMETHODCALLTYPE CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES* r, const D2D1_BRUSH_PROPERTIES* p, ID2D1GradientStopCollection* s, ID2D1RadialGradientBrush** o) override { return inner_->CreateRadialGradientBrush(r, p, s, o); }
    HRESULT STDMETHODCALLTYPE CreateCompatibleRenderTarget(const D2D1_SIZE_F* s, const D2D1_SIZE_U* ps, const D2D1_PIXEL_FORMAT* f, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS o, ID2D1BitmapRenderTarget** t) override { return inner_->CreateCompatibleRenderTarget(s, ps, f, o, t); }
    HRESULT STDMETHODCALLTYPE CreateLayer(const D2D1_SIZE_F* s, ID2D1Layer** l) override { return inner_->CreateLayer(s, l); }
    HRESULT STDMETHODCALLTYPE CreateMesh(ID2D1Mesh** m) override { return inner_->CreateMesh(m); }

    void STDMETHODCALLTYPE DrawLine(D2D1_POINT_2F a, D2D1_POINT_2F b, ID2D1Brush* br, FLOAT w = 1.0f, ID2D1StrokeStyle* s = NULL) override { inner_->DrawLine(a, b, br, w, s); }
    void STDMETHODCALLTYPE DrawRectangle(const D2D1_RECT_F* r, ID2D1Brush* b, FLOAT w, ID2D1StrokeStyle* s) override { inner_->DrawRectangle(r, b, w, s); }
    void STDMETHODCALLTYPE FillRectangle(const D2D1_RECT_F* r, ID2D1Brush* b) override { inner_->FillRectangle(r, b); }
    void STDMETHODCALLTYPE DrawRoundedRectangle(const D2D1_ROUNDED_RECT* r, ID2D1Brush* b, FLOAT w, ID2D1StrokeStyle* s) override { inner_->DrawRoundedRectangle(r, b, w, s); }
    void STDMETHODCALLTYPE FillRoundedRectangle(const D2D1_ROUNDED_RECT* r, ID2D1Brush* b) override { inner_->FillRoundedRectangle(r, b); }
    void STDMETHODCALLTYPE DrawEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* b, FLOAT w, ID2D1StrokeStyle* s) override { inner_->DrawEllipse(e, b, w, s); }
    void STDMETHODCALLTYPE FillEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* b) override { inner_->FillEllipse(e, b); }
    void STDMETHODCALLTYPE DrawGeometry(ID2D1Geometry* g, ID2D1Brush* b, FLOAT w, ID2D1StrokeStyle* s) override { inner_->DrawGeometry(g, b, w, s); }
    void STDMETHODCALLTYPE FillGeometry(ID2D1Geometry* g, ID2D1Brush* b, ID2D1Brush* o) override { inner_->FillGeometry(g, b, o); }
    void STDMETHODCALLTYPE FillMesh(ID2D1Mesh* m, ID2D1Brush* b) override { inner_->FillMesh(m, b); }
    void STDMETHODCALLTYPE FillOpacityMask(ID2D1Bitmap* m, ID2D1Brush* b, D2D1_OPACITY_MASK_CONTENT c, const D2D1_RECT_F* d, const D2D1_RECT_F* s) override { inner_->FillOpacityMask(m, b, c, d, s); }
    void STDMETHODCALLTYPE DrawBitmap(ID2D1Bitmap* b, const D2D1_RECT_F* d, FLOAT o, D2D1_BITMAP_INTERPOLATION_MODE m, const D2D1_RECT_F* s) override { inner_->DrawBitmap(b, d, o, m, s); }
    void STDMETHODCALLTYPE DrawText(const WCHAR* t, UINT n, IDWriteTextFormat* f, const D2D1_RECT_F* r, ID2D1Brush* b, D2D1_DRAW_TEXT_OPTIONS o = D2D1_DRAW_TEXT_OPTIONS_NONE, DWRITE_MEASURING_MODE m = DWRITE_MEASURING_MODE_NATURAL) override { inner_->DrawText(t, n, f, r, b, o, m); }
    void STDMETHODCALLTYPE DrawTextLayout(D2D1_POINT_2F p, IDWriteTextLayout* l, ID2D1Brush* b, D2D1_DRAW_TEXT_OPTIONS o) override { inner_->DrawTextLayout(p, l, b, o); }
    void STDMETHODCALLTYPE DrawGlyphRun(D2D1_POINT_2F p, const DWRITE_GLYPH_RUN* g, ID2D1Brush* b, DWRITE_MEASURING_MODE m) override { inner_->DrawGlyphRun(p, g, b, m); }

    void STDMETHODCALLTYPE SetTransform(const D2D1_MATRIX_3X2_F* m) override { inner_->SetTransform(m); }
    void STDMETHODCALLTYPE GetTransform(D2D1_MATRIX_3X2_F* m) const override { inner_->GetTransform(m); }
    void STDMETHODCALLTYPE SetAntialiasMode(D2D1_ANTIALIAS_MODE m) override { inner_->SetAntialiasMode(m); }
    D2D1_ANTIALIAS_MODE STDMETHODCALLTYPE GetAntialiasMode() const override { return inner_->GetAntialiasMode(); }
    void STDMETHODCALLTYPE SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE m) override { inner_->SetTextAntialiasMode(m); }
    D2D1_TEXT_ANTIALIAS_MODE STDMETHODCALLTYPE GetTextAntialiasMode() const override { return inner_->GetTextAntialiasMode(); }
    void STDMETHODCALLTYPE SetTextRenderingParams(IDWriteRenderingParams* p) override { inner_->SetTextRenderingParams(p); }
    void STDMETHODCALLTYPE GetTextRenderingParams(IDWriteRenderingParams** p) const override { inner_->GetTextRenderingParams(p); }
    void STDMETHODCALLTYPE SetTags(D2D1_TAG a, D2D1_TAG b) override { inner_->SetTags(a, b); }
    void STDMETHODCALLTYPE GetTags(D2D1_TAG* a, D2D1_TAG* b) const override { inner_->GetTags(a, b); }
    void STDMETHODCALLTYPE PushLayer(const D2D1_LAYER_PARAMETERS* p, ID2D1Layer* l) override { inner_->PushLayer(p, l); }
    void STDMETHODCALLTYPE PopLayer() override { inner_->PopLayer(); }
    HRESULT STDMETHODCALLTYPE Flush(D2D1_TAG* a, D2D1_TAG* b) override { return inner_->Flush(a, b); }
    void STDMETHODCALLTYPE SaveDrawingState(ID2D1DrawingStateBlock* s) const override { inner_->SaveDrawingState(s); }
    void STDMETHODCALLTYPE RestoreDrawingState(ID2D1DrawingStateBlock* s) override { inner_->RestoreDrawingState(s); }
    void STDMETHODCALLTYPE PushAxisAlignedClip(const D2D1_RECT_F* r, D2D1_ANTIALIAS_MODE m) override { inner_->PushAxisAlignedClip(r, m); }
    void STDMETHODCALLTYPE PopAxisAlignedClip() override { inner_->PopAxisAlignedClip(); }
    void STDMETHODCALLTYPE Clear(const D2D1_COLOR_F* c) override;
    void STDMETHODCALLTYPE BeginDraw() override { inner_->BeginDraw(); }
    HRESULT STDMETHODCALLTYPE EndDraw(D2D1_TAG* a, D2D1_TAG* b) override;
    D2D1_PIXEL_FORMAT* STDMETHODCALLTYPE GetPixelFormat(D2D1_PIXEL_FORMAT* f) const override { *f = inner_->GetPixelFormat(); return f; }
    void STDMETHODCALLTYPE SetDpi(FLOAT x, FLOAT y) override { inner_->SetDpi(x, y); }
    void STDMETHODCALLTYPE GetDpi(FLOAT* x, FLOAT* y) const override { inner_->GetDpi(x, y); }
    D2D1_SIZE_F* STDMETHODCALLTYPE GetSize(D2D1_SIZE_F* s) const override { *s = inner_->GetSize(); return s; }
    D2D1_SIZE_U* STDMETHODCALLTYPE GetPixelSize(D2D1_SIZE_U* s) const override { *s = inner_->GetPixelSize(); return s; }
    UINT32 STDMETHODCALLTYPE GetMaximumBitmapSize() const override { return inner_->GetMaximumBitmapSize(); }
    BOOL STDMETHODCALLTYPE IsSupported(const D2D1_RENDER_TARGET_PROPERTIES* p) const override { return inner_->IsSupported(p); }

    D2D1_WINDOW_STATE STDMETHODCALLTYPE CheckWindowState() override { return D2D1_WINDOW_STATE_NONE; }
    HRESULT STDMETHODCALLTYPE Resize(const D2D1_SIZE_U* s) override { size_ = *s; return S_OK; }
    HWND STDMETHODCALLTYPE GetHwnd() const override { return hwnd_; }

    using ID2D1HwndRenderTarget::CreateBitmapFromWicBitmap;
    using ID2D1HwndRenderTarget::CreateSolidColorBrush;
    using ID2D1HwndRenderTarget::Clear;
    using ID2D1HwndRenderTarget::GetSize;
    using ID2D1HwndRenderTarget::GetPixelSize;
    using ID2D1HwndRenderTarget::GetPixelFormat;
    using ID2D1HwndRenderTarget::Resize;

private:
    ID2D1RenderTarget* inner_;
    HWND hwnd_;
    D2D1_SIZE_U size_;
    ULONG refs_ = 1;
};

// Forwards everything to a real factory except the creation of window targets,
// which it makes as FakeHwndTargets drawing into `inner` (and keeps, so a test can
// look at them after the shell has released them).
class FakeFactory final : public ID2D1Factory {
public:
    FakeFactory(ID2D1Factory* real, ID2D1RenderTarget* inner) : real_(real), inner_(inner) {}

    HRESULT failTarget = S_OK;  // CreateHwndRenderTarget fails with this when set
    // Applied to every target made from now on.
    int failBitmapAt = 0;
    HRESULT failBitmap = S_OK;
    HRESULT failBrush = S_OK;
    std::vector<std::unique_ptr<FakeHwndTarget>> targets;
    D2D1_RENDER_TARGET_PROPERTIES lastProps{};
    D2D1_HWND_RENDER_TARGET_PROPERTIES lastHwndProps{};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

    HRESULT STDMETHODCALLTYPE ReloadSystemMetrics() override { return real_->ReloadSystemMetrics(); }
    void STDMETHODCALLTYPE GetDesktopDpi(FLOAT* x, FLOAT* y) override { real_->GetDesktopDpi(x, y); }
    HRESULT STDMETHODCALLTYPE CreateRectangleGeometry(const D2D1_RECT_F* r, ID2D1RectangleGeometry** g) override { return real_->CreateRectangleGeometry(r, g); }
    HRESULT STDMETHODCALLTYPE CreateRoundedRectangleGeometry(const D2D1_ROUNDED_RECT* r, ID2D1RoundedRectangleGeometry** g) override { return real_->CreateRoundedRectangleGeometry(r, g); }
    HRESULT STDMETHODCALLTYPE CreateEllipseGeometry(const D2D1_ELLIPSE* e, ID2D1EllipseGeometry** g) override { return real_->CreateEllipseGeometry(e, g); }
    HRESULT STDMETHODCALLTYPE CreateGeometryGroup(D2D1_FILL_MODE m, ID2D1Geometry** g, UINT n, ID2D1GeometryGroup** o) override { return real_->CreateGeometryGroup(m, g, n, o); }
    HRESULT STDMETHODCALLTYPE CreateTransformedGeometry(ID2D1Geometry* g, const D2D1_MATRIX_3X2_F* m, ID2D1TransformedGeometry** o) override { return real_->CreateTransformedGeometry(g, m, o); }
    HRESULT STDMETHODCALLTYPE CreatePathGeometry(ID2D1PathGeometry** g) override { return real_->CreatePathGeometry(g); }
    HRESULT STDMETHODCALLTYPE CreateStrokeStyle(const D2D1_STROKE_STYLE_PROPERTIES* p, const FLOAT* d, UINT n, ID2D1StrokeStyle** s) override { return real_->CreateStrokeStyle(p, d, n, s); }
    HRESULT STDMETHODCALLTYPE CreateDrawingStateBlock(const D2D1_DRAWING_STATE_DESCRIPTION* d, IDWriteRenderingParams* p, ID2D1DrawingStateBlock** b) override { return real_->CreateDrawingStateBlock(d, p, b); }
    HRESULT STDMETHODCALLTYPE CreateWicBitmapRenderTarget(IWICBitmap* b, const D2D1_RENDER_TARGET_PROPERTIES* p, ID2D1RenderTarget** t) override { return real_->CreateWicBitmapRenderTarget(b, p, t); }
    HRESULT STDMETHODCALLTYPE CreateHwndRenderTarget(const D2D1_RENDER_TARGET_PROPERTIES* p, const D2D1_HWND_RENDER_TARGET_PROPERTIES* h, ID2D1HwndRenderTarget** t) override;
    HRESULT STDMETHODCALLTYPE CreateDxgiSurfaceRenderTarget(IDXGISurface* s, const D2D1_RENDER_TARGET_PROPERTIES* p, ID2D1RenderTarget** t) override { return real_->CreateDxgiSurfaceRenderTarget(s, p, t); }
    HRESULT STDMETHODCALLTYPE CreateDCRenderTarget(const D2D1_RENDER_TARGET_PROPERTIES* p, ID2D1DCRenderTarget** t) override { return real_->CreateDCRenderTarget(p, t); }

    using ID2D1Factory::CreateStrokeStyle;

private:
    ID2D1Factory* real_;
    ID2D1RenderTarget* inner_;
    ULONG refs_ = 1;
};
