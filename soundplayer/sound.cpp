// sound.cpp: the sound player: one DirectShow filter graph per named sound,
// loaded at start-up, replayed by name, looped through graph events.
#include "sound.h"

#include <new>

// ---- the map --------------------------------------------------------------------
// The map is built by static initialisation before WinMain and destroyed at exit
// by a handler registered with atexit; it holds the records by value, and a
// std::map never moves an entry when others are added.

namespace {

union SoundMapStorage {
    SoundMapStorage() {}
    ~SoundMapStorage() {}
    SoundMap map;
};

SoundMapStorage s_soundMapStorage;

struct SoundMapInitialiser {
    SoundMapInitialiser() { InitSoundMap(); }
};

}  // namespace

SoundMap& g_soundMap = s_soundMapStorage.map;

static SoundMapInitialiser s_soundMapInitialiser;

void InitSoundMap()
{
    new (&s_soundMapStorage.map) SoundMap();
    atexit(DestroySoundMap);
}

// Frees the map's own storage only: no platform call, no Release.
void DestroySoundMap()
{
    s_soundMapStorage.map.~SoundMap();
}

// ---- loading and shutdown -----------------------------------------------------------

// One more COM initialisation of the main thread; ShutdownSound balances it.
BOOL InitSound()
{
    return CoInitialize(NULL) >= 0 ? 1 : 0;
}

// Builds the sound's own graph from the file and stores it under the name.
// Fails with the integer -1, leaving no reference held and the map unchanged.
void LoadSound(const wchar_t* fileName, const wchar_t* name)
{
    DShowHLP::Sound sound = {NULL, NULL, NULL, NULL};
    if (CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IGraphBuilder,
                         reinterpret_cast<void**>(&sound.graph)) < 0 || sound.graph == NULL)
        throw -1;
    if (sound.graph->RenderFile(fileName, NULL) < 0) {
        sound.graph->Release();
        throw -1;
    }
    // A graph without control or seeking could never be played or rewound: the
    // map must never hold one, so such a load fails like a missing file.
    if (sound.graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&sound.control)) < 0)
        sound.control = NULL;
    if (sound.graph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&sound.seeking)) < 0)
        sound.seeking = NULL;
    if (sound.control == NULL || sound.seeking == NULL) {
        if (sound.control)
            sound.control->Release();
        if (sound.seeking)
            sound.seeking->Release();
        sound.graph->Release();
        throw -1;
    }
    if (!g_soundMap.insert(SoundMap::value_type(name, sound)).second) {
        // The name is taken: the earlier sound keeps it.
        sound.control->Release();
        sound.seeking->Release();
        sound.graph->Release();
        throw -1;
    }
}

// Stops and releases every sound in key order, empties the map and balances
// InitSound's COM initialisation. Results are not examined: nothing stops the walk.
void ShutdownSound()
{
    for (SoundMap::iterator it = g_soundMap.begin(); it != g_soundMap.end(); ++it) {
        DShowHLP::Sound& s = it->second;
        s.control->Stop();
        s.control->Release();
        s.graph->Release();
        s.seeking->Release();
        if (s.events != NULL) {
            s.events->SetNotifyWindow(0, 0, 0);
            s.events->Release();
        }
    }
    g_soundMap.clear();
    CoUninitialize();
}

// ---- playback ---------------------------------------------------------------------------

namespace {

HRESULT Rewind(DShowHLP::Sound* sound)
{
    LONGLONG start = 0;
    return sound->seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, NULL, AM_SEEKING_NoPositioning);
}

DShowHLP::Sound* FindSound(const wchar_t* name)
{
    SoundMap::iterator it = g_soundMap.find(name);
    return it == g_soundMap.end() ? NULL : &it->second;
}

}  // namespace

// Runs the sound from where it stands. A looping start with a window registers
// the record for graph events once; the first window is kept. A start with
// loop 0 ends any registration first.
HRESULT StartSound(DShowHLP::Sound* sound, BOOL loop, HWND window)
{
    if (loop) {
        if (sound->events == NULL && window != NULL) {
            if (sound->graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&sound->events)) < 0)
                sound->events = NULL;  // no event interface: the sound plays once
            if (sound->events != NULL)
                sound->events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), WM_SOUND_NOTIFY,
                                               reinterpret_cast<LONG_PTR>(sound));
        }
    } else if (sound->events != NULL) {
        sound->events->SetNotifyWindow(0, 0, 0);
        sound->events->Release();
        sound->events = NULL;
    }
    return sound->control->Run();
}

// Stops the sound and moves it to its start; the registration stays.
HRESULT StopSound(DShowHLP::Sound* sound)
{
    sound->control->Stop();
    return Rewind(sound);
}

void PlaySoundByName(const wchar_t* name, BOOL loop, HWND window)
{
    if (DShowHLP::Sound* sound = FindSound(name))
        StartSound(sound, loop, window);
}

void StopSoundByName(const wchar_t* name)
{
    if (DShowHLP::Sound* sound = FindSound(name))
        StopSound(sound);
}

void ReplaySoundByName(const wchar_t* name, BOOL loop, HWND window)
{
    if (DShowHLP::Sound* sound = FindSound(name)) {
        StopSound(sound);
        StartSound(sound, loop, window);
    }
}

// Drains every event queued for the graph; each completion starts the sound
// again from its beginning. A message queued before a start with loop 0 ended
// the registration finds events null and is ignored.
void HandleSoundNotify(DShowHLP::Sound* sound)
{
    if (sound == NULL || sound->events == NULL)
        return;
    long code;
    LONG_PTR param1, param2;
    while (sound->events->GetEvent(&code, &param1, &param2, 0) >= 0) {
        sound->events->FreeEventParams(code, param1, param2);
        if (code == EC_COMPLETE) {
            Rewind(sound);
            sound->control->Run();
        }
    }
}
