// effects.cpp: the explosion flashes: three pale discs that grow and fade over six
// paints, in a fixed pool of 15 slots drawn over everything else.
#include "game_local.h"

#include <cstring>

Effect g_effects[EffectSlots];

// A spawn while all 15 slots are live is dropped without trace.
void SpawnEffect(float x, float y)
{
    int i = FindFreeEffectSlot(g_effects, EffectSlots);
    if (i == -1)
        return;
    Effect& e = g_effects[i];
    e.framesLeft = 6;
    e.x = x;
    e.y = y;
    e.targetX = x;
    e.targetY = y;
    e.alpha = 0.6f;
    e.alphaTarget = 0.1f;
    e.baseSize = 32.0f;
    e.scale = 0.5f;
    e.scaleTarget = 4.0f;
    e.colour = 0xFFFFFFF0;
    ComputeEffectSteps(&e);
}

// Lowest free index first.
int FindFreeEffectSlot(Effect* table, int count)
{
    for (int i = 0; i < count; i++)
        if (table[i].framesLeft == 0)
            return i;
    return -1;
}

void ComputeEffectSteps(Effect* e)
{
    float n = static_cast<float>(e->framesLeft);  // unsigned to float
    e->alphaStep = (e->alphaTarget - e->alpha) / n;
    e->scaleStep = (e->scaleTarget - e->scale) / n;
    e->stepX = (e->targetX - e->x) / n;
    e->stepY = (e->targetY - e->y) / n;
    e->colour = e->colour & 0x00FFFFFF;
}

void StepEffect(Effect* e)
{
    e->alpha += e->alphaStep;
    e->scale += e->scaleStep;
    e->x += e->stepX;
    e->y += e->stepY;
    e->framesLeft -= 1;
}

// The slot is tested before it is stepped, so each effect is drawn six times,
// the last time with framesLeft already 0. frameCount changes nothing.
void StepAndDrawEffects(ID2D1RenderTarget* rt, ID2D1SolidColorBrush* brush, int frameCount)
{
    (void)frameCount;
    for (int i = 0; i < EffectSlots; i++) {
        Effect* e = &g_effects[i];
        if (e->framesLeft == 0)
            continue;
        StepEffect(e);
        brush->SetColor(D2D1::ColorF(e->colour, e->alpha));
        float r = (e->baseSize * e->scale) / 2.0f;
        rt->FillEllipse(D2D1::Ellipse(D2D1::Point2F(e->x, e->y), r, r), brush);
        rt->FillEllipse(D2D1::Ellipse(D2D1::Point2F(e->x - 30, e->y - 30), r, r), brush);
        rt->FillEllipse(D2D1::Ellipse(D2D1::Point2F(e->x + 30, e->y - 30), r, r), brush);
    }
}

void ClearEffects()
{
    memset(g_effects, 0, sizeof g_effects);
}
