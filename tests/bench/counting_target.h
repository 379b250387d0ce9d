// counting_target.h: a render target, brush and text format that draw nothing and
// only count the calls they receive, by kind. Unlike the recording target they
// store nothing, so they neither allocate nor add a logging cost to what a
// benchmark or an allocation count measures.
#pragma once

#include "recording_target.h"

#include <cstdint>

enum CountedCall {
    CountBitmap,     // DrawBitmap
    CountLine,       // DrawLine
    CountEllipse,    // DrawEllipse and FillEllipse
    CountRectangle,  // DrawRectangle, DrawRoundedRectangle and their fills
    CountText,       // DrawText
    CountOtherDraw,  // any other drawing call (geometry, mesh, glyphs, layers, clips)
    CountSetColor,   // SetColor on the counting brush
    CountAlignment,  // SetTextAlignment on the counting text format
    CountState,      // any other render-target call (transform, modes, tags, Clear, Begin/EndDraw)
    CountedCallKinds,
};

struct CallCounts {
    uint32_t n[CountedCallKinds];

    void Clear();
    uint32_t DrawingCalls() const;  // everything that draws: bitmaps, lines, ellipses, rectangles, text, other
};

// Shared by the brush, the text format and the target of one benchmark or test.
extern CallCounts g_callCounts;

class CountingBrush : public RecordingBrush {
public:
    CountingBrush() : RecordingBrush(nullptr) {}
    void STDMETHODCALLTYPE SetColor(const D2D1_COLOR_F* c) override;
    using RecordingBrush::SetColor;
};

class CountingTextFormat : public RecordingTextFormat {
public:
    CountingTextFormat() : RecordingTextFormat(nullptr) {}
    HRESULT STDMETHODCALLTYPE SetTextAlignment(DWRITE_TEXT_ALIGNMENT a) override;
};

// Every call the recording target would log is counted here instead.
class CountingRenderTarget : public RecordingRenderTarget {
public:
    void STDMETHODCALLTYPE DrawLine(D2D1_POINT_2F, D2D1_POINT_2F, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE DrawRectangle(const D2D1_RECT_F*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillRectangle(const D2D1_RECT_F*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE DrawRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE DrawEllipse(const D2D1_ELLIPSE*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillEllipse(const D2D1_ELLIPSE*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE DrawGeometry(ID2D1Geometry*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) override;
    void STDMETHODCALLTYPE FillGeometry(ID2D1Geometry*, ID2D1Brush*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE FillMesh(ID2D1Mesh*, ID2D1Brush*) override;
    void STDMETHODCALLTYPE FillOpacityMask(ID2D1Bitmap*, ID2D1Brush*, D2D1_OPACITY_MASK_CONTENT, const D2D1_RECT_F*,
                                           const D2D1_RECT_F*) override;
    void STDMETHODCALLTYPE DrawBitmap(ID2D1Bitmap*, const D2D1_RECT_F*, FLOAT, D2D1_BITMAP_INTERPOLATION_MODE,
                                      const D2D1_RECT_F*) override;
    void STDMETHODCALLTYPE DrawText(const WCHAR*, UINT, IDWriteTextFormat*, const D2D1_RECT_F*, ID2D1Brush*,
                                    D2D1_DRAW_TEXT_OPTIONS, DWRITE_MEASURING_MODE) override;
    void STDMETHODCALLTYPE DrawTextLayout(D2D1_POINT_2F, IDWriteTextLayout*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS) override;
    void STDMETHODCALLTYPE DrawGlyphRun(D2D1_POINT_2F, const DWRITE_GLYPH_RUN*, ID2D1Brush*, DWRITE_MEASURING_MODE) override;
    void STDMETHODCALLTYPE PushLayer(const D2D1_LAYER_PARAMETERS*, ID2D1Layer*) override;
    void STDMETHODCALLTYPE PopLayer() override;
    void STDMETHODCALLTYPE PushAxisAlignedClip(const D2D1_RECT_F*, D2D1_ANTIALIAS_MODE) override;
    void STDMETHODCALLTYPE PopAxisAlignedClip() override;

    void STDMETHODCALLTYPE SetTransform(const D2D1_MATRIX_3X2_F*) override;
    void STDMETHODCALLTYPE SetAntialiasMode(D2D1_ANTIALIAS_MODE) override;
    void STDMETHODCALLTYPE SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE) override;
    void STDMETHODCALLTYPE SetTextRenderingParams(IDWriteRenderingParams*) override;
    void STDMETHODCALLTYPE SetTags(D2D1_TAG, D2D1_TAG) override;
    HRESULT STDMETHODCALLTYPE Flush(D2D1_TAG*, D2D1_TAG*) override;
    void STDMETHODCALLTYPE RestoreDrawingState(ID2D1DrawingStateBlock*) override;
    void STDMETHODCALLTYPE Clear(const D2D1_COLOR_F*) override;
    void STDMETHODCALLTYPE BeginDraw() override;
    HRESULT STDMETHODCALLTYPE EndDraw(D2D1_TAG*, D2D1_TAG*) override;
    void STDMETHODCALLTYPE SetDpi(FLOAT, FLOAT) override;

    // Creation is not part of a frame; it is counted as a state call and fails.
    HRESULT STDMETHODCALLTYPE CreateBitmap(D2D1_SIZE_U, const void*, UINT32, const D2D1_BITMAP_PROPERTIES*,
                                           ID2D1Bitmap**) override;
    HRESULT STDMETHODCALLTYPE CreateBitmapFromWicBitmap(IWICBitmapSource*, const D2D1_BITMAP_PROPERTIES*,
                                                        ID2D1Bitmap**) override;
    HRESULT STDMETHODCALLTYPE CreateSharedBitmap(REFIID, void*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) override;
    HRESULT STDMETHODCALLTYPE CreateBitmapBrush(ID2D1Bitmap*, const D2D1_BITMAP_BRUSH_PROPERTIES*,
                                                const D2D1_BRUSH_PROPERTIES*, ID2D1BitmapBrush**) override;
    HRESULT STDMETHODCALLTYPE CreateSolidColorBrush(const D2D1_COLOR_F*, const D2D1_BRUSH_PROPERTIES*,
                                                    ID2D1SolidColorBrush**) override;
    HRESULT STDMETHODCALLTYPE CreateGradientStopCollection(const D2D1_GRADIENT_STOP*, UINT, D2D1_GAMMA,
                                                           D2D1_EXTEND_MODE, ID2D1GradientStopCollection**) override;
    HRESULT STDMETHODCALLTYPE CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES*,
                                                        const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*,
                                                        ID2D1LinearGradientBrush**) override;
    HRESULT STDMETHODCALLTYPE CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES*,
                                                        const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*,
                                                        ID2D1RadialGradientBrush**) override;
    HRESULT STDMETHODCALLTYPE CreateCompatibleRenderTarget(const D2D1_SIZE_F*, const D2D1_SIZE_U*,
                                                           const D2D1_PIXEL_FORMAT*,
                                                           D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS,
                                                           ID2D1BitmapRenderTarget**) override;
    HRESULT STDMETHODCALLTYPE CreateLayer(const D2D1_SIZE_F*, ID2D1Layer**) override;
    HRESULT STDMETHODCALLTYPE CreateMesh(ID2D1Mesh**) override;

    using RecordingRenderTarget::DrawRectangle;
    using RecordingRenderTarget::DrawRoundedRectangle;
    using RecordingRenderTarget::DrawEllipse;
    using RecordingRenderTarget::FillEllipse;
    using RecordingRenderTarget::DrawBitmap;
    using RecordingRenderTarget::Clear;
    using RecordingRenderTarget::CreateBitmap;
    using RecordingRenderTarget::CreateBitmapFromWicBitmap;
    using RecordingRenderTarget::CreateSolidColorBrush;
    using RecordingRenderTarget::CreateGradientStopCollection;
    using RecordingRenderTarget::CreateLinearGradientBrush;
};
