// game_resources.h: the drawing resources the program makes for its render
// target (shell/paint.cpp), made the same way for any real target a test or the
// benchmark draws the game on: both sheets, the brush, the large text format and
// the round-capped stroke style.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>

struct GameResources {
    ID2D1SolidColorBrush* brush = nullptr;
    ID2D1Bitmap* sprites = nullptr;
    ID2D1Bitmap* background = nullptr;
    IDWriteTextFormat* largeFormat = nullptr;
    ID2D1StrokeStyle* roundStroke = nullptr;

    // The sheets and the brush are made by `target`, the stroke style by `factory`
    // (the target's own); the first failure is returned.
    HRESULT Make(ID2D1RenderTarget* target, ID2D1Factory* factory, IWICImagingFactory* wic, IDWriteFactory* dwrite);
    void Release();
    // Points the game's drawing globals (shell/shell.h) at these resources.
    void Install() const;
};
