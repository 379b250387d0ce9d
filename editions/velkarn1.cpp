// velkarn1.cpp: the first edition: shots destroy, the options fire the homing
// lasers, and the lock-on display draws its lines.
#include "edition.h"

extern const EditionSettings g_edition = {
    false,  // titleSuffix: plain title
    true,   // shotHitTest: shots strike enemies
    true,   // shotHitSound: "hit" at each shot strike
    false,  // deathSound: silent death sequence
    true,   // optionHomingLasers: four option lasers at a fixed point
    true,   // lockOnDisplay: on
    true,   // lockOnLine: on
};
