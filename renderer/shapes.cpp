// shapes.cpp: lines, ellipses and outlines as anti-aliased coverage. Each pixel
// row is cut by SubRows horizontal lines; every shape meets a line in one
// interval (an outline is one shape less another), and a pixel's coverage is the
// covered length of its stretch of each line, averaged: an area to within one
// sub-row. Pixels that every line covers whole are taken as a run; only the
// fringes are summed. The fast path computes four lines at a time with SSE and
// gives the very numbers of the plain path, which does one line at a time in the
// same order of operations.
#include "renderer_local.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>

namespace sw {

namespace {

constexpr float AxisEpsilon = 1e-6f;
constexpr float SubRowHeight = 1.0f / SubRows;

inline float SubRowY(int y, int s)
{
    return static_cast<float>(y) + (static_cast<float>(s) + 0.5f) * SubRowHeight;
}

// ---- one line at a time ------------------------------------------------------------------

// The disc of radius sqrt(rr) at (cx, cy), widening [l, r] where the line meets it.
void Disc(float y, float cx, float cy, float rr, float* l, float* r)
{
    float q = y - cy;
    float h2 = rr - q * q;
    if (h2 > 0) {
        float h = std::sqrt(h2);
        *l = std::min(*l, cx - h);
        *r = std::max(*r, cx + h);
    }
}

void StrokeSpan(const Convex::StrokeShape& c, float y, float* xl, float* xr)
{
    float l = Huge, r = -Huge;
    if (c.body && y >= c.bodyTop && y <= c.bodyBottom) {
        float q = y - c.y0;
        float bl = std::max(c.x0 + (c.ta - q * c.tg) * c.th, c.x0 + (c.sa - q * c.sg) * c.sh);
        float br = std::min(c.x0 + (c.tb - q * c.tg) * c.th, c.x0 + (c.sb - q * c.sg) * c.sh);
        if (bl < br) {
            l = bl;
            r = br;
        }
    }
    if (c.disc0)
        Disc(y, c.x0, c.y0, c.rr, &l, &r);
    if (c.disc1)
        Disc(y, c.x1, c.y1, c.rr, &l, &r);
    *xl = l;
    *xr = r;
}

void EllipseSpan(const Convex::EllipseShape& c, float y, float* xl, float* xr)
{
    float q = (y - c.cy) / c.ry;
    float h2 = 1 - q * q;
    *xl = Huge;
    *xr = -Huge;
    if (h2 > 0) {
        float h = c.rx * std::sqrt(h2);
        *xl = c.cx - h;
        *xr = c.cx + h;
    }
}

// The corners' inset at height y: rx (1 - sqrt(1 - q^2)), q the depth into a
// corner band in units of ry.
void RoundRectSpan(const Convex::RoundRectShape& c, float y, float* xl, float* xr)
{
    *xl = Huge;
    *xr = -Huge;
    if (!(y > c.y0 && y < c.y1))
        return;
    float q = std::max(std::max((c.y0 + c.ry - y) / c.ry, (y - (c.y1 - c.ry)) / c.ry), 0.0f);
    float inset = c.rx * (1 - std::sqrt(std::max(1 - q * q, 0.0f)));
    float l = c.x0 + inset, r = c.x1 - inset;
    if (l < r) {
        *xl = l;
        *xr = r;
    }
}

void ConvexSpansPlain(const Convex& c, int y, float* xl, float* xr)
{
    for (int s = 0; s < SubRows; s++) {
        float sy = SubRowY(y, s);
        switch (c.kind) {
        case Convex::Stroke: StrokeSpan(c.stroke, sy, &xl[s], &xr[s]); break;
        case Convex::Ellipse: EllipseSpan(c.ellipse, sy, &xl[s], &xr[s]); break;
        case Convex::RoundRect: RoundRectSpan(c.roundRect, sy, &xl[s], &xr[s]); break;
        default: xl[s] = Huge; xr[s] = -Huge; break;
        }
    }
}

// ---- four lines at a time ------------------------------------------------------------------

inline __m128 Select(__m128 mask, __m128 a, __m128 b)
{
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

inline __m128 SubRowY4(int y, int s)
{
    const __m128 base = _mm_set1_ps(static_cast<float>(y));
    const __m128 offsets = _mm_set_ps(SubRowY(0, s + 3), SubRowY(0, s + 2), SubRowY(0, s + 1), SubRowY(0, s));
    return _mm_add_ps(base, offsets);
}

// The disc of radius sqrt(rr) at (cx, cy), widening [l, r] where the lines meet it.
inline void Disc4(__m128 y, float cx, float cy, float rr, __m128* l, __m128* r)
{
    const __m128 zero = _mm_setzero_ps();
    __m128 q = _mm_sub_ps(y, _mm_set1_ps(cy));
    __m128 h2 = _mm_sub_ps(_mm_set1_ps(rr), _mm_mul_ps(q, q));
    __m128 hit = _mm_cmpgt_ps(h2, zero);
    __m128 h = _mm_sqrt_ps(_mm_max_ps(h2, zero));
    __m128 x = _mm_set1_ps(cx);
    *l = Select(hit, _mm_min_ps(*l, _mm_sub_ps(x, h)), *l);
    *r = Select(hit, _mm_max_ps(*r, _mm_add_ps(x, h)), *r);
}

void StrokeSpans4(const Convex::StrokeShape& c, __m128 y, __m128* xl, __m128* xr)
{
    __m128 l = _mm_set1_ps(Huge), r = _mm_set1_ps(-Huge);
    if (c.body) {
        const __m128 x0 = _mm_set1_ps(c.x0);
        __m128 q = _mm_sub_ps(y, _mm_set1_ps(c.y0));
        __m128 qt = _mm_mul_ps(q, _mm_set1_ps(c.tg)), qs = _mm_mul_ps(q, _mm_set1_ps(c.sg));
        __m128 th = _mm_set1_ps(c.th), sh = _mm_set1_ps(c.sh);
        __m128 bl = _mm_max_ps(_mm_add_ps(x0, _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(c.ta), qt), th)),
                               _mm_add_ps(x0, _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(c.sa), qs), sh)));
        __m128 br = _mm_min_ps(_mm_add_ps(x0, _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(c.tb), qt), th)),
                               _mm_add_ps(x0, _mm_mul_ps(_mm_sub_ps(_mm_set1_ps(c.sb), qs), sh)));
        __m128 rows = _mm_and_ps(_mm_cmpge_ps(y, _mm_set1_ps(c.bodyTop)), _mm_cmple_ps(y, _mm_set1_ps(c.bodyBottom)));
        __m128 in = _mm_and_ps(rows, _mm_cmplt_ps(bl, br));
        l = Select(in, bl, l);
        r = Select(in, br, r);
    }
    if (c.disc0)
        Disc4(y, c.x0, c.y0, c.rr, &l, &r);
    if (c.disc1)
        Disc4(y, c.x1, c.y1, c.rr, &l, &r);
    *xl = l;
    *xr = r;
}

void EllipseSpans4(const Convex::EllipseShape& c, __m128 y, __m128* xl, __m128* xr)
{
    const __m128 zero = _mm_setzero_ps();
    __m128 q = _mm_div_ps(_mm_sub_ps(y, _mm_set1_ps(c.cy)), _mm_set1_ps(c.ry));
    __m128 h2 = _mm_sub_ps(_mm_set1_ps(1.0f), _mm_mul_ps(q, q));
    __m128 hit = _mm_cmpgt_ps(h2, zero);
    __m128 h = _mm_mul_ps(_mm_set1_ps(c.rx), _mm_sqrt_ps(_mm_max_ps(h2, zero)));
    __m128 cx = _mm_set1_ps(c.cx);
    *xl = Select(hit, _mm_sub_ps(cx, h), _mm_set1_ps(Huge));
    *xr = Select(hit, _mm_add_ps(cx, h), _mm_set1_ps(-Huge));
}

void RoundRectSpans4(const Convex::RoundRectShape& c, __m128 y, __m128* xl, __m128* xr)
{
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f), ry = _mm_set1_ps(c.ry);
    __m128 top = _mm_div_ps(_mm_sub_ps(_mm_set1_ps(c.y0 + c.ry), y), ry);
    __m128 bottom = _mm_div_ps(_mm_sub_ps(y, _mm_set1_ps(c.y1 - c.ry)), ry);
    __m128 q = _mm_max_ps(_mm_max_ps(top, bottom), zero);
    __m128 depth = _mm_sqrt_ps(_mm_max_ps(_mm_sub_ps(one, _mm_mul_ps(q, q)), zero));
    __m128 inset = _mm_mul_ps(_mm_set1_ps(c.rx), _mm_sub_ps(one, depth));
    __m128 l = _mm_add_ps(_mm_set1_ps(c.x0), inset), r = _mm_sub_ps(_mm_set1_ps(c.x1), inset);
    __m128 in = _mm_and_ps(_mm_and_ps(_mm_cmpgt_ps(y, _mm_set1_ps(c.y0)), _mm_cmplt_ps(y, _mm_set1_ps(c.y1))),
                           _mm_cmplt_ps(l, r));
    *xl = Select(in, l, _mm_set1_ps(Huge));
    *xr = Select(in, r, _mm_set1_ps(-Huge));
}

void ConvexSpans4(const Convex& c, int y, float* xl, float* xr)
{
    for (int s = 0; s < SubRows; s += 4) {
        __m128 sy = SubRowY4(y, s), l, r;
        switch (c.kind) {
        case Convex::Stroke: StrokeSpans4(c.stroke, sy, &l, &r); break;
        case Convex::Ellipse: EllipseSpans4(c.ellipse, sy, &l, &r); break;
        case Convex::RoundRect: RoundRectSpans4(c.roundRect, sy, &l, &r); break;
        default: l = _mm_set1_ps(Huge); r = _mm_set1_ps(-Huge); break;
        }
        _mm_storeu_ps(xl + s, l);
        _mm_storeu_ps(xr + s, r);
    }
}

// ---- coverage of a pixel ---------------------------------------------------------------

// The covered length of [x, x + 1) on every line, summed as four running lanes
// (line s into lane s % 4), then lanes 0 + 2 and 1 + 3, then those two: the
// order the SSE sum takes.
float CoveredLengthPlain(const float* xl, const float* xr, float x)
{
    float lane[4] = {0, 0, 0, 0};
    for (int s = 0; s < SubRows; s++) {
        float covered = std::min(xr[s], x + 1.0f) - std::max(xl[s], x);
        lane[s % 4] += std::max(covered, 0.0f);
    }
    return (lane[0] + lane[2]) + (lane[1] + lane[3]);
}

float CoveredLength4(const float* xl, const float* xr, float x)
{
    const __m128 px = _mm_set1_ps(x), px1 = _mm_set1_ps(x + 1.0f), zero = _mm_setzero_ps();
    __m128 sum = zero;
    for (int s = 0; s < SubRows; s += 4) {
        __m128 covered = _mm_sub_ps(_mm_min_ps(_mm_loadu_ps(xr + s), px1), _mm_max_ps(_mm_loadu_ps(xl + s), px));
        sum = _mm_add_ps(sum, _mm_max_ps(covered, zero));
    }
    __m128 half = _mm_add_ps(sum, _mm_movehl_ps(sum, sum));
    return _mm_cvtss_f32(_mm_add_ss(half, _mm_shuffle_ps(half, half, _MM_SHUFFLE(1, 1, 1, 1))));
}

}  // namespace

void ConvexSpans(const Convex& c, int y, float* xl, float* xr, bool plain)
{
    if (plain)
        ConvexSpansPlain(c, y, xl, xr);
    else
        ConvexSpans4(c, y, xl, xr);
}

Convex MakeStroke(D2D1_POINT_2F p0, D2D1_POINT_2F p1, float width, D2D1_CAP_STYLE startCap, D2D1_CAP_STYLE endCap)
{
    Convex c;
    c.kind = Convex::Stroke;
    Convex::StrokeShape& s = c.stroke;
    s.x0 = p0.x;
    s.y0 = p0.y;
    s.x1 = p1.x;
    s.y1 = p1.y;
    s.r = std::fabs(width) * 0.5f;
    s.rr = s.r * s.r;
    float ex = p1.x - p0.x, ey = p1.y - p0.y;
    float length = std::sqrt(ex * ex + ey * ey);
    float dx = length > 0 ? ex / length : 1.0f;
    float dy = length > 0 ? ey / length : 0.0f;
    // Square caps lengthen the body by the half-width; round caps add a disc;
    // flat caps (and triangle ones, which nothing here draws) add nothing.
    float t0 = startCap == D2D1_CAP_STYLE_SQUARE ? -s.r : 0.0f;
    float t1 = length + (endCap == D2D1_CAP_STYLE_SQUARE ? s.r : 0.0f);
    s.disc0 = startCap == D2D1_CAP_STYLE_ROUND && s.r > 0;
    s.disc1 = endCap == D2D1_CAP_STYLE_ROUND && s.r > 0;
    s.body = t1 > t0 && s.r > 0;

    // Along: t = (x - x0) dx + q dy in [t0, t1], so x = x0 + (t - q dy) / dx.
    // Across: (x - x0) dy - q dx in [-r, r], so x = x0 + (s + q dx) / dy.
    if (std::fabs(dx) >= AxisEpsilon) {
        s.tg = dy;
        s.th = 1.0f / dx;
        s.ta = dx > 0 ? t0 : t1;
        s.tb = dx > 0 ? t1 : t0;
    } else {
        s.tg = 0;
        s.th = 1;
        s.ta = -Huge;
        s.tb = Huge;
    }
    if (std::fabs(dy) >= AxisEpsilon) {
        s.sg = -dx;
        s.sh = 1.0f / dy;
        s.sa = dy > 0 ? -s.r : s.r;
        s.sb = dy > 0 ? s.r : -s.r;
    } else {
        s.sg = 0;
        s.sh = 1;
        s.sa = -Huge;
        s.sb = Huge;
    }
    // The body's corners bound the heights it spans.
    float top = Huge, bottom = -Huge;
    for (float t : {t0, t1})
        for (float side : {-s.r, s.r}) {
            float y = p0.y + t * dy + side * dx;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    s.bodyTop = top;
    s.bodyBottom = bottom;

    float reach = s.r * 1.5f;  // covers the square caps' corners (r * sqrt 2)
    c.left = std::min(p0.x, p1.x) - reach;
    c.right = std::max(p0.x, p1.x) + reach;
    c.top = std::min(p0.y, p1.y) - reach;
    c.bottom = std::max(p0.y, p1.y) + reach;
    return c;
}

Convex MakeEllipse(float cx, float cy, float rx, float ry)
{
    Convex c;
    c.ellipse = {cx, cy, std::fabs(rx), std::fabs(ry)};
    c.kind = c.ellipse.rx > 0 && c.ellipse.ry > 0 ? Convex::Ellipse : Convex::Empty;
    c.left = cx - c.ellipse.rx;
    c.right = cx + c.ellipse.rx;
    c.top = cy - c.ellipse.ry;
    c.bottom = cy + c.ellipse.ry;
    return c;
}

Convex MakeRoundRect(float left, float top, float right, float bottom, float rx, float ry)
{
    Convex c;
    c.kind = Convex::RoundRect;
    Convex::RoundRectShape& s = c.roundRect;
    s.x0 = std::min(left, right);
    s.x1 = std::max(left, right);
    s.y0 = std::min(top, bottom);
    s.y1 = std::max(top, bottom);
    s.rx = std::min(std::max(rx, 0.0f), (s.x1 - s.x0) * 0.5f);
    s.ry = std::min(std::max(ry, 0.0f), (s.y1 - s.y0) * 0.5f);
    if (!(s.rx > 0 && s.ry > 0)) {
        // Square corners: no inset anywhere (q is 0 with a unit ry, and rx is 0).
        s.rx = 0;
        s.ry = 1;
    }
    c.left = s.x0;
    c.right = s.x1;
    c.top = s.y0;
    c.bottom = s.y1;
    return c;
}

void DrawShapeRows(const FrameView& frame, const ShapeCommand& c, int y0, int y1, BandScratch& scratch)
{
    const int width = frame.width;
    const float fullWidth = static_cast<float>(width);
    uint16_t* cov = scratch.cov.data();
    float xl[SubRows], xr[SubRows], il[SubRows], ir[SubRows];
    const bool hasInner = c.inner.kind != Convex::Empty;
    float (*covered)(const float*, const float*, float) = frame.plain ? CoveredLengthPlain : CoveredLength4;
    for (int y = y0; y < y1; y++) {
        ConvexSpans(c.outer, y, xl, xr, frame.plain);
        float lo = Huge, hi = -Huge, innerL = -Huge, innerR = Huge;
        for (int s = 0; s < SubRows; s++) {
            lo = std::min(lo, xl[s]);
            hi = std::max(hi, xr[s]);
            innerL = std::max(innerL, xl[s]);
            innerR = std::min(innerR, xr[s]);
        }
        if (!(lo < hi))
            continue;
        int x0 = static_cast<int>(std::floor(std::max(lo, 0.0f)));
        int x1 = static_cast<int>(std::ceil(std::min(hi, fullWidth)));
        if (x0 >= x1)
            continue;
        // Pixels every line covers whole; an empty line (Huge, -Huge) leaves none.
        int full0 = x1, full1 = x1;
        if (!hasInner && innerL < innerR) {
            full0 = std::min(x1, static_cast<int>(std::ceil(std::max(innerL, 0.0f))));
            full1 = std::max(full0, static_cast<int>(std::floor(std::min(innerR, fullWidth))));
        }
        if (hasInner)
            ConvexSpans(c.inner, y, il, ir, frame.plain);
        for (int x = x0; x < x1; x++) {
            if (x == full0 && full1 > full0) {
                std::fill(cov + full0, cov + full1, static_cast<uint16_t>(256));
                x = full1 - 1;
                continue;
            }
            float fx = static_cast<float>(x);
            float length = covered(xl, xr, fx);
            if (hasInner)
                length -= covered(il, ir, fx);
            cov[x] = ToUnit256(length * SubRowHeight);
        }
        BlendSolidSpan(frame.pixels + static_cast<size_t>(y) * width + x0, cov + x0, x1 - x0, c.colour, frame.plain);
    }
}

}  // namespace sw
