// homing.cpp: homing lasers, one mechanism for three users: the enemies' lasers
// (harmless, aimed far below the field), the ship's lasers that hunt and strike
// their enemies, and, in the first edition, the options' lasers aimed above the
// field. A laser is a trail of 21 segments born one per frame from one launch
// point; each steers for 21 frames and then cruises until it leaves its box.
#include "game_local.h"

#include <cmath>

HomingLaserTable g_enemyHomingLasers;
HomingLaserTable g_playerHomingLasers;

namespace {

constexpr float SpentSegmentX = -1550.0f;
constexpr int StrikeSegment = 18;
constexpr float LaserStartClock = 60;
constexpr float CruiseFactor = 30.0f;
const float TurnStep = g_pi / 21;  // 0.14952381 in single precision

struct Point {
    float x, y;
};

struct FieldBox {
    float left, top, right, bottom;  // a segment stays while on or inside these
};

// What tells one user of the mechanism from another.
struct HomingUser {
    HomingLaserTable* table;
    int first, last;             // lasers visited by both loops
    bool (*armed)(int i);        // arming condition of an idle laser
    Point (*source)(int i);      // launch point at re-anchoring
    Point (*target)(int i);
    float (*turn)(int i);        // heading change per steering frame
    float steerX, steerY;        // speed factors while steering
    UINT32 colour;
    bool strikes;                // LaserHitTest against enemy i
    FieldBox box;
    Point (*disarmPoint)(int i);
};

bool Outside(const FieldBox& b, float x, float y)
{
    return x > b.right || x < b.left || y > b.bottom || y < b.top;
}

void ArmingLoop(const HomingUser& u)
{
    HomingLaserTable& t = *u.table;
    for (int i = u.first; i <= u.last; i++)
        if (u.armed(i) && t.armed[i] == 0) {
            t.step[i] = -1;
            t.armed[i] = 1;
        }
}

// Step 0 re-anchors every segment at the new origin, whatever its state; then
// segment `step` is born there while step is 0..20 (compared unsigned).
void LaunchStep(const HomingUser& u, int i)
{
    HomingLaserTable& t = *u.table;
    // Counted in unsigned arithmetic: a laser that is never disarmed counts on
    // past 2^31 frames and wraps instead of overflowing a signed integer.
    t.step[i] = static_cast<int32_t>(static_cast<uint32_t>(t.step[i]) + 1u);
    if (t.step[i] == 0) {
        Point s = u.source(i);
        t.originX[i] = s.x;
        t.originY[i] = s.y;
        for (int k = 0; k < HomingSegments; k++) {
            t.x[i][k] = t.originX[i] + 1;
            t.y[i][k] = t.originY[i] + 1;
        }
    }
    uint32_t step = static_cast<uint32_t>(t.step[i]);
    if (step <= 20) {
        t.x[i][step] = t.originX[i] + 1;
        t.y[i][step] = t.originY[i] + 1;
        t.heading[i][step] = g_pi;
        t.state[i][step] = 1;
    }
}

// Steering while k <= step <= k + 20, cruising from k + 21 on; a segment not
// yet reborn in this volley (step < k) stays where the re-anchoring put it.
// step is unsigned: the -1 of a disarmed laser counts as later than any k + 21.
void MoveSegment(const HomingUser& u, int i, int k)
{
    HomingLaserTable& t = *u.table;
    uint32_t step = static_cast<uint32_t>(t.step[i]);
    uint32_t uk = static_cast<uint32_t>(k);
    float fx, fy;
    if (uk <= step && step <= uk + 20) {
        t.heading[i][k] = t.heading[i][k] + u.turn(i);
        fx = u.steerX;
        fy = u.steerY;
    } else if (step >= uk + 21) {
        fx = CruiseFactor;
        fy = CruiseFactor;
    } else {
        return;
    }
    Point target = u.target(i);
    t.aim[i][k] = atan2f(target.y - (t.y[i][k] + 3), target.x - (t.x[i][k] + 11));
    float direction = t.heading[i][k] + t.aim[i][k];
    t.vx[i][k] = cosf(direction) * fx;
    t.vy[i][k] = sinf(direction) * fy;
    t.x[i][k] += t.vx[i][k];
    t.y[i][k] += t.vy[i][k];
}

// The LaserHitBox around enemy i, all four bounds open. Any segment that enters
// stops there; only segment 18 strikes.
void LaserHitTest(const HomingUser& u, int i, int k)
{
    HomingLaserTable& t = *u.table;
    Enemy& e = g_enemies[i];
    float x = t.x[i][k], y = t.y[i][k];
    if (!(e.x + 10 - 30 < x && x < e.x + 50 - 30 && e.y - 10 < y && y < e.y + 30))
        return;
    t.state[i][k] = 0;
    if (k == StrikeSegment) {
        e.hit = 1.0f;
        SpawnEffect(e.x, e.y);
        t.armed[i] = 0;
        t.step[i] = -1;
    }
}

// A segment that leaves the box is spent; when segment 20 is outside the box
// too, the laser is disarmed and waits at the disarm point for its next volley.
void RetireSegment(const HomingUser& u, int i, int k)
{
    HomingLaserTable& t = *u.table;
    if (!Outside(u.box, t.x[i][k], t.y[i][k]))
        return;
    t.state[i][k] = 2;
    t.x[i][k] = SpentSegmentX;
    t.y[i][k] = ParkY;
    if (!Outside(u.box, t.x[i][20], t.y[i][20]))
        return;
    t.armed[i] = 0;
    t.step[i] = -1;
    Point d = u.disarmPoint(i);
    t.originX[i] = d.x;
    t.originY[i] = d.y;
    t.x[i][k] = t.originX[i] + 1;
    t.y[i][k] = t.originY[i] + 1;
    t.x[i][20] = -68;
}

// A laser whose 21 segments are all born (step 21 on) and none of them flies any
// more is disarmed as a strike disarms it; its origin and segments stay as they are.
void DisarmIfNothingFlies(const HomingUser& u, int i)
{
    HomingLaserTable& t = *u.table;
    if (t.armed[i] != 1 || static_cast<uint32_t>(t.step[i]) < 21)
        return;
    for (int k = 0; k < HomingSegments; k++)
        if (t.state[i][k] == 1)
            return;
    t.armed[i] = 0;
    t.step[i] = -1;
}

void UpdateLoop(ID2D1RenderTarget* rt, const HomingUser& u)
{
    HomingLaserTable& t = *u.table;
    for (int i = u.first; i <= u.last; i++) {
        if (t.armed[i] == 1)
            LaunchStep(u, i);
        for (int k = 0; k < HomingSegments; k++) {
            if (t.state[i][k] != 1)
                continue;
            MoveSegment(u, i, k);
            if (k >= 1 && k <= 18)
                DrawGlowLine(rt, u.colour, D2D1::Point2F(t.x[i][k], t.y[i][k]),
                             D2D1::Point2F(t.x[i][k + 1], t.y[i][k + 1]));
            if (u.strikes)
                LaserHitTest(u, i, k);
            RetireSegment(u, i, k);
        }
        // With the tail stopped in its enemy's box no retiring segment ever disarms the laser.
        DisarmIfNothingFlies(u, i);
    }
}

void RunHomingPass(ID2D1RenderTarget* rt, const HomingUser& u)
{
    ArmingLoop(u);
    UpdateLoop(rt, u);
}

void ResetTable(HomingLaserTable& t, int count)
{
    for (int i = 0; i < count; i++) {
        for (int k = 0; k < HomingSegments; k++) {
            t.x[i][k] = ParkX;
            t.y[i][k] = ParkY;
            t.state[i][k] = 0;
            t.heading[i][k] = 0;
            t.aim[i][k] = 0;
            t.vx[i][k] = 0;
            t.vy[i][k] = 0;
        }
        t.armed[i] = 0;
        t.step[i] = 0;
        t.originX[i] = ParkX;
        t.originY[i] = ParkY;
    }
}

// ---- the enemies' lasers: slots 3..47, aimed at a point far below the field
const HomingUser EnemyLasers = {
    &g_enemyHomingLasers, 3, 47,
    [](int i) { return g_enemies[i].y >= 200; },
    [](int i) { return Point{g_enemies[i].x, g_enemies[i].y + 30}; },
    [](int) { return Point{300, 2000}; },
    [](int i) { return i <= 8 ? -TurnStep : +TurnStep; },
    24, 30, 0x000aff, false,
    {-100, -100, 700, 868},
    [](int i) { return Point{g_enemies[i].x, g_enemies[i].y}; },
};

// ---- the ship's lasers: laser i hunts enemy slot i
const HomingUser PlayerLasers = {
    &g_playerHomingLasers, 0, EnemySlots - 1,
    [](int i) { return g_enemies[i].y >= -160; },
    [](int) { return Point{g_playerX, g_playerY + 30}; },
    [](int i) { return Point{g_enemies[i].x, g_enemies[i].y}; },
    [](int i) { return (i % 2) ? -TurnStep : +TurnStep; },
    18, 25, 0x00aa00, true,
    {-800, -100, 1400, 1168},
    [](int) { return Point{g_playerX, g_playerY}; },
};

// ---- the options' lasers: laser s flies from Option s + 1 to a point above the field
Point OptionPoint(int s)
{
    switch (s) {
    case 0: return Point{g_option1X, g_option1Y};
    case 1: return Point{g_option2X, g_option2Y};
    case 2: return Point{g_option3X, g_option3Y};
    default: return Point{g_option4X, g_option4Y};
    }
}

const HomingUser OptionLasers = {
    &g_playerHomingLasers, 0, 3,
    [](int) { return true; },
    [](int s) { Point o = OptionPoint(s); return Point{o.x, o.y + 30}; },
    [](int) { return Point{300, -411}; },
    [](int s) { return (s % 2) ? -TurnStep : +TurnStep; },
    14, 20, 0x00aa00, false,
    {-800, -100, 1400, 1168},
    OptionPoint,
};

}  // namespace

int PlayerHomingLaserCount()
{
    return g_edition.optionHomingLasers ? 4 : HomingLaserSlots;
}

void ResetHomingLasers()
{
    ResetTable(g_enemyHomingLasers, HomingLaserSlots);
    ResetTable(g_playerHomingLasers, PlayerHomingLaserCount());
}

void RunEnemyHomingLasers(ID2D1RenderTarget* rt)
{
    RunHomingPass(rt, EnemyLasers);
}

// Held back for the first 60 frames of every pass of the script: nothing of the
// ship's lasers is armed, moved, tested or drawn then.
void RunPlayerHomingLasers(ID2D1RenderTarget* rt)
{
    if (g_stageClock >= LaserStartClock)
        RunHomingPass(rt, PlayerLasers);
}

void RunOptionHomingLasers(ID2D1RenderTarget* rt)
{
    RunHomingPass(rt, OptionLasers);
}
