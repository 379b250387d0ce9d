// tee_target.cpp: the tee render target, brush and text format.
#include "tee_target.h"

void TeeBrush::SetColor(const D2D1_COLOR_F* c)
{
    colour = *c;
    for (const TeeSink& s : sinks_)
        s.res.brush->SetColor(c);
}

void TeeBrush::SetOpacity(FLOAT opacity)
{
    for (const TeeSink& s : sinks_)
        s.res.brush->SetOpacity(opacity);
}

HRESULT TeeTextFormat::SetTextAlignment(DWRITE_TEXT_ALIGNMENT a)
{
    alignment = a;
    HRESULT hr = S_OK;
    for (const TeeSink& s : sinks_) {
        HRESULT one = s.res.largeFormat->SetTextAlignment(a);
        if (SUCCEEDED(hr))
            hr = one;
    }
    return hr;
}

HRESULT TeeTextFormat::SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT a)
{
    HRESULT hr = S_OK;
    for (const TeeSink& s : sinks_) {
        HRESULT one = s.res.largeFormat->SetParagraphAlignment(a);
        if (SUCCEEDED(hr))
            hr = one;
    }
    return hr;
}

void TeeTarget::DrawLine(D2D1_POINT_2F p0, D2D1_POINT_2F p1, ID2D1Brush* b, FLOAT width, ID2D1StrokeStyle* st)
{
    lines.push_back({p0, p1, width});
    draws += 1;
    for (const TeeSink& s : sinks_)
        s.target->DrawLine(p0, p1, Brush(b, s), width, Stroke(st, s));
}

void TeeTarget::DrawRectangle(const D2D1_RECT_F* rect, ID2D1Brush* b, FLOAT width, ID2D1StrokeStyle* st)
{
    draws += 1;
    for (const TeeSink& s : sinks_)
        s.target->DrawRectangle(rect, Brush(b, s), width, Stroke(st, s));
}

void TeeTarget::DrawRoundedRectangle(const D2D1_ROUNDED_RECT* rr, ID2D1Brush* b, FLOAT width, ID2D1StrokeStyle* st)
{
    draws += 1;
    for (const TeeSink& s : sinks_)
        s.target->DrawRoundedRectangle(rr, Brush(b, s), width, Stroke(st, s));
}

void TeeTarget::DrawEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* b, FLOAT width, ID2D1StrokeStyle* st)
{
    draws += 1;
    for (const TeeSink& s : sinks_)
        s.target->DrawEllipse(e, Brush(b, s), width, Stroke(st, s));
}

void TeeTarget::FillEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* b)
{
    draws += 1;
    for (const TeeSink& s : sinks_)
        s.target->FillEllipse(e, Brush(b, s));
}

void TeeTarget::DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* dest, FLOAT opacity,
                           D2D1_BITMAP_INTERPOLATION_MODE mode, const D2D1_RECT_F* source)
{
    draws += 1;
    const TeeBitmap* tee = bitmap == &sprites ? &sprites : bitmap == &background ? &background : nullptr;
    for (const TeeSink& s : sinks_)
        s.target->DrawBitmap(tee != nullptr ? s.res.*tee->sheet : bitmap, dest, opacity, mode, source);
}

void TeeTarget::DrawText(const WCHAR* text, UINT length, IDWriteTextFormat* f, const D2D1_RECT_F* layout,
                         ID2D1Brush* b, D2D1_DRAW_TEXT_OPTIONS options, DWRITE_MEASURING_MODE measuring)
{
    draws += 1;
    texts += 1;
    for (const TeeSink& s : sinks_)
        s.target->DrawText(text, length, f == &format ? s.res.largeFormat : f, layout, Brush(b, s), options, measuring);
}

void TeeTarget::Clear(const D2D1_COLOR_F* colour)
{
    for (const TeeSink& s : sinks_)
        s.target->Clear(colour);
}

void TeeTarget::BeginDraw()
{
    lines.clear();
    draws = 0;
    texts = 0;
    endDraw = S_OK;
    for (const TeeSink& s : sinks_)
        s.target->BeginDraw();
}

HRESULT TeeTarget::EndDraw(D2D1_TAG* tag1, D2D1_TAG* tag2)
{
    for (const TeeSink& s : sinks_) {
        HRESULT hr = s.target->EndDraw(tag1, tag2);
        if (SUCCEEDED(endDraw))
            endDraw = hr;
    }
    return endDraw;
}
