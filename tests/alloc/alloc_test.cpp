// alloc_test.cpp: the game allocates nothing while it runs. Every heap allocation
// of the program is counted (operator new replaced here, malloc, calloc and
// realloc wrapped by the linker), and two full passes of the stage script under
// the fixed key script must make none, on a target that itself allocates nothing.
#include "replay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// Counting is on only between Begin and End, and only for the thread that began
// it: the test runner's own allocations around the window do not count.
std::atomic<DWORD> s_countingThread{0};
std::atomic<long> s_allocations{0};

void Note()
{
    if (s_countingThread != 0 && s_countingThread == GetCurrentThreadId())
        s_allocations += 1;
}

void BeginCounting()
{
    s_allocations = 0;
    s_countingThread = GetCurrentThreadId();
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

}  // namespace
