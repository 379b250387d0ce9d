// renderer_local.h: the software renderer's insides, shared by its files and its
// tests. A frame is recorded as a list of commands between BeginDraw and EndDraw
// and drawn at EndDraw in horizontal bands, each band replaying the whole list
// clipped to its rows, so the painter's order holds within every band.
//
// Pixels are premultiplied BGRA, 8 bits a channel, one uint32_t 0xAARRGGBB.
// One rounding rule throughout: x / 255 is (x + 128 + ((x + 128) >> 8)) >> 8,
// exact to the nearest integer for 0 <= x <= 65025; coverage and opacity are
// carried as k / 256 with 0 <= k <= 256, and products with them truncate.
#pragma once

#include "renderer.h"

#include <dwrite.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sw {

// ---- pixels and colours ---------------------------------------------------------------

inline uint32_t Div255(uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// A solid colour ready to blend: premultiplied channels times 255, in the order
// B, G, R, A. Colour channels may exceed 255 (components above 1.0); the blend
// saturates each channel, as an 8-bit target does.
struct SolidColour {
    uint16_t c[4];
};

constexpr uint16_t MaxColourChannel = 4080;  // 16.0 premultiplied: keeps channel * 256 within 20 bits

// `colour` times `opacity`, premultiplied and scaled; components are not clamped
// above (only to MaxColourChannel), alpha is clamped to 0..1.
SolidColour MakeSolidColour(const D2D1_COLOR_F& colour, float opacity);

// Coverage (or opacity) as k / 256, rounded to nearest, clamped to 0..256.
inline uint16_t ToUnit256(float f)
{
    if (!(f > 0))
        return 0;
    if (f >= 1)
        return 256;
    return static_cast<uint16_t>(f * 256.0f + 0.5f);
}

// dst[i] = saturate(colour * cov[i] / 256 + dst[i] * (255 - alpha * cov[i] / 256) / 255).
void BlendSolidSpan(uint32_t* dst, const uint16_t* cov, int n, const SolidColour& colour, bool plain);
void BlendSolidSpanPlain(uint32_t* dst, const uint16_t* cov, int n, const SolidColour& colour);

// One premultiplied source pixel over dst, scaled by k / 256 (opacity times coverage).
inline uint32_t BlendPixel(uint32_t dst, uint32_t src, uint32_t k)
{
    uint32_t out = 0;
    uint32_t sa = ((src >> 24) * k) >> 8;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = (((src >> shift) & 0xFF) * k) >> 8;
        uint32_t d = (dst >> shift) & 0xFF;
        uint32_t v = s + Div255(d * (255 - sa));
        out |= (v > 255 ? 255 : v) << shift;
    }
    return out;
}

// Bilinear blend of four premultiplied pixels with weights fx, fy in 0..256 (the
// share of the right and the lower pixel): rows first, then columns, each step
// rounded to nearest.
inline uint32_t Bilerp(uint32_t p00, uint32_t p01, uint32_t p10, uint32_t p11, uint32_t fx, uint32_t fy)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t top = (((p00 >> shift) & 0xFF) * (256 - fx) + ((p01 >> shift) & 0xFF) * fx + 128) >> 8;
        uint32_t bottom = (((p10 >> shift) & 0xFF) * (256 - fx) + ((p11 >> shift) & 0xFF) * fx + 128) >> 8;
        out |= ((top * (256 - fy) + bottom * fy + 128) >> 8) << shift;
    }
    return out;
}

// ---- shapes ---------------------------------------------------------------------------

// The rasteriser samples each pixel row on SubRows horizontal lines and measures
// the covered length of each line exactly, so coverage is an area to within one
// sub-row: every shape below is one interval on any horizontal line.
constexpr int SubRows = 16;

// One convex region, cut by horizontal lines.
struct Convex {
    enum Kind : uint8_t { Empty, Stroke, Ellipse, RoundRect };
    // Stroke: a segment swept by its half-width r, with a disc of radius r at
    // each end that has a round cap. On the line at height y, with q = y - y0,
    // the body reaches from max(x0 + (ta - q tg) th, x0 + (sa - q sg) sh) to
    // min(x0 + (tb - q tg) th, x0 + (sb - q sg) sh): the bounds along the
    // segment (t) and across it (s), each x as a function of q; a bound that a
    // nearly axis-parallel segment does not have is at -Huge or Huge.
    struct StrokeShape {
        float x0, y0, x1, y1;
        float r, rr;                 // half-width and its square
        float bodyTop, bodyBottom;   // heights the body spans
        float ta, tb, tg, th;
        float sa, sb, sg, sh;
        bool body, disc0, disc1;
    };
    struct EllipseShape {
        float cx, cy, rx, ry;
    };
    // Left x0, top y0, right x1, bottom y1, corner radii rx and ry.
    struct RoundRectShape {
        float x0, y0, x1, y1, rx, ry;
    };

    Kind kind = Empty;
    float top = 0, bottom = 0, left = 0, right = 0;  // extent
    union {
        StrokeShape stroke;
        EllipseShape ellipse;
        RoundRectShape roundRect;
    };
    Convex() : stroke() {}
};

Convex MakeStroke(D2D1_POINT_2F p0, D2D1_POINT_2F p1, float width, D2D1_CAP_STYLE startCap, D2D1_CAP_STYLE endCap);
Convex MakeEllipse(float cx, float cy, float rx, float ry);
Convex MakeRoundRect(float left, float top, float right, float bottom, float rx, float ry);

// The region's interval on each of the SubRows lines of pixel row y (at heights
// y + (s + 0.5) / SubRows), as xl[s] .. xr[s]; a line that misses it gets
// xl = Huge, xr = -Huge. The plain version gives the same numbers one line at a time.
constexpr float Huge = 1e30f;
void ConvexSpans(const Convex& c, int y, float* xl, float* xr, bool plain);

// ---- commands -------------------------------------------------------------------------

// The pixels of a bitmap: premultiplied BGRA, rows of `stride` pixels, with one
// spare row and a few spare pixels after the last so that the fast loops may
// read a texel beyond the edge that they then weigh at zero.
struct BitmapPixels {
    int width, height, stride;
    const uint32_t* pixels;
};

struct TextMask;   // coverage of a laid-out text

enum class CommandKind : uint8_t { Clear, Shape, Bitmap, Text };

struct ShapeCommand {
    Convex outer;
    Convex inner;  // cut out of `outer` (outlines); Empty for fills and lines
    SolidColour colour;
};

// Destination pixel centre X maps to source u = u0 + X * su (v likewise); the
// samples are clamped to the source rectangle [sx0, sx1) x [sy0, sy1) in texels.
struct BitmapCommand {
    const uint32_t* pixels;
    int stride;                  // pixels per source row
    int sx0, sy0, sx1, sy1;
    float dl, dt, dr, db;        // destination rectangle
    double u0, v0, su, sv;
    uint16_t opacity;            // k / 256
};

struct TextCommand {
    const TextMask* mask;
    SolidColour colour;
};

struct Command {
    CommandKind kind;
    union {
        uint32_t clearPixel;
        ShapeCommand shape;
        BitmapCommand bitmap;
        TextCommand text;
    };
    Command() : kind(CommandKind::Clear), clearPixel(0) {}
};

// Rows [top, bottom) a command may touch, kept apart from the commands so that a
// band scans 4 bytes per command to find its work.
struct RowSpan {
    int16_t top, bottom;
};

// ---- drawing a band -------------------------------------------------------------------

// Scratch rows of one drawing thread, sized for the target's width once.
struct BandScratch {
    std::vector<uint16_t> cov;       // width: coverage of one pixel row, k / 256
    std::vector<int32_t> column;     // width: source column of each destination column
    std::vector<uint16_t> weight;    // width: its bilinear weight
    std::vector<uint16_t> edge;      // width: its coverage by the destination rectangle
    void Size(int width);
};

struct FrameView {
    uint32_t* pixels;
    int width, height;
    const Command* commands;
    const RowSpan* spans;
    size_t count;
    bool plain;
};

void DrawBand(const FrameView& frame, int y0, int y1, BandScratch& scratch);
void DrawShapeRows(const FrameView& frame, const ShapeCommand& c, int y0, int y1, BandScratch& scratch);
void DrawBitmapRows(const FrameView& frame, const BitmapCommand& c, int y0, int y1, BandScratch& scratch);
void DrawTextRows(const FrameView& frame, const TextCommand& c, int y0, int y1, BandScratch& scratch);

// Fills in the source mapping and clamp rectangle of a DrawBitmap; false if it draws nothing.
bool MapBitmap(const BitmapPixels& bitmap, const D2D1_RECT_F& dest, const D2D1_RECT_F& source, float opacity,
               BitmapCommand* out);

// ---- text -----------------------------------------------------------------------------

// A text laid out and rasterised once by DirectWrite, kept as coverage.
struct TextMask {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> coverage;  // width x height, top row first
};

// The texts a target has drawn, each rasterised by DirectWrite the first time it
// is drawn and kept for later frames. Full cache: the oldest entry makes room.
class TextCache {
public:
    TextCache(UINT width, UINT height);
    ~TextCache();
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    // The coverage of this DrawText in frame `frame`, or NULL if the platform
    // cannot draw it.
    const TextMask* Find(const WCHAR* text, UINT length, IDWriteTextFormat* format, const D2D1_RECT_F& layout,
                         D2D1_DRAW_TEXT_OPTIONS options, DWRITE_MEASURING_MODE measuring, unsigned long frame);

private:
    struct Entry;
    static constexpr int Capacity = 16;
    HRESULT Rasterise(Entry& e);

    IDWriteFactory* dwrite_ = nullptr;  // the shared factory, from the first text on
    UINT width_, height_;
    Entry* settings_;                   // the settings of the format being looked up
    std::vector<Entry*> entries_;
};

// ---- threads --------------------------------------------------------------------------

// Worker threads that draw the bands of a frame with the calling thread. Bands
// are handed out one at a time, so a busy band does not hold up the others.
class BandWorkers {
public:
    explicit BandWorkers(int threads, int width);
    ~BandWorkers();
    BandWorkers(const BandWorkers&) = delete;
    BandWorkers& operator=(const BandWorkers&) = delete;

    void Draw(const FrameView& frame);

private:
    static DWORD WINAPI ThreadMain(void* self);
    bool DrawBands(int thread);

    int threads_;
    int bandCount_ = 0;
    const FrameView* frame_ = nullptr;
    std::vector<BandScratch> scratch_;      // one per thread; [0] is the caller's
    std::vector<HANDLE> handles_;
    SRWLOCK lock_ = SRWLOCK_INIT;           // guards generation_ and quit_
    CONDITION_VARIABLE wake_ = CONDITION_VARIABLE_INIT;  // a frame is out, or quit
    CONDITION_VARIABLE done_ = CONDITION_VARIABLE_INIT;  // a frame's last band is done
    unsigned long generation_ = 0;          // frames handed out so far
    bool quit_ = false;
    volatile LONG nextBand_ = 0;
    volatile LONG bandsDone_ = 0;
};

// Counts a call to a method the software renderer does not implement.
void NoteUnsupported();

}  // namespace sw
