// alloc_test.cpp: the game allocates nothing while it runs, and neither does the
// software renderer once it has seen every text. Every heap allocation of the
// program is counted (operator new replaced here, malloc, calloc and realloc
// wrapped by the linker), and two full passes of the stage script under the fixed
// key script must make none: on a target that itself allocates nothing, and on
// the software target with the real sheets, text format and stroke style.
#include "game_resources.h"
#include "renderer.h"
#include "replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace {

// Counting is on only between Begin and End, and only for the thread that began
// it (the test runner's own allocations around the window do not count), or for
// every thread, where the code under test draws on threads of its own.
constexpr DWORD AnyThread = ~0u;
std::atomic<DWORD> s_countingThread{0};
std::atomic<long> s_allocations{0};

void Note()
{
    DWORD counting = s_countingThread;
    if (counting != 0 && (counting == AnyThread || counting == GetCurrentThreadId()))
        s_allocations += 1;
}

void BeginCounting(DWORD thread = GetCurrentThreadId())
{
    s_allocations = 0;
    s_countingThread = thread;
}

long EndCounting()
{
    s_countingThread = 0;
    return s_allocations;
}

}  // namespace

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);

void* __wrap_malloc(size_t size)
{
    Note();
    return __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size)
{
    Note();
    return __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size)
{
    Note();
    return __real_realloc(block, size);
}
}

// The replaced global operators go straight to the CRT, so one new counts once.
static void* CountedNew(size_t size)
{
    Note();
    void* p = __real_malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

static void* CountedAlignedNew(size_t size, std::align_val_t align)
{
    Note();
    void* p = _aligned_malloc(size == 0 ? 1 : size, static_cast<size_t>(align));
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

void* operator new(size_t size) { return CountedNew(size); }
void* operator new[](size_t size) { return CountedNew(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { Note(); return __real_malloc(size == 0 ? 1 : size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { Note(); return __real_malloc(size == 0 ? 1 : size); }
void* operator new(size_t size, std::align_val_t a) { return CountedAlignedNew(size, a); }
void* operator new[](size_t size, std::align_val_t a) { return CountedAlignedNew(size, a); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
void operator delete(void* p, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { _aligned_free(p); }

namespace {

// Kept out of the optimiser's reach, so that the allocations below really happen.
void* volatile s_sink;

// The hooks must see what they are meant to see, or a zero below proves nothing.
TEST(AllocationCount, HooksSeeMallocCallocReallocAndNew)
{
    BeginCounting();
    s_sink = malloc(24);
    s_sink = realloc(s_sink, 4096);
    free(s_sink);
    s_sink = calloc(3, 8);
    free(s_sink);
    std::vector<int>* v = new std::vector<int>(10);
    s_sink = v;
    delete v;
    EXPECT_EQ(EndCounting(), 5);

    // Another thread's allocation counts only when every thread is counted; the
    // thread is running before counting begins, so its start-up is not counted.
    struct Handoff {
        HANDLE go, done;
    } h = {CreateEventW(NULL, FALSE, FALSE, NULL), CreateEventW(NULL, FALSE, FALSE, NULL)};
    auto other = [](void* p) -> DWORD {
        Handoff* h = static_cast<Handoff*>(p);
        for (int round = 0; round < 2; round++) {
            WaitForSingleObject(h->go, INFINITE);
            s_sink = malloc(16);
            free(s_sink);
            SetEvent(h->done);
        }
        return 0;
    };
    HANDLE thread = CreateThread(NULL, 0, other, &h, 0, NULL);
    ASSERT_NE(thread, nullptr);
    for (DWORD mode : {GetCurrentThreadId(), AnyThread}) {
        BeginCounting(mode);
        SetEvent(h.go);
        WaitForSingleObject(h.done, INFINITE);
        EXPECT_EQ(EndCounting(), mode == AnyThread ? 1 : 0);
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(h.go);
    CloseHandle(h.done);
}

TEST(AllocationCount, TwoPassesOfTheStageAllocateNothing)
{
    CountingRenderTarget rt;
    ReplayResources res;
    StartReplay(res);
    g_callCounts.Clear();

    long total = 0;
    int firstFrame = -1;
    BeginCounting();
    for (int f = 0; f < ReplayFrames; f++) {
        ApplyScriptKeys(f);
        RunGameFrame(&rt);
        if (firstFrame < 0 && s_allocations != 0)
            firstFrame = f;
    }
    total = EndCounting();

    EXPECT_EQ(total, 0) << "first allocation in frame " << firstFrame << " (stage clock "
                        << (firstFrame % StageLength) << ")";
    // The replay really played: both passes ran, and it drew and fired.
    EXPECT_EQ(g_stageClock, 0.0f);
    EXPECT_EQ(g_frameCount, ReplayFrames);
    EXPECT_GT(g_callCounts.n[CountLine], 0u);
    EXPECT_GT(g_callCounts.n[CountEllipse], 0u);
    EXPECT_GT(g_callCounts.n[CountText], 0u);
}

// The counting target, also noting the frame in which each text is first drawn.
class TextNotingTarget : public CountingRenderTarget {
public:
    int frame = 0;
    std::set<std::wstring> seen;
    std::vector<int> firstDrawn;  // frames, in order

    void STDMETHODCALLTYPE DrawText(const WCHAR* text, UINT length, IDWriteTextFormat* format,
                                    const D2D1_RECT_F* layout, ID2D1Brush* brush, D2D1_DRAW_TEXT_OPTIONS options,
                                    DWRITE_MEASURING_MODE measuring) override
    {
        CountingRenderTarget::DrawText(text, length, format, layout, brush, options, measuring);
        if (seen.insert(std::wstring(text, length)).second)
            firstDrawn.push_back(frame);
    }
    using CountingRenderTarget::DrawText;
};

// Allocations per frame of the replay, kept where counting them allocates nothing.
long s_frameAllocations[ReplayFrames];

// The paint cycle's frame on the software target, offscreen, with what the
// program draws with. The target keeps each text's coverage from its first
// drawing: those frames alone may allocate, and only in the first pass.
TEST(AllocationCount, TwoPassesOnTheSoftwareTargetAllocateOnlyToKeepEachNewText)
{
    // Where the texts are first drawn: the game draws the same whatever the target.
    TextNotingTarget noting;
    ReplayResources res;
    StartReplay(res);
    for (noting.frame = 0; noting.frame < ReplayFrames; noting.frame++) {
        ApplyScriptKeys(noting.frame);
        RunGameFrame(&noting);
    }
    ASSERT_FALSE(noting.firstDrawn.empty());

    ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
    ID2D1Factory* factory = nullptr;
    IDWriteFactory* dwrite = nullptr;
    IWICImagingFactory* wic = nullptr;
    ID2D1HwndRenderTarget* rt = nullptr;
    GameResources real;
    HRESULT hr = D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, &factory);
    if (SUCCEEDED(hr))
        hr = DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                 reinterpret_cast<IUnknown**>(&dwrite));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&wic));
    if (SUCCEEDED(hr))
        hr = CreateSoftwareRenderTarget(factory, NULL, D2D1::SizeU(600, 720), NULL, &rt);
    if (SUCCEEDED(hr))
        hr = real.Make(rt, factory, wic, dwrite);
    ASSERT_EQ(hr, S_OK);

    StartReplay(res);
    real.Install();
    long unsupported = UnsupportedSoftwareCalls();
    int failedEndDraws = 0;
    BeginCounting(AnyThread);  // the target's worker threads draw too
    for (int f = 0; f < ReplayFrames; f++) {
        long before = s_allocations;
        ApplyScriptKeys(f);
        rt->BeginDraw();
        rt->Clear(D2D1::ColorF(0x000000, 1.0f));
        RunGameFrame(rt);
        failedEndDraws += FAILED(rt->EndDraw(NULL, NULL));
        s_frameAllocations[f] = s_allocations - before;
    }
    EndCounting();
    unsupported = UnsupportedSoftwareCalls() - unsupported;
    StartReplay(res);  // the counting doubles again, before the real resources go
    real.Release();
    rt->Release();
    wic->Release();
    dwrite->Release();
    factory->Release();
    CoUninitialize();

    EXPECT_EQ(failedEndDraws, 0);
    EXPECT_EQ(unsupported, 0) << "calls the software target does not implement";
    long firstPass = 0;
    for (int f = 0; f < ReplayFrames; f++) {
        if (s_frameAllocations[f] == 0)
            continue;
        if (f < StageLength)
            firstPass += s_frameAllocations[f];
        bool newText = std::find(noting.firstDrawn.begin(), noting.firstDrawn.end(), f) != noting.firstDrawn.end();
        EXPECT_TRUE(f < StageLength && newText)
            << s_frameAllocations[f] << " allocations in frame " << f << " (stage clock " << f % StageLength << ") "
            << (f < StageLength ? "of the first pass, which draws no new text there" : "of the second pass");
    }
    printf("first pass: %ld allocations in the %zu frames that draw a text for the first time:", firstPass,
           noting.firstDrawn.size());
    for (size_t i = 0; i < noting.firstDrawn.size(); i++)
        printf("%s%ld in frame %d", i ? ", " : " ", s_frameAllocations[noting.firstDrawn[i]], noting.firstDrawn[i]);
    printf("\n");
    RecordProperty("FirstPassAllocations", static_cast<int>(firstPass));
}

}  // namespace
