// tee_target.h: a render target that hands every drawing call of a game frame to
// several real targets at once, each drawing with its own brush, sheets, text
// format and stroke style, so that one step of the game is drawn by all of them.
#pragma once

#include "game_resources.h"
#include "recording_target.h"

#include <cstdint>
#include <vector>

// One real target and the program's resources made for it.
struct TeeSink {
    ID2D1RenderTarget* target = nullptr;
    GameResources res;
};

// A line as the game asked for it: the picture comparison needs its ends.
struct TeeLine {
    D2D1_POINT_2F p0, p1;
    float width;
};

class TeeBrush : public RecordingBrush {
public:
    explicit TeeBrush(const std::vector<TeeSink>& sinks) : RecordingBrush(nullptr), sinks_(sinks) {}
    void STDMETHODCALLTYPE SetColor(const D2D1_COLOR_F* c) override;
    void STDMETHODCALLTYPE SetOpacity(FLOAT opacity) override;
    using RecordingBrush::SetColor;

private:
    const std::vector<TeeSink>& sinks_;
};

class TeeTextFormat : public RecordingTextFormat {
public:
    explicit TeeTextFormat(const std::vector<TeeSink>& sinks) : RecordingTextFormat(nullptr), sinks_(sinks) {}
    HRESULT STDMETHODCALLTYPE SetTextAlignment(DWRITE_TEXT_ALIGNMENT a) override;
    HRESULT STDMETHODCALLTYPE SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT a) override;

private:
    const std::vector<TeeSink>& sinks_;
};

// Stands for one sheet; each sink draws its own bitmap of that sheet.
class TeeBitmap : public FakeBitmap {
public:
    explicit TeeBitmap(ID2D1Bitmap* GameResources::*sheet) : sheet(sheet) {}
    ID2D1Bitmap* GameResources::*sheet;
};

// The game draws through this target and the globals below; any call it does not
// forward lands in the inherited `log`, which a test expects to stay empty.
class TeeTarget : public RecordingRenderTarget {
    std::vector<TeeSink> sinks_;  // first: the brush and the format refer to it

public:
    explicit TeeTarget(std::vector<TeeSink> sinks)
        : sinks_(std::move(sinks)), brush(sinks_), format(sinks_), sprites(&GameResources::sprites),
          background(&GameResources::background)
    {
    }

    TeeBrush brush;
    TeeTextFormat format;
    TeeBitmap sprites, background;
    // What the game passes as its stroke style: each sink gets its own.
    ID2D1StrokeStyle* stroke() const { return sinks_.front().res.roundStroke; }

    std::vector<TeeLine> lines;  // since BeginDraw
    uint32_t draws = 0;          // drawing calls since BeginDraw, counted as the counting target counts them
    uint32_t texts = 0;
    HRESULT endDraw = S_OK;      // the first failure of any sink's EndDraw

    void STDMETHODCALLTYPE DrawLine(D2D1_POINT_2F p0, D2D1_POINT_2F p1, ID2D1Brush* brush, FLOAT width,
                                    ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE DrawRectangle(const D2D1_RECT_F* rect, ID2D1Brush* brush, FLOAT width,
                                         ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE DrawRoundedRectangle(const D2D1_ROUNDED_RECT* rr, ID2D1Brush* brush, FLOAT width,
                                                ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE DrawEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* brush, FLOAT width,
                                       ID2D1StrokeStyle* stroke) override;
    void STDMETHODCALLTYPE FillEllipse(const D2D1_ELLIPSE* e, ID2D1Brush* brush) override;
    void STDMETHODCALLTYPE DrawBitmap(ID2D1Bitmap* bitmap, const D2D1_RECT_F* dest, FLOAT opacity,
                                      D2D1_BITMAP_INTERPOLATION_MODE mode, const D2D1_RECT_F* source) override;
    void STDMETHODCALLTYPE DrawText(const WCHAR* text, UINT length, IDWriteTextFormat* format,
                                    const D2D1_RECT_F* layout, ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options,
                                    DWRITE_MEASURING_MODE measuring) override;
    void STDMETHODCALLTYPE Clear(const D2D1_COLOR_F* colour) override;
    void STDMETHODCALLTYPE BeginDraw() override;
    HRESULT STDMETHODCALLTYPE EndDraw(D2D1_TAG* tag1, D2D1_TAG* tag2) override;

    using RecordingRenderTarget::Clear;
    using RecordingRenderTarget::DrawBitmap;
    using RecordingRenderTarget::DrawEllipse;
    using RecordingRenderTarget::DrawRectangle;
    using RecordingRenderTarget::DrawRoundedRectangle;
    using RecordingRenderTarget::FillEllipse;

private:
    ID2D1Brush* Brush(ID2D1Brush* b, const TeeSink& s) const { return b == &brush ? s.res.brush : b; }
    ID2D1StrokeStyle* Stroke(ID2D1StrokeStyle* st, const TeeSink& s) const { return st == stroke() ? s.res.roundStroke : st; }
};
