// frames_test.cpp: whole game frames on the software renderer. The fixed key
// script is replayed to a few frames and each is drawn at once, through a tee, on
// the software target, on a software target held to its plain paths and on the
// platform's Direct2D: the software picture must match the platform's within a
// measured bound, and the fast paths must match the plain ones pixel for pixel.
// The pictures are written to bin/frames/ for people to look at.
#include "desktop.h"
#include "offscreen_target.h"
#include "renderer.h"
#include "replay.h"
#include "tee_target.h"

#include <dwrite.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr UINT Width = 600, Height = 720;

// Frames of the replay, 0-based as ApplyScriptKeys counts them: the opening
// picture, the first enemies, the middle of the first pass and a stage text (the
// only frames that draw text); the busiest frame of the edition joins them.
constexpr int TextFrame = 13600;
constexpr int FixedFrames[] = {1, 101, 3000, TextFrame};

struct DrawnFrame {
    int frame = 0;
    uint32_t expectedDraws = 0;  // by the counting run
    uint32_t draws = 0, texts = 0;
    HRESULT endDraw = S_OK;
    size_t unforwarded = 0;      // calls the tee does not pass on
    std::vector<TeeLine> lines;
    std::vector<uint32_t> fast, plain, platform;
};

struct FrameSet {
    std::string failure;  // why nothing could be drawn
    int busiest = -1;
    uint32_t busiestDraws = 0;
    std::vector<int> chosen;
    std::vector<DrawnFrame> frames;
};

template <class T>
void ReleaseAndClear(T** p)
{
    if (*p != nullptr) {
        (*p)->Release();
        *p = nullptr;
    }
}

// One frame with the game's resource globals pointing at the tee's, as the paint
// cycle draws it; the brush colour and text alignment carry over both ways, as
// they would with one brush and one format throughout.
void DrawThroughTee(TeeTarget& tee, ReplayResources& res)
{
    tee.brush.SetColor(&res.brush.colour);
    tee.format.SetTextAlignment(res.largeFormat.alignment);
    g_brush = &tee.brush;
    g_largeTextFormat = &tee.format;
    g_spriteSheet = &tee.sprites;
    g_backgroundSheet = &tee.background;
    g_roundStrokeStyle = tee.stroke();
    tee.BeginDraw();
    tee.Clear(D2D1::ColorF(0x000000, 1.0f));
    RunGameFrame(&tee);
    tee.EndDraw(NULL, NULL);
    res.brush.colour = tee.brush.colour;
    res.largeFormat.alignment = tee.format.alignment;
    g_brush = &res.brush;
    g_largeTextFormat = &res.largeFormat;
    g_spriteSheet = &res.sprites;
    g_backgroundSheet = &res.background;
    g_roundStrokeStyle = nullptr;
}

void WritePictures(const DrawnFrame& d);

FrameSet DrawFrames()
{
    FrameSet set;
    ReplayResources res;
    CountingRenderTarget counting;

    // The counting run: each frame's drawing calls over both passes, and the busiest.
    std::vector<uint32_t> draws(ReplayFrames);
    StartReplay(res);
    for (int f = 0; f < ReplayFrames; f++) {
        ApplyScriptKeys(f);
        g_callCounts.Clear();
        RunGameFrame(&counting);
        draws[f] = g_callCounts.DrawingCalls();
        if (draws[f] > set.busiestDraws) {
            set.busiest = f;
            set.busiestDraws = draws[f];
        }
    }
    std::vector<int>& chosen = set.chosen;
    chosen.assign(std::begin(FixedFrames), std::end(FixedFrames));
    chosen.push_back(set.busiest);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());

    OffscreenTarget platform(Width, Height);  // initialises COM on this thread first
    ID2D1Factory* factory = nullptr;
    IDWriteFactory* dwrite = nullptr;
    ID2D1HwndRenderTarget* fast = nullptr;
    ID2D1HwndRenderTarget* plain = nullptr;
    std::vector<TeeSink> sinks(3);
    SoftwareRenderOptions fastOptions, plainOptions;
    plainOptions.plainPaths = true;
    HRESULT hr = platform.ok() ? S_OK : E_FAIL;
    // Multi-threaded, as the program makes it.
    if (SUCCEEDED(hr))
        hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, &factory);
    if (SUCCEEDED(hr))
        hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                 reinterpret_cast<IUnknown**>(&dwrite));
    if (SUCCEEDED(hr))
        hr = CreateSoftwareRenderTarget(factory, NULL, D2D1::SizeU(Width, Height), &fastOptions, &fast);
    if (SUCCEEDED(hr))
        hr = CreateSoftwareRenderTarget(factory, NULL, D2D1::SizeU(Width, Height), &plainOptions, &plain);
    sinks[0].target = fast;
    sinks[1].target = plain;
    sinks[2].target = platform.target();
    // Each stroke style from its target's own factory.
    for (size_t i = 0; i < sinks.size() && SUCCEEDED(hr); i++)
        hr = sinks[i].res.Make(sinks[i].target, i < 2 ? factory : platform.factory(), platform.wic(), dwrite);

    if (SUCCEEDED(hr)) {
        TeeTarget tee(sinks);
        StartReplay(res);
        size_t next = 0;
        for (int f = 0; next < chosen.size(); f++) {
            ApplyScriptKeys(f);
            if (f != chosen[next]) {
                RunGameFrame(&counting);
                continue;
            }
            next++;
            DrawThroughTee(tee, res);
            DrawnFrame d;
            d.frame = f;
            d.expectedDraws = draws[f];
            d.draws = tee.draws;
            d.texts = tee.texts;
            d.endDraw = tee.endDraw;
            d.unforwarded = tee.log.calls.size();
            tee.log.Clear();
            d.lines = tee.lines;
            d.fast.resize(static_cast<size_t>(Width) * Height);
            d.plain.resize(d.fast.size());
            if (FAILED(CopySoftwareTargetPixels(fast, d.fast.data(), d.fast.size())) ||
                FAILED(CopySoftwareTargetPixels(plain, d.plain.data(), d.plain.size())))
                d.endDraw = E_FAIL;
            d.platform = platform.Pixels();
            WritePictures(d);
            set.frames.push_back(std::move(d));
        }
    } else {
        char text[96];
        snprintf(text, sizeof text, "targets and resources not made: 0x%08lx", static_cast<unsigned long>(hr));
        set.failure = text;
    }
    for (TeeSink& s : sinks)
        s.res.Release();
    ReleaseAndClear(&plain);
    ReleaseAndClear(&fast);
    ReleaseAndClear(&dwrite);
    ReleaseAndClear(&factory);
    return set;
}

const FrameSet& Frames()
{
    static const FrameSet set = DrawFrames();
    return set;
}

// ---- comparing pictures ----------------------------------------------------------------

// Pixels whose centres lie within (width / 2 + 1) of either end of a line. The
// game asks for round caps; the platform's Direct2D under Wine ignores the stroke
// style's caps and ends every line flat, so there the two renderers must differ.
std::vector<uint8_t> LineEndMask(const std::vector<TeeLine>& lines)
{
    std::vector<uint8_t> mask(static_cast<size_t>(Width) * Height, 0);
    for (const TeeLine& l : lines) {
        float r = l.width / 2 + 1;
        for (D2D1_POINT_2F p : {l.p0, l.p1}) {
            int y0 = std::max(0, static_cast<int>(std::floor(p.y - r)));
            int y1 = std::min(static_cast<int>(Height) - 1, static_cast<int>(std::ceil(p.y + r)));
            int x0 = std::max(0, static_cast<int>(std::floor(p.x - r)));
            int x1 = std::min(static_cast<int>(Width) - 1, static_cast<int>(std::ceil(p.x + r)));
            for (int y = y0; y <= y1; y++)
                for (int x = x0; x <= x1; x++) {
                    float dx = x + 0.5f - p.x, dy = y + 0.5f - p.y;
                    if (dx * dx + dy * dy <= r * r)
                        mask[static_cast<size_t>(y) * Width + x] = 1;
                }
        }
    }
    return mask;
}

int ChannelDifference(uint32_t a, uint32_t b, int shift)
{
    return std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
}

int PixelDifference(uint32_t a, uint32_t b)
{
    return std::max({ChannelDifference(a, b, 0), ChannelDifference(a, b, 8), ChannelDifference(a, b, 16),
                     ChannelDifference(a, b, 24)});
}

// The bound. The platform's Direct2D under Wine draws shapes without
// anti-aliasing, so along the edges of lines, ellipses and rectangles the two
// pictures differ by up to a whole channel (the halo's colour is five times
// over-bright, so even a faint edge saturates); bitmaps and text agree to within
// 1. Those edges grow with what a frame draws, and so does the bound: a floor
// plus an allowance per drawing call. Measured over the five frames of each
// edition: mean |difference| per channel at most 1.31 (edition 2, frame 17407,
// 6890 calls, blue; bound 1.88) and 0.41 in the lighter frames (edition 1, frame
// 101, 293 calls; bound 0.56); pixels off by more than 64 at most 0.87 % (edition
// 2, frame 17407; bound 1.08 %) and 0.18 % in the lighter frames (edition 1, frame
// 101; bound 0.29 %). Lines drawn one pixel aside, or the halo not saturating, fail it.
constexpr int OffBy = 64;

double MaxMeanDifference(uint32_t calls)  // per channel, 0..255
{
    return 0.5 + 2.0e-4 * calls;
}

double MaxShareOff(uint32_t calls)
{
    return 0.0025 + 1.2e-6 * calls;
}

struct Difference {
    double mean[3] = {0, 0, 0};  // mean |difference| of blue, green, red over the compared pixels
    double shareOff = 0;         // share of the compared pixels that are off
    size_t compared = 0;
    int worst = 0, worstX = -1, worstY = -1;
};

Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const std::vector<uint8_t>& mask)
{
    Difference d;
    size_t off = 0;
    double sum[3] = {0, 0, 0};
    for (size_t i = 0; i < a.size(); i++) {
        if (mask[i])
            continue;
        d.compared++;
        for (int c = 0; c < 3; c++)
            sum[c] += ChannelDifference(a[i], b[i], 8 * c);
        int diff = PixelDifference(a[i], b[i]);
        off += diff > OffBy;
        if (diff > d.worst) {
            d.worst = diff;
            d.worstX = static_cast<int>(i % Width);
            d.worstY = static_cast<int>(i / Width);
        }
    }
    for (int c = 0; c < 3; c++)
        d.mean[c] = d.compared ? sum[c] / d.compared : 0;
    d.shareOff = d.compared ? static_cast<double>(off) / d.compared : 0;
    return d;
}

// The software picture, the platform's, and their difference: red is four times
// the largest channel difference, dark blue the masked line ends.
void WritePictures(const DrawnFrame& d)
{
    CreateDirectoryW(L"frames", NULL);
    std::vector<uint8_t> mask = LineEndMask(d.lines);
    std::vector<uint32_t> diff(d.fast.size());
    for (size_t i = 0; i < diff.size(); i++) {
        uint32_t red = static_cast<uint32_t>(std::min(255, 4 * PixelDifference(d.fast[i], d.platform[i])));
        diff[i] = mask[i] ? 0xFF000040u : 0xFF000000u | red << 16;
    }
    char name[64];
    snprintf(name, sizeof name, "frames\\edition%d-frame%05d-", VELKARN_TEST_EDITION, d.frame);
    std::wstring stem(name, name + strlen(name));
    WritePng(stem + L"software.png", Width, Height, d.fast, false);
    WritePng(stem + L"direct2d.png", Width, Height, d.platform, false);
    WritePng(stem + L"difference.png", Width, Height, diff, false);
}

// ---- tests -----------------------------------------------------------------------------

TEST(Frames, TheTeeDrawsTheReplaysFramesOnEveryTarget)
{
    const FrameSet& set = Frames();
    ASSERT_EQ(set.failure, "");
    printf("edition %d: busiest frame %d (stage clock %d), %u drawing calls\n", VELKARN_TEST_EDITION, set.busiest,
           set.busiest % StageLength, set.busiestDraws);
    ASSERT_EQ(set.frames.size(), set.chosen.size());
    for (const DrawnFrame& d : set.frames) {
        SCOPED_TRACE("frame " + std::to_string(d.frame));
        EXPECT_EQ(d.endDraw, S_OK);
        EXPECT_EQ(d.draws, d.expectedDraws);  // the same frame as in the counting run
        EXPECT_EQ(d.unforwarded, 0u);
        EXPECT_EQ(d.texts > 0, d.frame == TextFrame);
    }
}

TEST(Frames, SoftwareMatchesThePlatformsDirect2D)
{
    const FrameSet& set = Frames();
    ASSERT_EQ(set.failure, "");
    for (const DrawnFrame& d : set.frames) {
        Difference diff = Compare(d.fast, d.platform, LineEndMask(d.lines));
        printf("frame %5d: %u calls, %zu pixels compared, mean |difference| B %.3f G %.3f R %.3f, "
               "%.4f %% off by more than %d, worst %d at (%d, %d)\n",
               d.frame, d.draws, diff.compared, diff.mean[0], diff.mean[1], diff.mean[2], 100 * diff.shareOff, OffBy,
               diff.worst, diff.worstX, diff.worstY);
        SCOPED_TRACE("frame " + std::to_string(d.frame));
        for (double m : diff.mean)
            EXPECT_LT(m, MaxMeanDifference(d.draws));
        EXPECT_LT(diff.shareOff, MaxShareOff(d.draws));
    }
}

// The fast paths (several threads, wide loops) against the plain scalar code on
// one thread: the same picture, to the bit.
TEST(Frames, FastPathsDrawWhatThePlainPathsDraw)
{
    const FrameSet& set = Frames();
    ASSERT_EQ(set.failure, "");
    for (const DrawnFrame& d : set.frames) {
        auto mismatch = std::mismatch(d.fast.begin(), d.fast.end(), d.plain.begin());
        if (mismatch.first == d.fast.end())
            continue;
        size_t i = static_cast<size_t>(mismatch.first - d.fast.begin());
        size_t count = 0;
        for (size_t j = i; j < d.fast.size(); j++)
            count += d.fast[j] != d.plain[j];
        ADD_FAILURE() << "frame " << d.frame << ": " << count << " pixels differ, the first at (" << i % Width
                      << ", " << i / Width << "): fast " << std::hex << *mismatch.first << ", plain "
                      << *mismatch.second;
    }
}

}  // namespace
