// stage.cpp: the stage script: the scrolling background, the music cues, the
// stage texts, the opening and ending pictures and the stage clock.
#include "game_local.h"

float g_stageClock;
float g_bgScrollFar;
float g_bgScrollNear;

namespace {

const wchar_t BreakthroughText[] = L"ソルカディナ\nのKESTRAVON KVN-117が\n敵対抗勢力圏内突破！";
const wchar_t ClearText[] = L"敵帝国軍戦闘機\nVEVO2RIVIRIを\n全滅した！\nGAME CLEAR\nOVER ALL";
const wchar_t CreditsText[] = L"企画・制作\nグラフィック・BGM\nプログラム\nZEMBRIK\nQUILLANE";

// Source rectangles on the background sheet.
const D2D1_RECT_F FarLayerSource = {0, 0, 600, 1536};
const D2D1_RECT_F NearLayerSource = {0, 1536, 600, 3072};
const D2D1_RECT_F StagePictureSource = {600, 0, 1800, 768};

struct BgmCue {
    float clock;
    const wchar_t* key;
};

const BgmCue BgmCues[] = {
    {10, L"bgm001"},    {2500, L"bgm002"},  {5000, L"bgm003"},
    {7500, L"bgm001"},  {10000, L"bgm002"}, {12500, L"bgm003"},
};

struct StageText {
    float first, last;  // closed window of the stage clock
    const wchar_t* text;
    UINT32 length;
};

const StageText StageTexts[] = {
    {13500, 13700, BreakthroughText, ARRAYSIZE(BreakthroughText) - 1},
    {13700, 13900, ClearText, ARRAYSIZE(ClearText) - 1},
    {13900, 14100, CreditsText, ARRAYSIZE(CreditsText) - 1},
};

bool ClockIn(float first, float last)
{
    return g_stageClock >= first && g_stageClock <= last;
}

void DrawLayer(ID2D1RenderTarget* rt, float offset, const D2D1_RECT_F& source)
{
    D2D1_RECT_F dest = {0, offset - 768, 600, offset + 768};
    rt->DrawBitmap(g_backgroundSheet, dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, source);
}

// The 1200-wide picture squeezed into the 600-wide field.
void DrawStagePicture(ID2D1RenderTarget* rt)
{
    D2D1_RECT_F dest = {0, 0, 600, 768};
    rt->DrawBitmap(g_backgroundSheet, dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, StagePictureSource);
}

}  // namespace

// The background stands still at clock 0 and scrolls faster as the stage goes
// on. Each product is formed in double and rounded to float before the add
// (deliberate); the offsets are drawn before they wrap, so an offset past 768
// is drawn once unwrapped.
void ScrollBackground(ID2D1RenderTarget* rt)
{
    g_frameCount += 1;
    g_bgScrollFar += static_cast<float>(static_cast<double>(g_stageClock) * 0.002);
    g_bgScrollNear += static_cast<float>(static_cast<double>(g_stageClock) * 0.004);
    DrawLayer(rt, g_bgScrollFar, FarLayerSource);
    DrawLayer(rt, g_bgScrollNear, NearLayerSource);
    if (g_bgScrollFar >= 768)
        g_bgScrollFar = 0;
    if (g_bgScrollNear >= 768)
        g_bgScrollNear = 0;
}

// Each cue compares the clock for equality, so it fires once per pass.
void PlayMusicCues()
{
    for (const BgmCue& cue : BgmCues)
        if (g_stageClock == cue.clock)
            ReplaySoundByName(cue.key, 0, NULL);
}

// Windows that share an end both draw in that frame, the later text on top.
void DrawStageTexts(ID2D1RenderTarget* rt)
{
    for (const StageText& t : StageTexts) {
        if (!ClockIn(t.first, t.last))
            continue;
        g_largeTextFormat->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER);
        g_brush->SetColor(D2D1::ColorF(0xFFFFFF00, 1.0f));  // yellow: only the low 24 bits count
        D2D1_RECT_F layout = {0, 280, 600, 300};
        rt->DrawText(t.text, t.length, g_largeTextFormat, layout, g_brush, D2D1_DRAW_TEXT_OPTIONS_NONE,
                     DWRITE_MEASURING_MODE_NATURAL);
    }
}

// The ending picture is drawn before the clock step and the opening picture
// after it, so 14300 is never seen by any step: the same frame wraps it to 0.
void RunStageClock(ID2D1RenderTarget* rt)
{
    if (ClockIn(14100, 14300))
        DrawStagePicture(rt);
    g_stageClock += 1;
    if (ClockIn(0, 100))
        DrawStagePicture(rt);
    if (g_stageClock >= StageLength)
        g_stageClock = 0;
}
