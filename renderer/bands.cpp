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
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        threads = static_cast<int>(info.dwNumberOfProcessors);
    }
    threads_ = std::min(std::max(threads, 1), MaxThreads);
    scratch_.resize(threads_);
    for (BandScratch& s : scratch_)
        s.Size(width);
    done_ = CreateEventW(NULL, FALSE, FALSE, NULL);
    go_.reserve(MaxThreads);  // a worker reads its entry as it starts: no reallocation
    handles_.reserve(MaxThreads);
    for (int t = 1; t < threads_ && done_ != NULL; t++) {
        HANDLE go = CreateEventW(NULL, FALSE, FALSE, NULL);
        if (go == NULL)
            break;
        go_.push_back(go);
        WorkerStart* start = new WorkerStart{this, t};
        HANDLE h = CreateThread(NULL, 0, ThreadMain, start, 0, NULL);
        if (h == NULL) {
            // Fewer threads than asked: the caller and the workers made so far
            // draw every band all the same.
            delete start;
            go_.pop_back();
            CloseHandle(go);
            break;
        }
        handles_.push_back(h);
    }
    threads_ = static_cast<int>(handles_.size()) + 1;
}

BandWorkers::~BandWorkers()
{
    InterlockedExchange(&quit_, 1);
    for (HANDLE go : go_)
        SetEvent(go);
    for (HANDLE h : handles_) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
    }
    for (HANDLE go : go_)
        CloseHandle(go);
    if (done_ != NULL)
        CloseHandle(done_);
}

DWORD WINAPI BandWorkers::ThreadMain(void* param)
{
    NameThread(WorkerThreadName);
    WorkerStart start = *static_cast<WorkerStart*>(param);
    delete static_cast<WorkerStart*>(param);
    BandWorkers& self = *start.owner;
    HANDLE go = self.go_[start.thread - 1];
    for (;;) {
        WaitForSingleObject(go, INFINITE);
        if (self.quit_)
            return 0;
        if (self.DrawBands(start.thread))
            SetEvent(self.done_);
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
// late finds no band left and goes back to sleep, so the caller never waits for
// a thread that has nothing to do.
void BandWorkers::Draw(const FrameView& frame)
{
    frame_ = &frame;
    bandCount_ = (frame.height + BandRows - 1) / BandRows;
    bandsDone_ = 0;
    InterlockedExchange(&nextBand_, 0);  // publishes the frame to the workers
    for (HANDLE go : go_)
        SetEvent(go);
    if (!DrawBands(0))
        WaitForSingleObject(done_, INFINITE);
}

}  // namespace sw
