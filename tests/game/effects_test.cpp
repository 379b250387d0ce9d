// The explosion effects: the six drawings of one flash, the 15-slot pool and
// its lowest-free-first order, and what a call with nothing live leaves alone.
#include "game_fixture.h"

namespace {

bool SameCall(const DrawCall& a, const DrawCall& b)
{
    return a.kind == b.kind && a.brush == b.brush && memcmp(&a.color, &b.color, sizeof a.color) == 0 &&
           memcmp(&a.ellipse, &b.ellipse, sizeof a.ellipse) == 0;
}

}  // namespace

using EffectsTest = GameTest;

// Spawned at y = 10, the upper discs lie above the field at y = -20.
TEST_F(EffectsTest, OneFlashIsSixDrawingsOfThreeGrowingFadingDiscs)
{
    SpawnEffect(100, 10);
    EXPECT_EQ(g_effects[0].colour, 0x00FFFFF0u);

    const struct {
        float alpha, scale, radius;
    } table[6] = {{0.5167f, 1.0833f, 17.33f}, {0.4333f, 1.6667f, 26.67f}, {0.35f, 2.25f, 36.0f},
                  {0.2667f, 2.8333f, 45.33f}, {0.1833f, 3.4167f, 54.67f}, {0.1f, 4.0f, 64.0f}};
    // The same sums in float, formed here independently.
    const float alphaStep = (0.1f - 0.6f) / 6.0f, scaleStep = (4.0f - 0.5f) / 6.0f;
    float alpha = 0.6f, scale = 0.5f;
    for (int k = 0; k < 6; k++) {
        alpha += alphaStep;
        scale += scaleStep;
        const float r = (32.0f * scale) / 2.0f;
        rt.log.Clear();
        StepAndDrawEffects(&rt, &brush, 0);
        ASSERT_EQ(rt.log.calls.size(), 4u) << "drawing " << k + 1;
        const DrawCall& colour = rt.log.calls[0];
        ASSERT_EQ(colour.kind, CallKind::SetColor);
        EXPECT_EQ(colour.color.r, 1.0f);
        EXPECT_EQ(colour.color.g, 1.0f);
        EXPECT_EQ(colour.color.b, 240 / 255.0f);
        EXPECT_EQ(colour.color.a, alpha);
        EXPECT_NEAR(alpha, table[k].alpha, 1e-4);
        EXPECT_NEAR(scale, table[k].scale, 1e-4);
        EXPECT_NEAR(r, table[k].radius, 0.01);
        const D2D1_POINT_2F centres[3] = {{100, 10}, {70, -20}, {130, -20}};
        for (int d = 0; d < 3; d++) {
            const DrawCall& disc = rt.log.calls[1 + d];
            EXPECT_EQ(disc.kind, CallKind::FillEllipse);
            EXPECT_EQ(disc.brush, &brush);
            EXPECT_EQ(disc.ellipse.point.x, centres[d].x);
            EXPECT_EQ(disc.ellipse.point.y, centres[d].y);
            EXPECT_EQ(disc.ellipse.radiusX, r);
            EXPECT_EQ(disc.ellipse.radiusY, r);
        }
        EXPECT_EQ(g_effects[0].framesLeft, 5u - k);
    }

    // Free again: the seventh call draws nothing and leaves the brush as it was.
    rt.log.Clear();
    const D2D1_COLOR_F last = brush.colour;
    StepAndDrawEffects(&rt, &brush, 0);
    EXPECT_TRUE(rt.log.calls.empty());
    EXPECT_EQ(memcmp(&brush.colour, &last, sizeof last), 0);
}

TEST_F(EffectsTest, SixteenSpawnsKeepFifteenLowestSlotFirst)
{
    for (int i = 0; i < 16; i++)
        SpawnEffect(static_cast<float>(i), 0);
    for (int i = 0; i < EffectSlots; i++) {
        EXPECT_EQ(g_effects[i].framesLeft, 6u);
        EXPECT_EQ(g_effects[i].x, static_cast<float>(i));
    }
    EXPECT_EQ(FindFreeEffectSlot(g_effects, EffectSlots), -1);
    StepAndDrawEffects(&rt, &brush, 0);
    EXPECT_EQ(rt.log.Count(CallKind::FillEllipse), 45u);

    // Slots 0 and 2 free, 1 live: the next two spawns take 0, then 2.
    ClearEffects();
    SpawnEffect(1, 1);
    SpawnEffect(1, 1);
    g_effects[0].framesLeft = 0;
    SpawnEffect(50, 0);
    SpawnEffect(60, 0);
    EXPECT_EQ(g_effects[0].x, 50.0f);
    EXPECT_EQ(g_effects[1].x, 1.0f);
    EXPECT_EQ(g_effects[2].x, 60.0f);
    EXPECT_EQ(g_effects[3].framesLeft, 0u);
}

TEST_F(EffectsTest, FrameCountChangesNothing)
{
    SpawnEffect(200, 300);
    SpawnEffect(40, 50);
    Effect before[EffectSlots];
    memcpy(before, g_effects, sizeof before);

    StepAndDrawEffects(&rt, &brush, 0);
    std::vector<DrawCall> first = rt.log.calls;
    Effect after[EffectSlots];
    memcpy(after, g_effects, sizeof after);

    memcpy(g_effects, before, sizeof before);
    rt.log.Clear();
    StepAndDrawEffects(&rt, &brush, 987654);
    ASSERT_EQ(rt.log.calls.size(), first.size());
    for (size_t i = 0; i < first.size(); i++)
        EXPECT_TRUE(SameCall(rt.log.calls[i], first[i])) << i;
    EXPECT_EQ(memcmp(after, g_effects, sizeof after), 0);
}
