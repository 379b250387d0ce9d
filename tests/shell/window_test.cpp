// The window side of the shell: the key tables as WindowProc fills them, message
// routing, the main window itself, the frame clock's 9 ms / 10 ms rule and the
// delayed call.
#include "shell.h"
#include "shell_test_util.h"
#include "sound.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

namespace {

// A small visible window whose update region shows whether something was
// invalidated (a hidden window keeps no update region). Nothing pumps its
// messages, so the region stays until the test reads and clears it.
class ProbeWindow {
public:
    ProbeWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"velkarn-shell-probe";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(WS_EX_NOACTIVATE, wc.lpszClassName, L"probe", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                               wc.hInstance, nullptr);
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        ValidateRect(hwnd, nullptr);
    }
    ~ProbeWindow() { DestroyWindow(hwnd); }
    // Whether the window was invalidated since the last call; clears the region.
    bool TakeInvalidated()
    {
        bool invalid = GetUpdateRect(hwnd, nullptr, FALSE) != 0;
        ValidateRect(hwnd, nullptr);
        return invalid;
    }
    HWND hwnd;
};

LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam = 0)
{
    return WindowProc(nullptr, message, wParam, lParam);
}

void ClearKeys()
{
    memset(g_keyDown, 0, sizeof g_keyDown);
    memset(g_keyLatched, 0, sizeof g_keyLatched);
}

constexpr LPARAM Repeat = 0x40000000;  // bit 30: the key was already down

}  // namespace

// ---- keyboard ---------------------------------------------------------------------------

TEST(Keyboard, HeldKeyIsReportedOncePerPressDespiteAutoRepeat)
{
    ClearKeys();
    EXPECT_EQ(Send(WM_KEYDOWN, VK_SPACE), 0);
    EXPECT_EQ(KeyPressedOnce(VK_SPACE), 1);  // first frame after the press
    for (int frame = 0; frame < 3; frame++) {
        Send(WM_KEYDOWN, VK_SPACE, Repeat);
        EXPECT_EQ(KeyPressedOnce(VK_SPACE), 0) << "frame " << frame;
    }
    EXPECT_EQ(g_keyDown[VK_SPACE], 1);
    EXPECT_EQ(Send(WM_KEYUP, VK_SPACE), 0);
    EXPECT_EQ(g_keyDown[VK_SPACE], 0);
    EXPECT_EQ(g_keyLatched[VK_SPACE], 0);
    EXPECT_EQ(KeyPressedOnce(VK_SPACE), 0);

    Send(WM_KEYDOWN, VK_SPACE);  // a new press is a new report
    EXPECT_EQ(KeyPressedOnce(VK_SPACE), 1);
    Send(WM_KEYUP, VK_SPACE);
}

TEST(Keyboard, PressAndReleaseBetweenTwoFramesIsNeverSeen)
{
    ClearKeys();
    Send(WM_KEYDOWN, VK_SPACE);
    Send(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(g_keyDown[VK_SPACE], 0);
    EXPECT_EQ(g_keyLatched[VK_SPACE], 0);
    EXPECT_EQ(KeyPressedOnce(VK_SPACE), 0);
}

TEST(Keyboard, KeyMessagesBeyondTheTablesChangeNothing)
{
    ClearKeys();
    Send(WM_KEYDOWN, VK_LEFT);
    KeyPressedOnce(VK_LEFT);
    BYTE down[KeyTableSize], latched[KeyTableSize];
    memcpy(down, g_keyDown, sizeof down);
    memcpy(latched, g_keyLatched, sizeof latched);

    for (WPARAM vk : {WPARAM(256), WPARAM(300), WPARAM(0x10000)}) {
        EXPECT_EQ(Send(WM_KEYDOWN, vk), 0);
        EXPECT_EQ(Send(WM_KEYUP, vk), 0);
    }
    EXPECT_EQ(memcmp(down, g_keyDown, sizeof down), 0);
    EXPECT_EQ(memcmp(latched, g_keyLatched, sizeof latched), 0);

    Send(WM_KEYDOWN, 255);  // the last entry is still a key
    EXPECT_EQ(g_keyDown[255], 1);
    ClearKeys();
}

// ---- message routing and the window ---------------------------------------------------------

TEST(WindowProc, ActivationLooksAtTheLowWordOnly)
{
    g_windowInactive = 0;
    EXPECT_EQ(Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1)), 0);  // high word: minimised
    EXPECT_EQ(g_windowInactive, 1);
    Send(WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0));
    EXPECT_EQ(g_windowInactive, 0);
    Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0));
    EXPECT_EQ(g_windowInactive, 1);
    Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1));
    EXPECT_EQ(g_windowInactive, 0);
}

TEST(WindowProc, SoundNotifyWithoutARecordReturnsZero)
{
    EXPECT_EQ(Send(WM_SOUND_NOTIFY, 0, 0), 0);
    EXPECT_EQ(Send(WM_SOUND_NOTIFY, 12345, 0), 0);
}

TEST(MainWindow, IsCentredFixedSizeAndClosesIntoTheQuitMessage)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND hwnd = CreateMainWindow(instance);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));  // showing it is the start-up's work

    wchar_t text[128];
    GetClassNameW(hwnd, text, 128);
    EXPECT_STREQ(text, L"__ZO_VA2DAZOR_IDAVAV");
    GetWindowTextW(hwnd, text, 128);
    EXPECT_STREQ(text, L"KESTRAVON SF SHOOTING GAME DIRECT 2D VERSION");
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX), WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    RECT client, outer, work;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 720);
    EXPECT_EQ(outer.left, work.right / 2 - (outer.right - outer.left) / 2);
    EXPECT_EQ(outer.top, work.bottom / 2 - (outer.bottom - outer.top) / 2);

    // The class is taken now: a second window cannot be made.
    EXPECT_EQ(CreateMainWindow(instance), nullptr);

    // Routed to the default procedure: the text is set.
    WindowProc(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"other"));
    GetWindowTextW(hwnd, text, 128);
    EXPECT_STREQ(text, L"other");

    // The close box's message: the default destroys the window, WM_DESTROY posts quit 0.
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_TRUE(UnregisterClassW(L"__ZO_VA2DAZOR_IDAVAV", instance));
}

// ---- frame clock ------------------------------------------------------------------------------

namespace {

DWORD s_now;
DWORD WINAPI FakeClock()
{
    return s_now;
}

class FrameClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hwnd = probe.hwnd;
        g_windowInactive = 0;
        g_tickClock = FakeClock;
        probe.TakeInvalidated();
    }
    void TearDown() override
    {
        g_tickClock = timeGetTime;
        g_hwnd = nullptr;
        g_windowInactive = 0;
    }
    bool TickAt(DWORD now)
    {
        s_now = now;
        RepaintTimerCallback(nullptr, TRUE);
        EXPECT_EQ(g_lastTick, now);  // every tick moves the last tick on
        EXPECT_EQ(g_currentTick, now);
        return probe.TakeInvalidated();
    }
    ProbeWindow probe;
};

}  // namespace

TEST_F(FrameClock, TickNineMsAfterTheLastAsksNoRepaintTenMsDoes)
{
    g_lastTick = 1000;
    EXPECT_FALSE(TickAt(1009));
    EXPECT_TRUE(TickAt(1019));  // measured from 1009, not from 1000
    EXPECT_TRUE(TickAt(1052));
    EXPECT_FALSE(TickAt(1052));
}

TEST_F(FrameClock, WrapOfTheMillisecondClockStillMeasuresTheTrueGap)
{
    g_lastTick = 0xFFFFFFFAu;
    EXPECT_TRUE(TickAt(4));  // 10 ms across the wrap
    g_lastTick = 0xFFFFFFFCu;
    EXPECT_FALSE(TickAt(4));  // 8 ms across the wrap
}

TEST_F(FrameClock, InactiveWindowIsNotRepaintedButTheClockMovesOn)
{
    g_lastTick = 5000;
    Send(WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0));
    EXPECT_FALSE(TickAt(5033));
    EXPECT_FALSE(TickAt(5066));
    Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0));
    EXPECT_TRUE(TickAt(5099));  // about 33 ms since the previous tick
}

// ---- delayed call --------------------------------------------------------------------------------

namespace {

std::atomic<int> s_firstRuns, s_secondRuns;
HANDLE s_firstDone, s_secondDone;

void First()
{
    s_firstRuns++;
    SetEvent(s_firstDone);
}

void Second()
{
    s_secondRuns++;
    SetEvent(s_secondDone);
}

constexpr DWORD Generous = 30000;  // ms; a deadline for slow machines, not a timing

}  // namespace

TEST(DelayedCall, SecondRequestWhilePendingIsDroppedAndTheCallWaitsForTheRenderLock)
{
    EnsureRenderLock();
    g_timerQueue = CreateTimerQueue();
    ASSERT_NE(g_timerQueue, nullptr);
    s_firstDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    s_secondDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);

    // While a frame holds the render lock, the due call cannot run.
    EnterCriticalSection(&g_renderLock);
    ScheduleDelayedCall(0, First);
    ScheduleDelayedCall(0, Second);  // dropped: First is pending
    EXPECT_EQ(g_delayedCallPending, 1);
    EXPECT_EQ(WaitForSingleObject(s_firstDone, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    LeaveCriticalSection(&g_renderLock);

    ASSERT_EQ(WaitForSingleObject(s_firstDone, Generous), WAIT_OBJECT_0);
    EXPECT_EQ(s_firstRuns, 1);
    EXPECT_EQ(g_delayedCallPending, 0);

    // Once the first has run, a new request replaces the spent timer and runs.
    ScheduleDelayedCall(0, Second);
    ASSERT_EQ(WaitForSingleObject(s_secondDone, Generous), WAIT_OBJECT_0);
    EXPECT_EQ(s_secondRuns, 1);
    EXPECT_EQ(s_firstRuns, 1);

    DeleteTimerQueueEx(g_timerQueue, INVALID_HANDLE_VALUE);
    g_timerQueue = nullptr;
    g_delayedCallTimer = nullptr;
    CloseHandle(s_firstDone);
    CloseHandle(s_secondDone);
}
