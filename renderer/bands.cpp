// bands.cpp: a frame drawn in horizontal bands. Each band replays the frame's
// whole command list, in order, clipped to its rows; bands share no pixels, so
// worker threads draw them side by side with no locks, and the picture is the
// same however the rows are split.
#include "renderer_local.h"

#include <algorithm>

namespace sw {

namespace {

constexpr int BandRows = 24;
constexpr int MaxThreads = 16;

void ClearRows(const FrameView& frame, uint32_t pixel, int y0, int y1)
{
    uint32_t* first = frame.pixels + static_cast<size_t>(y0) * frame.width;
    std::fill(first, first + static_cast<size_t>(y1 - y0) * frame.width, pixel);
}

}  // namespace

void BandScratch::Size(int width)
{
    cov.assign(static_cast<size_t>(width), 0);
    column.assign(static_cast<size_t>(width), 0);
    weight.assign(static_cast<size_t>(width), 0);
    edge.assign(static_cast<size_t>(width), 0);
}

void DrawBand(const FrameView& frame, int y0, int y1, BandScratch& scratch)
{
    for (size_t i = 0; i < frame.count; i++) {
        const RowSpan& span = frame.spans[i];
        if (span.bottom <= y0 || span.top >= y1)
            continue;
        int top = std::max(y0, static_cast<int>(span.top)), bottom = std::min(y1, static_cast<int>(span.bottom));
        const Command& c = frame.commands[i];
        switch (c.kind) {
        case CommandKind::Clear: ClearRows(frame, c.clearPixel, top, bottom); break;
        case CommandKind::Shape: DrawShapeRows(frame, c.shape, top, bottom, scratch); break;
        case CommandKind::Bitmap: DrawBitmapRows(frame, c.bitmap, top, bottom, scratch); break;
        case CommandKind::Text: DrawTextRows(frame, c.text, top, bottom, scratch); break;
        }
    }
}

// ---- worker threads --------------------------------------------------------------------

namespace {

// Names the calling thread where the platform can (Windows 10 and later, Wine),
// for debuggers and for the end-to-end tests, which tell the renderers apart by it.
void NameThread(const wchar_t* name)
{
    typedef HRESULT(WINAPI * SetThreadDescriptionFn)(HANDLE, PCWSTR);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC proc = kernel != NULL ? GetProcAddress(kernel, "SetThreadDescription") : NULL;
    if (proc != NULL)
        reinterpret_cast<SetThreadDescriptionFn>(reinterpret_cast<void*>(proc))(GetCurrentThread(), name);
}

struct WorkerStart {
    BandWorkers* owner;
    int thread;
};

}  // namespace

BandWorkers::BandWorkers(int threads, int width)
{
    if (threads <= 0) {
        // One processor is left to the rest of the system where there are several:
        // the display server takes each presented frame, and a drawing thread set
        // aside for it mid-band would hold the whole frame up.
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        int processors = static_cast<int>(info.dwNumberOfProcessors);
        threads = processors >= 4 ? processors - 1 : processors;
    }
    threads_ = std::min(std::max(threads, 1), MaxThreads);
    scratch_.resize(threads_);
    for (BandScratch& s : scratch_)
        s.Size(width);
    handles_.reserve(MaxThreads);
    for (int t = 1; t < threads_; t++) {
        WorkerStart* start = new WorkerStart{this, t};
        HANDLE h = CreateThread(NULL, 0, ThreadMain, start, 0, NULL);
        if (h == NULL) {
            // Fewer threads than asked: the caller and the workers made so far
            // draw every band all the same.
            delete start;
            break;
        }
        handles_.push_back(h);
    }
    threads_ = static_cast<int>(handles_.size()) + 1;
}

BandWorkers::~BandWorkers()
{
    AcquireSRWLockExclusive(&lock_);
    quit_ = true;
    ReleaseSRWLockExclusive(&lock_);
    WakeAllConditionVariable(&wake_);
    for (HANDLE h : handles_) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
    }
}

// Sleeps until the caller publishes a frame (a new generation), draws bands of
// it while any is left, and wakes the caller if it finished the last one.
DWORD WINAPI BandWorkers::ThreadMain(void* param)
{
    NameThread(WorkerThreadName);
    WorkerStart start = *static_cast<WorkerStart*>(param);
    delete static_cast<WorkerStart*>(param);
    BandWorkers& self = *start.owner;
    unsigned long seen = 0;
    for (;;) {
        AcquireSRWLockExclusive(&self.lock_);
        while (self.generation_ == seen && !self.quit_)
            SleepConditionVariableSRW(&self.wake_, &self.lock_, INFINITE, 0);
        seen = self.generation_;
        bool quit = self.quit_;
        ReleaseSRWLockExclusive(&self.lock_);
        if (quit)
            return 0;
        if (self.DrawBands(start.thread)) {
            // Taken and left at once so that the caller, which tests the count
            // under the lock, cannot miss the wake-up.
            AcquireSRWLockExclusive(&self.lock_);
            ReleaseSRWLockExclusive(&self.lock_);
            WakeAllConditionVariable(&self.done_);
        }
    }
}

// Takes bands until none is left; true if this thread finished the frame's last one.
bool BandWorkers::DrawBands(int thread)
{
    bool last = false;
    for (;;) {
        LONG band = InterlockedIncrement(&nextBand_) - 1;
        if (band >= bandCount_)
            return last;
        int y0 = band * BandRows;
        DrawBand(*frame_, y0, std::min(frame_->height, y0 + BandRows), scratch_[thread]);
        last = InterlockedIncrement(&bandsDone_) == bandCount_;
    }
}

// The frame is done when its last band is, whoever drew it: a worker that wakes
// late finds no band left (or the next frame's) and goes back to sleep, so the
// caller never waits for a thread that has nothing to do. The lock and condition
// variables wait in the process (futexes under Wine), not in a server.
void BandWorkers::Draw(const FrameView& frame)
{
    frame_ = &frame;
    bandCount_ = (frame.height + BandRows - 1) / BandRows;
    bandsDone_ = 0;
    InterlockedExchange(&nextBand_, 0);
    if (threads_ > 1) {
        AcquireSRWLockExclusive(&lock_);
        generation_ += 1;
        ReleaseSRWLockExclusive(&lock_);
        WakeAllConditionVariable(&wake_);
    }
    if (DrawBands(0))
        return;
    AcquireSRWLockExclusive(&lock_);
    while (bandsDone_ < bandCount_)
        SleepConditionVariableSRW(&done_, &lock_, INFINITE, 0);
    ReleaseSRWLockExclusive(&lock_);
}

}  // namespace sw
