// shell.h: what the application shell offers the rest of the program: the keyboard
// tables, the drawing resources the game draws with, the window and the paint cycle.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>

#include <atomic>

// ---- keyboard (keyboard.cpp) -------------------------------------------------
constexpr int KeyTableSize = 256;
extern BYTE g_keyDown[KeyTableSize];     // 1 while the key is held
extern BYTE g_keyLatched[KeyTableSize];  // 1 once KeyPressedOnce has reported the press
int KeyPressedOnce(int vk);

// ---- drawing resources (draw_resources.cpp) -------------------------------------
// Device-dependent: NULL until the first paint and after every device loss.
extern ID2D1HwndRenderTarget* g_renderTarget;
extern ID2D1SolidColorBrush* g_brush;
extern ID2D1Bitmap* g_spriteSheet;
extern ID2D1Bitmap* g_backgroundSheet;
// Device-independent: made once before the window exists.
extern IDWriteTextFormat* g_largeTextFormat;
extern IDWriteTextFormat* g_smallTextFormat;
extern ID2D1StrokeStyle* g_roundStrokeStyle;

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
