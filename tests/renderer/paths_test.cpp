// The fast paths against the plain ones, and one band against several: random
// frames of every kind of call must come out the same, pixel for pixel.
#include "renderer_fixture.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr UINT Width = 203, Height = 131;  // not a multiple of 4 or of a band

// A 97 x 61 bitmap in 8 x 8 blocks that are wholly transparent, wholly opaque,
// semi-transparent, or a mixture pixel by pixel: the fast loops skip, store and
// blend whole groups of four pixels by what they hold.
Pixels Pattern(std::mt19937& rng)
{
    const UINT w = 97, h = 61;
    std::vector<int> blockKind((w / 8 + 1) * (h / 8 + 1));
    for (int& k : blockKind)
        k = static_cast<int>(rng() % 4);
    Pixels px(w * h);
    for (UINT y = 0; y < h; y++)
        for (UINT x = 0; x < w; x++) {
            int kind = blockKind[(y / 8) * (w / 8 + 1) + x / 8];
            if (kind == 3)
                kind = static_cast<int>(rng() % 3);
            uint32_t a = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256;
            uint32_t p = a << 24;
            for (int ch = 0; ch < 3; ch++)
                p |= (a == 0 ? 0 : rng() % (a + 1)) << (8 * ch);
            px[y * w + x] = p;
        }
    return px;
}

float Uniform(std::mt19937& rng, float lo, float hi)
{
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

// Components now and then far above 1.0 (past the renderer's 16.0 limit too).
D2D1_COLOR_F RandomColour(std::mt19937& rng)
{
    float top = rng() % 3 == 0 ? 20.0f : 1.0f;
    return D2D1::ColorF(Uniform(rng, 0, top), Uniform(rng, 0, top), Uniform(rng, 0, top), Uniform(rng, 0, 1));
}

// A frame of `calls` random drawing calls; the same seed gives the same calls
// on any target.
DrawFn RandomFrame(unsigned seed, int calls, IWICBitmapSource* pattern, IWICBitmapSource* sheet)
{
    return [=](ID2D1RenderTarget* rt) {
        std::mt19937 rng(seed);
        ComPtr<ID2D1Bitmap> bitmaps[2] = {Upload(rt, pattern), Upload(rt, sheet)};
        ComPtr<ID2D1SolidColorBrush> brush = Brush(rt, D2D1::ColorF(0, 0, 0, 1));
        ComPtr<ID2D1StrokeStyle> caps[3] = {Caps(D2D1_CAP_STYLE_FLAT), Caps(D2D1_CAP_STYLE_ROUND),
                                            Caps(D2D1_CAP_STYLE_SQUARE)};
        rt->Clear(D2D1::ColorF(0x203040, 1.0f));
        auto x = [&] { return Uniform(rng, -30, Width + 30); };
        auto y = [&] { return Uniform(rng, -30, Height + 30); };
        for (int i = 0; i < calls; i++) {
            brush->SetColor(RandomColour(rng));
            brush->SetOpacity(rng() % 4 == 0 ? Uniform(rng, 0, 1) : 1.0f);
            float width = Uniform(rng, 0.5f, 12);
            switch (rng() % 6) {
            case 0: {
                D2D1_POINT_2F p0 = {x(), y()};
                D2D1_POINT_2F p1 = rng() % 8 == 0 ? p0 : D2D1::Point2F(x(), y());
                rt->DrawLine(p0, p1, brush.Get(), width, caps[rng() % 3].Get());
                break;
            }
            case 1: rt->FillEllipse(D2D1::Ellipse(D2D1::Point2F(x(), y()), Uniform(rng, 0.2f, 40), Uniform(rng, 0.2f, 40)), brush.Get()); break;
            case 2: rt->DrawEllipse(D2D1::Ellipse(D2D1::Point2F(x(), y()), Uniform(rng, 0.2f, 40), Uniform(rng, 0.2f, 40)), brush.Get(), width); break;
            case 3: rt->DrawRectangle(D2D1::RectF(x(), y(), x(), y()), brush.Get(), width); break;
            case 4:
                rt->DrawRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(x(), y(), x(), y()), Uniform(rng, 0, 20), Uniform(rng, 0, 20)),
                                         brush.Get(), width);
                break;
            default: {
                // Source rectangles, now and then at a fraction, drawn 1:1 at integer or
                // fractional offsets, or scaled.
                ID2D1Bitmap* b = bitmaps[rng() % 2].Get();
                D2D1_SIZE_U size = b->GetPixelSize();
                UINT sw = std::min<UINT>(size.width, 1 + rng() % 90), sh = std::min<UINT>(size.height, 1 + rng() % 60);
                float sx = static_cast<float>(rng() % (size.width - sw + 1)), sy = static_cast<float>(rng() % (size.height - sh + 1));
                if (rng() % 4 == 0)
                    sx += Uniform(rng, 0, 1), sy += Uniform(rng, 0, 1);  // may reach past the bitmap's edge
                float dx = static_cast<float>(static_cast<int>(x())), dy = static_cast<float>(static_cast<int>(y()));
                if (rng() % 2)
                    dx += (rng() % 8) / 8.0f, dy += Uniform(rng, 0, 1);
                float dw = static_cast<float>(sw), dh = static_cast<float>(sh);
                if (rng() % 3 == 0)
                    dw *= Uniform(rng, 0.3f, 2.5f), dh *= Uniform(rng, 0.3f, 2.5f);
                float opacity = rng() % 2 ? 1.0f : Uniform(rng, 0, 1);
                rt->DrawBitmap(b, D2D1::RectF(dx, dy, dx + dw, dy + dh), opacity, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR,
                               D2D1::RectF(sx, sy, sx + sw, sy + sh));
            }
            }
        }
    };
}

int DifferentPixels(const Pixels& a, const Pixels& b)
{
    int n = 0;
    for (size_t i = 0; i < a.size(); i++)
        n += a[i] != b[i];
    return n;
}

class FastPaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::mt19937 rng(7);
        pattern = MakeWicBitmap(97, 61, Pattern(rng));
        // The player's ship and the fighter: real sprites with soft edges.
        sheet = LoadSheet(L"images\\jiki1.png", {0, 0, 110, 100});
    }
    ComPtr<IWICBitmap> pattern, sheet;
};

}  // namespace

TEST_F(FastPaths, GiveThePlainPathsPixels)
{
    SoftwareRenderOptions plain, fast;
    plain.plainPaths = true;
    for (unsigned seed = 1; seed <= 6; seed++) {
        DrawFn frame = RandomFrame(seed, 300, pattern.Get(), sheet.Get());
        Pixels expected = DrawSoftware(Width, Height, plain, frame);
        EXPECT_EQ(DifferentPixels(DrawSoftware(Width, Height, fast, frame), expected), 0) << "seed " << seed;
    }
}

TEST_F(FastPaths, OneBandAtATimeOrFourThreadsDrawTheSame)
{
    SoftwareRenderOptions one, four;
    one.threads = 1;
    four.threads = 4;
    for (unsigned seed = 11; seed <= 13; seed++) {
        DrawFn frame = RandomFrame(seed, 300, pattern.Get(), sheet.Get());
        EXPECT_EQ(DifferentPixels(DrawSoftware(Width, Height, four, frame), DrawSoftware(Width, Height, one, frame)), 0)
            << "seed " << seed;
    }
}
