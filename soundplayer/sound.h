// sound.h: the sound player: named sounds, each in a DirectShow filter graph of its own.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <map>
#include <string>

namespace DShowHLP {

// One loaded sound. All four pointers are interfaces of the same filter graph;
// each non-null one holds a reference of its own. Copying a record adds no
// reference: the copy takes the references over.
struct Sound {
    IGraphBuilder* graph;    // the graph, built from the sound's file
    IMediaControl* control;  // run and stop
    IMediaSeeking* seeking;  // rewind
    IMediaEventEx* events;   // non-null only while the sound is registered for looping
};

}  // namespace DShowHLP

// Sounds by name, in the standard order of wide strings (case-sensitive).
// Records never move once inserted: their addresses travel in WM_SOUND_NOTIFY.
typedef std::map<std::wstring, DShowHLP::Sound> SoundMap;

extern SoundMap& g_soundMap;

// Graph events of looping sounds; lParam is the DShowHLP::Sound*.
constexpr UINT WM_SOUND_NOTIFY = WM_APP + 9999;

void InitSoundMap();
void DestroySoundMap();

BOOL InitSound();
void LoadSound(const wchar_t* fileName, const wchar_t* name);  // throws -1 on failure
void ShutdownSound();

HRESULT StartSound(DShowHLP::Sound* sound, BOOL loop, HWND window);
HRESULT StopSound(DShowHLP::Sound* sound);
void PlaySoundByName(const wchar_t* name, BOOL loop, HWND window);
void StopSoundByName(const wchar_t* name);
void ReplaySoundByName(const wchar_t* name, BOOL loop, HWND window);
void HandleSoundNotify(DShowHLP::Sound* sound);
