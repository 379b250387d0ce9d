// recording_target.h: a render target, brush and text format that draw nothing and
// log every call with its exact arguments, in one shared log, so that tests can
// assert the game's drawing call by call.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>

#include <string>
#include <vector>

enum class CallKind {
    Clear,
    DrawBitmap,
    DrawLine,
    DrawEllipse,
    FillEllipse,
    DrawRectangle,
    DrawRoundedRectangle,
    DrawText,
    SetColor,           // on the recording brush
    SetTextAlignment,   // on the recording text format
    Sound,              // ReplaySoundByName through the sound stub
    Other,              // any other render-target call, named in `name`
};

struct DrawCall {
    explicit DrawCall(CallKind k) : kind(k) {}
    CallKind kind;
    std::string name;
    // DrawBitmap
    ID2D1Bitmap* bitmap = nullptr;
    D2D1_RECT_F dest{};
    float opacity = 0;
    D2D1_BITMAP_INTERPOLATION_MODE interpolation{};
    D2D1_RECT_F source{};
    bool hasDest = false, hasSource = false;
    // DrawLine and the outlines
    D2D1_POINT_2F p0{}, p1{};
    float width = 0;
    ID2D1StrokeStyle* stroke = nullptr;
    ID2D1Brush* brush = nullptr;
    D2D1_ELLIPSE ellipse{};
    D2D1_RECT_F rect{};
    D2D1_ROUNDED_RECT roundedRect{};
    // DrawText
    std::wstring text;
    IDWriteTextFormat* format = nullptr;
    D2D1_RECT_F layout{};
    D2D1_DRAW_TEXT_OPTIONS options{};
    DWRITE_MEASURING_MODE measuring{};
    // SetColor, Clear
    D2D1_COLOR_F color{};
    // SetTextAlignment
    DWRITE_TEXT_ALIGNMENT alignment{};
    // Sound
    std::wstring sound;
    BOOL loop = 0;
    HWND window = nullptr;
};

// A readable one-line form of a call, with numbers printed as %g.
std::string Describe(const DrawCall& c);

class CallLog {
public:
    std::vector<DrawCall> calls;
    void Clear() { calls.clear(); }
    size_t Count(CallKind k) const;
    std::vector<const DrawCall*> Of(CallKind k) const;
    std::vector<std::string> Lines() const;  // Describe() of every call
};

// The log the sound stub writes to, when a test has set it.
extern CallLog* g_soundLog;

class RecordingBrush : public ID2D1SolidColorBrush {
public:
    explicit RecordingBrush(CallLog* log) : log_(log) {}
    D2D1_COLOR_F colour{0, 0, 0, 1};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    void STDMETHODCALLTYPE GetFactory(ID2D1Factory** f) const override { *f = nullptr; }
    void STDMETHODCALLTYPE SetOpacity(FLOAT) override {}
    void STDMETHODCALLTYPE SetTransform(const D2D1_MATRIX_3X2_F*) override {}
    FLOAT STDMETHODCALLTYPE GetOpacity() const override { return 1.0f; }
    void STDMETHODCALLTYPE GetTransform(D2D1_MATRIX_3X2_F*) const override {}
    void STDMETHODCALLTYPE SetColor(const D2D1_COLOR_F* c) override;
    D2D1_COLOR_F* STDMETHODCALLTYPE GetColor(D2D1_COLOR_F* out) const override { *out = colour; return out; }
    using ID2D1SolidColorBrush::SetColor;
    using ID2D1SolidColorBrush::GetColor;

private:
    CallLog* log_;
    ULONG refs_ = 1;
};

class RecordingTextFormat : public IDWriteTextFormat {
public:
    explicit RecordingTextFormat(CallLog* log) : log_(log) {}
    DWRITE_TEXT_ALIGNMENT alignment = DWRITE_TEXT_ALIGNMENT_LEADING;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE SetTextAlignment(DWRITE_TEXT_ALIGNMENT a) override;
    HRESULT STDMETHODCALLTYPE SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetWordWrapping(DWRITE_WORD_WRAPPING) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetReadingDirection(DWRITE_READING_DIRECTION) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetFlowDirection(DWRITE_FLOW_DIRECTION) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetIncrementalTabStop(FLOAT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTrimming(const DWRITE_TRIMMING*, IDWriteInlineObject*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetLineSpacing(DWRITE_LINE_SPACING_METHOD, FLOAT, FLOAT) override { return S_OK; }
    DWRITE_TEXT_ALIGNMENT STDMETHODCALLTYPE GetTextAlignment() override { return alignment; }
    DWRITE_PARAGRAPH_ALIGNMENT STDMETHODCALLTYPE GetParagraphAlignment() override { return DWRITE_PARAGRAPH_ALIGNMENT_NEAR; }
    DWRITE_WORD_WRAPPING STDMETHODCALLTYPE GetWordWrapping() override { return DWRITE_WORD_WRAPPING_WRAP; }
    DWRITE_READING_DIRECTION STDMETHODCALLTYPE GetReadingDirection() override { return DWRITE_READING_DIRECTION_LEFT_TO_RIGHT; }
    DWRITE_FLOW_DIRECTION STDMETHODCALLTYPE GetFlowDirection() override { return DWRITE_FLOW_DIRECTION_TOP_TO_BOTTOM; }
    FLOAT STDMETHODCALLTYPE GetIncrementalTabStop() override { return 0; }
    HRESULT STDMETHODCALLTYPE GetTrimming(DWRITE_TRIMMING*, IDWriteInlineObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLineSpacing(DWRITE_LINE_SPACING_METHOD*, FLOAT*, FLOAT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFontCollection(IDWriteFontCollection**) override { return E_NOTIMPL; }
    UINT32 STDMETHODCALLTYPE GetFontFamilyNameLength() override { return 0; }
    HRESULT STDMETHODCALLTYPE GetFontFamilyName(WCHAR*, UINT32) override { return E_NOTIMPL; }
    DWRITE_FONT_WEIGHT STDMETHODCALLTYPE GetFontWeight() override { return DWRITE_FONT_WEIGHT_NORMAL; }
    DWRITE_FONT_STYLE STDMETHODCALLTYPE GetFontStyle() override { return DWRITE_FONT_STYLE_NORMAL; }
    DWRITE_FONT_STRETCH STDMETHODCALLTYPE GetFontStretch() override { return DWRITE_FONT_STRETCH_NORMAL; }
    FLOAT STDMETHODCALLTYPE GetFontSize() override { return 0; }
    UINT32 STDMETHODCALLTYPE GetLocaleNameLength() override { return 0; }
    HRESULT STDMETHODCALLTYPE GetLocaleName(WCHAR*, UINT32) override { return E_NOTIMPL; }

private:
    CallLog* log_;
    ULONG refs_ = 1;
};

// A bitmap that is only an identity: DrawBitmap logs its address.
class FakeBitmap : public ID2D1Bitmap {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    void STDMETHODCALLTYPE GetFactory(ID2D1Factory** f) const override { *f = nullptr; }
    D2D1_SIZE_F* STDMETHODCALLTYPE GetSize(D2D1_SIZE_F* s) const override { *s = {0, 0}; return s; }
    D2D1_SIZE_U* STDMETHODCALLTYPE GetPixelSize(D2D1_SIZE_U* s) const override { *s = {0, 0}; return s; }
    D2D1_PIXEL_FORMAT* STDMETHODCALLTYPE GetPixelFormat(D2D1_PIXEL_FORMAT* f) const override { *f = {}; return f; }
    void STDMETHODCALLTYPE GetDpi(FLOAT* x, FLOAT* y) const override { *x = *y = 96.0f; }
    HRESULT STDMETHODCALLTYPE CopyFromBitmap(const D2D1_POINT_2U*, ID2D1Bitmap*, const D2D1_RECT_U*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyFromRenderTarget(const D2D1_POINT_2U*, ID2D1RenderTarget*, const D2D1_RECT_U*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyFromMemory(const D2D1_RECT_U*, const void*, UINT32) override { return E_NOTIMPL; }
    using ID2D1Bitmap::GetSize;
    using ID2D1Bitmap::GetPixelSize;
    using ID2D1Bitmap::GetPixelFormat;

private:
    ULONG refs_ = 1;
};

class RecordingRenderTarget : public ID2D1RenderTarget {
public:
    CallLog log;

    // IUnknown, ID2D1Resource
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    void STDMETHODCALLTYPE GetFactory(ID2D1Factory** f) const override { *f = nullptr; }

    // Creation: not used by the game frame.
    HRESULT STDMETHODCALLTYPE CreateBitmap(D2D1_SIZE_U, const void*, UINT32, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) override;
    HRESULT STDMETHODCALLTYPE CreateBitmapFromWicBitmap(IWICBitmapSource*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) override;
    HRESULT STDMETHODCALLTYPE CreateSharedBitmap(REFIID, void*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) override;
    HRESULT STDMETHODCALLTYPE CreateBitmapBrush(ID2D1Bitmap*, const D2D1_BITMAP_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1BitmapBrush**) override;
    HRESULT STDMETHODCALLTYPE CreateSolidColorBrush(const D2D1_COLOR_F*, const D2D1_BRUSH_PROPERTIES*, ID2D1SolidColorBrush**) override;
    HRESULT STDMETHODCALLTYPE CreateGradientStopCollection(const D2D1_GRADIENT_STOP*, UINT, D2D1_GAMMA, D2D1_EXTEND_MODE, ID2D1GradientStopCollection**) override;
    HRESULT STDMETHODCALLTYPE CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1LinearGradientBrush**) override;
    HRESULT STDMETHODCALLTYPE CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1RadialGradientBrush**) override;
    HRESULT STDMETHODCALLTYPE CreateCompatibleRenderTarget(const D2D1_SIZE_F*, const D2D1_SIZE_U*, const D2D1_PIXEL_FORMAT*, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS, ID2D1BitmapRenderTarget**) override;
    HRESULT STDMETHODCALLTYPE CreateLayer(const D2D1_SIZE_F*, ID2D1Layer**) override;
    HRESULT STDMETHODCALLTYPE CreateMesh(ID2D1Mesh**) override;

    // Drawing: every call is logged.
    void STDMETHODCALLTYPE DrawLine(D2D1_POINT_2F p0, D2D1_POINT_2F p1, ID2D1Brush* brush, FLOAT width = 1.0f, ID2D1StrokeStyle* stroke = NULL) override;
    void STDMETHODCALLTYPE DrawRectangle(const D2D1_RECT_F* rect, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE FillRectangle(const D2D1_RECT_F*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE DrawRoundedRectangle(const D2D1_ROUNDED_RECT* rr, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE FillRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE DrawEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE FillEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* brush) override;
    void STDMETHODCALLTYPE DrawGeometry(ID2D1Geometry*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillGeometry(ID2D1Geometry*, ID2D1Brush*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE FillMesh(ID2D1Mesh*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE FillOpacityMask(ID2D1Bitmap*, ID2D1Brush*, D2D1_OPACITY_MASK_CONTENT, const D2D1_RECT_F*, const D2D1_RECT_F*) override;
    void STDMETHODCALLTYPE DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* dest, FLOAT opacity, D2D1_BITMAP_INTERPOLATION_MODE mode, const D2D1_RECT_F* source) override;
    void STDMETHODCALLTYPE DrawText(const WCHAR* text, UINT length, IDWriteTextFormat* format, const D2D1_RECT_F* layout, ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options = D2D1_DRAW_TEXT_OPTIONS_NONE, DWRITE_MEASURING_MODE measuring = DWRITE_MEASURING_MODE_NATURAL) override;
    void STDMETHODCALLTYPE DrawTextLayout(D2D1_POINT_2F, IDWriteTextLayout*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS) override;
    void STDMETHODCALLTYPE DrawGlyphRun(D2D1_POINT_2F, const DWRITE_GLYPH_RUN*, ID2D1Brush*, DWRITE_MEASURING_MODE) override;

    // State
    void STDMETHODCALLTYPE SetTransform(const D2D1_MATRIX_3X2_F*) override;
    void STDMETHODCALLTYPE GetTransform(D2D1_MATRIX_3X2_F* m) const override;
    void STDMETHODCALLTYPE SetAntialiasMode(D2D1_ANTIALIAS_MODE) override;
    D2D1_ANTIALIAS_MODE STDMETHODCALLTYPE GetAntialiasMode() const override { return D2D1_ANTIALIAS_MODE_PER_PRIMITIVE; }
    void STDMETHODCALLTYPE SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE) override;
    D2D1_TEXT_ANTIALIAS_MODE STDMETHODCALLTYPE GetTextAntialiasMode() const override { return D2D1_TEXT_ANTIALIAS_MODE_DEFAULT; }
    void STDMETHODCALLTYPE SetTextRenderingParams(IDWriteRenderingParams*) override;
    void STDMETHODCALLTYPE GetTextRenderingParams(IDWriteRenderingParams** p) const override { *p = nullptr; }
    void STDMETHODCALLTYPE SetTags(D2D1_TAG, D2D1_TAG) override;
    void STDMETHODCALLTYPE GetTags(D2D1_TAG* a, D2D1_TAG* b) const override;
    void STDMETHODCALLTYPE PushLayer(const D2D1_LAYER_PARAMETERS*, ID2D1Layer*) override;
    void STDMETHODCALLTYPE PopLayer() override;
    HRESULT STDMETHODCALLTYPE Flush(D2D1_TAG*, D2D1_TAG*) override;
    void STDMETHODCALLTYPE SaveDrawingState(ID2D1DrawingStateBlock*) const override {}
    void STDMETHODCALLTYPE RestoreDrawingState(ID2D1DrawingStateBlock*) override;
    void STDMETHODCALLTYPE PushAxisAlignedClip(const D2D1_RECT_F*, D2D1_ANTIALIAS_MODE) override;
    void STDMETHODCALLTYPE PopAxisAlignedClip() override;
    void STDMETHODCALLTYPE Clear(const D2D1_COLOR_F* colour) override;
    void STDMETHODCALLTYPE BeginDraw() override;
    HRESULT STDMETHODCALLTYPE EndDraw(D2D1_TAG*, D2D1_TAG*) override;
    D2D1_PIXEL_FORMAT* STDMETHODCALLTYPE GetPixelFormat(D2D1_PIXEL_FORMAT* f) const override { *f = {}; return f; }
    void STDMETHODCALLTYPE SetDpi(FLOAT, FLOAT) override;
    void STDMETHODCALLTYPE GetDpi(FLOAT* x, FLOAT* y) const override { *x = *y = 96.0f; }
    D2D1_SIZE_F* STDMETHODCALLTYPE GetSize(D2D1_SIZE_F* s) const override { *s = {600, 720}; return s; }
    D2D1_SIZE_U* STDMETHODCALLTYPE GetPixelSize(D2D1_SIZE_U* s) const override { *s = {600, 720}; return s; }
    UINT32 STDMETHODCALLTYPE GetMaximumBitmapSize() const override { return 16384; }
    BOOL STDMETHODCALLTYPE IsSupported(const D2D1_RENDER_TARGET_PROPERTIES*) const override { return TRUE; }

    using ID2D1RenderTarget::CreateBitmap;
    using ID2D1RenderTarget::CreateBitmapFromWicBitmap;
    using ID2D1RenderTarget::CreateSolidColorBrush;
    using ID2D1RenderTarget::CreateGradientStopCollection;
    using ID2D1RenderTarget::CreateLinearGradientBrush;
    using ID2D1RenderTarget::DrawRectangle;
    using ID2D1RenderTarget::DrawRoundedRectangle;
    using ID2D1RenderTarget::DrawEllipse;
    using ID2D1RenderTarget::FillEllipse;
    using ID2D1RenderTarget::DrawBitmap;
    using ID2D1RenderTarget::Clear;
    using ID2D1RenderTarget::GetSize;
    using ID2D1RenderTarget::GetPixelSize;
    using ID2D1RenderTarget::GetPixelFormat;

private:
    void Other(const char* name);
    ULONG refs_ = 1;
};
