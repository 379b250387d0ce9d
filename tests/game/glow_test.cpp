// The glow style: three passes with the shared brush and round stroke style,
// the unclamped halo colour, the fade brush and the rotation helper; and one
// glow line rasterised on a real target.
#include "game_fixture.h"
#include "offscreen_target.h"

#include <cmath>

namespace {

// One channel as the platform's colour conversion forms it: byte / 255 in float.
float Channel(UINT32 rgb, int shift)
{
    return static_cast<float>((rgb >> shift) & 0xFF) / 255.0f;
}

D2D1_COLOR_F Colour(UINT32 rgb, float gain, float alpha)
{
    return {Channel(rgb, 16) * gain, Channel(rgb, 8) * gain, Channel(rgb, 0) * gain, alpha};
}

void ExpectColour(const D2D1_COLOR_F& actual, const D2D1_COLOR_F& expected)
{
    EXPECT_EQ(actual.r, expected.r);
    EXPECT_EQ(actual.g, expected.g);
    EXPECT_EQ(actual.b, expected.b);
    EXPECT_EQ(actual.a, expected.a);
}

// The colours handed to SetColor, in order.
std::vector<D2D1_COLOR_F> ColoursOf(const CallLog& log)
{
    std::vector<D2D1_COLOR_F> out;
    for (const DrawCall* c : log.Of(CallKind::SetColor))
        out.push_back(c->color);
    return out;
}

}  // namespace

using GlowTest = GameTest;

TEST_F(GlowTest, LineIsThreePassesWideFaintToNarrowSolid)
{
    const UINT32 rgb = 0x0FFF00;
    D2D1_POINT_2F p0 = {10.5f, 20.25f}, p1 = {-3.0f, 700.0f};
    DrawGlowLine(&rt, rgb, p0, p1);

    EXPECT_EQ(rt.log.Lines(), (std::vector<std::string>{
                                  "SetColor (0.294118, 5, 0, 0.5)", "DrawLine (10.5, 20.25)-(-3, 700) width 8",
                                  "SetColor (0.0588235, 1, 0, 0.7)", "DrawLine (10.5, 20.25)-(-3, 700) width 4",
                                  "SetColor (0.0588235, 1, 0, 1)", "DrawLine (10.5, 20.25)-(-3, 700) width 2"}));
    std::vector<D2D1_COLOR_F> colours = ColoursOf(rt.log);
    ExpectColour(colours[0], Colour(rgb, 5.0f, 0.5f));
    ExpectColour(colours[1], Colour(rgb, 1.0f, 0.7f));
    ExpectColour(colours[2], Colour(rgb, 1.0f, 1.0f));
    EXPECT_EQ(colours[0].g, 5.0f);
    for (const DrawCall* line : rt.log.Of(CallKind::DrawLine)) {
        EXPECT_EQ(line->brush, &brush);
        EXPECT_EQ(line->stroke, stroke);
    }
    ExpectColour(brush.colour, Colour(rgb, 1.0f, 1.0f));  // left at the core colour
}

TEST_F(GlowTest, HaloMultipliesEachChannelUnclampedAndIgnoresTheTopByte)
{
    D2D1_POINT_2F p = {1, 2};
    DrawGlowLine(&rt, 0x3334FF, p, p);
    D2D1_COLOR_F halo = ColoursOf(rt.log)[0];
    EXPECT_EQ(halo.r, 1.0f);
    EXPECT_GT(halo.g, 1.0f);
    EXPECT_EQ(halo.b, 5.0f);

    std::vector<D2D1_COLOR_F> low = ColoursOf(rt.log);
    rt.log.Clear();
    DrawGlowLine(&rt, 0xA53334FF, p, p);
    std::vector<D2D1_COLOR_F> high = ColoursOf(rt.log);
    ASSERT_EQ(high.size(), 3u);
    for (int i = 0; i < 3; i++)
        ExpectColour(high[i], low[i]);
}

TEST_F(GlowTest, OutlinesUseTheSamePassesWithTheirOwnShape)
{
    const D2D1_RECT_F rect = {5, 6, 70, 80};
    const D2D1_ELLIPSE ellipse = {{40, 50}, 12, 7};
    DrawGlowEllipse(&rt, 0x123456, ellipse);
    DrawGlowRectangle(&rt, 0x123456, rect);
    DrawGlowRoundedRectangle(&rt, 0x123456, rect);

    EXPECT_EQ(rt.log.Lines(), (std::vector<std::string>{
        "SetColor (0.352941, 1.01961, 1.68627, 0.5)", "DrawEllipse (40, 50) r (12, 7) width 8",
        "SetColor (0.0705882, 0.203922, 0.337255, 0.7)", "DrawEllipse (40, 50) r (12, 7) width 4",
        "SetColor (0.0705882, 0.203922, 0.337255, 1)", "DrawEllipse (40, 50) r (12, 7) width 2",
        "SetColor (0.352941, 1.01961, 1.68627, 0.5)", "DrawRectangle (5, 6, 70, 80) width 8",
        "SetColor (0.0705882, 0.203922, 0.337255, 0.7)", "DrawRectangle (5, 6, 70, 80) width 4",
        "SetColor (0.0705882, 0.203922, 0.337255, 1)", "DrawRectangle (5, 6, 70, 80) width 2",
        "SetColor (0.352941, 1.01961, 1.68627, 0.5)", "DrawRoundedRectangle (5, 6, 70, 80) r (4, 4) width 8",
        "SetColor (0.0705882, 0.203922, 0.337255, 0.7)", "DrawRoundedRectangle (5, 6, 70, 80) r (4, 4) width 4",
        "SetColor (0.0705882, 0.203922, 0.337255, 1)", "DrawRoundedRectangle (5, 6, 70, 80) r (4, 4) width 2"}));
    for (const DrawCall& c : rt.log.calls) {
        if (c.kind == CallKind::SetColor)
            continue;
        EXPECT_EQ(c.brush, &brush);
        EXPECT_EQ(c.stroke, stroke);
    }
}

// A target whose gradient stop collection or gradient brush can be made to
// fail, recording what the fade brush asks for.
class GradientTarget : public RecordingRenderTarget {
public:
    class Stops : public ID2D1GradientStopCollection {
    public:
        ULONG refs = 1;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
        ULONG STDMETHODCALLTYPE Release() override { return --refs; }
        void STDMETHODCALLTYPE GetFactory(ID2D1Factory** f) const override { *f = nullptr; }
        UINT32 STDMETHODCALLTYPE GetGradientStopCount() const override { return 0; }
        void STDMETHODCALLTYPE GetGradientStops(D2D1_GRADIENT_STOP*, UINT) const override {}
        D2D1_GAMMA STDMETHODCALLTYPE GetColorInterpolationGamma() const override { return D2D1_GAMMA_2_2; }
        D2D1_EXTEND_MODE STDMETHODCALLTYPE GetExtendMode() const override { return D2D1_EXTEND_MODE_CLAMP; }
    };

    HRESULT stopsResult = S_OK, brushResult = S_OK;
    Stops collection;
    std::vector<D2D1_GRADIENT_STOP> stops;
    D2D1_GAMMA gamma{};
    D2D1_EXTEND_MODE extend{};
    D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES line{};
    D2D1_BRUSH_PROPERTIES props{};
    ID2D1GradientStopCollection* brushCollection = nullptr;
    int brushCalls = 0;
    ID2D1LinearGradientBrush* const made = reinterpret_cast<ID2D1LinearGradientBrush*>(0xB0B);

    HRESULT STDMETHODCALLTYPE CreateGradientStopCollection(const D2D1_GRADIENT_STOP* s, UINT n, D2D1_GAMMA g,
                                                           D2D1_EXTEND_MODE e,
                                                           ID2D1GradientStopCollection** out) override
    {
        stops.assign(s, s + n);
        gamma = g;
        extend = e;
        if (FAILED(stopsResult))
            return stopsResult;
        *out = &collection;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateLinearGradientBrush(const D2D1_LINEAR_GRADIENT_BRUSH_PROPERTIES* l,
                                                        const D2D1_BRUSH_PROPERTIES* p,
                                                        ID2D1GradientStopCollection* c,
                                                        ID2D1LinearGradientBrush** out) override
    {
        brushCalls++;
        line = *l;
        props = p ? *p : D2D1_BRUSH_PROPERTIES{};
        brushCollection = c;
        if (FAILED(brushResult))
            return brushResult;
        *out = made;
        return S_OK;
    }
};

TEST_F(GlowTest, FadeBrushRunsClearOpaqueClearOverSixPixels)
{
    GradientTarget target;
    ID2D1LinearGradientBrush* out = nullptr;
    ASSERT_EQ(CreateFadeGradientBrush(&target, D2D1::ColorF(0.2f, 0.4f, 0.6f, 0.3f), &out), S_OK);
    EXPECT_EQ(out, target.made);

    ASSERT_EQ(target.stops.size(), 3u);
    const float positions[] = {0.0f, 0.5f, 1.0f}, alphas[] = {0.0f, 1.0f, 0.0f};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(target.stops[i].position, positions[i]);
        ExpectColour(target.stops[i].color, {0.2f, 0.4f, 0.6f, alphas[i]});
    }
    EXPECT_EQ(target.gamma, D2D1_GAMMA_2_2);
    EXPECT_EQ(target.extend, D2D1_EXTEND_MODE_CLAMP);
    EXPECT_EQ(target.line.startPoint.x, 0.0f);
    EXPECT_EQ(target.line.startPoint.y, 0.0f);
    EXPECT_EQ(target.line.endPoint.x, 6.0f);
    EXPECT_EQ(target.line.endPoint.y, 0.0f);
    EXPECT_EQ(target.props.opacity, 1.0f);
    const D2D1_MATRIX_3X2_F& m = target.props.transform;
    EXPECT_TRUE(m._11 == 1 && m._12 == 0 && m._21 == 0 && m._22 == 1 && m._31 == 0 && m._32 == 0);
    EXPECT_EQ(target.brushCollection, &target.collection);
    EXPECT_EQ(target.collection.refs, 0u);  // the local reference is given back
}

TEST_F(GlowTest, FadeBrushFailuresAreReturnedAndLeaveTheOutPointer)
{
    ID2D1LinearGradientBrush* const untouched = reinterpret_cast<ID2D1LinearGradientBrush*>(0x1234);
    {
        GradientTarget target;
        target.stopsResult = E_OUTOFMEMORY;
        ID2D1LinearGradientBrush* out = untouched;
        EXPECT_EQ(CreateFadeGradientBrush(&target, D2D1::ColorF(0xFFFFFF), &out), E_OUTOFMEMORY);
        EXPECT_EQ(out, untouched);
        EXPECT_EQ(target.brushCalls, 0);
    }
    {
        GradientTarget target;
        target.brushResult = D2DERR_RECREATE_TARGET;
        ID2D1LinearGradientBrush* out = untouched;
        EXPECT_EQ(CreateFadeGradientBrush(&target, D2D1::ColorF(0xFFFFFF), &out), D2DERR_RECREATE_TARGET);
        EXPECT_EQ(out, untouched);
        EXPECT_EQ(target.collection.refs, 0u);
    }
}

TEST_F(GlowTest, RotatePointTurnsByDegrees)
{
    float x = 3, y = 0;
    RotatePoint(&x, &y, 90.0f);  // degrees; y grows downward on screen, so clockwise there
    EXPECT_NEAR(x, 0.0f, 1e-6);
    EXPECT_NEAR(y, 3.0f, 1e-6);
    RotatePoint(&x, &y, 90.0f);
    EXPECT_NEAR(x, -3.0f, 1e-6);
    EXPECT_NEAR(y, 0.0f, 1e-6);
}

// On a real target the 8-wide halo reaches 4 pixels to each side of the line;
// beyond that the field stays black. Only the sides are checked for light:
// Wine's rasteriser draws the ends flat whatever the stroke style says (the
// round style itself is checked on the recording target).
TEST(GlowPixels, HaloReachesFourPixelsAroundTheLine)
{
    OffscreenTarget off(100, 100);
    ASSERT_TRUE(off.ok());
    ID2D1SolidColorBrush* realBrush = nullptr;
    ID2D1StrokeStyle* round = nullptr;
    ASSERT_HRESULT_SUCCEEDED(off.target()->CreateSolidColorBrush(D2D1::ColorF(0x000000), &realBrush));
    ASSERT_HRESULT_SUCCEEDED(off.factory()->CreateStrokeStyle(
        D2D1::StrokeStyleProperties(D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND), NULL, 0, &round));
    g_brush = realBrush;
    g_roundStrokeStyle = round;

    off.target()->BeginDraw();
    off.target()->Clear(D2D1::ColorF(0x000000));
    DrawGlowLine(off.target(), 0x0FFF00, D2D1::Point2F(50, 20), D2D1::Point2F(50, 80));
    ASSERT_HRESULT_SUCCEEDED(off.target()->EndDraw());
    g_brush = nullptr;
    g_roundStrokeStyle = nullptr;
    realBrush->Release();
    round->Release();

    // Distance from the pixel's centre to the segment.
    auto distance = [](int x, int y) {
        float cy = y + 0.5f, dy = cy < 20 ? 20 - cy : cy > 80 ? cy - 80 : 0;
        return std::sqrt((x + 0.5f - 50) * (x + 0.5f - 50) + dy * dy);
    };
    std::vector<uint32_t> px = off.Pixels();
    int lit = 0;
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 100; x++) {
            uint32_t rgb = px[y * 100 + x] & 0xFFFFFF;
            float d = distance(x, y);
            if (d <= 3 && y >= 20 && y < 80) {
                EXPECT_NE(rgb, 0u) << x << "," << y;
            } else if (d >= 6) {
                EXPECT_EQ(rgb, 0u) << x << "," << y;
            }
            lit += rgb != 0;
        }
    EXPECT_GT(lit, 0);
}
