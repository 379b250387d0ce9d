// End to end: the three real programs run as child processes from bin/, looked at
// from outside as a user sees them: the window, its pictures, the keys, closing,
// and the message box when a data file is missing. Every wait polls the screen or
// the process against a generous deadline; no test depends on how fast frames come.
#include "offscreen_target.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const wchar_t* const ClassName = L"__ZO_VA2DAZOR_IDAVAV";
constexpr int ClientW = 600, ClientH = 720;
constexpr DWORD Deadline = 240000;  // ms; for slow machines, never an expectation

typedef std::vector<uint32_t> Picture;  // ClientW x ClientH, 0x00RRGGBB

// Polls `done` every 100 ms until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& done, DWORD deadline = Deadline)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start > deadline)
            return false;
        Sleep(100);
    }
}

std::wstring FullPath(const std::wstring& relative)
{
    wchar_t full[MAX_PATH];
    GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
    return full;
}

// A child process, ended by force if a test leaves it running.
class Child {
public:
    Child(const std::wstring& exe, const std::wstring& folder)
    {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\"";
        started_ = CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                                  &pi_) != 0;
    }
    ~Child()
    {
        if (started_) {
            if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(pi_.hProcess, 99);
                WaitForSingleObject(pi_.hProcess, 30000);
            }
            CloseHandle(pi_.hThread);
            CloseHandle(pi_.hProcess);
        }
    }
    bool started() const { return started_; }
    bool running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD id() const { return pi_.dwProcessId; }
    // The exit code once the process has ended, or -1 if it does not end in time.
    long ExitCode() const
    {
        if (WaitForSingleObject(pi_.hProcess, Deadline) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return static_cast<long>(code);
    }
    // The top-level window of this process with the class and (if given) title.
    HWND FindTopWindow(const wchar_t* cls, const wchar_t* title = nullptr) const
    {
        HWND w = nullptr;
        while ((w = FindWindowExW(nullptr, w, cls, title)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == pi_.dwProcessId)
                return w;
        }
        return nullptr;
    }

private:
    PROCESS_INFORMATION pi_ = {};
    bool started_ = false;
};

// The client area as the window's own device context shows it. The window is
// brought to the front first: an inactive game stands still, and another
// program's window over it would be read instead.
Picture Capture(HWND hwnd)
{
    if (GetForegroundWindow() != hwnd)
        SetForegroundWindow(hwnd);
    Picture out(ClientW * ClientH);
    HDC source = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = ClientW;
    bi.bmiHeader.biHeight = -ClientH;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, ClientW, ClientH, source, 0, 0, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < out.size(); i++)
        out[i] = p[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(hwnd, source);
    return out;
}

double MeanLevel(const Picture& a)
{
    double sum = 0;
    for (uint32_t p : a)
        sum += (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
    return sum / (3.0 * a.size());
}

// Mean absolute difference per colour channel, 0 to 255.
double MeanDifference(const Picture& a, const Picture& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); i++)
        for (int shift = 0; shift < 24; shift += 8)
            sum += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
    return sum / (3.0 * a.size());
}

// Frame 0 of an image file, converted to premultiplied 32-bit BGRA.
IWICFormatConverter* Decode(IWICImagingFactory* wic, const wchar_t* file)
{
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    HRESULT hr = wic->CreateDecoderFromFilename(file, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad, &decoder);
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr))
        hr = wic->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeMedianCut);
    if (FAILED(hr) && converter) {
        converter->Release();
        converter = nullptr;
    }
    if (frame)
        frame->Release();
    if (decoder)
        decoder->Release();
    return converter;
}

// The opening picture as the game draws it: the stage picture of the background
// sheet squeezed into the field, drawn offscreen by the same means.
Picture ExpectedOpening()
{
    OffscreenTarget off(ClientW, ClientH);
    Picture out;
    IWICFormatConverter* sheet = off.ok() ? Decode(off.wic(), L"images\\back01.png") : nullptr;
    ID2D1Bitmap* bitmap = nullptr;
    if (sheet && SUCCEEDED(off.target()->CreateBitmapFromWicBitmap(sheet, nullptr, &bitmap))) {
        D2D1_RECT_F source = D2D1::RectF(600, 0, 1800, 768), dest = D2D1::RectF(0, 0, 600, 768);
        off.target()->BeginDraw();
        off.target()->Clear(D2D1::ColorF(0x000000, 1.0f));
        off.target()->DrawBitmap(bitmap, &dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, &source);
        off.target()->EndDraw();
        for (uint32_t p : off.Pixels())
            out.push_back(p & 0xFFFFFF);
        bitmap->Release();
    }
    if (sheet)
        sheet->Release();
    return out;
}

// The ship's sprite, premultiplied BGRA, 50 x 100, from the sprite sheet.
struct Sprite {
    std::vector<uint32_t> pixels;
    static constexpr int W = 50, H = 100;
};

Sprite ShipSprite()
{
    OffscreenTarget off(1, 1);  // only for its imaging factory
    Sprite s;
    IWICFormatConverter* sheet = off.ok() ? Decode(off.wic(), L"images\\jiki1.png") : nullptr;
    if (sheet) {
        s.pixels.resize(Sprite::W * Sprite::H);
        WICRect rect = {0, 0, Sprite::W, Sprite::H};
        sheet->CopyPixels(&rect, Sprite::W * 4, Sprite::W * Sprite::H * 4, reinterpret_cast<BYTE*>(s.pixels.data()));
        sheet->Release();
    }
    return s;
}

// Share of the sprite's opaque pixels that the picture shows, nearly unchanged,
// with the sprite centred on (cx, cy).
double ShipMatch(const Picture& shot, const Sprite& ship, int cx, int cy)
{
    int opaque = 0, same = 0;
    for (int y = 0; y < Sprite::H; y++) {
        for (int x = 0; x < Sprite::W; x++) {
            uint32_t s = ship.pixels[y * Sprite::W + x];
            if ((s >> 24) != 0xFF)
                continue;
            int px = cx - Sprite::W / 2 + x, py = cy - Sprite::H / 2 + y;
            if (px < 0 || px >= ClientW || py < 0 || py >= ClientH)
                continue;
            opaque++;
            uint32_t p = shot[py * ClientW + px];
            bool close = true;
            for (int shift = 0; shift < 24; shift += 8)
                close = close && std::abs(static_cast<int>((p >> shift) & 0xFF) -
                                          static_cast<int>((s >> shift) & 0xFF)) <= 12;
            same += close ? 1 : 0;
        }
    }
    return opaque ? static_cast<double>(same) / opaque : 0.0;
}

// Where the ship stands on its starting row, among the places the left key can
// take it (300 down by 8 per frame, clamped at 24); -1 if it is not seen.
int FindShipX(const Picture& shot, const Sprite& ship)
{
    int best = -1;
    double bestMatch = 0.6;  // most of the sprite visible, whatever flies over it
    for (int step = 0; step <= 35; step++) {
        int x = step < 35 ? 300 - 8 * step : 24;
        double m = ShipMatch(shot, ship, x, 520);
        if (m > bestMatch) {
            bestMatch = m;
            best = x;
        }
    }
    return best;
}

HRESULT SavePng(const Picture& shot, const std::wstring& path)
{
    OffscreenTarget off(1, 1);  // only for its imaging factory
    IWICImagingFactory* wic = off.wic();
    if (!wic)
        return E_FAIL;
    std::vector<uint32_t> opaque(shot);
    for (uint32_t& p : opaque)
        p |= 0xFF000000u;
    IWICBitmap* bitmap = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    HRESULT hr = wic->CreateBitmapFromMemory(ClientW, ClientH, GUID_WICPixelFormat32bppBGRA, ClientW * 4,
                                             ClientW * ClientH * 4, reinterpret_cast<BYTE*>(opaque.data()), &bitmap);
    if (SUCCEEDED(hr))
        hr = wic->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr))
        hr = wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->WriteSource(bitmap, nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    if (frame)
        frame->Release();
    if (encoder)
        encoder->Release();
    if (stream)
        stream->Release();
    if (bitmap)
        bitmap->Release();
    return hr;
}

void PostKey(HWND hwnd, UINT message, WPARAM vk)
{
    LPARAM lParam = message == WM_KEYUP ? 0xC0000001 : 0x00000001;
    PostMessageW(hwnd, message, vk, lParam);
}

}  // namespace

// ---- the three programs -------------------------------------------------------------------

class Program : public ::testing::TestWithParam<int> {};

TEST_P(Program, ShowsTheOpeningThenScrollsMovesTheShipAndClosesWithExitCodeZero)
{
    int edition = GetParam();
    std::wstring exe = FullPath(L"velkarn-" + std::to_wstring(edition) + L".exe");
    Picture opening = ExpectedOpening();
    Sprite ship = ShipSprite();
    ASSERT_EQ(opening.size(), static_cast<size_t>(ClientW * ClientH)) << "images\\back01.png not readable";
    ASSERT_FALSE(ship.pixels.empty()) << "images\\jiki1.png not readable";

    Child child(exe, FullPath(L"."));
    ASSERT_TRUE(child.started());
    HWND hwnd = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hwnd = child.FindTopWindow(ClassName)) != nullptr || !child.running(); }));
    ASSERT_NE(hwnd, nullptr) << "the program ended without a window";

    // The window: title per edition, fixed client size, centred on the work area.
    wchar_t title[128];
    GetWindowTextW(hwnd, title, 128);
    EXPECT_STREQ(title, edition == 1 ? L"KESTRAVON SF SHOOTING GAME DIRECT 2D"
                                     : L"KESTRAVON SF SHOOTING GAME DIRECT 2D VERSION");
    RECT client, outer, work;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(client.right - client.left, ClientW);
    EXPECT_EQ(client.bottom - client.top, ClientH);
    EXPECT_EQ(outer.left, work.right / 2 - (outer.right - outer.left) / 2);
    EXPECT_EQ(outer.top, work.bottom / 2 - (outer.bottom - outer.top) / 2);

    // The first picture on screen is the opening picture.
    Picture shot;
    ASSERT_TRUE(WaitFor([&] {
        shot = Capture(hwnd);
        return MeanLevel(shot) > 8.0;
    })) << "the window stays black";
    EXPECT_LT(MeanDifference(shot, opening), 4.0) << "first picture is not the opening picture";

    // After the opening the battle is drawn and the background moves.
    ASSERT_TRUE(WaitFor([&] {
        shot = Capture(hwnd);
        return MeanDifference(shot, opening) > 30.0;
    })) << "the opening picture never ends";
    Picture before = shot;
    ASSERT_TRUE(WaitFor([&] {
        shot = Capture(hwnd);
        return MeanDifference(shot, before) > 1.0;
    })) << "the picture stands still after the opening";

    // The ship stands at its start until the left key is held, then moves left.
    ASSERT_TRUE(WaitFor([&] { return FindShipX(Capture(hwnd), ship) == 300; })) << "ship not seen at its start";
    PostKey(hwnd, WM_KEYDOWN, VK_LEFT);
    int x = -1;
    EXPECT_TRUE(WaitFor([&] {
        shot = Capture(hwnd);
        x = FindShipX(shot, ship);
        return x >= 24 && x < 300;
    })) << "the ship did not move left";
    PostKey(hwnd, WM_KEYUP, VK_LEFT);

    CreateDirectoryW(L"screenshots", nullptr);
    EXPECT_GE(SavePng(Capture(hwnd), FullPath(L"screenshots\\velkarn-" + std::to_wstring(edition) + L".png")), 0);

    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(child.ExitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Editions, Program, ::testing::Values(1, 2, 3),
                         [](const ::testing::TestParamInfo<int>& p) { return "velkarn" + std::to_string(p.param); });

// ---- a missing data file ----------------------------------------------------------------------

namespace {

// A copy of the third program with its data files, less one, in a scratch folder.
class ScratchCopy {
public:
    explicit ScratchCopy(const wchar_t* missing)
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"velkarn-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++serial_);
        CreateDirectoryW(path_.c_str(), nullptr);
        CreateDirectoryW((path_ + L"\\images").c_str(), nullptr);
        CreateDirectoryW((path_ + L"\\sound").c_str(), nullptr);
        for (const wchar_t* f : Files()) {
            if (std::wstring(f) != missing)
                CopyFileW(FullPath(f).c_str(), (path_ + L"\\" + f).c_str(), FALSE);
        }
    }
    ~ScratchCopy()
    {
        for (const wchar_t* f : Files())
            DeleteFileW((path_ + L"\\" + f).c_str());
        RemoveDirectoryW((path_ + L"\\images").c_str());
        RemoveDirectoryW((path_ + L"\\sound").c_str());
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }

private:
    static std::vector<const wchar_t*> Files()
    {
        return {L"velkarn-3.exe",      L"images\\back01.png", L"images\\jiki1.png", L"sound\\bgm01.mp3",
                L"sound\\bgm02.mp3",   L"sound\\bgm03.mp3",   L"sound\\bom2.mp3",   L"sound\\SHOT.mp3",
                L"sound\\Loc2.mp3"};
    }
    std::wstring path_;
    static int serial_;
};
int ScratchCopy::serial_;

BOOL CALLBACK FindStaticText(HWND child, LPARAM out)
{
    wchar_t cls[32], text[256];
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextW(child, text, 256) > 0) {
        *reinterpret_cast<std::wstring*>(out) = text;
        return FALSE;
    }
    return TRUE;
}

struct MissingFile {
    const wchar_t* file;
    const wchar_t* text;
};

class Missing : public ::testing::TestWithParam<MissingFile> {};

}  // namespace

TEST_P(Missing, ShowsItsBoxAndNoWindowThenEndsWithExitCodeZero)
{
    ScratchCopy copy(GetParam().file);
    Child child(copy.path() + L"\\velkarn-3.exe", copy.path());
    ASSERT_TRUE(child.started());
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = child.FindTopWindow(L"#32770", L"V2Ivo")) != nullptr || !child.running(); }));
    ASSERT_NE(box, nullptr) << "the program ended without a box";

    std::wstring text;
    EnumChildWindows(box, FindStaticText, reinterpret_cast<LPARAM>(&text));
    EXPECT_EQ(text, GetParam().text);
    EXPECT_EQ(child.FindTopWindow(ClassName), nullptr);  // no main window behind the box

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(child.ExitCode(), 0);
    EXPECT_EQ(child.FindTopWindow(ClassName), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Files, Missing,
                         ::testing::Values(MissingFile{L"images\\back01.png", L"画像ファイルが開けません"},
                                           MissingFile{L"sound\\Loc2.mp3", L"サウンドファイルが開けません"}),
                         [](const ::testing::TestParamInfo<MissingFile>& p) {
                             return p.index == 0 ? std::string("Background") : std::string("LockOnSound");
                         });
