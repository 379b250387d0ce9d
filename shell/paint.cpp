// paint.cpp: the paint cycle (one paint is one game frame) and the lifetimes of
// the Direct2D and DirectWrite resources the game draws with.
#include "shell.h"

#include "game.h"
#include "renderer.h"

ID2D1Factory* g_d2dFactory;
IDWriteFactory* g_dwriteFactory;
CRITICAL_SECTION g_renderLock;

// Makes sure the device resources exist, clears to black, runs and draws one game
// frame and presents it. On a lost device everything device-dependent is dropped
// and a new paint is asked for at once, which builds it all again.
BOOL OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EnterCriticalSection(&g_renderLock);
    HRESULT hr = CreateDeviceResources(hwnd);
    if (hr >= 0) {
        g_renderTarget->BeginDraw();
        g_renderTarget->Clear(D2D1::ColorF(0x000000, 1.0f));
        RenderFrame(g_renderTarget);
        // Only a lost device matters here; any other failure loses one picture
        // and the resources stay.
        if (g_renderTarget->EndDraw(NULL, NULL) == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) {
            DiscardDeviceResources();
            InvalidateRect(hwnd, NULL, FALSE);
        }
    }
    LeaveCriticalSection(&g_renderLock);
    return EndPaint(hwnd, &ps);
}

// One step of the game world, then the explosion effects over it, given the frame
// count GameFrame has just raised.
void RenderFrame(ID2D1RenderTarget* rt)
{
    GameFrame(rt);
    StepAndDrawEffects(rt, g_brush, g_frameCount);
}

// Under Wine the platform's Direct2D draws every call through OpenGL, far too
// slowly for 30 frames a second, so the software target takes its place there;
// elsewhere the platform's Direct2D draws. VELKARN_RENDERER=direct2d or software
// overrides the choice; any other value is ignored. Decided once per run.
static bool UseSoftwareRenderer()
{
    static const bool software = [] {
        wchar_t value[16];
        DWORD n = GetEnvironmentVariableW(L"VELKARN_RENDERER", value, ARRAYSIZE(value));
        if (n > 0 && n < ARRAYSIZE(value)) {
            if (wcscmp(value, L"software") == 0)
                return true;
            if (wcscmp(value, L"direct2d") == 0)
                return false;
        }
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != NULL && GetProcAddress(ntdll, "wine_get_version") != NULL;
    }();
    return software;
}

// Builds the render target at the window's client size, then the sprite sheet, the
// background sheet and the brush. An existing render target means all four exist:
// a failure after the render target discards everything made so far, so the next
// paint starts again from the beginning and no frame ever runs without a sheet or
// the brush.
HRESULT CreateDeviceResources(HWND hwnd)
{
    if (g_renderTarget != NULL)
        return S_OK;

    RECT rc;
    GetClientRect(hwnd, &rc);
    D2D1_SIZE_U size = D2D1::SizeU(rc.right - rc.left, rc.bottom - rc.top);
    HRESULT hr = UseSoftwareRenderer()
                     ? CreateSoftwareRenderTarget(g_d2dFactory, hwnd, size, NULL, &g_renderTarget)
                     : g_d2dFactory->CreateHwndRenderTarget(D2D1::RenderTargetProperties(),
                                                            D2D1::HwndRenderTargetProperties(hwnd, size),
                                                            &g_renderTarget);
    if (hr < 0)
        return hr;

    hr = CreateBitmapFromWicFrame(g_spriteImage, g_renderTarget, &g_spriteSheet);
    if (hr >= 0)
        hr = CreateBitmapFromWicFrame(g_backgroundImage, g_renderTarget, &g_backgroundSheet);
    if (hr >= 0) {
        D2D1_COLOR_F black = D2D1::ColorF(0x000000, 1.0f);
        hr = g_renderTarget->CreateSolidColorBrush(&black, NULL, &g_brush);
    }
    if (hr < 0) {
        DiscardDeviceResources();
        return hr;
    }
    return S_OK;
}

template <class T>
static void ReleaseAndClear(T** resource)
{
    if (*resource != NULL) {
        (*resource)->Release();
        *resource = NULL;
    }
}

// Releases the render target, the brush and both sheets, whichever exist.
void DiscardDeviceResources()
{
    ReleaseAndClear(&g_renderTarget);
    ReleaseAndClear(&g_brush);
    ReleaseAndClear(&g_backgroundSheet);
    ReleaseAndClear(&g_spriteSheet);
}

// The two text formats and the round-capped stroke style, made once before the
// window exists; the first failure is returned and what was made before it stays.
HRESULT CreateDeviceIndependentResources()
{
    HRESULT hr = g_dwriteFactory->CreateTextFormat(L"メイリオ", NULL, DWRITE_FONT_WEIGHT_BLACK, DWRITE_FONT_STYLE_NORMAL,
                                                   DWRITE_FONT_STRETCH_EXTRA_EXPANDED, 56.0f, L"", &g_largeTextFormat);
    if (hr < 0)
        return hr;
    hr = g_dwriteFactory->CreateTextFormat(L"メイリオ", NULL, DWRITE_FONT_WEIGHT_BOLD, DWRITE_FONT_STYLE_NORMAL,
                                           DWRITE_FONT_STRETCH_NORMAL, 16.0f, L"", &g_smallTextFormat);
    if (hr < 0)
        return hr;
    D2D1_STROKE_STYLE_PROPERTIES stroke = D2D1::StrokeStyleProperties(
        D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_FLAT, D2D1_LINE_JOIN_MITER, 10.0f,
        D2D1_DASH_STYLE_SOLID, 0.0f);
    hr = g_d2dFactory->CreateStrokeStyle(&stroke, NULL, 0, &g_roundStrokeStyle);
    if (hr < 0)
        return hr;
    return S_OK;
}

// Released once at teardown; the pointers are not cleared, nothing uses them after.
void ReleaseDeviceIndependentResources()
{
    if (g_smallTextFormat != NULL)
        g_smallTextFormat->Release();
    if (g_largeTextFormat != NULL)
        g_largeTextFormat->Release();
    if (g_roundStrokeStyle != NULL)
        g_roundStrokeStyle->Release();
}
