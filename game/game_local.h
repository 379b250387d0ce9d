// game_local.h: the game world's tables and the steps of its frame, shared by the
// files of game/ (and by the tests that drive them). Everything lives in fixed
// global tables; a free slot is parked at (ParkX, ParkY) with its flag at 0.
#pragma once

#include "game.h"

#include "edition.h"
#include "shell_shared.h"
#include "sound.h"

#include <cstdint>

// ---- stage script and background (stage.cpp) --------------------------------------
constexpr int StageLength = 14300;  // frames in one pass of the script
constexpr float ParkX = -2550.0f;   // the parking spot of every free slot
constexpr float ParkY = -3550.0f;
constexpr int EnemySlots = 48;

extern float g_stageClock;    // whole frames 0..14299 when a frame starts
extern float g_bgScrollFar;   // scroll offsets, 0 up to below 768 between frames
extern float g_bgScrollNear;

void ScrollBackground(ID2D1RenderTarget* rt);  // step 1
void PlayMusicCues();                          // step 17
void DrawStageTexts(ID2D1RenderTarget* rt);    // step 18
void RunStageClock(ID2D1RenderTarget* rt);     // step 19

// ---- glow drawing (glow.cpp) --------------------------------------------------------
void DrawGlowLine(ID2D1RenderTarget* rt, UINT32 rgb, const D2D1_POINT_2F& p0, const D2D1_POINT_2F& p1);
void DrawGlowEllipse(ID2D1RenderTarget* rt, UINT32 rgb, const D2D1_ELLIPSE& ellipse);
void DrawGlowRectangle(ID2D1RenderTarget* rt, UINT32 rgb, const D2D1_RECT_F& rect);
void DrawGlowRoundedRectangle(ID2D1RenderTarget* rt, UINT32 rgb, const D2D1_RECT_F& rect);
HRESULT CreateFadeGradientBrush(ID2D1RenderTarget* rt, const D2D1_COLOR_F& colour,
                                ID2D1LinearGradientBrush** brush);
void AddPoints(float x1, float y1, float x2, float y2, float* rx, float* ry);
void SubtractPoints(float x1, float y1, float x2, float y2, float* rx, float* ry);
void RotatePoint(float* x, float* y, float angle);
float CrossProduct(float x1, float y1, float x2, float y2);
float DotProduct(float x1, float y1, float x2, float y2);

// ---- explosion effects (effects.cpp) --------------------------------------------
constexpr int EffectSlots = 15;  // full pool: a new spawn is dropped

struct Effect {
    uint32_t framesLeft;  // drawings still to come; 0 marks a free slot
    float x;
    float y;
    float targetX;
    float targetY;
    float stepX;
    float stepY;
    float baseSize;       // disc diameter at scale 1.0
    float scale;
    float scaleTarget;
    float scaleStep;
    float alpha;
    float alphaTarget;
    float alphaStep;
    uint32_t colour;      // 0x00RRGGBB
};

extern Effect g_effects[EffectSlots];

void SpawnEffect(float x, float y);
int FindFreeEffectSlot(Effect* table, int count);
void ComputeEffectSteps(Effect* e);
void StepEffect(Effect* e);
void ClearEffects();

// ---- player ship, options and shots (player.cpp) ----------------------------------
constexpr int PlayerShotSlots = 100;  // full table: that table fires nothing

struct PlayerShot {
    int32_t active;  // live while >= 1; free while < 1 (keeps its last position)
    float x;
    float y;         // the beam is drawn 40 to 80 above this point
};

extern float g_playerX, g_playerY;
extern float g_option1X, g_option1Y;
extern float g_option2X, g_option2Y;
extern float g_option3X, g_option3Y;
extern float g_option4X, g_option4Y;
extern PlayerShot g_playerShots[PlayerShotSlots];
extern PlayerShot g_option1Shots[PlayerShotSlots];
extern PlayerShot g_option2Shots[PlayerShotSlots];
extern PlayerShot g_option3Shots[PlayerShotSlots];
extern PlayerShot g_option4Shots[PlayerShotSlots];

void ResetPlayer();
void MovePlayerShip();                               // step 2
void FirePlayerShots();                              // step 3
void StepPlayerShots(ID2D1RenderTarget* rt);         // step 4
void PlaceOptionsAndDrawShip(ID2D1RenderTarget* rt); // step 5
void DrawSight(ID2D1RenderTarget* rt);               // step 16

// ---- enemies (enemies.cpp) --------------------------------------------------------
struct Enemy {
    int32_t alive;     // 1 in play, 0 free
    float x;
    float y;
    float hit;         // 1.0 once struck; the next debris step destroys the enemy
    float deathTimer;  // step counter of the death sequence
    float phase;       // movement cycle, whole numbers 0..1201
    float heading;     // movement angle parameter
};

extern Enemy g_enemies[EnemySlots];
extern const float g_pi;  // 3.14, not pi: the motion depends on it

void ResetEnemies();
void FreeEnemy(Enemy& e);
void RunEnemyPass(ID2D1RenderTarget* rt);  // steps 11 to 13

// ---- homing lasers (homing.cpp) -----------------------------------------------------
constexpr int HomingSegments = 21;
constexpr int HomingLaserSlots = EnemySlots;

// One homing laser is a HomingSegment[21] trail (x, y, state, heading, aim, vx, vy)
// and the laser's own step, armed, originX and originY. The tables keep them as
// parallel arrays, indexed [laser][segment] and [laser].
struct HomingLaserTable {
    float x[HomingLaserSlots][HomingSegments];
    float y[HomingLaserSlots][HomingSegments];
    float state[HomingLaserSlots][HomingSegments];  // 0 waiting, 1 flying, 2 spent
    float heading[HomingLaserSlots][HomingSegments];
    float aim[HomingLaserSlots][HomingSegments];
    float vx[HomingLaserSlots][HomingSegments];
    float vy[HomingLaserSlots][HomingSegments];
    int32_t step[HomingLaserSlots];  // compared unsigned: -1 comes after every frame count
    float armed[HomingLaserSlots];
    float originX[HomingLaserSlots];
    float originY[HomingLaserSlots];
};

extern HomingLaserTable g_enemyHomingLasers;
extern HomingLaserTable g_playerHomingLasers;

int PlayerHomingLaserCount();  // 4 with the option lasers, 48 otherwise
void ResetHomingLasers();
void RunEnemyHomingLasers(ID2D1RenderTarget* rt);   // step 6
void RunPlayerHomingLasers(ID2D1RenderTarget* rt);  // step 15
void RunOptionHomingLasers(ID2D1RenderTarget* rt);  // after step 5, in place of step 15

// ---- destruction and debris (debris.cpp) --------------------------------------------
constexpr int DebrisParticles = 221;

// One DebrisParticle is (x, y, dx, dy, active, age) at the same [slot][particle].
struct DebrisTable {
    float x[EnemySlots][DebrisParticles];
    float y[EnemySlots][DebrisParticles];
    float dx[EnemySlots][DebrisParticles];
    float dy[EnemySlots][DebrisParticles];
    float active[EnemySlots][DebrisParticles];
    float age[EnemySlots][DebrisParticles];
};

extern DebrisTable g_enemyDebris;

void ResetDebris();
void StepEnemyDebris(ID2D1RenderTarget* rt, int slot);  // step 13 for one slot

// ---- lock-on display (lockon.cpp) ------------------------------------------------------
void RunLockOnDisplay(ID2D1RenderTarget* rt);  // step 14

// ---- enemy bullets and straight lasers (spiral.cpp, rings.cpp, fans.cpp) --------------------
// One Bullet is (x, y, active) at the same [slot][bullet] of a family's three
// parallel arrays; bullet (slot, j) belongs to enemy slot `slot` for its whole life.
template <int PerSlot>
struct BulletFamily {
    float x[EnemySlots][PerSlot];
    float y[EnemySlots][PerSlot];
    float active[EnemySlots][PerSlot];  // 0 free (parked), 1 flying
};

constexpr int SpiralFamilies = 2, SpiralBullets = 36;
constexpr int RingFamilies = 9, RingBullets = 36;
constexpr int FanFamilies = 12, FanBullets = 5;

extern BulletFamily<1> g_enemyStraightLasers;
extern BulletFamily<SpiralBullets> g_enemySpiralBullets[SpiralFamilies];
extern int32_t g_spiralIndex[EnemySlots];
extern BulletFamily<RingBullets> g_enemyRingBullets[RingFamilies];
extern BulletFamily<FanBullets> g_enemyFanBullets[FanFamilies];

void ResetStraightLasers();
void ResetSpiralBullets();
void ResetRingBullets();
void ResetFanBullets();
void RunRingBullets(ID2D1RenderTarget* rt);     // step 7
void RunSpiralBullets(ID2D1RenderTarget* rt);   // step 8
void RunStraightLasers(ID2D1RenderTarget* rt);  // step 9
void RunFanBullets(ID2D1RenderTarget* rt);      // step 10

// Parks one bullet of a family.
template <int PerSlot>
inline void ParkBullet(BulletFamily<PerSlot>& f, int slot, int j)
{
    f.x[slot][j] = ParkX;
    f.y[slot][j] = ParkY;
    f.active[slot][j] = 0.0f;
}

template <int PerSlot>
inline void ParkBulletFamily(BulletFamily<PerSlot>& f)
{
    for (int i = 0; i < EnemySlots; i++)
        for (int j = 0; j < PerSlot; j++)
            ParkBullet(f, i, j);
}
