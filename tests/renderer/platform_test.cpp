// Pictures of the software renderer against the platform's Direct2D (a WIC
// bitmap target, under Wine): bitmaps, over-bright line colours and the stage
// texts. Differences are per channel, 0..255; the bounds were measured under Wine 8.
#include "renderer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

// The largest channel difference over the pixels that `compared` accepts,
// printed under `what` for the record.
int Worst(const std::string& what, const Pixels& a, const Pixels& b, UINT w,
          const std::function<bool(int, int)>& compared)
{
    int worst = 0, x = -1, y = -1;
    for (size_t i = 0; i < a.size(); i++) {
        int d = ChannelDiff(a[i], b[i]);
        if (d > worst && compared(static_cast<int>(i % w), static_cast<int>(i / w)))
            worst = d, x = static_cast<int>(i % w), y = static_cast<int>(i / w);
    }
    std::cout << what << ": worst channel difference " << worst << " at (" << x << ", " << y << ")\n";
    return worst;
}

bool All(int, int)
{
    return true;
}

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
    UINT size[2];
    c.bitmap->GetSize(&size[0], &size[1]);
    const float d[2][2] = {{c.dest.left, c.dest.right}, {c.dest.top, c.dest.bottom}};
    const float s[2][2] = {{c.source.left, c.source.right}, {c.source.top, c.source.bottom}};
    bool inside = true, ok = true;
    for (int axis = 0; axis < 2; axis++) {
        int p = axis == 0 ? x : y;
        float lo = d[axis][0], hi = d[axis][1], slo = s[axis][0], shi = s[axis][1];
        inside = inside && p + 1 > lo && p < hi;
        double t = slo - 0.5 + (p + 0.5 - lo) * (shi - slo) / (hi - lo);  // the sample, in texel centres
        ok = ok && p >= lo && p + 1 <= hi && !(std::floor(slo) > 0 && t < std::floor(slo)) &&
            !(std::ceil(shi) < size[axis] && t > std::ceil(shi) - 1);
    }
    return !inside || ok;
}

DrawFn DrawOne(const BitmapCase& c, uint32_t background)
{
    return [=](ID2D1RenderTarget* rt) {
        rt->Clear(D2D1::ColorF(background, 1.0f));
        rt->DrawBitmap(Upload(rt, c.bitmap).Get(), c.dest, c.opacity, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, c.source);
    };
}

// The stage texts' format, as the game makes it.
ComPtr<IDWriteTextFormat> StageFormat()
{
    ComPtr<IDWriteFactory> dwrite;
    ComPtr<IDWriteTextFormat> format;
    EXPECT_HRESULT_SUCCEEDED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                                 reinterpret_cast<IUnknown**>(dwrite.GetAddressOf())));
    EXPECT_HRESULT_SUCCEEDED(dwrite->CreateTextFormat(L"メイリオ", nullptr, DWRITE_FONT_WEIGHT_BLACK,
                                                      DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_EXTRA_EXPANDED,
                                                      56.0f, L"", &format));
    EXPECT_HRESULT_SUCCEEDED(format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER));
    return format;
}

DrawFn DrawStageText(const wchar_t* text, IDWriteTextFormat* format)
{
    return [=](ID2D1RenderTarget* rt) {
        rt->Clear(D2D1::ColorF(0x000000, 1.0f));
        rt->DrawText(text, static_cast<UINT>(wcslen(text)), format, D2D1::RectF(0, 280, 600, 300),
                     Brush(rt, D2D1::ColorF(0xFFFF00, 1.0f)).Get(), D2D1_DRAW_TEXT_OPTIONS_NONE,
                     DWRITE_MEASURING_MODE_NATURAL);
    };
}

// The second of two frames that draw the same text, `change` made to the format
// between them, against the platform's picture of the changed text: the text's
// coverage is kept from frame to frame, but must not outlive its layout.
void CheckTextAfterFormatChange(const char* what, const std::function<void(IDWriteTextFormat*)>& change)
{
    ComPtr<IDWriteTextFormat> format = StageFormat();
    DrawFn draw = DrawStageText(L"GAME CLEAR\nOVER ALL", format.Get());
    int frame = 0;
    DrawFn changeBeforeTheSecond = [&](ID2D1RenderTarget* rt) {
        if (frame++ == 1)
            change(format.Get());
        draw(rt);
    };
    Pixels px = DrawSoftware(600, 768, SoftwareRenderOptions(), changeBeforeTheSecond, 2);
    EXPECT_LE(Worst(what, px, DrawPlatform(600, 768, draw), 600, All), 1);
}

}  // namespace

// Measured: 0 at full opacity, 1 below it (the rounding of the opacity).
TEST(AgainstDirect2D, BitmapsAgreeAwayFromFractionalEdges)
{
    ComPtr<IWICBitmap> pattern = MakeWicBitmap(64, 48, BlockPattern(64, 48, 3));
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
        int worst = Worst(std::string("bitmap ") + c.name, DrawSoftware(256, 200, SoftwareRenderOptions(), draw),
                          DrawPlatform(256, 200, draw), 256, [&](int x, int y) { return Comparable(c, x, y); });
        EXPECT_LE(worst, c.opacity < 1 ? 1 : 0) << c.name;
    }
}

// The stage picture, 1200 wide, squeezed into the 600-wide field: every pixel
// is the mean of two texels. Measured: 0.
TEST(AgainstDirect2D, StagePictureSqueezedTwoToOne)
{
    ComPtr<IWICBitmap> back = LoadSheet(L"images\\back01.png", {0, 0, 1800, 768});
    DrawFn draw = DrawOne({"stage picture", back.Get(), {0, 0, 600, 768}, {600, 0, 1800, 768}, 1}, 0x000000);
    Pixels sw = DrawSoftware(600, 768, SoftwareRenderOptions(), draw);
    EXPECT_EQ(Worst("stage picture", sw, DrawPlatform(600, 768, draw), 600, All), 0);
}

// The glow's halo: 5 times the core colour at alpha 0.5, 8 wide. Premultiplied
// components above 1.0 saturate channel by channel; the others keep their share.
// Under Wine the platform draws lines without anti-aliasing and with flat ends
// whatever the caps, so only the pixels a line covers whole, 4 or more from its
// ends, are compared. Measured: 0.
TEST(AgainstDirect2D, OverBrightHaloSaturatesEachChannel)
{
    auto middle = [](int x, int y) {
        return (x >= 24 && x < 176 && y >= 17 && y < 24) || (x >= 97 && x < 104 && y >= 44 && y < 136);
    };
    for (uint32_t core : {0x00AA00u, 0xFF8020u})
        for (uint32_t background : {0x000000u, 0x4080C1u}) {
            D2D1_COLOR_F halo = D2D1::ColorF(core, 0.5f);
            halo.r *= 5, halo.g *= 5, halo.b *= 5;
            DrawFn draw = [&](ID2D1RenderTarget* rt) {
                rt->Clear(D2D1::ColorF(background, 1.0f));
                ComPtr<ID2D1SolidColorBrush> brush = Brush(rt, halo);
                rt->DrawLine({20, 20.5f}, {180, 20.5f}, brush.Get(), 8, Caps(D2D1_CAP_STYLE_ROUND).Get());
                rt->DrawLine({100.5f, 40}, {100.5f, 140}, brush.Get(), 8, Caps(D2D1_CAP_STYLE_ROUND).Get());
            };
            Pixels sw = DrawSoftware(200, 150, SoftwareRenderOptions(), draw);
            char name[32];
            snprintf(name, sizeof name, "halo %06X over %06X", core, background);
            EXPECT_EQ(Worst(name, sw, DrawPlatform(200, 150, draw), 200, middle), 0) << name;
            EXPECT_EQ(Channel(sw[20 * 200 + 100], 1), 255) << name;  // green 1.25 or more: saturated
        }
}

// The three stage texts as the game draws them. The software renderer has the
// platform rasterise each text once, as coverage, and blends the brush's colour
// through it itself. Measured: 1 (the rounding of the coverage).
TEST(AgainstDirect2D, StageTextsAgree)
{
    const wchar_t* texts[] = {L"ソルカディナ\nのKESTRAVON KVN-117が\n敵対抗勢力圏内突破！",
                              L"敵帝国軍戦闘機\nVEVO2RIVIRIを\n全滅した！\nGAME CLEAR\nOVER ALL",
                              L"企画・制作\nグラフィック・BGM\nプログラム\nZEMBRIK\nQUILLANE"};
    ComPtr<IDWriteTextFormat> format = StageFormat();
    for (int i = 0; i < 3; i++) {
        DrawFn draw = DrawStageText(texts[i], format.Get());
        Pixels sw = DrawSoftware(600, 768, SoftwareRenderOptions(), draw);
        EXPECT_GT(std::count_if(sw.begin(), sw.end(), [](uint32_t p) { return (p & 0xFFFFFF) != 0; }), 10000)
            << "text " << i << " is missing";  // some 23000 to 31000 pixels
        EXPECT_LE(Worst("text " + std::to_string(i), sw, DrawPlatform(600, 768, draw), 600, All), 1);
    }
}

TEST(AgainstDirect2D, TextDrawnAnewWhenItsAlignmentChanges)
{
    CheckTextAfterFormatChange("text aligned anew",
                               [](IDWriteTextFormat* f) { f->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING); });
}

// The cache once told texts apart by alignment, wrapping and direction only; after
// SetLineSpacing the second frame showed the first frame's lines.
TEST(AgainstDirect2D, TextDrawnAnewWhenItsLineSpacingChanges)
{
    CheckTextAfterFormatChange("text spaced anew", [](IDWriteTextFormat* f) {
        f->SetLineSpacing(DWRITE_LINE_SPACING_METHOD_UNIFORM, 150, 120);
    });
}
