// replay.h: the fixed key script that the benchmark and the allocation test play
// the game with, and the start state it replays from. The game is deterministic,
// so the same script from the same start gives the same frames every time.
#pragma once

#include "counting_target.h"
#include "game_local.h"

constexpr int ReplayFrames = 2 * StageLength;  // two full passes of the stage script
constexpr int ArrowHoldFrames = 45;             // each arrow is held this long, in turn
constexpr int SpaceTapPeriod = 10;              // the space bar goes down every 10th frame, up the next

// The drawing resources the game reads, all counting doubles, and the replay's
// start: keys up, frame count and scroll offsets 0, rand reseeded, ResetGame.
struct ReplayResources {
    CountingBrush brush;
    CountingTextFormat largeFormat;
    FakeBitmap sprites;
    FakeBitmap background;
};

void StartReplay(ReplayResources& res);

// The key messages the window would have received before frame `frame` (0-based)
// of the script, applied to the key tables as the window procedure applies them.
void ApplyScriptKeys(int frame);

// One painted frame as the paint cycle runs it: the game, then the effects on top.
void RunGameFrame(ID2D1RenderTarget* rt);
