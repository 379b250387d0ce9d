// frame_bench.cpp: how much of its 33 ms frame the game uses. Replays the fixed
// key script over two passes of the stage script and measures, per frame:
//   (a) the time of GameFrame + StepAndDrawEffects on a counting target (the
//       game's own work, with no drawing and no logging behind the calls); the
//       replay runs several times and each frame keeps its shortest time, so
//       that a preemption by another process does not pass for game work,
//   (b) the number of drawing calls the frame makes,
//   (c) BeginDraw to EndDraw on a real 600 x 720 window with the real sheets,
//       presenting to the window: on the software renderer for every frame, and
//       on the platform's Direct2D for a sample (every 50th frame and the 20 with
//       the most drawing calls), the rest of that replay running on the counting
//       target so that the sampled frames are the very frames of (a).
// Prints its figures as Markdown; asserts nothing.
//
// Usage: frame_benchN.exe [--frames N] [--repeats N] [--no-window] [--dump FILE]
// (--dump writes each frame's stage clock, drawing calls and (a) to FILE.)
#include "game_resources.h"
#include "replay.h"
#include "renderer.h"

#include <dwrite.h>
#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

constexpr int SampleEvery = 50;
constexpr int BusiestSamples = 20;
constexpr int TopFrames = 10;
constexpr UINT ClientWidth = 600, ClientHeight = 720;

struct FrameRecord {
    float clock;          // g_stageClock when the frame started
    double workUs;        // (a): the shortest of the repeats
    double worstUs = 0;   //      and the longest, for comparison
    uint32_t draws;       // (b)
    CallCounts counts;
    double drawUs = -1;   // (c) on the platform's Direct2D, for sampled frames only
    double softUs = -1;   // (c) on the software renderer, for every frame
};

double s_ticksPerUs;

double NowUs()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / s_ticksPerUs;
}

double ThreadCpuUs()
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return static_cast<double>(k.QuadPart + u.QuadPart) / 10.0;
}

// The process's private bytes; where the platform leaves PrivateUsage at 0
// (Wine 8) the commit charge stands in, which Windows reports equal to it.
double PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX m = {};
    m.cb = sizeof m;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m))
        return 0;
    return static_cast<double>(m.PrivateUsage != 0 ? m.PrivateUsage : m.PagefileUsage);
}

struct Summary {
    double mean, p99, max;
};

Summary Summarise(std::vector<double> v)
{
    Summary s{0, 0, 0};
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.mean = std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
    size_t i99 = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(v.size()))) - 1;
    s.p99 = v[i99];
    s.max = v.back();
    return s;
}

// ---- the real window, render target and sheets ---------------------------------------

struct RealTarget {
    HWND hwnd = NULL;
    ID2D1Factory* factory = nullptr;
    IDWriteFactory* dwrite = nullptr;
    IWICImagingFactory* wic = nullptr;
    ID2D1HwndRenderTarget* rt = nullptr;
    GameResources resources;
};

template <class T>
void ReleaseAndClear(T** p)
{
    if (*p != nullptr) {
        (*p)->Release();
        *p = nullptr;
    }
}

LRESULT CALLBACK BenchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ValidateRect(hwnd, NULL);  // the benchmark paints on its own schedule
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HRESULT CreateBenchWindow(RealTarget& t)
{
    HINSTANCE instance = GetModuleHandleW(NULL);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = BenchWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, IDC_ARROW);
    wc.lpszClassName = L"velkarn_frame_bench";
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return HRESULT_FROM_WIN32(GetLastError());
    RECT r = {0, 0, static_cast<LONG>(ClientWidth), static_cast<LONG>(ClientHeight)};
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRect(&r, style, FALSE);
    t.hwnd = CreateWindowExW(0, wc.lpszClassName, L"velkarn frame benchmark", style, 0, 0, r.right - r.left,
                             r.bottom - r.top, NULL, NULL, instance, NULL);
    if (t.hwnd == NULL)
        return HRESULT_FROM_WIN32(GetLastError());
    ShowWindow(t.hwnd, SW_SHOWNORMAL);
    UpdateWindow(t.hwnd);
    return S_OK;
}

// The window's render target, the platform's or the software one, with the real
// sheets, the brush, the text format and the stroke style, as the program makes them.
HRESULT CreateRealTarget(RealTarget& t, bool software)
{
    HRESULT hr = CreateBenchWindow(t);
    // Multi-threaded, as the program makes it: every call then takes the factory's lock.
    if (SUCCEEDED(hr))
        hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, &t.factory);
    if (SUCCEEDED(hr))
        hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                 reinterpret_cast<IUnknown**>(&t.dwrite));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&t.wic));
    if (SUCCEEDED(hr)) {
        RECT rc;
        GetClientRect(t.hwnd, &rc);
        D2D1_SIZE_U size = D2D1::SizeU(rc.right - rc.left, rc.bottom - rc.top);
        hr = software ? CreateSoftwareRenderTarget(t.factory, t.hwnd, size, NULL, &t.rt)
                      : t.factory->CreateHwndRenderTarget(D2D1::RenderTargetProperties(),
                                                         D2D1::HwndRenderTargetProperties(t.hwnd, size), &t.rt);
    }
    if (SUCCEEDED(hr))
        hr = t.resources.Make(t.rt, t.factory, t.wic, t.dwrite);
    return hr;
}

void ReleaseRealTarget(RealTarget& t)
{
    t.resources.Release();
    ReleaseAndClear(&t.rt);
    ReleaseAndClear(&t.wic);
    ReleaseAndClear(&t.dwrite);
    ReleaseAndClear(&t.factory);
    if (t.hwnd != NULL)
        DestroyWindow(t.hwnd);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// One sampled frame on the real target, timed from BeginDraw to EndDraw as the
// paint cycle runs it (clear to black, the game, the effects). The game's
// resource globals point at the real objects for this frame only.
double DrawRealFrame(RealTarget& t, HRESULT* endDraw)
{
    ID2D1SolidColorBrush* brush = g_brush;
    IDWriteTextFormat* format = g_largeTextFormat;
    ID2D1Bitmap* sprites = g_spriteSheet;
    ID2D1Bitmap* background = g_backgroundSheet;
    ID2D1StrokeStyle* stroke = g_roundStrokeStyle;
    t.resources.Install();

    double t0 = NowUs();
    t.rt->BeginDraw();
    t.rt->Clear(D2D1::ColorF(0x000000, 1.0f));
    RunGameFrame(t.rt);
    *endDraw = t.rt->EndDraw(NULL, NULL);
    double t1 = NowUs();

    g_brush = brush;
    g_largeTextFormat = format;
    g_spriteSheet = sprites;
    g_backgroundSheet = background;
    g_roundStrokeStyle = stroke;
    return t1 - t0;
}

// ---- report -------------------------------------------------------------------------------

void PrintTopFrames(const char* title, const std::vector<FrameRecord>& frames, std::vector<int> order,
                    double FrameRecord::*key)
{
    std::sort(order.begin(), order.end(), [&](int x, int y) { return frames[x].*key > frames[y].*key; });
    if (order.size() > static_cast<size_t>(TopFrames))
        order.resize(TopFrames);
    printf("\n%s\n\n", title);
    printf("| frame | stage clock | (a) game µs | (c) software µs | (c) Direct2D µs | drawing calls | bitmaps | lines | ellipses | texts | SetColor |\n");
    printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (int f : order) {
        const FrameRecord& r = frames[f];
        char drawText[32] = "-", softText[32] = "-";
        if (r.drawUs >= 0)
            snprintf(drawText, sizeof drawText, "%.0f", r.drawUs);
        if (r.softUs >= 0)
            snprintf(softText, sizeof softText, "%.0f", r.softUs);
        printf("| %d | %.0f | %.1f | %s | %s | %u | %u | %u | %u | %u | %u |\n", f, r.clock, r.workUs, softText, drawText, r.draws,
               r.counts.n[CountBitmap], r.counts.n[CountLine], r.counts.n[CountEllipse], r.counts.n[CountText],
               r.counts.n[CountSetColor]);
    }
}

struct DrawPass {
    bool ok = false;
    std::vector<int> drawn;
    double memoryBefore = 0, memoryAfter = 0, calls = 0;
    int failures = 0;
    HRESULT firstFailure = S_OK;
    bool matches = true;  // the undrawn frames made the calls of pass 1
};

// Replays the script with the frames marked in `draw` drawn on a real target
// (software or the platform's), timed into frames[f].*out, and the others on the
// counting target.
DrawPass RunDrawPass(bool software, const std::vector<char>& draw, std::vector<FrameRecord>& frames,
                     double FrameRecord::*out, ReplayResources& res)
{
    DrawPass pass;
    CountingRenderTarget counting;
    RealTarget real;
    HRESULT hr = CreateRealTarget(real, software);
    if (FAILED(hr)) {
        fprintf(stderr, "frame_bench: no %s render target (0x%08lx); (c) skipped\n", software ? "software" : "Direct2D",
                static_cast<unsigned long>(hr));
        ReleaseRealTarget(real);
        return pass;
    }
    StartReplay(res);
    for (int f = 0; f < static_cast<int>(frames.size()); f++) {
        ApplyScriptKeys(f);
        if (draw[f]) {
            // Memory is counted from the end of the first drawn frame, which sets
            // the renderer up.
            if (!pass.drawn.empty())
                pass.calls += frames[f].draws;
            PumpMessages();
            HRESULT end = S_OK;
            frames[f].*out = DrawRealFrame(real, &end);
            if (FAILED(end) && pass.failures++ == 0)
                pass.firstFailure = end;
            if (pass.drawn.empty())
                pass.memoryBefore = PrivateBytes();
            pass.drawn.push_back(f);
        } else {
            g_callCounts.Clear();
            RunGameFrame(&counting);
            if (g_callCounts.DrawingCalls() != frames[f].draws)
                pass.matches = false;
        }
    }
    pass.memoryAfter = PrivateBytes();
    ReleaseRealTarget(real);
    pass.ok = true;
    return pass;
}

}  // namespace

int main(int argc, char** argv)
{
    int frameTotal = ReplayFrames;
    int repeats = 3;
    bool window = true;
    const char* dumpPath = nullptr;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            frameTotal = atoi(argv[++i]);
        else if (strcmp(argv[i], "--repeats") == 0 && i + 1 < argc)
            repeats = std::max(1, atoi(argv[++i]));
        else if (strcmp(argv[i], "--dump") == 0 && i + 1 < argc)
            dumpPath = argv[++i];
        else if (strcmp(argv[i], "--no-window") == 0)
            window = false;
    }
    int edition = g_edition.optionHomingLasers ? 1 : (g_edition.shotHitTest ? 2 : 3);

    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    s_ticksPerUs = static_cast<double>(freq.QuadPart) / 1e6;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);  // fewer preemptions; not required

    std::vector<FrameRecord> frames(frameTotal);
    CountingRenderTarget counting;
    ReplayResources res;

    // Pass 1: (a) and (b) for every frame, the whole replay `repeats` times.
    bool repeatsMatch = true;
    double cpuTotal = 0, wallTotal = 0;
    for (int rep = 0; rep < repeats; rep++) {
        StartReplay(res);
        double cpu0 = ThreadCpuUs(), wall0 = NowUs();
        for (int f = 0; f < frameTotal; f++) {
            ApplyScriptKeys(f);
            FrameRecord& r = frames[f];
            float clock = g_stageClock;
            g_callCounts.Clear();
            double t0 = NowUs();
            RunGameFrame(&counting);
            double us = NowUs() - t0;
            if (rep == 0) {
                r.clock = clock;
                r.workUs = us;
                r.worstUs = us;
                r.counts = g_callCounts;
                r.draws = g_callCounts.DrawingCalls();
            } else {
                r.workUs = std::min(r.workUs, us);
                r.worstUs = std::max(r.worstUs, us);
                if (g_callCounts.DrawingCalls() != r.draws)
                    repeatsMatch = false;
            }
        }
        cpuTotal += ThreadCpuUs() - cpu0;
        wallTotal += NowUs() - wall0;
    }

    if (dumpPath != nullptr) {
        if (FILE* out = fopen(dumpPath, "w")) {
            for (int f = 0; f < frameTotal; f++)
                fprintf(out, "%d %.0f %u %.1f\n", f, frames[f].clock, frames[f].draws, frames[f].workUs);
            fclose(out);
        }
    }

    // Passes 2 and 3: the same replay drawn for real, every frame on the software
    // renderer, then the sample on the platform's Direct2D.
    std::vector<char> isSample(frameTotal, 0);
    for (int f = 0; f < frameTotal; f += SampleEvery)
        isSample[f] = 1;
    std::vector<int> byCalls(frameTotal);
    std::iota(byCalls.begin(), byCalls.end(), 0);
    std::stable_sort(byCalls.begin(), byCalls.end(), [&](int x, int y) { return frames[x].draws > frames[y].draws; });
    for (int i = 0; i < BusiestSamples && i < frameTotal; i++)
        isSample[byCalls[i]] = 1;
    DrawPass soft, platform;
    if (window) {
        CoInitialize(NULL);
        soft = RunDrawPass(true, std::vector<char>(frameTotal, 1), frames, &FrameRecord::softUs, res);
        platform = RunDrawPass(false, isSample, frames, &FrameRecord::drawUs, res);
        CoUninitialize();
        window = soft.ok && platform.ok;
    }

    // ---- figures ----
    std::vector<double> work(frameTotal), worst(frameTotal), draws(frameTotal);
    int overOneMs = 0, worstOverOneMs = 0;
    for (int f = 0; f < frameTotal; f++) {
        work[f] = frames[f].workUs;
        worst[f] = frames[f].worstUs;
        worstOverOneMs += frames[f].worstUs > 1000.0;
        draws[f] = frames[f].draws;
        overOneMs += frames[f].workUs > 1000.0;
    }
    Summary a = Summarise(work), aw = Summarise(worst), b = Summarise(draws);

    printf("## Edition %d (velkarn-%d)\n\n", edition, edition);
    printf("%d frames (%.2f passes of the stage script); (a) is each frame's shortest time in %d replays.\n\n",
           frameTotal, static_cast<double>(frameTotal) / StageLength, repeats);
    printf("| measure | mean | 99th percentile | maximum |\n|---|---:|---:|---:|\n");
    printf("| (a) game work, µs | %.1f | %.1f | %.1f |\n", a.mean, a.p99, a.max);
    printf("| (a) longest time in the %d replays, µs | %.1f | %.1f | %.1f |\n", repeats, aw.mean, aw.p99, aw.max);
    printf("| (b) drawing calls | %.0f | %.0f | %.0f |\n", b.mean, b.p99, b.max);

    std::vector<int> all(frameTotal);
    std::iota(all.begin(), all.end(), 0);
    if (window && !platform.drawn.empty()) {
        std::vector<double> softAll, softSampled, drawn;
        int softOver10 = 0, softOver16 = 0, softOver33 = 0;
        for (int f = 0; f < frameTotal; f++) {
            softAll.push_back(frames[f].softUs);
            softOver10 += frames[f].softUs > 10000.0;
            softOver16 += frames[f].softUs > 16000.0;
            softOver33 += frames[f].softUs > 33000.0;
        }
        double sx = 0, sy = 0, sxx = 0, sxy = 0, drawOnly = 0;
        for (int f : platform.drawn) {
            const FrameRecord& r = frames[f];
            drawn.push_back(r.drawUs);
            softSampled.push_back(r.softUs);
            double x = r.draws, y = r.drawUs;
            sx += x;
            sy += y;
            sxx += x * x;
            sxy += x * y;
            drawOnly += r.drawUs - r.workUs;
        }
        Summary cs = Summarise(softAll), css = Summarise(softSampled), c = Summarise(drawn);
        double n = static_cast<double>(platform.drawn.size());
        double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
        double intercept = (sy - slope * sx) / n;
        printf("| (c) software renderer, µs (all %d frames) | %.0f | %.0f | %.0f |\n", frameTotal, cs.mean, cs.p99,
               cs.max);
        printf("| (c) software renderer, µs (the %zu frames sampled below) | %.0f | %.0f | %.0f |\n",
               platform.drawn.size(), css.mean, css.p99, css.max);
        printf("| (c) platform's Direct2D, µs (%zu sampled frames) | %.0f | %.0f | %.0f |\n", platform.drawn.size(),
               c.mean, c.p99, c.max);
        printf("\nFrames whose game work (a) exceeds 1 ms: %d of %d (%d in the longest of the replays).\n",
               overOneMs, frameTotal, worstOverOneMs);
        printf("\nSoftware renderer (c): %d of %d frames above 10 ms, %d above 16 ms, %d above 33 ms. On the sampled "
               "frames the platform's Direct2D takes %.0f times as long on average (%.0f times at the maximum).\n",
               softOver10, frameTotal, softOver16, softOver33, css.mean > 0 ? c.mean / css.mean : 0.0,
               css.max > 0 ? c.max / css.max : 0.0);
        printf("\nAgainst the 33 ms frame: the game's work takes at most %.1f %% of it; the software renderer "
               "takes %.1f %% on average and %.1f %% at most; the platform's Direct2D takes %.1f frames on average "
               "and %.1f at most.\n",
               a.max / 330.0, cs.mean / 330.0, cs.max / 330.0, c.mean / 33000.0, c.max / 33000.0);
        printf("\nPlatform's Direct2D per drawing call, from (c): %.1f µs, the slope of a least-squares line through "
               "the sampled frames, whose intercept, %.0f µs, is the per-frame cost of clearing and presenting; "
               "%.1f µs if the whole of (c) - (a) over the sample is divided among its drawing calls.\n",
               slope, intercept, sx > 0 ? drawOnly / sx : 0.0);
        printf("\nPrivate memory of the benchmark after the first drawn frame (the game allocates nothing, and "
               "nothing plays): software renderer %+.1f MB over %zu frames and %.0f drawing calls; platform's "
               "Direct2D %+.1f MB over %zu frames and %.0f drawing calls, %.0f bytes per call.\n",
               (soft.memoryAfter - soft.memoryBefore) / 1048576.0, soft.drawn.size() - 1, soft.calls,
               (platform.memoryAfter - platform.memoryBefore) / 1048576.0, platform.drawn.size() - 1, platform.calls,
               platform.calls > 0 ? (platform.memoryAfter - platform.memoryBefore) / platform.calls : 0.0);
        for (const DrawPass* pass : {&soft, &platform})
            if (pass->failures)
                printf("\nEndDraw failed in %d frames on the %s (first 0x%08lx).\n", pass->failures,
                       pass == &soft ? "software renderer" : "platform's Direct2D",
                       static_cast<unsigned long>(pass->firstFailure));
        PrintTopFrames("Ten most expensive frames by game work (a):", frames, all, &FrameRecord::workUs);
        PrintTopFrames("Ten most expensive frames on the software renderer (c):", frames, all, &FrameRecord::softUs);
        PrintTopFrames("Ten most expensive sampled frames on the platform's Direct2D (c):", frames, platform.drawn,
                       &FrameRecord::drawUs);
    } else {
        printf("\nFrames whose game work (a) exceeds 1 ms: %d of %d (%d in the longest of the replays).\n",
               overOneMs, frameTotal, worstOverOneMs);
        PrintTopFrames("Ten most expensive frames by game work (a):", frames, all, &FrameRecord::workUs);
    }
    if (!soft.matches || !platform.matches || !repeatsMatch)
        printf("\nWARNING: the replays did not all make the same drawing calls.\n");
    printf("\nThread CPU time over the %d replays of (a): %.0f ms (GetThreadTimes), wall time %.0f ms; the sum of the "
           "shortest times is %.0f ms per replay.\n\n",
           repeats, cpuTotal / 1000.0, wallTotal / 1000.0, std::accumulate(work.begin(), work.end(), 0.0) / 1000.0);
    return 0;
}
