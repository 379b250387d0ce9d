// The stage script: frame order at the script's edges, the music cues, the
// texts, the pictures and the background scroll.
#include "game_fixture.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::wstring BreakthroughText = L"ソルカディナ\nのKESTRAVON KVN-117が\n敵対抗勢力圏内突破！";
const std::wstring ClearText = L"敵帝国軍戦闘機\nVEVO2RIVIRIを\n全滅した！\nGAME CLEAR\nOVER ALL";
const std::wstring CreditsText = L"企画・制作\nグラフィック・BGM\nプログラム\nZEMBRIK\nQUILLANE";

const char* const FarAtZero = "BG (0, -768, 600, 768) src (0, 0, 600, 1536)";
const char* const NearAtZero = "BG (0, -768, 600, 768) src (0, 1536, 600, 3072)";
const char* const Picture = "BG (0, 0, 600, 768) src (600, 0, 1800, 768)";

std::string RectText(const D2D1_RECT_F& r)
{
    char buf[128];
    snprintf(buf, sizeof buf, "(%g, %g, %g, %g)", r.left, r.top, r.right, r.bottom);
    return buf;
}

bool SameRect(const D2D1_RECT_F& a, const D2D1_RECT_F& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

class StageTest : public GameTest {
protected:
    // The frame as this script sees it: background-sheet bitmaps and texts in
    // full, each run of sprite-sheet bitmaps (ship, options, sight, enemies)
    // folded into one "sprites" line. A text drawn with anything but the exact
    // arguments shows up as "DrawText ?".
    std::vector<std::string> Digest() const
    {
        std::vector<std::string> out;
        for (const DrawCall& c : rt.log.calls) {
            std::string line;
            if (c.kind == CallKind::DrawBitmap) {
                EXPECT_EQ(c.opacity, 1.0f);
                EXPECT_EQ(c.interpolation, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
                if (c.bitmap == &sprites) {
                    if (out.empty() || out.back() != "sprites")
                        out.push_back("sprites");
                    continue;
                }
                line = (c.bitmap == &background ? "BG " : "?? ") + RectText(c.dest) + " src " + RectText(c.source);
            } else if (c.kind == CallKind::DrawText) {
                bool exact = c.format == &largeFormat && c.brush == &brush &&
                             SameRect(c.layout, {0, 280, 600, 300}) && c.options == D2D1_DRAW_TEXT_OPTIONS_NONE &&
                             c.measuring == DWRITE_MEASURING_MODE_NATURAL;
                line = !exact                       ? "DrawText ?"
                       : c.text == BreakthroughText ? "DrawText Breakthrough"
                       : c.text == ClearText        ? "DrawText Clear"
                       : c.text == CreditsText      ? "DrawText Credits"
                                                    : "DrawText ?";
            } else if (c.kind == CallKind::Sound) {
                line = Describe(c) + (c.window ? " window" : "");
            } else {
                line = Describe(c);
            }
            out.push_back(line);
        }
        return out;
    }

    std::vector<std::string> FrameAt(float clock)
    {
        g_stageClock = clock;
        rt.log.Clear();
        Frame();
        return Digest();
    }
};

using Lines = std::vector<std::string>;

TEST_F(StageTest, FirstFrameStandsStillThenTheOpeningPictureCoversIt)
{
    Frame();
    EXPECT_EQ(Digest(), (Lines{FarAtZero, NearAtZero, "sprites", Picture}));
    EXPECT_EQ(g_frameCount, 1);
    EXPECT_EQ(g_stageClock, 1.0f);
    EXPECT_EQ(g_bgScrollFar, 0.0f);
    EXPECT_EQ(g_bgScrollNear, 0.0f);
}

TEST_F(StageTest, TextsShareTheirWindowEndsAndTheEndingPictureCoversTheLast)
{
    const Lines align = {"SetTextAlignment 2", "SetColor (1, 1, 0, 1)"};
    auto tail = [](const Lines& digest) { return Lines(digest.begin() + 3, digest.end()); };

    Lines both = align;
    both.push_back("DrawText Breakthrough");
    both.insert(both.end(), align.begin(), align.end());
    both.push_back("DrawText Clear");
    EXPECT_EQ(tail(FrameAt(13700)), both);
    EXPECT_EQ(g_stageClock, 13701.0f);

    both = align;
    both.push_back("DrawText Clear");
    both.insert(both.end(), align.begin(), align.end());
    both.push_back("DrawText Credits");
    EXPECT_EQ(tail(FrameAt(13900)), both);

    Lines covered = align;
    covered.push_back("DrawText Credits");
    covered.push_back(Picture);
    EXPECT_EQ(tail(FrameAt(14100)), covered);

    // The outer ends of the windows.
    EXPECT_EQ(tail(FrameAt(13499)), Lines{});
    EXPECT_EQ(tail(FrameAt(13500)).back(), "DrawText Breakthrough");
    EXPECT_EQ(tail(FrameAt(14101)), Lines{Picture});
}

TEST_F(StageTest, LastFrameOfThePassWrapsTheClockAndTheNextShowsTheOpeningPicture)
{
    EXPECT_EQ(FrameAt(14299).back(), Picture);
    EXPECT_EQ(rt.log.Count(CallKind::DrawBitmap), 9u);  // two layers, six sprites, one picture
    EXPECT_EQ(g_stageClock, 0.0f);

    rt.log.Clear();
    Frame();
    Lines next = Digest();
    EXPECT_EQ(next.back(), Picture);
    EXPECT_EQ(g_stageClock, 1.0f);
}

TEST_F(StageTest, PicturesCoverExactlyTheirFrames)
{
    struct Case {
        float clock;
        bool picture;
    } cases[] = {{99, true}, {100, false}, {14099, false}, {14100, true}};
    for (const Case& c : cases) {
        FrameAt(c.clock);
        bool drawn = false;
        for (const DrawCall* b : rt.log.Of(CallKind::DrawBitmap))
            drawn |= b->bitmap == &background && SameRect(b->source, {600, 0, 1800, 768});
        EXPECT_EQ(drawn, c.picture) << "clock " << c.clock;
    }
}

// Each cue fires in the frame that starts at its clock and in no neighbour;
// the first fires again after the loop. (Lock-on and destruction sounds of
// the waves share the log and are left out here.)
TEST_F(StageTest, MusicCuesFireOncePerPass)
{
    std::vector<std::pair<float, std::string>> heard;
    auto run = [&](int frames) {
        for (int i = 0; i < frames; i++) {
            float clock = g_stageClock;
            rt.log.Clear();
            Frame();
            for (const DrawCall* s : rt.log.Of(CallKind::Sound)) {
                if (s->sound.compare(0, 3, L"bgm") != 0)
                    continue;
                EXPECT_EQ(s->loop, FALSE);
                EXPECT_EQ(s->window, nullptr);
                heard.emplace_back(clock, std::string(s->sound.begin(), s->sound.end()));
            }
        }
    };
    for (float cue : {10, 2500, 5000, 7500, 10000, 12500}) {
        g_stageClock = cue - 1;
        run(3);
    }
    g_stageClock = 14299;
    run(13);
    std::vector<std::pair<float, std::string>> expected = {
        {10, "bgm001"},    {2500, "bgm002"},  {5000, "bgm003"}, {7500, "bgm001"},
        {10000, "bgm002"}, {12500, "bgm003"}, {10, "bgm001"},
    };
    EXPECT_EQ(heard, expected);
}

TEST_F(StageTest, CuePlaysAfterTheWorldIsDrawnAndBeforeThePicture)
{
    EXPECT_EQ(FrameAt(10), (Lines{"BG (0, -767.98, 600, 768.02) src (0, 0, 600, 1536)",
                                  "BG (0, -767.96, 600, 768.04) src (0, 1536, 600, 3072)", "sprites",
                                  "Sound bgm001 loop 0", Picture}));
}

// Each increment is the product in double rounded to float: at clock 9 that
// differs from the float product in both layers.
TEST_F(StageTest, ScrollAddsTheDoubleProductRoundedToFloat)
{
    const float farOffset = static_cast<float>(9.0 * 0.002), nearOffset = static_cast<float>(9.0 * 0.004);
    ASSERT_NE(farOffset, 9.0f * 0.002f);
    ASSERT_NE(nearOffset, 9.0f * 0.004f);
    FrameAt(9);
    EXPECT_EQ(g_bgScrollFar, farOffset);
    EXPECT_EQ(g_bgScrollNear, nearOffset);
    std::vector<const DrawCall*> bitmaps = rt.log.Of(CallKind::DrawBitmap);
    EXPECT_EQ(bitmaps[0]->dest.top, farOffset - 768);
    EXPECT_EQ(bitmaps[0]->dest.bottom, farOffset + 768);
    EXPECT_EQ(bitmaps[1]->dest.top, nearOffset - 768);
    EXPECT_EQ(bitmaps[1]->dest.bottom, nearOffset + 768);
}

// An offset that reaches 768 is drawn once as it is and then wraps to 0; one
// just below stays.
TEST_F(StageTest, ScrollIsDrawnUnwrappedThenWraps)
{
    g_bgScrollFar = 767.5f;   // + 2 at clock 1000: 769.5, past the end
    g_bgScrollNear = 764.0f;  // + 4: exactly 768
    Lines digest = FrameAt(1000);
    EXPECT_EQ(digest[0], "BG (0, 1.5, 600, 1537.5) src (0, 0, 600, 1536)");
    EXPECT_EQ(digest[1], "BG (0, 0, 600, 1536) src (0, 1536, 600, 3072)");
    EXPECT_EQ(g_bgScrollFar, 0.0f);
    EXPECT_EQ(g_bgScrollNear, 0.0f);

    g_bgScrollFar = 700.0f;
    FrameAt(1000);
    EXPECT_EQ(g_bgScrollFar, 702.0f);
}

// The offsets and the frame count run on across the loop and a reset; only
// the increments start again from 0.
TEST_F(StageTest, ScrollCarriesAcrossTheLoopAndTheReset)
{
    g_bgScrollFar = 100.0f;
    g_bgScrollNear = 200.0f;
    FrameAt(14299);
    const float farOffset = 100.0f + static_cast<float>(14299.0 * 0.002);
    const float nearOffset = 200.0f + static_cast<float>(14299.0 * 0.004);
    EXPECT_EQ(g_bgScrollFar, farOffset);
    EXPECT_EQ(g_bgScrollNear, nearOffset);

    rt.log.Clear();
    Frame();  // clock 0: no increment
    EXPECT_EQ(rt.log.Of(CallKind::DrawBitmap)[0]->dest.top, farOffset - 768);
    EXPECT_EQ(g_bgScrollFar, farOffset);
    Frame();  // clock 1
    EXPECT_EQ(g_bgScrollFar, farOffset + static_cast<float>(0.002));
    EXPECT_EQ(g_bgScrollNear, nearOffset + static_cast<float>(0.004));

    const float keptFar = g_bgScrollFar;
    g_stageClock = 5000;
    ResetGame();
    EXPECT_EQ(g_stageClock, 0.0f);
    EXPECT_EQ(g_bgScrollFar, keptFar);
    EXPECT_EQ(g_frameCount, 3);
}
