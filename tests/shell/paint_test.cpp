// The paint cycle against a fake factory whose window targets draw into a real
// offscreen target: what a paint creates, what a lost device throws away and
// rebuilds, and that a paint without its resources runs no game frame.
#include "desktop.h"
#include "fake_d2d.h"
#include "game.h"
#include "offscreen_target.h"
#include "shell.h"
#include "shell_test_util.h"

#include <gtest/gtest.h>

#include <dwrite.h>

namespace {

constexpr UINT SheetW = 48, SheetH = 40;

std::vector<uint32_t> Pattern(uint32_t seed)
{
    std::vector<uint32_t> p(SheetW * SheetH);
    for (size_t i = 0; i < p.size(); i++)
        p[i] = 0xFF000000u | ((seed * 2654435761u + static_cast<uint32_t>(i) * 40503u) & 0xFFFFFF);
    return p;
}

class PaintCycle : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureRenderLock();
        offscreen = new OffscreenTarget(600, 720);
        ASSERT_TRUE(offscreen->ok());
        ASSERT_GE(CreateImagingFactory(), 0);
        {
            ScratchFolder folder(L"shell");
            ASSERT_GE(WritePng(folder / L"back01.png", SheetW, SheetH, Pattern(1), false), 0);
            ASSERT_GE(WritePng(folder / L"jiki1.png", SheetW, SheetH, Pattern(2), true), 0);
            LoadImageFrame((folder / L"back01.png").c_str(), &g_backgroundImage);
            LoadImageFrame((folder / L"jiki1.png").c_str(), &g_spriteImage);
        }
        ASSERT_GE(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                      reinterpret_cast<IUnknown**>(&g_dwriteFactory)),
                  0);
        factory = new FakeFactory(offscreen->factory(), offscreen->target());
        g_d2dFactory = factory;
        ASSERT_EQ(CreateDeviceIndependentResources(), S_OK);
        ResetGame();

        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"velkarn-paint-probe";
        RegisterClassW(&wc);
        // Visible, so that an invalidation leaves an update region to look at.
        hwnd = CreateWindowExW(WS_EX_NOACTIVATE, wc.lpszClassName, L"paint", WS_POPUP, 0, 0, 600, 720, nullptr,
                               nullptr, wc.hInstance, nullptr);
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }

    static void TearDownTestSuite()
    {
        DiscardDeviceResources();
        ReleaseDeviceIndependentResources();
        g_largeTextFormat = g_smallTextFormat = nullptr;
        g_roundStrokeStyle = nullptr;
        g_backgroundImage->Release();
        g_spriteImage->Release();
        g_backgroundImage = g_spriteImage = nullptr;
        g_dwriteFactory->Release();
        g_dwriteFactory = nullptr;
        g_d2dFactory = nullptr;
        ReleaseImagingFactory();
        DestroyWindow(hwnd);
        delete factory;
        delete offscreen;
    }

    void SetUp() override
    {
        DiscardDeviceResources();
        factory->failTarget = factory->failBrush = factory->failBitmap = S_OK;
        factory->failBitmapAt = 0;
        ValidateRect(hwnd, nullptr);
    }

    static bool AllFourExist()
    {
        return g_renderTarget && g_brush && g_spriteSheet && g_backgroundSheet;
    }
    static bool NoneExists()
    {
        return !g_renderTarget && !g_brush && !g_spriteSheet && !g_backgroundSheet;
    }

    // Both sheets drawn 1:1 side by side on the current target, read back.
    static std::vector<uint32_t> SheetPixels()
    {
        D2D1_RECT_F left = D2D1::RectF(0, 0, SheetW, SheetH), right = D2D1::RectF(SheetW, 0, 2 * SheetW, SheetH);
        D2D1_RECT_F source = D2D1::RectF(0, 0, SheetW, SheetH);
        g_renderTarget->BeginDraw();
        g_renderTarget->Clear(D2D1::ColorF(0, 0.0f));
        g_renderTarget->DrawBitmap(g_backgroundSheet, &left, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR,
                                   &source);
        g_renderTarget->DrawBitmap(g_spriteSheet, &right, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR,
                                   &source);
        g_renderTarget->EndDraw(nullptr, nullptr);
        std::vector<uint32_t> all = offscreen->Pixels(), out;
        for (UINT y = 0; y < SheetH; y++)
            out.insert(out.end(), all.begin() + y * 600, all.begin() + y * 600 + 2 * SheetW);
        return out;
    }

    static OffscreenTarget* offscreen;
    static FakeFactory* factory;
    static HWND hwnd;
};

OffscreenTarget* PaintCycle::offscreen;
FakeFactory* PaintCycle::factory;
HWND PaintCycle::hwnd;

}  // namespace

TEST_F(PaintCycle, FirstPaintBuildsEverythingAtClientSizeLaterPaintsCreateNothing)
{
    size_t targetsBefore = factory->targets.size();
    int32_t frame = g_frameCount;
    OnPaint(hwnd);
    ASSERT_EQ(factory->targets.size(), targetsBefore + 1);
    FakeHwndTarget* t = factory->targets.back().get();
    EXPECT_EQ(g_renderTarget, t);
    EXPECT_TRUE(AllFourExist());
    EXPECT_EQ(t->size().width, 600u);
    EXPECT_EQ(t->size().height, 720u);
    EXPECT_EQ(factory->lastHwndProps.hwnd, hwnd);
    EXPECT_EQ(factory->lastHwndProps.presentOptions, D2D1_PRESENT_OPTIONS_NONE);
    EXPECT_EQ(factory->lastProps.pixelFormat.format, DXGI_FORMAT_UNKNOWN);
    EXPECT_EQ(factory->lastProps.dpiX, 0.0f);
    EXPECT_EQ(t->bitmapsCreated, 2);
    EXPECT_EQ(t->brushesCreated, 1);
    EXPECT_EQ(t->clears, 1);
    EXPECT_EQ(t->lastClear.a, 1.0f);  // opaque black under every frame
    EXPECT_EQ(t->lastClear.r + t->lastClear.g + t->lastClear.b, 0.0f);
    EXPECT_EQ(g_frameCount, frame + 1);

    ID2D1Bitmap* sprite = g_spriteSheet;
    OnPaint(hwnd);
    EXPECT_EQ(factory->targets.size(), targetsBefore + 1);
    EXPECT_EQ(t->bitmapsCreated, 2);
    EXPECT_EQ(t->brushesCreated, 1);
    EXPECT_EQ(g_spriteSheet, sprite);
    EXPECT_EQ(t->clears, 2);
    EXPECT_EQ(g_frameCount, frame + 2);
}

TEST_F(PaintCycle, LostDeviceDiscardsAllFourAndTheNextPaintRebuildsTheSamePixels)
{
    OnPaint(hwnd);
    ASSERT_TRUE(AllFourExist());
    std::vector<uint32_t> before = SheetPixels();
    FakeHwndTarget* lost = factory->targets.back().get();

    lost->endDrawResult = static_cast<HRESULT>(D2DERR_RECREATE_TARGET);
    int32_t frame = g_frameCount;
    ValidateRect(hwnd, nullptr);
    OnPaint(hwnd);
    EXPECT_EQ(g_frameCount, frame + 1);  // the step had run; only its picture is lost
    EXPECT_TRUE(NoneExists());
    EXPECT_EQ(lost->refs(), 0u);
    EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE));  // a new paint is asked for at once

    OnPaint(hwnd);
    ASSERT_TRUE(AllFourExist());
    EXPECT_NE(g_renderTarget, lost);
    EXPECT_EQ(g_frameCount, frame + 2);
    EXPECT_EQ(SheetPixels(), before);  // made again from the decoded images

    // Any other failure of EndDraw keeps the resources.
    FakeHwndTarget* kept = factory->targets.back().get();
    kept->endDrawResult = E_FAIL;
    OnPaint(hwnd);
    EXPECT_EQ(g_renderTarget, kept);
    EXPECT_TRUE(AllFourExist());
}

TEST_F(PaintCycle, FailedCreationRunsNoGameFrameAndLeavesNothingHalfMade)
{
    int32_t frame = g_frameCount;

    factory->failTarget = E_OUTOFMEMORY;
    OnPaint(hwnd);
    EXPECT_TRUE(NoneExists());
    EXPECT_EQ(g_frameCount, frame);
    factory->failTarget = S_OK;

    // A failure after the render target drops the target too, so the next paint
    // starts again from the beginning instead of drawing without a sheet or brush.
    struct Script {
        const char* name;
        int failBitmapAt;
        HRESULT failBrush;
    };
    for (const Script& s : {Script{"sprite sheet", 1, S_OK}, Script{"background sheet", 2, S_OK},
                            Script{"brush", 0, E_OUTOFMEMORY}}) {
        factory->failBitmapAt = s.failBitmapAt;
        factory->failBitmap = E_OUTOFMEMORY;
        factory->failBrush = s.failBrush;
        OnPaint(hwnd);
        EXPECT_TRUE(NoneExists()) << s.name;
        EXPECT_EQ(factory->targets.back()->refs(), 0u) << s.name;
        EXPECT_EQ(g_frameCount, frame) << s.name;
    }

    factory->failBitmapAt = 0;
    factory->failBrush = S_OK;
    OnPaint(hwnd);
    EXPECT_TRUE(AllFourExist());
    EXPECT_EQ(g_frameCount, frame + 1);
}
