// replay.cpp: the key script and the replay's start state.
#include "replay.h"

#include <cstdlib>
#include <cstring>

namespace {

const int ScriptArrows[4] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};

// As the window procedure does: a press sets the held entry, a release clears
// both the held and the latched entry.
void KeyDown(int vk)
{
    g_keyDown[vk] = 1;
}

void KeyUp(int vk)
{
    g_keyDown[vk] = 0;
    g_keyLatched[vk] = 0;
}

}  // namespace

void StartReplay(ReplayResources& res)
{
    g_brush = &res.brush;
    g_largeTextFormat = &res.largeFormat;
    g_spriteSheet = &res.sprites;
    g_backgroundSheet = &res.background;
    g_roundStrokeStyle = nullptr;  // only passed through to the target
    memset(g_keyDown, 0, sizeof g_keyDown);
    memset(g_keyLatched, 0, sizeof g_keyLatched);
    g_frameCount = 0;
    g_bgScrollFar = 0;
    g_bgScrollNear = 0;
    srand(1);  // the debris's random sequence starts as at program start
    ResetGame();
}

void ApplyScriptKeys(int frame)
{
    if (frame % ArrowHoldFrames == 0) {
        int turn = frame / ArrowHoldFrames;
        if (turn > 0)
            KeyUp(ScriptArrows[(turn - 1) % 4]);
        KeyDown(ScriptArrows[turn % 4]);
    }
    if (frame % SpaceTapPeriod == 0)
        KeyDown(VK_SPACE);
    else if (frame % SpaceTapPeriod == 1)
        KeyUp(VK_SPACE);
}

void RunGameFrame(ID2D1RenderTarget* rt)
{
    GameFrame(rt);
    StepAndDrawEffects(rt, g_brush, g_frameCount);
}
