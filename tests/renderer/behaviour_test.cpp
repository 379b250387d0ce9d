// The software target as a render target: clearing, the drawing state, bitmap
// lifetimes, edges and sampling, refused pixel formats and the calls it does not
// implement.
#include "renderer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr UINT W = 40, H = 30;

ULONG Refs(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

class SoftwareTarget : public ::testing::Test {
protected:
    void SetUp() override
    {
        SoftwareRenderOptions options;
        ASSERT_HRESULT_SUCCEEDED(CreateSoftwareRenderTarget(Factory(), NULL, D2D1::SizeU(W, H), &options, &rt));
    }
    Pixels Read()
    {
        Pixels px(W * H);
        EXPECT_HRESULT_SUCCEEDED(CopySoftwareTargetPixels(rt.Get(), px.data(), px.size()));
        return px;
    }
    // One frame cleared to black: `draw` between BeginDraw and EndDraw.
    Pixels Frame(const std::function<void()>& draw)
    {
        rt->BeginDraw();
        rt->Clear(D2D1::ColorF(0, 0, 0, 1));
        draw();
        EXPECT_HRESULT_SUCCEEDED(rt->EndDraw());
        return Read();
    }
    void DrawSome()
    {
        ComPtr<ID2D1SolidColorBrush> brush = Brush(rt.Get(), D2D1::ColorF(0.2f, 3.0f, 0.7f, 0.8f));
        rt->DrawLine(D2D1::Point2F(1, 1), D2D1::Point2F(30, 25), brush.Get(), 4, nullptr);
        rt->FillEllipse(D2D1::Ellipse(D2D1::Point2F(20, 15), 8, 5), brush.Get());
        rt->DrawRectangle(D2D1::RectF(2, 3, 35, 27), brush.Get(), 2);
        rt->DrawBitmap(Upload(rt.Get(), white.Get()).Get(), D2D1::RectF(5.5f, 5, 25, 20), 0.7f);
    }
    ComPtr<ID2D1HwndRenderTarget> rt;
    ComPtr<IWICBitmap> white = MakeWicBitmap(4, 4, Pixels(16, 0xFFFFFFFFu));
};

}  // namespace

// Clear replaces every pixel, whatever the frame drew before it, with the colour
// premultiplied and each channel clamped to 0..255; translucent, as the
// platform's target gives it (a channel may then exceed the alpha).
TEST_F(SoftwareTarget, ClearReplacesEveryPixel)
{
    D2D1_COLOR_F opaque = D2D1::ColorF(2.0f, -0.5f, 0.25f, 1.0f), translucent = D2D1::ColorF(2.0f, -0.5f, 0.25f, 0.5f);
    EXPECT_EQ(Frame([&] {
                  DrawSome();
                  rt->Clear(opaque);
              }),
              Pixels(W * H, 0xFFFF0040u));
    Pixels px = Frame([&] {
        DrawSome();
        rt->Clear(translucent);
    });
    Pixels platform = DrawPlatform(W, H, [&](ID2D1RenderTarget* t) { t->Clear(translucent); });
    for (size_t i = 0; i < px.size(); i++)
        ASSERT_LE(ChannelDiff(px[i], platform[i]), 1) << std::hex << px[i] << " " << platform[i];
}

TEST_F(SoftwareTarget, EndDrawWantsBeginDrawAndDrawingOutsideAFrameDoesNothing)
{
    EXPECT_EQ(rt->EndDraw(), D2DERR_WRONG_STATE);
    Pixels before = Frame([] {});
    EXPECT_EQ(rt->EndDraw(), D2DERR_WRONG_STATE);
    DrawSome();
    rt->Clear(D2D1::ColorF(0xFFFFFF, 1.0f));
    rt->BeginDraw();
    EXPECT_EQ(rt->EndDraw(), S_OK);
    EXPECT_EQ(Read(), before);
    Pixels px(W * H + 1);  // the read-back wants the target's own size
    EXPECT_EQ(CopySoftwareTargetPixels(rt.Get(), px.data(), px.size()), E_INVALIDARG);
}

// The frame holds each bitmap it draws until EndDraw has drawn it, then lets it
// go: the bitmap's reference to the factory shows when it is destroyed.
TEST_F(SoftwareTarget, BitmapReleasedInTheFrameLivesUntilEndDraw)
{
    ID2D1Bitmap* bitmap = Upload(rt.Get(), white.Get()).Detach();
    ASSERT_NE(bitmap, nullptr);
    ULONG factoryRefs = Refs(Factory());
    Pixels px = Frame([&] {
        rt->DrawBitmap(bitmap, D2D1::RectF(0, 0, 40, 30));
        rt->DrawBitmap(bitmap, D2D1::RectF(0, 0, 4, 4));
        EXPECT_EQ(bitmap->Release(), 1u);  // the frame's one reference, however often drawn
        EXPECT_EQ(Refs(Factory()), factoryRefs);
    });
    EXPECT_EQ(Refs(Factory()), factoryRefs - 1);
    EXPECT_EQ(px, Pixels(W * H, 0xFFFFFFFFu));
}

// Fractional destination edges cover their pixels by the share inside, to within
// the k / 256 rounding of each edge.
TEST_F(SoftwareTarget, FractionalBitmapEdgesCoverTheirPixelsInPart)
{
    const D2D1_RECT_F dest = {10.25f, 20.5f, 14.1f, 24.8f};
    Pixels px = Frame([&] { rt->DrawBitmap(Upload(rt.Get(), white.Get()).Get(), dest); });
    for (UINT y = 0; y < H; y++)
        for (UINT x = 0; x < W; x++) {
            float cx = std::max(0.0f, std::min(x + 1.0f, dest.right) - std::max(float(x), dest.left));
            float cy = std::max(0.0f, std::min(y + 1.0f, dest.bottom) - std::max(float(y), dest.top));
            EXPECT_NEAR(Channel(px[y * W + x], 0), cx * cy * 255, 2) << x << ", " << y;
        }
}

// Enlarged, a source rectangle's edge texels are not blended with their
// neighbours outside it: red and blue around two green texels never show.
TEST_F(SoftwareTarget, SamplesStayInsideTheSourceRectangle)
{
    const uint32_t r = 0xFFFF0000u, g = 0xFF00FF00u, b = 0xFF0000FFu;
    ComPtr<IWICBitmap> strip = MakeWicBitmap(4, 3, Pixels{r, g, g, b, r, g, g, b, b, b, b, b});
    Pixels px = Frame([&] {
        rt->DrawBitmap(Upload(rt.Get(), strip.Get()).Get(), D2D1::RectF(0, 0, W, H), 1.0f,
                       D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, D2D1::RectF(1, 0, 3, 2));
    });
    EXPECT_EQ(px, Pixels(W * H, g));
}

TEST_F(SoftwareTarget, BitmapsOnlyFromPremultipliedBgra)
{
    for (REFWICPixelFormatGUID format : {GUID_WICPixelFormat32bppBGRA, GUID_WICPixelFormat24bppBGR}) {
        ComPtr<IWICBitmap> source;
        ASSERT_HRESULT_SUCCEEDED(Wic()->CreateBitmap(4, 4, format, WICBitmapCacheOnLoad, &source));
        ID2D1Bitmap* bitmap = reinterpret_cast<ID2D1Bitmap*>(1);
        EXPECT_EQ(rt->CreateBitmapFromWicBitmap(source.Get(), nullptr, &bitmap), D2DERR_UNSUPPORTED_PIXEL_FORMAT);
        EXPECT_EQ(bitmap, nullptr);
    }
}

// Each method it does not implement counts once, returns E_NOTIMPL where it can
// with no object, and draws nothing; what it implements does not count.
TEST_F(SoftwareTarget, UnsupportedCallsCountAndDrawNothing)
{
    ComPtr<ID2D1SolidColorBrush> brush = Brush(rt.Get(), D2D1::ColorF(1, 1, 1, 1));
    ComPtr<ID2D1Bitmap> bitmap = Upload(rt.Get(), white.Get());
    long start = UnsupportedSoftwareCalls(), calls = 0;
    auto refused = [&](HRESULT hr, auto* const& out) {  // `out` read after the call
        EXPECT_EQ(hr, E_NOTIMPL) << "call " << calls;
        EXPECT_EQ(out, nullptr) << "call " << calls;
        calls++;
    };
    const D2D1_RECT_F rect = D2D1::RectF(2, 2, 30, 20);
    ComPtr<ID2D1RectangleGeometry> geometry;
    ASSERT_HRESULT_SUCCEEDED(Factory()->CreateRectangleGeometry(rect, &geometry));
    Pixels px = Frame([&] {
        rt->SetTransform(D2D1::Matrix3x2F::Identity());
        rt->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
        EXPECT_EQ(UnsupportedSoftwareCalls(), start);

        auto* made = reinterpret_cast<ID2D1Bitmap*>(1);
        uint32_t pixel = 0;
        D2D1_BITMAP_PROPERTIES props =
            D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
        refused(rt->CreateBitmap(D2D1::SizeU(1, 1), &pixel, 4, &props, &made), made);
        auto* stops = reinterpret_cast<ID2D1GradientStopCollection*>(1);
        D2D1_GRADIENT_STOP stop[2] = {{0, D2D1::ColorF(0, 0, 0, 1)}, {1, D2D1::ColorF(1, 1, 1, 1)}};
        refused(rt->CreateGradientStopCollection(stop, 2, &stops), stops);
        auto* layer = reinterpret_cast<ID2D1Layer*>(1);
        refused(rt->CreateLayer(&layer), layer);
        IUnknown* const none = nullptr;
        refused(rt->Flush(), none);
        D2D1_SIZE_U size = D2D1::SizeU(10, 10);
        refused(rt->Resize(&size), none);
        refused(bitmap->CopyFromMemory(nullptr, &pixel, 4), none);

        rt->FillRectangle(rect, brush.Get());
        rt->FillGeometry(geometry.Get(), brush.Get());
        rt->FillEllipse(D2D1::Ellipse(D2D1::Point2F(10, 10), 5, 5), nullptr);  // no brush
        rt->PushAxisAlignedClip(rect, D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
        rt->SetTransform(D2D1::Matrix3x2F::Rotation(30));  // counts; back to the identity does not
        rt->SetTransform(D2D1::Matrix3x2F::Identity());
        rt->SetAntialiasMode(D2D1_ANTIALIAS_MODE_ALIASED);
        DrawPlatform(W, H, [&](ID2D1RenderTarget* platform) {  // a bitmap of another target
            rt->DrawBitmap(Upload(platform, white.Get()).Get(), rect);
        });
    });
    EXPECT_EQ(UnsupportedSoftwareCalls() - start, calls + 7);
    EXPECT_EQ(px, Pixels(W * H, 0xFF000000u));
}
