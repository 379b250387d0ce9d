// recording_target.cpp: the recording render target, brush and text format.
#include "recording_target.h"

#include <cstdarg>
#include <cstdio>

CallLog* g_soundLog;

namespace {

std::string Narrow(const std::wstring& w)
{
    std::string s;
    for (wchar_t c : w) {
        if (c == L'\n')
            s += "\\n";
        else if (c < 128)
            s += static_cast<char>(c);
        else
            s += '?';
    }
    return s;
}

std::string Format(const char* fmt, ...)
{
    char buf[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

std::string Rect(const D2D1_RECT_F& r)
{
    return Format("(%g, %g, %g, %g)", r.left, r.top, r.right, r.bottom);
}

}  // namespace

std::string Describe(const DrawCall& c)
{
    switch (c.kind) {
    case CallKind::Clear:
        return Format("Clear (%g, %g, %g, %g)", c.color.r, c.color.g, c.color.b, c.color.a);
    case CallKind::DrawBitmap:
        return Format("DrawBitmap %p dest %s opacity %g mode %d src %s", static_cast<void*>(c.bitmap),
                      c.hasDest ? Rect(c.dest).c_str() : "null", c.opacity, static_cast<int>(c.interpolation),
                      c.hasSource ? Rect(c.source).c_str() : "null");
    case CallKind::DrawLine:
        return Format("DrawLine (%g, %g)-(%g, %g) width %g", c.p0.x, c.p0.y, c.p1.x, c.p1.y, c.width);
    case CallKind::DrawEllipse:
    case CallKind::FillEllipse:
        return Format("%s (%g, %g) r (%g, %g)%s", c.kind == CallKind::DrawEllipse ? "DrawEllipse" : "FillEllipse",
                      c.ellipse.point.x, c.ellipse.point.y, c.ellipse.radiusX, c.ellipse.radiusY,
                      c.kind == CallKind::DrawEllipse ? Format(" width %g", c.width).c_str() : "");
    case CallKind::DrawRectangle:
        return Format("DrawRectangle %s width %g", Rect(c.rect).c_str(), c.width);
    case CallKind::DrawRoundedRectangle:
        return Format("DrawRoundedRectangle %s r (%g, %g) width %g", Rect(c.roundedRect.rect).c_str(),
                      c.roundedRect.radiusX, c.roundedRect.radiusY, c.width);
    case CallKind::DrawText:
        return Format("DrawText \"%s\" layout %s", Narrow(c.text).c_str(), Rect(c.layout).c_str());
    case CallKind::SetColor:
        return Format("SetColor (%g, %g, %g, %g)", c.color.r, c.color.g, c.color.b, c.color.a);
    case CallKind::SetTextAlignment:
        return Format("SetTextAlignment %d", static_cast<int>(c.alignment));
    case CallKind::Sound:
        return Format("Sound %s loop %d", Narrow(c.sound).c_str(), c.loop);
    case CallKind::Other:
        return c.name;
    }
    return "?";
}

size_t CallLog::Count(CallKind k) const
{
    size_t n = 0;
    for (const DrawCall& c : calls)
        n += c.kind == k;
    return n;
}

std::vector<const DrawCall*> CallLog::Of(CallKind k) const
{
    std::vector<const DrawCall*> out;
    for (const DrawCall& c : calls)
        if (c.kind == k)
            out.push_back(&c);
    return out;
}

std::vector<std::string> CallLog::Lines() const
{
    std::vector<std::string> out;
    for (const DrawCall& c : calls)
        out.push_back(Describe(c));
    return out;
}

// ---- brush and text format ----------------------------------------------------------

void RecordingBrush::SetColor(const D2D1_COLOR_F* c)
{
    colour = *c;
    DrawCall call(CallKind::SetColor);
    call.color = *c;
    log_->calls.push_back(call);
}

HRESULT RecordingTextFormat::SetTextAlignment(DWRITE_TEXT_ALIGNMENT a)
{
    alignment = a;
    DrawCall call(CallKind::SetTextAlignment);
    call.alignment = a;
    log_->calls.push_back(call);
    return S_OK;
}

// ---- render target --------------------------------------------------------------------

void RecordingRenderTarget::Other(const char* name)
{
    DrawCall call(CallKind::Other);
    call.name = name;
    log.calls.push_back(call);
}

HRESULT RecordingRenderTarget::CreateBitmap(D2D1_SIZE_U, const void*, UINT32, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) { Other("CreateBitmap"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateBitmapFromWicBitmap(IWICBitmapSource*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) { Other("CreateBitmapFromWicBitmap"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateSharedBitmap(REFIID, void*, const D2D1_BITMAP_PROPERTIES*, ID2D1Bitmap**) { Other("CreateSharedBitmap"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateBitmapBrush(ID2D1Bitmap*, const D2D1_BITMAP_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1BitmapBrush**) { Other("CreateBitmapBrush"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateSolidColorBrush(const D2D1_COLOR_F*, const D2D1_BRUSH_PROPERTIES*, ID2D1SolidColorBrush**) { Other("CreateSolidColorBrush"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateGradientStopCollection(const D2D1_GRADIENT_STOP*, UINT, D2D1_GAMMA, D2D1_EXTEND_MODE, ID2D1GradientStopCollection**) { Other("CreateGradientStopCollection"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1LinearGradientBrush**) { Other("CreateLinearGradientBrush"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateRadialGradientBrush(const D2D1_RADIAL_GRADIENT_BRUSH_PROPERTIES*, const D2D1_BRUSH_PROPERTIES*, ID2D1GradientStopCollection*, ID2D1RadialGradientBrush**) { Other("CreateRadialGradientBrush"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateCompatibleRenderTarget(const D2D1_SIZE_F*, const D2D1_SIZE_U*, const D2D1_PIXEL_FORMAT*, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS, ID2D1BitmapRenderTarget**) { Other("CreateCompatibleRenderTarget"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateLayer(const D2D1_SIZE_F*, ID2D1Layer**) { Other("CreateLayer"); return E_NOTIMPL; }
HRESULT RecordingRenderTarget::CreateMesh(ID2D1Mesh**) { Other("CreateMesh"); return E_NOTIMPL; }

void RecordingRenderTarget::DrawLine(D2D1_POINT_2F p0, D2D1_POINT_2F p1, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke)
{
    DrawCall c(CallKind::DrawLine);
    c.p0 = p0;
    c.p1 = p1;
    c.brush = brush;
    c.width = width;
    c.stroke = stroke;
    log.calls.push_back(c);
}

void RecordingRenderTarget::DrawRectangle(const D2D1_RECT_F* rect, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke)
{
    DrawCall c(CallKind::DrawRectangle);
    c.rect = *rect;
    c.brush = brush;
    c.width = width;
    c.stroke = stroke;
    log.calls.push_back(c);
}

void RecordingRenderTarget::DrawRoundedRectangle(const D2D1_ROUNDED_RECT* rr, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke)
{
    DrawCall c(CallKind::DrawRoundedRectangle);
    c.roundedRect = *rr;
    c.brush = brush;
    c.width = width;
    c.stroke = stroke;
    log.calls.push_back(c);
}

void RecordingRenderTarget::DrawEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* brush, FLOAT width, ID2D1StrokeStyle* stroke)
{
    DrawCall c(CallKind::DrawEllipse);
    c.ellipse = *e;
    c.brush = brush;
    c.width = width;
    c.stroke = stroke;
    log.calls.push_back(c);
}

void RecordingRenderTarget::FillEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* brush)
{
    DrawCall c(CallKind::FillEllipse);
    c.ellipse = *e;
    c.brush = brush;
    log.calls.push_back(c);
}

void RecordingRenderTarget::DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* dest, FLOAT opacity, D2D1_BITMAP_INTERPOLATION_MODE mode, const D2D1_RECT_F* source)
{
    DrawCall c(CallKind::DrawBitmap);
    c.bitmap = bitmap;
    c.hasDest = dest != nullptr;
    if (dest)
        c.dest = *dest;
    c.opacity = opacity;
    c.interpolation = mode;
    c.hasSource = source != nullptr;
    if (source)
        c.source = *source;
    log.calls.push_back(c);
}

void RecordingRenderTarget::DrawText(const WCHAR* text, UINT length, IDWriteTextFormat* format, const D2D1_RECT_F* layout, ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options, DWRITE_MEASURING_MODE measuring)
{
    DrawCall c(CallKind::DrawText);
    c.text.assign(text, length);
    c.format = format;
    c.layout = *layout;
    c.brush = brush;
    c.options = options;
    c.measuring = measuring;
    log.calls.push_back(c);
}

void RecordingRenderTarget::Clear(const D2D1_COLOR_F* colour)
{
    DrawCall c(CallKind::Clear);
    if (colour)
        c.color = *colour;
    log.calls.push_back(c);
}

void RecordingRenderTarget::FillRectangle(const D2D1_RECT_F*, ID2D1Brush*) { Other("FillRectangle"); }
void RecordingRenderTarget::FillRoundedRectangle(const D2D1_ROUNDED_RECT*, ID2D1Brush*) { Other("FillRoundedRectangle"); }
void RecordingRenderTarget::DrawGeometry(ID2D1Geometry*, ID2D1Brush*, FLOAT, ID2D1StrokeStyle*) { Other("DrawGeometry"); }
void RecordingRenderTarget::FillGeometry(ID2D1Geometry*, ID2D1Brush*, ID2D1Brush*) { Other("FillGeometry"); }
void RecordingRenderTarget::FillMesh(ID2D1Mesh*, ID2D1Brush*) { Other("FillMesh"); }
void RecordingRenderTarget::FillOpacityMask(ID2D1Bitmap*, ID2D1Brush*, D2D1_OPACITY_MASK_CONTENT, const D2D1_RECT_F*, const D2D1_RECT_F*) { Other("FillOpacityMask"); }
void RecordingRenderTarget::DrawTextLayout(D2D1_POINT_2F, IDWriteTextLayout*, ID2D1Brush*, D2D1_DRAW_TEXT_OPTIONS) { Other("DrawTextLayout"); }
void RecordingRenderTarget::DrawGlyphRun(D2D1_POINT_2F, const DWRITE_GLYPH_RUN*, ID2D1Brush*, DWRITE_MEASURING_MODE) { Other("DrawGlyphRun"); }
void RecordingRenderTarget::SetTransform(const D2D1_MATRIX_3X2_F*) { Other("SetTransform"); }
void RecordingRenderTarget::GetTransform(D2D1_MATRIX_3X2_F* m) const { *m = D2D1::Matrix3x2F::Identity(); }
void RecordingRenderTarget::SetAntialiasMode(D2D1_ANTIALIAS_MODE) { Other("SetAntialiasMode"); }
void RecordingRenderTarget::SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE) { Other("SetTextAntialiasMode"); }
void RecordingRenderTarget::SetTextRenderingParams(IDWriteRenderingParams*) { Other("SetTextRenderingParams"); }
void RecordingRenderTarget::SetTags(D2D1_TAG, D2D1_TAG) { Other("SetTags"); }
void RecordingRenderTarget::GetTags(D2D1_TAG* a, D2D1_TAG* b) const
{
    if (a)
        *a = 0;
    if (b)
        *b = 0;
}
void RecordingRenderTarget::PushLayer(const D2D1_LAYER_PARAMETERS*, ID2D1Layer*) { Other("PushLayer"); }
void RecordingRenderTarget::PopLayer() { Other("PopLayer"); }
HRESULT RecordingRenderTarget::Flush(D2D1_TAG*, D2D1_TAG*) { Other("Flush"); return S_OK; }
void RecordingRenderTarget::RestoreDrawingState(ID2D1DrawingStateBlock*) { Other("RestoreDrawingState"); }
void RecordingRenderTarget::PushAxisAlignedClip(const D2D1_RECT_F*, D2D1_ANTIALIAS_MODE) { Other("PushAxisAlignedClip"); }
void RecordingRenderTarget::PopAxisAlignedClip() { Other("PopAxisAlignedClip"); }
void RecordingRenderTarget::BeginDraw() { Other("BeginDraw"); }
HRESULT RecordingRenderTarget::EndDraw(D2D1_TAG*, D2D1_TAG*) { Other("EndDraw"); return S_OK; }
void RecordingRenderTarget::SetDpi(FLOAT, FLOAT) { Other("SetDpi"); }
