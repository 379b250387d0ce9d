// velkarn2.cpp: the second edition: shots and the ship's homing lasers destroy,
// and there is no lock-on display.
#include "edition.h"

extern const EditionSettings g_edition = {
    true,   // titleSuffix: " VERSION"
    true,   // shotHitTest: shots strike enemies
    false,  // shotHitSound: no sound at a shot strike
    true,   // deathSound: "hit" in the death sequence
    false,  // optionHomingLasers: the ship's lasers hunt the enemies
    false,  // lockOnDisplay: off
    false,  // lockOnLine: off
};
