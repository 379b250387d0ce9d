// The test doubles themselves: the recording target logs exactly what it is
// given, and the offscreen target really draws.
#include "offscreen_target.h"
#include "recording_target.h"

#include <gtest/gtest.h>

TEST(RecordingTarget, LogsEveryCallWithItsArguments)
{
    RecordingRenderTarget rt;
    RecordingBrush brush(&rt.log);
    RecordingTextFormat format(&rt.log);
    FakeBitmap bitmap;
    ID2D1StrokeStyle* stroke = reinterpret_cast<ID2D1StrokeStyle*>(0x5157);

    rt.Clear(D2D1::ColorF(0x000000, 1.0f));
    brush.SetColor(D2D1::ColorF(1.5f, 5.0f, 0.0f, 0.5f));  // above 1.0: kept as given
    rt.DrawLine(D2D1::Point2F(1, 2), D2D1::Point2F(3, 4), &brush, 8.0f, stroke);
    D2D1_RECT_F dest = D2D1::RectF(10, 20, 60, 120), src = D2D1::RectF(0, 0, 50, 100);
    rt.DrawBitmap(&bitmap, dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, src);
    rt.FillEllipse(D2D1::Ellipse(D2D1::Point2F(5, 6), 7, 8), &brush);
    format.SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER);
    D2D1_RECT_F layout = D2D1::RectF(0, 280, 600, 300);
    rt.DrawText(L"AB\nC", 4, &format, &layout, &brush);

    ASSERT_EQ(rt.log.calls.size(), 7u);
    EXPECT_EQ(rt.log.Lines(), (std::vector<std::string>{
                                  "Clear (0, 0, 0, 1)",
                                  "SetColor (1.5, 5, 0, 0.5)",
                                  "DrawLine (1, 2)-(3, 4) width 8",
                                  rt.log.Lines()[3],
                                  "FillEllipse (5, 6) r (7, 8)",
                                  "SetTextAlignment 2",
                                  "DrawText \"AB\\nC\" layout (0, 280, 600, 300)",
                              }));
    const DrawCall& line = rt.log.calls[2];
    EXPECT_EQ(line.brush, &brush);
    EXPECT_EQ(line.stroke, stroke);
    const DrawCall& bmp = rt.log.calls[3];
    EXPECT_EQ(bmp.bitmap, &bitmap);
    EXPECT_EQ(bmp.dest.bottom, 120.0f);
    EXPECT_EQ(bmp.source.right, 50.0f);
    EXPECT_EQ(bmp.opacity, 1.0f);
    EXPECT_EQ(bmp.interpolation, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
    const DrawCall& text = rt.log.calls[6];
    EXPECT_EQ(text.text, L"AB\nC");
    EXPECT_EQ(text.format, &format);
    EXPECT_EQ(text.options, D2D1_DRAW_TEXT_OPTIONS_NONE);
    EXPECT_EQ(text.measuring, DWRITE_MEASURING_MODE_NATURAL);
    EXPECT_EQ(brush.colour.g, 5.0f);
    EXPECT_EQ(rt.log.Count(CallKind::SetColor), 1u);
}

TEST(OffscreenTarget, DrawsRealPixels)
{
    OffscreenTarget off(64, 32);
    ASSERT_TRUE(off.ok());
    ID2D1SolidColorBrush* brush = nullptr;
    off.target()->BeginDraw();
    off.target()->Clear(D2D1::ColorF(0x000000, 1.0f));
    ASSERT_HRESULT_SUCCEEDED(off.target()->CreateSolidColorBrush(D2D1::ColorF(0xFF0000, 1.0f), &brush));
    D2D1_RECT_F r = D2D1::RectF(8, 8, 24, 24);
    off.target()->FillRectangle(&r, brush);
    ASSERT_HRESULT_SUCCEEDED(off.target()->EndDraw());
    brush->Release();

    std::vector<uint32_t> px = off.Pixels();
    EXPECT_EQ(px[16 * 64 + 16], 0xFFFF0000u);  // inside: opaque red
    EXPECT_EQ(px[2 * 64 + 40], 0xFF000000u);   // outside: the black clear
}
