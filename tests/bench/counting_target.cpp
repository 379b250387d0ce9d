// counting_target.cpp: the counting render target, brush and text format.
#include "counting_target.h"

CallCounts g_callCounts;

void CallCounts::Clear()
{
    for (uint32_t& c : n)
        c = 0;
}

uint32_t CallCounts::DrawingCalls() const
{
    return n[CountBitmap] + n[CountLine] + n[CountEllipse] + n[CountRectangle] + n[CountText] + n[CountOtherDraw];
}

namespace {

inline void Count(CountedCall kind)
{
    g_callCounts.n[kind] += 1;
}

}  // namespace

void CountingBrush::SetColor(const D2D1_COLOR_F* c)
{
    colour = *c;
    Count(CountSetColor);
}

HRESULT CountingTextFormat::SetTextAlignment(DWRITE_TEXT_ALIGNMENT a)
{
    alignment = a;
    Count(CountAlignment);
    return S_OK;
}

void CountingRenderTarget::DrawLine(D2D1_POINT_2F, D2D1_POINT_2F, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { Count(CountLine); }
void CountingRenderTarget::DrawRectangle(const D2D1_RECT_F*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { Count(CountRectangle); }
void CountingRenderTarget::FillRectangle(const D2D1_RECT_F*, ID2D1Brush*) { Count(CountRectangle); }
void CountingRenderTarget::DrawRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { Count(CountRectangle); }
void CountingRenderTarget::FillRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*) { Count(CountRectangle); }
void CountingRenderTarget::DrawEllipse(const D2D1_ELLIPSE*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { Count(CountEllipse); }
void CountingRenderTarget::FillEllipse(const D2D1_ELLIPSE*, ID2D1Brush*) { Count(CountEllipse); }
void CountingRenderTarget::DrawGeometry(ID2D1Geometry*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { Count(CountOtherDraw); }
void CountingRenderTarget::FillGeometry(ID2D1Geometry*, ID2D1Brush*, ID2D1Brush*) { Count(CountOtherDraw); }
void CountingRenderTarget::FillMesh(ID2D1Mesh*, ID2D1Brush*) { Count(CountOtherDraw); }
void CountingRenderTarget::FillOpacityMask(ID2D1Bitmap*, ID2D1Brush*, D2D1_OPACITY_MASK_CONTENT, const D2D1_RECT_F*, const D2D1_RECT_F*) { Count(CountOtherDraw); }
void CountingRenderTarget::DrawBitmap(ID2D1Bitmap*, const D2D1_RECT_F*, FLOAT, D2D1_BITMAP_INTERPOLATION_MODE, const D2D1_RECT_F*) { Count(CountBitmap); }
void CountingRenderTarget::DrawText(const WCHAR*, UINT, IDWriteTextFormat*, const D2D1_RECT_F*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS, DWRITE_MEASURING_MODE) { Count(CountText); }
void CountingRenderTarget::DrawTextLayout(D2D1_POINT_2F, IDWriteTextLayout*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS) { Count(CountOtherDraw); }
void CountingRenderTarget::DrawGlyphRun(D2D1_POINT_2F, const DWRITE_GLYPH_RUN*, ID2D1Brush*, DWRITE_MEASURING_MODE) { Count(CountOtherDraw); }
void CountingRenderTarget::PushLayer(const D2D1_LAYER_PARAMETERS*, ID2D1Layer*) { Count(CountOtherDraw); }
void CountingRenderTarget::PopLayer() { Count(CountOtherDraw); }
void CountingRenderTarget::PushAxisAlignedClip(const D2D1_RECT_F*, D2D1_ANTIALIAS_MODE) { Count(CountOtherDraw); }
void CountingRenderTarget::PopAxisAlignedClip() { Count(CountOtherDraw); }

void CountingRenderTarget::SetTransform(const D2D1_MATRIX_3X2_F*) { Count(CountState); }
void CountingRenderTarget::SetAntialiasMode(D2D1_ANTIALIAS_MODE) { Count(CountState); }
void CountingRenderTarget::SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE) { Count(CountState); }
void CountingRenderTarget::SetTextRenderingParams(IDWriteRenderingParams*) { Count(CountState); }
void CountingRenderTarget::SetTags(D2D1_TAG, D2D1_TAG) { Count(CountState); }
HRESULT CountingRenderTarget::Flush(D2D1_TAG*, D2D1_TAG*) { Count(CountState); return S_OK; }
void CountingRenderTarget::RestoreDrawingState(ID2D1DrawingStateBlock*) { Count(CountState); }
void CountingRenderTarget::Clear(const D2D1_COLOR_F*) { Count(CountState); }
void CountingRenderTarget::BeginDraw() { Count(CountState); }
HRESULT CountingRenderTarget::EndDraw(D2D1_TAG*, D2D1_TAG*) { Count(CountState); return S_OK; }
void CountingRenderTarget::SetDpi(FLOAT, FLOAT) { Count(CountState); }

HRESULT CountingRenderTarget::CreateBitmap(D2D1_SIZE_U, const void*, UINT32, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateBitmapFromWicBitmap(IWICBitmapSource*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateSharedBitmap(REFIID, void*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateBitmapBrush(ID2D1Bitmap*, const D2D1_BITMAP_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1BitmapBrush**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateSolidColorBrush(const D2D1_COLOR_F*, const D2D1_BRUSH_PROPERTIES*, ID2D1SolidColorBrush**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateGradientStopCollection(const D2D1_GRADIENT_STOP*, UINT, D2D1_GAMMA, D2D1_EXTEND_MODE, ID2D1GradientStopCollection**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1LinearGradientBrush**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1RadialGradientBrush**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateCompatibleRenderTarget(const D2D1_SIZE_F*, const D2D1_SIZE_U*, const D2D1_PIXEL_FORMAT*, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS, ID2D1BitmapRenderTarget**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateLayer(const D2D1_SIZE_F*, ID2D1Layer**) { Count(CountState); return E_NOTIMPL; }
HRESULT CountingRenderTarget::CreateMesh(ID2D1Mesh**) { Count(CountState); return E_NOTIMPL; }
