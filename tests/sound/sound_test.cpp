// sound_test.cpp: the sound player against real filter graphs playing short
// MP3s from bin/testsounds (made by the build), and against the logging fake
// graph for the call orders and reference counts the platform cannot show.
#include "fake_graph.h"
#include "sound.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// The entry point's own COM initialisation, as in the game: InitSound adds one
// more on top, and ShutdownSound takes that one away again.
class ComEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_GE(CoInitialize(NULL), 0); }
    void TearDown() override { CoUninitialize(); }
};
testing::Environment* const s_comEnvironment = testing::AddGlobalTestEnvironment(new ComEnvironment);

const wchar_t* const kLong = L"testsounds\\long.mp3";    // 2.0 s
const wchar_t* const kShort = L"testsounds\\short.mp3";  // 0.3 s

std::vector<std::wstring> Keys()
{
    std::vector<std::wstring> keys;
    for (const auto& entry : g_soundMap)
        keys.push_back(entry.first);
    return keys;
}

// The integer LoadSound threw, or 0 when it returned.
int LoadError(const wchar_t* file, const wchar_t* name)
{
    try {
        LoadSound(file, name);
    } catch (int e) {
        return e;
    }
    return 0;
}

DShowHLP::Sound& Record(const wchar_t* name)
{
    return g_soundMap.at(name);
}

// Every test starts the player and leaves it shut down with the map empty.
class SoundPlayer : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitSound(), 1); }
    void TearDown() override
    {
        if (!shutDown_)
            ShutdownSound();
        EXPECT_TRUE(g_soundMap.empty());
    }
    void Shutdown()
    {
        ShutdownSound();
        shutDown_ = true;
    }

private:
    bool shutDown_ = false;
};

// ---- real filter graphs -----------------------------------------------------------

int s_notifications;  // WM_SOUND_NOTIFY messages handled by the test window

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SOUND_NOTIFY) {
        ++s_notifications;
        HandleSoundNotify(reinterpret_cast<DShowHLP::Sound*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class RealSound : public SoundPlayer {
protected:
    void TearDown() override
    {
        SoundPlayer::TearDown();
        if (window_ != NULL)
            DestroyWindow(window_);
    }

    HWND HiddenWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(NULL);
        wc.lpszClassName = L"velkarn_sound_test";
        RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it
        window_ = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                                wc.hInstance, NULL);
        return window_;
    }

    static LONGLONG Position(const wchar_t* name)
    {
        LONGLONG position = -1;
        EXPECT_GE(Record(name).seeking->GetCurrentPosition(&position), 0);
        return position;
    }

    static OAFilterState State(const wchar_t* name)
    {
        OAFilterState state = -1;
        EXPECT_GE(Record(name).control->GetState(5000, &state), 0);
        return state;
    }

    // Handles messages until done() holds; false when the deadline passes first.
    static bool PumpUntil(const std::function<bool()>& done)
    {
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while (!done()) {
            if (GetTickCount64() > deadline)
                return false;
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        }
        return true;
    }

private:
    HWND window_ = NULL;
};

TEST_F(RealSound, SixLoadsAreWalkedInKeyOrderAndAMissingFileKeepsThem)
{
    const wchar_t* names[] = {L"bgm001", L"bgm002", L"bgm003", L"hit", L"pow", L"loc"};
    for (const wchar_t* name : names)
        ASSERT_EQ(LoadError(kShort, name), 0);
    const std::vector<std::wstring> sorted = {L"bgm001", L"bgm002", L"bgm003", L"hit", L"loc", L"pow"};
    EXPECT_EQ(Keys(), sorted);
    for (const auto& entry : g_soundMap) {
        EXPECT_NE(entry.second.graph, nullptr);
        EXPECT_NE(entry.second.control, nullptr);
        EXPECT_NE(entry.second.seeking, nullptr);
        EXPECT_EQ(entry.second.events, nullptr);
        EXPECT_EQ(State(entry.first.c_str()), State_Stopped);  // nothing runs at load
    }

    EXPECT_EQ(LoadError(L"testsounds\\missing.mp3", L"gone"), -1);
    EXPECT_EQ(Keys(), sorted);
}

TEST_F(RealSound, ADuplicateNameKeepsTheFirstSoundAndNamesAreCaseSensitive)
{
    ASSERT_EQ(LoadError(kLong, L"hit"), 0);
    IGraphBuilder* first = Record(L"hit").graph;
    EXPECT_EQ(LoadError(kShort, L"hit"), -1);
    EXPECT_EQ(g_soundMap.size(), 1u);
    EXPECT_EQ(Record(L"hit").graph, first);
    ReplaySoundByName(L"hit", 0, NULL);
    EXPECT_EQ(State(L"hit"), State_Running);

    // "Hit" is a name of its own, and sorts first: 'H' is below 'h'.
    PlaySoundByName(L"Hit", 0, NULL);  // not loaded: nothing happens
    ASSERT_EQ(LoadError(kShort, L"Hit"), 0);
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"Hit", L"hit"}));
    EXPECT_NE(Record(L"Hit").graph, first);
    EXPECT_EQ(State(L"Hit"), State_Stopped);
}

TEST_F(RealSound, ReplayCutsASoundOffAndStartsItFromTheBeginning)
{
    ASSERT_EQ(LoadError(kLong, L"loc"), 0);
    ReplaySoundByName(L"loc", 0, NULL);
    LONGLONG before = 0;
    ASSERT_TRUE(PumpUntil([&] { return (before = Position(L"loc")) >= 3000000; }));  // 0.3 s in

    ReplaySoundByName(L"loc", 0, NULL);
    ReplaySoundByName(L"loc", 0, NULL);  // twice in one frame, as the lock-on does
    EXPECT_LT(Position(L"loc"), before);
    EXPECT_EQ(State(L"loc"), State_Running);
}

TEST_F(RealSound, TwoSoundsPlayAtOnce)
{
    ASSERT_EQ(LoadError(kLong, L"bgm001"), 0);
    ASSERT_EQ(LoadError(kLong, L"bgm002"), 0);
    ReplaySoundByName(L"bgm001", 0, NULL);
    ReplaySoundByName(L"bgm002", 0, NULL);
    EXPECT_EQ(State(L"bgm001"), State_Running);
    EXPECT_EQ(State(L"bgm002"), State_Running);
}

// One play of a registered sound queues two events, each posting one message:
// the clock change at its first run and its completion. Every further message
// is the completion of a play that HandleSoundNotify started again. (The
// position cannot show the restart: once a graph has completed, the platform
// reports its end position until the graph is stopped.)
TEST_F(RealSound, ALoopingSoundStartsAgainAfterItsEnd)
{
    ASSERT_EQ(LoadError(kShort, L"loc"), 0);
    HWND window = HiddenWindow();
    ASSERT_NE(window, nullptr);
    s_notifications = 0;
    PlaySoundByName(L"loc", 1, window);
    ASSERT_NE(Record(L"loc").events, nullptr);

    EXPECT_TRUE(PumpUntil([] { return s_notifications >= 4; }));  // at least two restarts
    EXPECT_EQ(State(L"loc"), State_Running);
}

// ---- the fake graph -----------------------------------------------------------------

class FakeSound : public SoundPlayer {
protected:
    void SetUp() override
    {
        SoundPlayer::SetUp();
        ClearFakeGraphs();
        ASSERT_EQ(RegisterFakeFilterGraph(&cookie_), S_OK);
    }
    void TearDown() override
    {
        RevokeFakeFilterGraph(cookie_);
        SoundPlayer::TearDown();  // releases the fakes before they are deleted
        ClearFakeGraphs();
    }

    // Loads a fake sound; the fake must be what the player created.
    static FakeGraph* Load(const wchar_t* name)
    {
        size_t made = g_fakeGraphs.size();
        EXPECT_EQ(LoadError(L"x.mp3", name), 0);
        EXPECT_EQ(g_fakeGraphs.size(), made + 1) << "CLSID_FilterGraph did not reach the fake";
        return g_fakeGraphs.empty() ? nullptr : g_fakeGraphs.back().get();
    }

    // The log from index mark on, or from the first line containing from.
    static std::vector<std::string> LogSince(size_t mark)
    {
        return std::vector<std::string>(g_fakeLog.begin() + mark, g_fakeLog.end());
    }
    static std::vector<std::string> LogFrom(const std::string& from)
    {
        for (size_t i = 0; i < g_fakeLog.size(); ++i)
            if (g_fakeLog[i].find(from) != std::string::npos)
                return LogSince(i);
        return {};
    }

    const HWND window1 = reinterpret_cast<HWND>(0x1001);  // never dereferenced by the fake
    const HWND window2 = reinterpret_cast<HWND>(0x2002);

private:
    DWORD cookie_ = 0;
};

TEST_F(FakeSound, ShutdownReleasesEverySoundInKeyOrder)
{
    FakeGraph* pow = Load(L"pow");
    ASSERT_TRUE(pow);
    EXPECT_EQ(LogFrom("1.graph.RenderFile"), (std::vector<std::string>{
                  "1.graph.RenderFile x.mp3 NULL", "1.graph.QueryInterface IMediaControl",
                  "1.graph.QueryInterface IMediaSeeking"}));
    EXPECT_EQ(pow->refs, 3);
    ASSERT_TRUE(Load(L"bgm001"));
    ASSERT_TRUE(Load(L"hit"));
    PlaySoundByName(L"hit", 1, window1);

    size_t mark = g_fakeLog.size();
    Shutdown();
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{
                                  "2.control.Stop", "2.control.Release", "2.graph.Release", "2.seeking.Release",
                                  "3.control.Stop", "3.control.Release", "3.graph.Release", "3.seeking.Release",
                                  "3.events.SetNotifyWindow NULL 0 0", "3.events.Release",
                                  "1.control.Stop", "1.control.Release", "1.graph.Release", "1.seeking.Release",
                              }));
    EXPECT_TRUE(g_soundMap.empty());
    for (const auto& graph : g_fakeGraphs)
        EXPECT_EQ(graph->refs, 0) << "graph " << graph->number;
}

TEST_F(FakeSound, RegistrationKeepsTheFirstWindowAndEndsBeforeALoopZeroRun)
{
    FakeGraph* fake = Load(L"loc");
    ASSERT_TRUE(fake);
    DShowHLP::Sound* record = &Record(L"loc");

    size_t mark = g_fakeLog.size();
    PlaySoundByName(L"loc", 1, NULL);  // no window: plays once, no event interface
    EXPECT_EQ(record->events, nullptr);
    PlaySoundByName(L"loc", 1, window1);
    PlaySoundByName(L"loc", 1, window2);
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{
                                  "1.control.Run",
                                  "1.graph.QueryInterface IMediaEventEx", "1.events.SetNotifyWindow window",
                                  "1.control.Run",
                                  "1.control.Run",  // registered: the first window stays, nothing rewinds
                              }));
    EXPECT_EQ(fake->notifyWindow, reinterpret_cast<OAHWND>(window1));
    EXPECT_EQ(fake->notifyMessage, static_cast<long>(WM_SOUND_NOTIFY));
    EXPECT_EQ(fake->notifyData, reinterpret_cast<LONG_PTR>(record));
    EXPECT_EQ(fake->refs, 4);

    mark = g_fakeLog.size();
    PlaySoundByName(L"loc", 0, NULL);
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{
                                  "1.events.SetNotifyWindow NULL 0 0", "1.events.Release", "1.control.Run"}));
    EXPECT_EQ(record->events, nullptr);
    EXPECT_EQ(fake->refs, 3);

    // A message queued before the registration ended, and one with no record.
    mark = g_fakeLog.size();
    HandleSoundNotify(record);
    HandleSoundNotify(NULL);
    EXPECT_EQ(g_fakeLog.size(), mark);
}

TEST_F(FakeSound, ANotificationDrainsTheQueueAndRestartsAtEachCompletion)
{
    FakeGraph* fake = Load(L"loc");
    ASSERT_TRUE(fake);
    PlaySoundByName(L"loc", 1, window1);
    fake->queue = {{EC_COMPLETE, 11, 12}, {EC_PAUSED, 13, 14}, {EC_COMPLETE, 21, 22}};

    size_t mark = g_fakeLog.size();
    HandleSoundNotify(&Record(L"loc"));
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{
                                  "1.events.GetEvent 0", "1.events.FreeEventParams 1 11 12",
                                  "1.seeking.SetPositions 0 1 NULL 0", "1.control.Run",
                                  "1.events.GetEvent 0", "1.events.FreeEventParams 14 13 14",
                                  "1.events.GetEvent 0", "1.events.FreeEventParams 1 21 22",
                                  "1.seeking.SetPositions 0 1 NULL 0", "1.control.Run",
                                  "1.events.GetEvent 0",
                              }));

    mark = g_fakeLog.size();
    HandleSoundNotify(&Record(L"loc"));
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"1.events.GetEvent 0"}));
}

TEST_F(FakeSound, OperationsByNameStopRewindAndRunOnlyAnExactName)
{
    ASSERT_TRUE(Load(L"hit"));
    size_t mark = g_fakeLog.size();
    ReplaySoundByName(L"hit", 0, NULL);
    StopSoundByName(L"hit");
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{
                                  "1.control.Stop", "1.seeking.SetPositions 0 1 NULL 0", "1.control.Run",
                                  "1.control.Stop", "1.seeking.SetPositions 0 1 NULL 0"}));

    mark = g_fakeLog.size();
    PlaySoundByName(L"Hit", 1, window1);
    StopSoundByName(L"Hit");
    ReplaySoundByName(L"hi", 0, NULL);
    EXPECT_EQ(g_fakeLog.size(), mark);
}

TEST_F(FakeSound, FailedLoadsHoldNoReference)
{
    FakeGraph* first = Load(L"hit");
    ASSERT_TRUE(first);

    // The same name again: the second graph is built, then given back whole.
    EXPECT_EQ(LoadError(L"y.mp3", L"hit"), -1);
    ASSERT_EQ(g_fakeGraphs.size(), 2u);
    EXPECT_EQ(LogFrom("2.graph.RenderFile"), (std::vector<std::string>{
                  "2.graph.RenderFile y.mp3 NULL", "2.graph.QueryInterface IMediaControl",
                  "2.graph.QueryInterface IMediaSeeking", "2.control.Release", "2.seeking.Release",
                  "2.graph.Release"}));
    EXPECT_EQ(g_fakeGraphs[1]->refs, 0);
    EXPECT_EQ(Record(L"hit").graph, first->graph());
    EXPECT_EQ(first->refs, 3);

    // A file that does not render.
    g_nextFakeGraph.renderResult = VFW_E_NOT_FOUND;
    EXPECT_EQ(LoadError(L"z.mp3", L"pow"), -1);
    ASSERT_EQ(g_fakeGraphs.size(), 3u);
    EXPECT_EQ(LogFrom("3.graph.RenderFile"),
              (std::vector<std::string>{"3.graph.RenderFile z.mp3 NULL", "3.graph.Release"}));
    EXPECT_EQ(g_fakeGraphs[2]->refs, 0);
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"hit"}));
}

TEST_F(FakeSound, AGraphWithoutEventsPlaysOnceAndIgnoresNotifications)
{
    g_nextFakeGraph.offerEvents = false;
    FakeGraph* fake = Load(L"loc");
    ASSERT_TRUE(fake);
    size_t mark = g_fakeLog.size();
    PlaySoundByName(L"loc", 1, window1);
    HandleSoundNotify(&Record(L"loc"));
    EXPECT_EQ(LogSince(mark), (std::vector<std::string>{"1.graph.QueryInterface IMediaEventEx", "1.control.Run"}));
    EXPECT_EQ(Record(L"loc").events, nullptr);
    EXPECT_EQ(fake->refs, 3);
}

}  // namespace
