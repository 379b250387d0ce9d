// bitmaps.cpp: DrawBitmap with linear interpolation. Each destination pixel
// centre is mapped into the source rectangle and sampled bilinearly between the
// four nearest texel centres, clamped to the source rectangle; the destination
// rectangle's fractional edges cover their pixels in part. The plain loop does
// every pixel alike; the fast loop takes the common 1:1 case four pixels at a
// time, skipping what is wholly transparent and storing what is wholly opaque.
#include "renderer_local.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>

namespace sw {

namespace {

inline int Clamp(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// Splits a sample position into its left texel and the weight of the right one.
inline void SplitSample(double t, int* texel, uint16_t* weight)
{
    double f = std::floor(t);
    int i = static_cast<int>(f);
    uint16_t w = ToUnit256(static_cast<float>(t - f));
    if (w == 256) {
        i += 1;
        w = 0;
    }
    *texel = i;
    *weight = w;
}

// The share of pixel [p, p + 1) inside [lo, hi), as k / 256.
inline uint16_t EdgeCover(int p, float lo, float hi)
{
    float a = std::max(static_cast<float>(p), lo), b = std::min(static_cast<float>(p + 1), hi);
    return ToUnit256(b - a);
}

// ---- four pixels at a time -------------------------------------------------------------

// a * (256 - w) + b * w, rounded, >> 8, in 16-bit lanes.
inline __m128i Lerp16(__m128i a, __m128i b, __m128i w, __m128i wInv)
{
    const __m128i c128 = _mm_set1_epi16(128);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(a, wInv), _mm_mullo_epi16(b, w)), c128), 8);
}

// Bilinear sample of four adjacent pixels: row a and row b, each at x and x + 1.
template <bool Horizontal, bool Vertical>
inline __m128i Sample4(const uint32_t* a, const uint32_t* b, __m128i wx, __m128i wxInv, __m128i wy, __m128i wyInv,
                       bool* empty)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    __m128i any = a0, a1 = zero, b0 = zero, b1 = zero;
    if (Horizontal) {
        a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 1));
        any = _mm_or_si128(any, a1);
    }
    if (Vertical) {
        b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
        any = _mm_or_si128(any, b0);
        if (Horizontal) {
            b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 1));
            any = _mm_or_si128(any, b1);
        }
    }
    *empty = _mm_movemask_epi8(_mm_cmpeq_epi32(any, zero)) == 0xFFFF;
    if (*empty || (!Horizontal && !Vertical))
        return a0;
    __m128i lo, hi;
    if (Horizontal) {
        lo = Lerp16(_mm_unpacklo_epi8(a0, zero), _mm_unpacklo_epi8(a1, zero), wx, wxInv);
        hi = Lerp16(_mm_unpackhi_epi8(a0, zero), _mm_unpackhi_epi8(a1, zero), wx, wxInv);
    } else {
        lo = _mm_unpacklo_epi8(a0, zero);
        hi = _mm_unpackhi_epi8(a0, zero);
    }
    if (Vertical) {
        __m128i blo, bhi;
        if (Horizontal) {
            blo = Lerp16(_mm_unpacklo_epi8(b0, zero), _mm_unpacklo_epi8(b1, zero), wx, wxInv);
            bhi = Lerp16(_mm_unpackhi_epi8(b0, zero), _mm_unpackhi_epi8(b1, zero), wx, wxInv);
        } else {
            blo = _mm_unpacklo_epi8(b0, zero);
            bhi = _mm_unpackhi_epi8(b0, zero);
        }
        lo = Lerp16(lo, blo, wy, wyInv);
        hi = Lerp16(hi, bhi, wy, wyInv);
    }
    return _mm_packus_epi16(lo, hi);
}

// Two premultiplied pixels (16-bit lanes) scaled by k / 256 over two destination pixels.
inline __m128i Over16(__m128i src, __m128i dst, __m128i k)
{
    const __m128i c255 = _mm_set1_epi16(255), c128 = _mm_set1_epi16(128);
    src = _mm_srli_epi16(_mm_mullo_epi16(src, k), 8);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(src, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(dst, _mm_sub_epi16(c255, alpha)), c128);
    t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    return _mm_add_epi16(src, t);
}

// Four sampled pixels onto dst: stored as they are where all four are opaque and
// k is whole, blended otherwise.
inline void Put4(uint32_t* dst, __m128i s, uint16_t k)
{
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    if (k == 256 && _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alphaMask), alphaMask)) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), s);
        return;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i kv = _mm_set1_epi16(static_cast<short>(k));
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    __m128i lo = Over16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), kv);
    __m128i hi = Over16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), kv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(lo, hi));
}

template <bool Horizontal, bool Vertical>
void Run4(uint32_t* dst, const uint32_t* a, const uint32_t* b, int n, uint16_t fx, uint16_t fy, uint16_t k)
{
    const __m128i wx = _mm_set1_epi16(static_cast<short>(fx)), wxInv = _mm_set1_epi16(static_cast<short>(256 - fx));
    const __m128i wy = _mm_set1_epi16(static_cast<short>(fy)), wyInv = _mm_set1_epi16(static_cast<short>(256 - fy));
    for (int i = 0; i < n; i += 4) {
        bool empty;
        __m128i s = Sample4<Horizontal, Vertical>(a + i, b + i, wx, wxInv, wy, wyInv, &empty);
        if (!empty)
            Put4(dst + i, s, k);
    }
}

// Columns [x0, x0 + n) of a 1:1 row whose samples all lie inside the source
// rectangle and whose pixels the destination rectangle covers whole; n is a
// multiple of 4. Row a starts at the texel of column x0, row b below it.
void UnitScaleRun(uint32_t* dst, const uint32_t* a, const uint32_t* b, int n, uint16_t fx, uint16_t fy, uint16_t k)
{
    if (fx != 0 && fy != 0)
        Run4<true, true>(dst, a, b, n, fx, fy, k);
    else if (fx != 0)
        Run4<true, false>(dst, a, b, n, fx, fy, k);
    else if (fy != 0)
        Run4<false, true>(dst, a, b, n, fx, fy, k);
    else
        Run4<false, false>(dst, a, b, n, fx, fy, k);
}

// Columns [x, x + n) of a scaled row (n a multiple of 4), each sampling its own
// texel pair from the tables, all inside the source rectangle and covered whole.
void ScaledRun(uint32_t* dst, const uint32_t* a, const uint32_t* b, const int32_t* column, const uint16_t* weight,
               int n, uint16_t fy, uint16_t k)
{
    const __m128i zero = _mm_setzero_si128(), c256 = _mm_set1_epi16(256);
    const __m128i wy = _mm_set1_epi16(static_cast<short>(fy)), wyInv = _mm_set1_epi16(static_cast<short>(256 - fy));
    for (int i = 0; i < n; i += 4) {
        const int32_t* t = column + i;
        __m128i a0 = _mm_set_epi32(static_cast<int>(a[t[3]]), static_cast<int>(a[t[2]]), static_cast<int>(a[t[1]]),
                                   static_cast<int>(a[t[0]]));
        __m128i a1 = _mm_set_epi32(static_cast<int>(a[t[3] + 1]), static_cast<int>(a[t[2] + 1]),
                                   static_cast<int>(a[t[1] + 1]), static_cast<int>(a[t[0] + 1]));
        __m128i b0 = _mm_set_epi32(static_cast<int>(b[t[3]]), static_cast<int>(b[t[2]]), static_cast<int>(b[t[1]]),
                                   static_cast<int>(b[t[0]]));
        __m128i b1 = _mm_set_epi32(static_cast<int>(b[t[3] + 1]), static_cast<int>(b[t[2] + 1]),
                                   static_cast<int>(b[t[1] + 1]), static_cast<int>(b[t[0] + 1]));
        __m128i any = _mm_or_si128(_mm_or_si128(a0, a1), _mm_or_si128(b0, b1));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(any, zero)) == 0xFFFF)
            continue;
        // Each pixel's weight in its four lanes.
        __m128i w4 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(weight + i));
        __m128i ww = _mm_unpacklo_epi16(w4, w4);
        __m128i wLo = _mm_unpacklo_epi32(ww, ww), wHi = _mm_unpackhi_epi32(ww, ww);
        __m128i lo = Lerp16(_mm_unpacklo_epi8(a0, zero), _mm_unpacklo_epi8(a1, zero), wLo, _mm_sub_epi16(c256, wLo));
        __m128i hi = Lerp16(_mm_unpackhi_epi8(a0, zero), _mm_unpackhi_epi8(a1, zero), wHi, _mm_sub_epi16(c256, wHi));
        __m128i blo = Lerp16(_mm_unpacklo_epi8(b0, zero), _mm_unpacklo_epi8(b1, zero), wLo, _mm_sub_epi16(c256, wLo));
        __m128i bhi = Lerp16(_mm_unpackhi_epi8(b0, zero), _mm_unpackhi_epi8(b1, zero), wHi, _mm_sub_epi16(c256, wHi));
        lo = Lerp16(lo, blo, wy, wyInv);
        hi = Lerp16(hi, bhi, wy, wyInv);
        Put4(dst + i, _mm_packus_epi16(lo, hi), k);
    }
}

}  // namespace

// The destination rectangle maps linearly onto the source rectangle; a pixel
// centre X samples at texel coordinate u0 + X * su, where texel i's centre is i.
bool MapBitmap(const BitmapPixels& bitmap, const D2D1_RECT_F& dest, const D2D1_RECT_F& source, float opacity,
               BitmapCommand* out)
{
    float dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    float sw = source.right - source.left, sh = source.bottom - source.top;
    if (!(dw > 0 && dh > 0 && sw > 0 && sh > 0))
        return false;
    BitmapCommand& c = *out;
    c.pixels = bitmap.pixels;
    c.stride = bitmap.stride;
    c.sx0 = Clamp(static_cast<int>(std::floor(source.left)), 0, bitmap.width);
    c.sy0 = Clamp(static_cast<int>(std::floor(source.top)), 0, bitmap.height);
    c.sx1 = Clamp(static_cast<int>(std::ceil(source.right)), 0, bitmap.width);
    c.sy1 = Clamp(static_cast<int>(std::ceil(source.bottom)), 0, bitmap.height);
    if (c.sx0 >= c.sx1 || c.sy0 >= c.sy1)
        return false;
    c.dl = dest.left;
    c.dt = dest.top;
    c.dr = dest.right;
    c.db = dest.bottom;
    c.su = static_cast<double>(sw) / dw;
    c.sv = static_cast<double>(sh) / dh;
    c.u0 = source.left - 0.5 - dest.left * c.su;
    c.v0 = source.top - 0.5 - dest.top * c.sv;
    c.opacity = ToUnit256(opacity);
    return c.opacity > 0;
}

void DrawBitmapRows(const FrameView& frame, const BitmapCommand& c, int y0, int y1, BandScratch& scratch)
{
    const int width = frame.width;
    int cx0 = std::max(0, static_cast<int>(std::floor(c.dl)));
    int cx1 = std::min(width, static_cast<int>(std::ceil(c.dr)));
    int ry0 = std::max(y0, static_cast<int>(std::floor(c.dt)));
    int ry1 = std::min(y1, static_cast<int>(std::ceil(c.db)));
    if (cx0 >= cx1 || ry0 >= ry1)
        return;

    // Each column's left texel, its weight and its coverage by the destination.
    // At a 1:1 scale (fast loops only) the texel steps by one and the weight
    // stays, so only the first column is worked out; otherwise a table holds them.
    const bool unit = !frame.plain && c.su == 1.0;
    int32_t* column = scratch.column.data();
    uint16_t* weight = scratch.weight.data();
    uint16_t* edge = scratch.edge.data();
    int column0 = 0;
    uint16_t weight0 = 0;
    if (unit) {
        SplitSample(c.u0 + (cx0 + 0.5), &column0, &weight0);
    } else {
        for (int x = cx0; x < cx1; x++) {
            SplitSample(c.u0 + (x + 0.5) * c.su, &column[x], &weight[x]);
            edge[x] = EdgeCover(x, c.dl, c.dr);
        }
    }

    // The fast loop's columns: whole pixels whose two texels lie in the source
    // rectangle (the right one only matters with a weight), a multiple of four.
    int fast0 = cx1, fast1 = cx1;
    if (unit) {
        int shift = cx0 - column0;  // column x samples texel x - shift
        fast0 = std::max({cx0, static_cast<int>(std::ceil(c.dl)), c.sx0 + shift});
        fast1 = std::min({cx1, static_cast<int>(std::floor(c.dr)), (weight0 != 0 ? c.sx1 - 1 : c.sx1) + shift});
    } else if (!frame.plain && c.su > 0) {
        // Texels only grow with the column, so the columns inside make one run.
        for (int x = cx0; x < cx1; x++) {
            bool inside = edge[x] == 256 && column[x] >= c.sx0 && column[x] + 1 <= c.sx1 - 1;
            if (inside && fast0 == cx1)
                fast0 = x;
            if (inside)
                fast1 = x + 1;
            else if (fast0 != cx1)
                break;
        }
    }
    if (fast1 - fast0 < 4)
        fast0 = fast1 = cx1;
    else
        fast1 = fast0 + (fast1 - fast0) / 4 * 4;

    for (int y = ry0; y < ry1; y++) {
        int texelY;
        uint16_t fy;
        SplitSample(c.v0 + (y + 0.5) * c.sv, &texelY, &fy);
        const uint32_t* rowA = c.pixels + static_cast<size_t>(Clamp(texelY, c.sy0, c.sy1 - 1)) * c.stride;
        const uint32_t* rowB = c.pixels + static_cast<size_t>(Clamp(texelY + 1, c.sy0, c.sy1 - 1)) * c.stride;
        uint16_t kRow = static_cast<uint16_t>((c.opacity * EdgeCover(y, c.dt, c.db)) >> 8);
        if (kRow == 0)
            continue;
        uint32_t* dst = frame.pixels + static_cast<size_t>(y) * width;
        if (rowA == rowB)
            fy = 0;  // clamped at the top or bottom: both rows are one
        for (int x = cx0; x < cx1; x++) {
            if (x == fast0) {
                if (unit) {
                    int texel = column0 + (x - cx0);
                    UnitScaleRun(dst + x, rowA + texel, rowB + texel, fast1 - fast0, weight0, fy, kRow);
                } else {
                    ScaledRun(dst + x, rowA, rowB, column + x, weight + x, fast1 - fast0, fy, kRow);
                }
                x = fast1 - 1;
                continue;
            }
            int texel = unit ? column0 + (x - cx0) : column[x];
            uint16_t fx = unit ? weight0 : weight[x];
            int ia = Clamp(texel, c.sx0, c.sx1 - 1), ib = Clamp(texel + 1, c.sx0, c.sx1 - 1);
            uint32_t s = Bilerp(rowA[ia], rowA[ib], rowB[ia], rowB[ib], fx, fy);
            if (s == 0)
                continue;
            uint16_t cover = unit ? EdgeCover(x, c.dl, c.dr) : edge[x];
            dst[x] = BlendPixel(dst[x], s, (kRow * cover) >> 8);
        }
    }
}

}  // namespace sw
