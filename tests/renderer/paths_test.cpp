// The fast paths against the plain ones, and one band against several: random
// frames of every kind of call must come out the same, pixel for pixel.
#include "renderer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

constexpr UINT Width = 203, Height = 131;  // not a multiple of 4 pixels or of a band's rows

// `calls` random drawing calls, the same on any target for one seed: colours
// now and then far above 1.0 (past the renderer's limit of 16.0 too), any caps,
// zero-length lines, outlines, and bitmaps from source rectangles that may end
// at a fraction, drawn 1:1 at integer or fractional offsets or scaled, at any
// opacity; anything may reach off the target.
DrawFn RandomFrame(unsigned seed, int calls, IWICBitmapSource* pattern, IWICBitmapSource* sprites)
{
    return [=](ID2D1RenderTarget* rt) {
        std::mt19937 rng(seed);
        auto u = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
        auto x = [&] { return u(-30, Width + 30); };
        auto y = [&] { return u(-30, Height + 30); };
        ComPtr<ID2D1Bitmap> bitmaps[2] = {Upload(rt, pattern), Upload(rt, sprites)};
        ComPtr<ID2D1StrokeStyle> caps[3] = {Caps(D2D1_CAP_STYLE_FLAT), Caps(D2D1_CAP_STYLE_ROUND),
                                            Caps(D2D1_CAP_STYLE_SQUARE)};
        ComPtr<ID2D1SolidColorBrush> brush = Brush(rt, D2D1::ColorF(0, 0, 0, 1));
        rt->Clear(D2D1::ColorF(0x203040, 1.0f));
        for (int i = 0; i < calls; i++) {
            float top = rng() % 3 == 0 ? 20.0f : 1.0f, r = u(0, top), g = u(0, top), b = u(0, top);
            brush->SetColor(D2D1::ColorF(r, g, b, u(0, 1)));
            brush->SetOpacity(rng() % 4 == 0 ? u(0, 1) : 1.0f);
            float width = u(0.5f, 12), x0 = x(), y0 = y(), x1 = x(), y1 = y(), rx = u(0.2f, 40), ry = u(0.2f, 40);
            switch (rng() % 6) {
            case 0:
                rt->DrawLine({x0, y0}, rng() % 8 ? D2D1::Point2F(x1, y1) : D2D1::Point2F(x0, y0), brush.Get(), width,
                             caps[rng() % 3].Get());
                break;
            case 1: rt->FillEllipse(D2D1::Ellipse({x0, y0}, rx, ry), brush.Get()); break;
            case 2: rt->DrawEllipse(D2D1::Ellipse({x0, y0}, rx, ry), brush.Get(), width); break;
            case 3: rt->DrawRectangle(D2D1::RectF(x0, y0, x1, y1), brush.Get(), width); break;
            case 4:
                rt->DrawRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(x0, y0, x1, y1), rx / 2, ry / 2), brush.Get(),
                                         width);
                break;
            default: {
                ID2D1Bitmap* bitmap = bitmaps[rng() % 2].Get();
                D2D1_SIZE_U size = bitmap->GetPixelSize();
                UINT sw = std::min<UINT>(size.width, 1 + rng() % 90), sh = std::min<UINT>(size.height, 1 + rng() % 60);
                float sx = static_cast<float>(rng() % (size.width - sw + 1)),
                      sy = static_cast<float>(rng() % (size.height - sh + 1));
                if (rng() % 4 == 0)
                    sx += u(0, 1), sy += u(0, 1);
                float dx = std::floor(x0), dy = std::floor(y0), dw = static_cast<float>(sw),
                      dh = static_cast<float>(sh);
                if (rng() % 2)
                    dx += (rng() % 8) / 8.0f, dy += u(0, 1);
                if (rng() % 3 == 0)
                    dw *= u(0.3f, 2.5f), dh *= u(0.3f, 2.5f);
                rt->DrawBitmap(bitmap, D2D1::RectF(dx, dy, dx + dw, dy + dh), rng() % 2 ? 1.0f : u(0, 1),
                               D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, D2D1::RectF(sx, sy, sx + sw, sy + sh));
            }
            }
        }
    };
}

// Random frames drawn with each set of options; how many pixels differ.
void ExpectSamePictures(const SoftwareRenderOptions& a, const SoftwareRenderOptions& b, unsigned seed, unsigned last,
                        IWICBitmapSource* pattern, IWICBitmapSource* sprites)
{
    for (; seed <= last; seed++) {
        DrawFn frame = RandomFrame(seed, 600, pattern, sprites);
        Pixels pa = DrawSoftware(Width, Height, a, frame), pb = DrawSoftware(Width, Height, b, frame);
        long differ = 0;
        for (size_t i = 0; i < pa.size(); i++)
            differ += pa[i] != pb[i];
        EXPECT_EQ(differ, 0) << "seed " << seed;
    }
}

class FastPaths : public ::testing::Test {
protected:
    // The pattern's blocks make the fast loops skip, store and blend groups of
    // four; the ship and the fighter are real sprites with soft edges.
    ComPtr<IWICBitmap> pattern = MakeWicBitmap(97, 61, BlockPattern(97, 61, 7));
    ComPtr<IWICBitmap> sprites = LoadSheet(L"images\\jiki1.png", {0, 0, 110, 100});
};

}  // namespace

TEST_F(FastPaths, GiveThePlainPathsPixels)
{
    SoftwareRenderOptions plain;
    plain.plainPaths = true;
    ExpectSamePictures(SoftwareRenderOptions(), plain, 1, 12, pattern.Get(), sprites.Get());
}

TEST_F(FastPaths, OneThreadAndFourThreadsDrawTheSame)
{
    SoftwareRenderOptions one, four;
    one.threads = 1;
    four.threads = 4;
    ExpectSamePictures(one, four, 11, 13, pattern.Get(), sprites.Get());
}
