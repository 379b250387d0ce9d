// glow.cpp: the glowing-line style of every shot, bullet, beam and laser, and the
// small 2-D helpers of the drawing toolkit.
#include "game_local.h"

namespace {

constexpr float HaloGain = 5.0f;

// The three passes of the glow: a wide faint halo, the body, a narrow solid core,
// all with the one shared brush. The halo multiplies each channel as a float and
// is deliberately not clamped: components above 1.0 reach SetColor as they are.
template <typename Outline>
void DrawGlow(UINT32 rgb, Outline outline)
{
    D2D1_COLOR_F core = D2D1::ColorF(rgb, 1.0f);
    D2D1_COLOR_F halo = D2D1::ColorF(core.r * HaloGain, core.g * HaloGain, core.b * HaloGain, 0.5f);
    g_brush->SetColor(halo);
    outline(8.0f);
    g_brush->SetColor(D2D1::ColorF(rgb, 0.7f));
    outline(4.0f);
    g_brush->SetColor(core);
    outline(2.0f);
}

}  // namespace

void DrawGlowLine(ID2D1RenderTarget* rt, UINT32 rgb, const D2D1_POINT_2F& p0, const D2D1_POINT_2F& p1)
{
    DrawGlow(rgb, [&](float width) { rt->DrawLine(p0, p1, g_brush, width, g_roundStrokeStyle); });
}

void DrawGlowEllipse(ID2D1RenderTarget* rt, UINT32 rgb, const D2D1_ELLIPSE& ellipse)
{
    DrawGlow(rgb, [&](float width) { rt->DrawEllipse(ellipse, g_brush, width, g_roundStrokeStyle); });
}

void DrawGlowRectangle(ID2D1RenderTarget* rt, UINT32 rgb, const D2D1_RECT_F& rect)
{
    DrawGlow(rgb, [&](float width) { rt->DrawRectangle(rect, g_brush, width, g_roundStrokeStyle); });
}

void DrawGlowRoundedRectangle(ID2D1RenderTarget* rt, UINT32 rgb, const D2D1_RECT_F& rect)
{
    D2D1_ROUNDED_RECT rounded = D2D1::RoundedRect(rect, 4.0f, 4.0f);
    DrawGlow(rgb, [&](float width) { rt->DrawRoundedRectangle(rounded, g_brush, width, g_roundStrokeStyle); });
}

// A brush that fades the colour in and out along x: clear at 0, opaque at 3,
// clear again from 6 on. The colour's own alpha is not used.
HRESULT CreateFadeGradientBrush(ID2D1RenderTarget* rt, const D2D1_COLOR_F& colour,
                                ID2D1LinearGradientBrush** brush)
{
    D2D1_GRADIENT_STOP stops[3] = {
        {0.0f, D2D1::ColorF(colour.r, colour.g, colour.b, 0.0f)},
        {0.5f, D2D1::ColorF(colour.r, colour.g, colour.b, 1.0f)},
        {1.0f, D2D1::ColorF(colour.r, colour.g, colour.b, 0.0f)},
    };
    ID2D1GradientStopCollection* collection = NULL;
    HRESULT hr = rt->CreateGradientStopCollection(stops, 3, D2D1_GAMMA_2_2, D2D1_EXTEND_MODE_CLAMP, &collection);
    if (FAILED(hr))
        return hr;
    hr = rt->CreateLinearGradientBrush(
        D2D1::LinearGradientBrushProperties(D2D1::Point2F(0, 0), D2D1::Point2F(6.0f, 0)),
        D2D1::BrushProperties(1.0f, D2D1::Matrix3x2F::Identity()), collection, brush);
    collection->Release();  // the brush holds its own reference
    return FAILED(hr) ? hr : S_OK;
}

void AddPoints(float x1, float y1, float x2, float y2, float* rx, float* ry)
{
    *rx = x1 + x2;
    *ry = y1 + y2;
}

void SubtractPoints(float x1, float y1, float x2, float y2, float* rx, float* ry)
{
    *rx = x1 - x2;
    *ry = y1 - y2;
}

// Rotates about the origin by `angle` degrees, with the platform's rotation matrix.
void RotatePoint(float* x, float* y, float angle)
{
    D2D1::Matrix3x2F m = D2D1::Matrix3x2F::Rotation(angle, D2D1::Point2F(0, 0));
    float px = *x, py = *y;
    *x = px * m._11 + py * m._21 + m._31;
    *y = px * m._12 + py * m._22 + m._32;
}

float CrossProduct(float x1, float y1, float x2, float y2)
{
    return x1 * y2 - y1 * x2;
}

float DotProduct(float x1, float y1, float x2, float y2)
{
    return x1 * x2 + y1 * y2;
}
