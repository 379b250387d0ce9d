// frame.cpp: the game world's one frame and its reset. The frame updates and
// draws everything in one pass; the order of the steps is the painter's order.
#include "game_local.h"

int32_t g_frameCount;

// Every table to its start state. The frame count and the scroll offsets are
// left alone: they run on across resets.
void ResetGame()
{
    ResetPlayer();
    ClearEffects();
    ResetEnemies();
    ResetStraightLasers();
    ResetFanBullets();
    ResetRingBullets();
    ResetSpiralBullets();
    ResetHomingLasers();
    ResetDebris();
    g_stageClock = 0;
}

void RestartGame()
{
    ResetGame();
}

void GameFrame(ID2D1RenderTarget* rt)
{
    ScrollBackground(rt);          // 1: frame count, background layers
    MovePlayerShip();              // 2
    FirePlayerShots();             // 3
    StepPlayerShots(rt);           // 4: and, where shots strike, their hits
    PlaceOptionsAndDrawShip(rt);   // 5
    if (g_edition.optionHomingLasers)
        RunOptionHomingLasers(rt); //    the options' lasers, in place of step 15
    RunEnemyHomingLasers(rt);      // 6
    RunRingBullets(rt);            // 7
    RunSpiralBullets(rt);          // 8
    RunStraightLasers(rt);         // 9
    RunFanBullets(rt);             // 10
    RunEnemyPass(rt);              // 11-13: spawn, move, draw, exit, debris, slot by slot
    RunLockOnDisplay(rt);          // 14
    if (!g_edition.optionHomingLasers)
        RunPlayerHomingLasers(rt); // 15: the ship's lasers and their strikes
    DrawSight(rt);                 // 16
    PlayMusicCues();               // 17
    DrawStageTexts(rt);            // 18
    RunStageClock(rt);             // 19: ending picture, clock, opening picture, loop
}
