// edition.h: the build-time switches that tell the three editions apart.
#pragma once

struct EditionSettings {
    bool titleSuffix;         // the window title ends in " VERSION"
    bool shotHitTest;         // shots of the ship and the options strike enemies
    bool shotHitSound;        // "hit" sounds at every shot strike
    bool deathSound;          // "hit" sounds once in every death sequence
    bool optionHomingLasers;  // the options fire homing lasers at a fixed point, not the ship at enemies
    bool lockOnDisplay;       // the lock-on overlay, markers and sound run
    bool lockOnLine;          // the lock-on display also draws a line from the ship to each marked enemy
};

// Defined by exactly one of velkarn1.cpp, velkarn2.cpp, velkarn3.cpp per program.
extern const EditionSettings g_edition;
