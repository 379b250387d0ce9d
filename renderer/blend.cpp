// blend.cpp: a solid colour over a row of pixels through a row of coverage, in
// premultiplied 8-bit integers: the plain loop, and the SSE2 loop that gives the
// same pixels four at a time.
#include "renderer_local.h"

#include <emmintrin.h>

#include <algorithm>

namespace sw {

SolidColour MakeSolidColour(const D2D1_COLOR_F& colour, float opacity)
{
    float a = colour.a * opacity;
    a = std::min(std::max(a, 0.0f), 1.0f);
    SolidColour s;
    const float channels[3] = {colour.b, colour.g, colour.r};
    for (int i = 0; i < 3; i++) {
        float v = std::max(channels[i], 0.0f) * a * 255.0f + 0.5f;
        s.c[i] = static_cast<uint16_t>(std::min(v, static_cast<float>(MaxColourChannel)));
    }
    s.c[3] = static_cast<uint16_t>(a * 255.0f + 0.5f);
    return s;
}

void BlendSolidSpanPlain(uint32_t* dst, const uint16_t* cov, int n, const SolidColour& colour)
{
    for (int i = 0; i < n; i++) {
        uint32_t k = cov[i];
        if (k == 0)
            continue;
        uint32_t alpha = (colour.c[3] * k) >> 8;
        uint32_t d = dst[i], out = 0;
        for (int ch = 0; ch < 4; ch++) {
            uint32_t s = (colour.c[ch] * k) >> 8;
            uint32_t v = s + Div255(((d >> (8 * ch)) & 0xFF) * (255 - alpha));
            out |= std::min(v, 255u) << (8 * ch);
        }
        dst[i] = out;
    }
}

namespace {

// Two pixels in 16-bit lanes: colour * k >> 8 (a 20-bit product, split over the
// low and high halves), plus dst * (255 - alpha) / 255, saturated by the pack.
inline __m128i BlendTwo(__m128i dst16, __m128i k, __m128i colour)
{
    const __m128i c255 = _mm_set1_epi16(255), c128 = _mm_set1_epi16(128);
    __m128i lo = _mm_mullo_epi16(colour, k);
    __m128i hi = _mm_mulhi_epu16(colour, k);
    __m128i src = _mm_or_si128(_mm_slli_epi16(hi, 8), _mm_srli_epi16(lo, 8));
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(src, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(dst16, _mm_sub_epi16(c255, alpha)), c128);
    t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    return _mm_add_epi16(src, t);
}

}  // namespace

void BlendSolidSpan(uint32_t* dst, const uint16_t* cov, int n, const SolidColour& colour, bool plain)
{
    if (plain) {
        BlendSolidSpanPlain(dst, cov, n, colour);
        return;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i colourPair = _mm_set_epi16(colour.c[3], colour.c[2], colour.c[1], colour.c[0], colour.c[3],
                                             colour.c[2], colour.c[1], colour.c[0]);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i k4 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cov + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(k4, zero)) == 0xFFFF)
            continue;  // nothing covered
        __m128i kk = _mm_unpacklo_epi16(k4, k4);
        __m128i k01 = _mm_unpacklo_epi32(kk, kk), k23 = _mm_unpackhi_epi32(kk, kk);
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        __m128i r01 = BlendTwo(_mm_unpacklo_epi8(d, zero), k01, colourPair);
        __m128i r23 = BlendTwo(_mm_unpackhi_epi8(d, zero), k23, colourPair);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(r01, r23));
    }
    BlendSolidSpanPlain(dst + i, cov + i, n - i, colour);
}

}  // namespace sw
