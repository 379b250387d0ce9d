// window.cpp: the main window, its message routing, and the frame clock: a
// timer-queue callback that asks for one repaint (one game frame) every 33 ms.
#include "shell.h"

#include "edition.h"
#include "sound.h"

std::atomic<HWND> g_hwnd;
std::atomic<LONG> g_windowInactive;
std::atomic<DWORD> g_lastTick;
std::atomic<DWORD> g_currentTick;
std::atomic<LONG> g_delayedCallPending;
HANDLE g_timerQueue;
HANDLE g_delayedCallTimer;

ClockFn g_tickClock = timeGetTime;

const wchar_t* const WindowClassName = L"__ZO_VA2DAZOR_IDAVAV";

namespace {

constexpr int ClientWidth = 600;
constexpr int ClientHeight = 720;
constexpr DWORD MinTickGap = 10;  // ms; a closer tick (a late one's catch-up) asks for no repaint

}  // namespace

// Registers the class and creates the fixed-size window, hidden, centred on the
// point (right / 2, bottom / 2) of the work area. NULL if either step fails.
HWND CreateMainWindow(HINSTANCE instance)
{
    WNDCLASSEXW wc;
    wc.cbSize = sizeof(WNDCLASSEXW);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(NULL, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(NULL, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = NULL;
    wc.lpszClassName = WindowClassName;
    wc.hIconSm = NULL;
    if (RegisterClassExW(&wc) == 0)
        return NULL;

    int width = ClientWidth + 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
    int frameY = GetSystemMetrics(SM_CYFIXEDFRAME);
    int height = ClientHeight + GetSystemMetrics(SM_CYCAPTION) + 2 * frameY;

    RECT deskRect = {0, 0, 0, 0};
    // Not tested: on failure the zeroed rectangle puts the window at the top left.
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &deskRect, 0);
    // Each half is taken separately (truncating toward zero) before subtracting;
    // the work area's left and top are deliberately not used.
    int x = deskRect.right / 2 - width / 2;
    int y = deskRect.bottom / 2 - height / 2;

    const wchar_t* title = g_edition.titleSuffix ? L"KESTRAVON SF SHOOTING GAME DIRECT 2D VERSION"
                                                 : L"KESTRAVON SF SHOOTING GAME DIRECT 2D";
    return CreateWindowExW(0, WindowClassName, title, WS_SYSMENU | WS_MINIMIZEBOX, x, y, width, height, NULL, NULL,
                           instance, NULL);
}

// Key messages beyond the 256-entry tables are dropped: they cannot name a key the
// game reads, and indexing with them would write past the tables.
static void OnKey(WPARAM vk, bool down)
{
    if (vk >= static_cast<WPARAM>(KeyTableSize))
        return;
    if (down) {
        g_keyDown[vk] = 1;
    } else {
        g_keyDown[vk] = 0;
        g_keyLatched[vk] = 0;
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        g_windowInactive = LOWORD(wParam) == WA_INACTIVE ? 1 : 0;
        return 0;
    case WM_PAINT:
        // Not tested: EndPaint's result says nothing the window could act on.
        OnPaint(hwnd);
        return 0;
    case WM_KEYDOWN:
        OnKey(wParam, true);
        return 0;
    case WM_KEYUP:
        OnKey(wParam, false);
        return 0;
    case WM_SOUND_NOTIFY:
        HandleSoundNotify(reinterpret_cast<DShowHLP::Sound*>(lParam));
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Runs on the timer queue's worker every 33 ms. The elapsed time is an unsigned
// 32-bit difference, so a wrap of the millisecond clock still measures right.
void CALLBACK RepaintTimerCallback(PVOID, BOOLEAN)
{
    DWORD now = g_tickClock();
    g_currentTick = now;
    DWORD elapsed = now - g_lastTick;
    g_lastTick = now;
    if (elapsed >= MinTickGap && g_windowInactive == 0) {
        // Not tested: a failed invalidation only skips this frame.
        InvalidateRect(g_hwnd, NULL, FALSE);
    }
}

// Schedules fn once after dueTime ms on the timer queue, unless a call is still
// pending: then this request is dropped and the pending one stays as it was.
void ScheduleDelayedCall(DWORD dueTime, void (*fn)())
{
    // One exchange both tests and sets the flag, so two threads cannot both pass.
    if (g_delayedCallPending.exchange(1) != 0)
        return;
    if (g_delayedCallTimer != NULL) {
        // Not tested: the spent timer's call has started already; nothing waits for it.
        DeleteTimerQueueTimer(g_timerQueue, g_delayedCallTimer, NULL);
    }
    // Not tested: without the timer the flag stays set and later requests are dropped.
    CreateTimerQueueTimer(&g_delayedCallTimer, g_timerQueue, DelayedCallTimerCallback, reinterpret_cast<PVOID>(fn),
                          dueTime, 0, 0);
}

// Runs the scheduled function under the render lock, so never in the middle of a
// frame. The flag is cleared first, so fn itself may schedule the next call.
void CALLBACK DelayedCallTimerCallback(PVOID parameter, BOOLEAN)
{
    void (*fn)() = reinterpret_cast<void (*)()>(parameter);
    EnterCriticalSection(&g_renderLock);
    g_delayedCallPending = 0;
    fn();
    LeaveCriticalSection(&g_renderLock);
}
