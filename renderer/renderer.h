// renderer.h: a Direct2D window render target drawn on the CPU. It takes the
// place of the platform's Direct2D where that is too slow (Wine draws each call
// through OpenGL), behind the same interfaces: the callers draw through
// ID2D1RenderTarget and never know which renderer they have.
#pragma once

#include <windows.h>
#include <d2d1.h>

#include <cstddef>
#include <cstdint>

// How the frame is drawn. The defaults are what a program wants; the plain
// paths and a single band exist so that tests can compare the fast paths with
// the obviously right ones, pixel for pixel.
struct SoftwareRenderOptions {
    bool plainPaths = false;  // scalar code only, no fast paths
    int threads = 0;          // 0: one per processor; 1: all on the calling thread
};

// Creates a render target of `size` pixels that presents to `hwnd` at every
// EndDraw, with one GDI call. With a NULL hwnd the target presents nothing and
// its pixels are read back with CopySoftwareTargetPixels. `factory` is what
// GetFactory returns.
HRESULT CreateSoftwareRenderTarget(ID2D1Factory* factory, HWND hwnd, D2D1_SIZE_U size,
                                   const SoftwareRenderOptions* options, ID2D1HwndRenderTarget** target);

// Copies the picture as the last EndDraw left it: premultiplied BGRA, one
// 0xAARRGGBB per pixel, top row first. E_INVALIDARG if `target` is not a
// software target or `count` is not its width times its height.
HRESULT CopySoftwareTargetPixels(ID2D1RenderTarget* target, uint32_t* pixels, size_t count);

// The name of the threads that draw the bands of a frame beside the caller.
constexpr const wchar_t* WorkerThreadName = L"velkarn band worker";

// How many calls, since the program started, reached a method of the software
// target, its brush or its bitmaps that it does not implement (those draw
// nothing and return E_NOTIMPL where they can).
long UnsupportedSoftwareCalls();
