// shell.h: the application shell's own interface, for its files and its tests: the
// start-up objects, the images, the window and frame clock, and the paint cycle. What
// the game world reads (keys, drawing resources) is in shell_shared.h.
#pragma once

#include "shell_shared.h"

#include <wincodec.h>

#include <atomic>

// ---- start-up objects shared by the shell's files ------------------------------------
extern ID2D1Factory* g_d2dFactory;       // multi-threaded; made by WinMain
extern IDWriteFactory* g_dwriteFactory;  // shared; made by WinMain
extern CRITICAL_SECTION g_renderLock;    // held around every frame and every delayed call

// ---- images and data files (images.cpp) -------------------------------------------------
extern IWICImagingFactory* g_wicFactory;
extern IWICBitmapFrameDecode* g_backgroundImage;  // frame 0 of images\back01.png
extern IWICBitmapFrameDecode* g_spriteImage;      // frame 0 of images\jiki1.png

// The message box LoadResources reports with; MessageBoxW unless a test replaces it.
typedef int(WINAPI* MessageBoxFn)(HWND, LPCWSTR, LPCWSTR, UINT);
extern MessageBoxFn g_showMessageBox;

HRESULT CreateImagingFactory();
void ReleaseImagingFactory();
void LoadImageFrame(const wchar_t* fileName, IWICBitmapFrameDecode** frame);  // throws -1
HRESULT CreateBitmapFromWicFrame(IWICBitmapSource* source, ID2D1RenderTarget* rt, ID2D1Bitmap** bitmap);
BOOL LoadResources();

// ---- window and frame clock (window.cpp) ------------------------------------------------
// The words the timer queue's worker shares with the main thread; each is read
// and written whole.
extern std::atomic<HWND> g_hwnd;
extern std::atomic<LONG> g_windowInactive;  // 1 while the window is inactive
extern std::atomic<DWORD> g_lastTick;       // clock reading of the previous repaint tick
extern std::atomic<DWORD> g_currentTick;    // clock reading of the current repaint tick
extern std::atomic<LONG> g_delayedCallPending;
extern HANDLE g_timerQueue;
extern HANDLE g_delayedCallTimer;

// The millisecond clock of the repaint ticks; timeGetTime unless a test replaces it.
typedef DWORD(WINAPI* ClockFn)();
extern ClockFn g_tickClock;

extern const wchar_t* const WindowClassName;

HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK RepaintTimerCallback(PVOID parameter, BOOLEAN fired);
void ScheduleDelayedCall(DWORD dueTime, void (*fn)());
void CALLBACK DelayedCallTimerCallback(PVOID parameter, BOOLEAN fired);

// ---- paint cycle (paint.cpp) ---------------------------------------------------------------
BOOL OnPaint(HWND hwnd);
void RenderFrame(ID2D1RenderTarget* rt);
HRESULT CreateDeviceResources(HWND hwnd);
void DiscardDeviceResources();
HRESULT CreateDeviceIndependentResources();
void ReleaseDeviceIndependentResources();
