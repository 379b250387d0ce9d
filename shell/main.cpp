// main.cpp: the program's entry point and its whole life cycle: start-up in a fixed
// order, the message loop, and teardown in a fixed order.
#include "shell.h"

#include "game.h"
#include "sound.h"

// A start-up failure after the sound player is up still skips the teardown, but
// first stops what keeps threads of its own running: the timer queue, the render
// target of a first paint and the loaded sounds' DirectShow graphs. Left running
// while the process ends, their threads crash it on its way out, after its exit
// code is set. No result is tested: the program ends with 0 whatever they say.
static int StopThreadsAndFail()
{
    if (g_timerQueue != NULL)
        DeleteTimerQueueEx(g_timerQueue, INVALID_HANDLE_VALUE);
    DiscardDeviceResources();
    ShutdownSound();
    return 0;
}

// Every start-up failure returns 0 without teardown (from the sound player on, only
// threads are stopped first): the end of the process reclaims the rest.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    if (CoInitialize(NULL) < 0)
        return 0;
    if (D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, IID_ID2D1Factory, NULL,
                          reinterpret_cast<void**>(&g_d2dFactory)) < 0)
        return 0;
    if (DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                            reinterpret_cast<IUnknown**>(&g_dwriteFactory)) < 0)
        return 0;
    if (CreateImagingFactory() < 0)
        return 0;
    // Not tested: a sound player without COM fails its loads, which LoadResources reports.
    InitSound();
    // Before anything can paint: the first paint happens inside UpdateWindow below.
    InitializeCriticalSection(&g_renderLock);
    if (!LoadResources())
        return StopThreadsAndFail();
    ResetGame();
    if (CreateDeviceIndependentResources() < 0)
        return StopThreadsAndFail();
    g_hwnd = CreateMainWindow(hInstance);
    if (g_hwnd == NULL)
        return StopThreadsAndFail();

    // Not tested: both only show the window; the first frame is painted inside
    // UpdateWindow, before the frame clock exists.
    ShowWindow(g_hwnd, nCmdShow);
    UpdateWindow(g_hwnd);

    // Not tested: without a queue the timer below fails, which ends the program.
    g_timerQueue = CreateTimerQueue();
    HANDLE timer = NULL;  // deleted with the queue at teardown
    if (!CreateTimerQueueTimer(&timer, g_timerQueue, RepaintTimerCallback, NULL, 0, 33, 0))
        return StopThreadsAndFail();
    // The first tick is due at once and may run before this; that only shifts its
    // 10 ms test for that one tick.
    g_lastTick = g_tickClock();

    MSG msg = {};  // zeroed: an error on the very first GetMessageW then exits with 0
    for (;;) {
        BOOL got = GetMessageW(&msg, NULL, 0, 0);
        if (got == 0 || got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // The queue goes first and waits for running callbacks, so no tick meets a
    // deleted lock or a released resource. No result below is tested.
    DeleteTimerQueueEx(g_timerQueue, INVALID_HANDLE_VALUE);
    DeleteCriticalSection(&g_renderLock);
    DiscardDeviceResources();
    if (g_backgroundImage != NULL)
        g_backgroundImage->Release();
    if (g_spriteImage != NULL)
        g_spriteImage->Release();
    ReleaseDeviceIndependentResources();
    UnregisterClassW(WindowClassName, hInstance);
    ShutdownSound();
    ReleaseImagingFactory();
    g_dwriteFactory->Release();
    g_d2dFactory->Release();
    CoUninitialize();
    return static_cast<int>(msg.wParam);
}
