// End to end: the three real programs run as child processes from bin/, looked at
// from outside as a user sees them: the window, its pictures, the keys, closing,
// the renderer they draw with, and the message box when a data file is missing. Every wait polls the screen or
// the process against a generous deadline; no test depends on how fast frames come.
#include "desktop.h"
#include "offscreen_target.h"
#include "renderer.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>
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
    return PollUntil(done, deadline, 100);
}

// The client area as the window's own device context shows it. The window is
// brought to the front first: an inactive game stands still, and another
// program's window over it would be read instead.
Picture Capture(HWND hwnd)
{
    if (GetForegroundWindow() != hwnd)
        SetForegroundWindow(hwnd);
    return CaptureClient(hwnd, ClientW, ClientH);
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

// Writes a capture as a PNG, for people to look at.
HRESULT SavePng(const Picture& shot, const std::wstring& path)
{
    return WriteOpaquePng(path, ClientW, ClientH, shot);
}

// The first picture the window shows that is not black; false if none comes.
bool WaitForFirstPicture(HWND hwnd, Picture* shot)
{
    return WaitFor([&] {
        *shot = Capture(hwnd);
        return MeanLevel(*shot) > 8.0;
    });
}

// Whether the process runs the software renderer's band workers, known by their
// thread name. Only a machine with more than one processor has any.
bool HasBandWorkers(DWORD pid)
{
    typedef HRESULT(WINAPI * GetThreadDescriptionFn)(HANDLE, PWSTR*);
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription");
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (proc == nullptr || snapshot == INVALID_HANDLE_VALUE)
        return false;
    auto describe = reinterpret_cast<GetThreadDescriptionFn>(reinterpret_cast<void*>(proc));
    bool found = false;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more && !found; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid)
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread == nullptr)
            continue;
        PWSTR name = nullptr;
        if (SUCCEEDED(describe(thread, &name)) && name != nullptr) {
            found = wcscmp(name, WorkerThreadName) == 0;
            LocalFree(name);
        }
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return found;
}

bool SeveralProcessors()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 1;
}

// The renderer a child program is started with, for as long as this lives.
class RendererChoice {
public:
    explicit RendererChoice(const wchar_t* value) { SetEnvironmentVariableW(L"VELKARN_RENDERER", value); }
    ~RendererChoice() { SetEnvironmentVariableW(L"VELKARN_RENDERER", nullptr); }
    RendererChoice(const RendererChoice&) = delete;
    RendererChoice& operator=(const RendererChoice&) = delete;
};

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

    ChildProgram child(exe, FullPath(L"."), Deadline);
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
    ASSERT_TRUE(WaitForFirstPicture(hwnd, &shot)) << "the window stays black";
    EXPECT_LT(MeanDifference(shot, opening), 4.0) << "first picture is not the opening picture";
    // Under Wine the software renderer draws, unless told otherwise.
    if (SeveralProcessors()) {
        EXPECT_TRUE(HasBandWorkers(child.processId())) << "not drawn by the software renderer";
    }

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

// VELKARN_RENDERER=direct2d hands the drawing back to the platform's Direct2D,
// which under Wine is slow but draws the same opening and the battle after it.
TEST_P(Program, DrawsWithThePlatformsDirect2DWhenAskedTo)
{
    int edition = GetParam();
    Picture opening = ExpectedOpening();
    ASSERT_EQ(opening.size(), static_cast<size_t>(ClientW * ClientH)) << "images\\back01.png not readable";
    RendererChoice platform(L"direct2d");
    ChildProgram child(FullPath(L"velkarn-" + std::to_wstring(edition) + L".exe"), FullPath(L"."), Deadline);
    ASSERT_TRUE(child.started());
    HWND hwnd = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hwnd = child.FindTopWindow(ClassName)) != nullptr || !child.running(); }));
    ASSERT_NE(hwnd, nullptr) << "the program ended without a window";

    Picture shot;
    ASSERT_TRUE(WaitForFirstPicture(hwnd, &shot)) << "the window stays black";
    EXPECT_LT(MeanDifference(shot, opening), 4.0) << "first picture is not the opening picture";
    EXPECT_FALSE(HasBandWorkers(child.processId())) << "drawn by the software renderer";
    EXPECT_TRUE(WaitFor([&] { return MeanDifference(Capture(hwnd), opening) > 30.0; })) << "the opening never ends";

    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(child.ExitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Editions, Program, ::testing::Values(1, 2, 3),
                         [](const ::testing::TestParamInfo<int>& p) { return "velkarn" + std::to_string(p.param); });

// ---- a missing data file ----------------------------------------------------------------------

namespace {

// A copy of the third program with its data files, less one, in a scratch folder.
class ScratchCopy : public ScratchFolder {
public:
    explicit ScratchCopy(const wchar_t* missing) : ScratchFolder(L"e2e")
    {
        CopyProgram(path(), L"velkarn-3.exe", missing);  // a failed copy shows as the wrong box
    }
};

struct MissingFile {
    const wchar_t* file;
    const wchar_t* text;
};

class Missing : public ::testing::TestWithParam<MissingFile> {};

}  // namespace

TEST_P(Missing, ShowsItsBoxAndNoWindowThenEndsWithExitCodeZero)
{
    ScratchCopy copy(GetParam().file);
    ChildProgram child(copy.path() + L"\\velkarn-3.exe", copy.path(), Deadline);
    ASSERT_TRUE(child.started());
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = child.FindTopWindow(L"#32770", L"V2Ivo")) != nullptr || !child.running(); }));
    ASSERT_NE(box, nullptr) << "the program ended without a box";

    std::wstring text = BoxText(box);
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
