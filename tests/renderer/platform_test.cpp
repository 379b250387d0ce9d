// Pictures of the software renderer against the platform's Direct2D (a WIC
// bitmap target, under Wine): bitmaps, over-bright line colours and the stage
// texts. The bounds are per channel, 0..255, and were measured under Wine 8.
#include "renderer_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <random>
#include <string>

namespace {

// The largest channel difference over the pixels `compared` accepts, where.
struct Worst {
    int diff = 0, x = -1, y = -1;
};

Worst Compare(const Pixels& a, const Pixels& b, UINT w, const std::function<bool(int, int)>& compared)
{
    Worst worst;
    for (size_t i = 0; i < a.size(); i++) {
        int x = static_cast<int>(i % w), y = static_cast<int>(i / w);
        int d = ChannelDiff(a[i], b[i]);
        if (d > worst.diff && compared(x, y))
            worst = {d, x, y};
    }
    return worst;
}

void Report(const std::string& what, const Worst& w)
{
    std::cout << what << ": worst channel difference " << w.diff << " at (" << w.x << ", " << w.y << ")\n";
    ::testing::Test::RecordProperty(what, w.diff);
}

// Bitmaps and their destination rectangle's pixels.
struct BitmapCase {
    const char* name;
    IWICBitmapSource* bitmap;
    D2D1_RECT_F dest, source;
    float opacity;
};

// Under Wine the platform draws a destination pixel whole if its centre is in
// the rectangle and not at all otherwise (no edge anti-aliasing), and samples
// across the edge of a source rectangle that lies inside the bitmap (the
// software renderer clamps to it, as the platform's documentation says). Both
// are left out: the pixels the rectangle covers in part, and those whose sample
// needs texels beyond the source rectangle. The rest must agree.
bool Comparable(const BitmapCase& c, int x, int y)
{
    UINT bw = 0, bh = 0;
    c.bitmap->GetSize(&bw, &bh);
    auto axis = [](int p, float lo, float hi, float slo, float shi, UINT size, bool* inside) {
        if (p + 1 <= lo || p >= hi) {
            *inside = false;
            return true;  // wholly outside: the background on both
        }
        *inside = true;
        if (p < lo || p + 1 > hi)
            return false;
        double t = slo - 0.5 + (p + 0.5 - lo) * (shi - slo) / (hi - lo);
        return !((std::floor(slo) > 0 && t < std::floor(slo)) || (std::ceil(shi) < size && t > std::ceil(shi) - 1));
    };
    bool insideX, insideY;
    bool okX = axis(x, c.dest.left, c.dest.right, c.source.left, c.source.right, bw, &insideX);
    bool okY = axis(y, c.dest.top, c.dest.bottom, c.source.top, c.source.bottom, bh, &insideY);
    return !(insideX && insideY) || (okX && okY);
}

// A 64 x 48 pattern: random premultiplied colours in 8 x 8 blocks that are
// opaque, transparent, or of alpha growing across the bitmap.
Pixels Pattern()
{
    std::mt19937 rng(3);
    Pixels px(64 * 48);
    for (UINT y = 0; y < 48; y++)
        for (UINT x = 0; x < 64; x++) {
            uint32_t kind = (x / 8 + y / 8) % 3, a = kind == 0 ? 255 : kind == 1 ? 0 : (x * 7 + y * 3) % 256;
            uint32_t p = a << 24;
            for (int ch = 0; ch < 3; ch++)
                p |= (rng() % (a + 1)) << (8 * ch);
            px[y * 64 + x] = p;
        }
    return px;
}

DrawFn DrawOne(const BitmapCase& c, uint32_t background)
{
    return [=](ID2D1RenderTarget* rt) {
        rt->Clear(D2D1::ColorF(background, 1.0f));
        rt->DrawBitmap(Upload(rt, c.bitmap).Get(), c.dest, c.opacity, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, c.source);
    };
}

}  // namespace

// Measured: 0 at full opacity, 1 below it (rounding of the opacity).
TEST(AgainstDirect2D, BitmapsAgreeAwayFromFractionalEdges)
{
    ComPtr<IWICBitmap> pattern = MakeWicBitmap(64, 48, Pattern());
    // The ship, the fighter and the option with their neighbours on the sheet.
    ComPtr<IWICBitmap> sheet = LoadSheet(L"images\\jiki1.png", {0, 0, 160, 100});
    const D2D1_RECT_F whole = {0, 0, 64, 48}, part = {16, 8, 48, 32};
    const BitmapCase cases[] = {
        {"1:1", pattern.Get(), {20, 30, 84, 78}, whole, 1},
        {"1:1 at a quarter", pattern.Get(), {20.25f, 30.5f, 84.25f, 78.5f}, whole, 1},
        {"1:1 at a half, opacity 0.5", pattern.Get(), {20.5f, 30.75f, 84.5f, 78.75f}, whole, 0.5f},
        {"opacity 0.3", pattern.Get(), {20, 30, 84, 78}, whole, 0.3f},
        {"part at a half", pattern.Get(), {20.5f, 30.5f, 52.5f, 54.5f}, part, 1},
        {"enlarged", pattern.Get(), {20, 30, 120, 90}, whole, 1},
        {"part enlarged", pattern.Get(), {20.3f, 30, 120.3f, 110}, part, 1},
        {"reduced", pattern.Get(), {20, 30, 64.8f, 63.6f}, whole, 0.8f},
        {"off the top left", pattern.Get(), {-20.5f, -10.25f, 43.5f, 37.75f}, whole, 1},
        {"off the bottom right", pattern.Get(), {220.5f, 170.25f, 284.5f, 218.25f}, whole, 1},
        {"ship", sheet.Get(), {20, 30, 70, 130}, {0, 0, 50, 100}, 1},
        {"ship at a fraction", sheet.Get(), {20.4f, 30.7f, 70.4f, 130.7f}, {0, 0, 50, 100}, 1},
        {"fighter, opacity 0.6", sheet.Get(), {120.5f, 30.5f, 180.5f, 90.5f}, {50, 0, 110, 60}, 0.6f},
        {"option enlarged", sheet.Get(), {150, 100, 225, 205}, {110, 30, 160, 100}, 1},
    };
    for (const BitmapCase& c : cases) {
        DrawFn draw = DrawOne(c, 0x336699);
        Pixels sw = DrawSoftware(256, 200, SoftwareRenderOptions(), draw);
        Pixels d2d = DrawPlatform(256, 200, draw);
        Worst w = Compare(sw, d2d, 256, [&](int x, int y) { return Comparable(c, x, y); });
        Report(std::string("bitmap ") + c.name, w);
        EXPECT_LE(w.diff, c.opacity < 1 ? 1 : 0) << c.name << " at (" << w.x << ", " << w.y << ")";
    }
}

// The stage picture, 1200 wide, squeezed into the 600-wide field: every pixel
// is the mean of two texels. Measured: 0.
TEST(AgainstDirect2D, StagePictureSqueezedTwoToOne)
{
    ComPtr<IWICBitmap> back = LoadSheet(L"images\\back01.png", {0, 0, 1800, 768});
    BitmapCase c = {"stage picture", back.Get(), {0, 0, 600, 768}, {600, 0, 1800, 768}, 1};
    DrawFn draw = DrawOne(c, 0x000000);
    Pixels sw = DrawSoftware(600, 768, SoftwareRenderOptions(), draw);
    Pixels d2d = DrawPlatform(600, 768, draw);
    Worst w = Compare(sw, d2d, 600, [](int, int) { return true; });
    Report("stage picture", w);
    EXPECT_EQ(w.diff, 0) << "at (" << w.x << ", " << w.y << ")";
}

// The glow's halo: 5 times the core colour at alpha 0.5, 8 wide. Premultiplied
// components above 1.0 saturate channel by channel; the others keep their
// share. Under Wine the platform draws lines without anti-aliasing and with flat
// ends whatever the caps, so only the pixels the line covers whole, away from
// its ends, are compared. Measured: 0.
TEST(AgainstDirect2D, OverBrightHaloSaturatesEachChannel)
{
    const D2D1_POINT_2F lines[][2] = {{{20, 20.5f}, {180, 20.5f}}, {{20.3f, 50.6f}, {180.2f, 130.1f}}};
    for (uint32_t core : {0x00AA00u, 0xFF8020u})
        for (uint32_t background : {0x000000u, 0x4080C1u}) {
            D2D1_COLOR_F halo = D2D1::ColorF(core, 0.5f);
            halo.r *= 5, halo.g *= 5, halo.b *= 5;
            DrawFn draw = [&](ID2D1RenderTarget* rt) {
                rt->Clear(D2D1::ColorF(background, 1.0f));
                ComPtr<ID2D1SolidColorBrush> brush = Brush(rt, halo);
                for (const auto& l : lines)
                    rt->DrawLine(l[0], l[1], brush.Get(), 8, Caps(D2D1_CAP_STYLE_ROUND).Get());
            };
            Pixels sw = DrawSoftware(200, 150, SoftwareRenderOptions(), draw);
            Pixels d2d = DrawPlatform(200, 150, draw);
            // Whole pixels: all four corners within the body, 4 or more from the ends.
            auto middle = [&](int x, int y) {
                for (const auto& l : lines) {
                    double ex = l[1].x - l[0].x, ey = l[1].y - l[0].y, len = std::hypot(ex, ey);
                    bool all = true;
                    for (int corner = 0; corner < 4; corner++) {
                        double px = x + corner % 2 - l[0].x, py = y + corner / 2 - l[0].y;
                        double t = (px * ex + py * ey) / len, s = (px * ey - py * ex) / len;
                        all = all && t >= 4 && t <= len - 4 && std::fabs(s) <= 4;
                    }
                    if (all)
                        return true;
                }
                return false;
            };
            Worst w = Compare(sw, d2d, 200, middle);
            char name[64];
            snprintf(name, sizeof name, "halo %06X over %06X", core, background);
            Report(name, w);
            EXPECT_EQ(w.diff, 0) << name << " at (" << w.x << ", " << w.y << ")";
            // The middle of the first line holds the expected pixel, whatever both renderers do.
            uint32_t mid = sw[20 * 200 + 100];
            EXPECT_EQ(Channel(mid, 1), 255) << name;
        }
}

// The three stage texts as the game draws them. The software renderer has the
// platform rasterise each text once, as coverage, and blends the brush's colour
// through it itself. Measured: 1 (rounding of the coverage).
TEST(AgainstDirect2D, StageTextsAgree)
{
    const wchar_t* texts[] = {L"ソルカディナ\nのKESTRAVON KVN-117が\n敵対抗勢力圏内突破！",
                              L"敵帝国軍戦闘機\nVEVO2RIVIRIを\n全滅した！\nGAME CLEAR\nOVER ALL",
                              L"企画・制作\nグラフィック・BGM\nプログラム\nZEMBRIK\nQUILLANE"};
    ComPtr<IDWriteFactory> dwrite;
    ASSERT_HRESULT_SUCCEEDED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                                 reinterpret_cast<IUnknown**>(dwrite.GetAddressOf())));
    ComPtr<IDWriteTextFormat> format;
    ASSERT_HRESULT_SUCCEEDED(dwrite->CreateTextFormat(L"メイリオ", nullptr, DWRITE_FONT_WEIGHT_BLACK, DWRITE_FONT_STYLE_NORMAL,
                                                      DWRITE_FONT_STRETCH_EXTRA_EXPANDED, 56.0f, L"", &format));
    ASSERT_HRESULT_SUCCEEDED(format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER));
    for (const wchar_t* text : texts) {
        DrawFn draw = [&](ID2D1RenderTarget* rt) {
            rt->Clear(D2D1::ColorF(0x000000, 1.0f));
            rt->DrawText(text, static_cast<UINT>(wcslen(text)), format.Get(), D2D1::RectF(0, 280, 600, 300),
                         Brush(rt, D2D1::ColorF(0xFFFF00, 1.0f)).Get(), D2D1_DRAW_TEXT_OPTIONS_NONE,
                         DWRITE_MEASURING_MODE_NATURAL);
        };
        Pixels sw = DrawSoftware(600, 768, SoftwareRenderOptions(), draw);
        Pixels d2d = DrawPlatform(600, 768, draw);
        long lit = 0;
        for (uint32_t p : sw)
            lit += (p & 0xFFFFFF) != 0;
        EXPECT_GT(lit, 10000);  // some 23000 to 31000 pixels: the text is there
        Worst w = Compare(sw, d2d, 600, [](int, int) { return true; });
        Report("text " + std::to_string(text - texts[0]), w);
        EXPECT_LE(w.diff, 1) << "at (" << w.x << ", " << w.y << ")";
    }
}
