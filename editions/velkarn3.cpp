// velkarn3.cpp: the third edition: only the ship's homing lasers destroy, with
// the lock-on display shown.
#include "edition.h"

extern const EditionSettings g_edition = {
    true,   // titleSuffix: " VERSION"
    false,  // shotHitTest: shots pass through enemies
    false,  // shotHitSound: off
    true,   // deathSound: "hit" in the death sequence
    false,  // optionHomingLasers: the ship's lasers hunt the enemies
    true,   // lockOnDisplay: on
    false,  // lockOnLine: off
};
