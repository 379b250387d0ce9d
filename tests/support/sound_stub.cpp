// sound_stub.cpp: the one sound call the game makes, logged in order with the
// drawing calls instead of played.
#include "recording_target.h"
#include "sound.h"

void ReplaySoundByName(const wchar_t* name, BOOL loop, HWND window)
{
    if (g_soundLog == nullptr)
        return;
    DrawCall c(CallKind::Sound);
    c.sound = name;
    c.loop = loop;
    c.window = window;
    g_soundLog->calls.push_back(c);
}
