// Pixel layout of the two texture sheets the game loads. The rectangles are
// (left, top, right, bottom) and must match the source rectangles used by the
// renderer.
#pragma once

#include "common.h"

#include <cairo.h>

namespace ag {

// images/back01.png
constexpr int kBackW = 1800, kBackH = 3072;
constexpr int kLayerW = 600, kTileH = 768;
constexpr Cell kFarLayer{"FarLayer", 0, 0, 600, 1536};
constexpr Cell kNearLayer{"NearLayer", 0, 1536, 600, 3072};
constexpr Cell kStagePicture{"StagePicture", 600, 0, 1800, 768};

// images/jiki1.png
constexpr int kSpriteW = 1600, kSpriteH = 3600;
constexpr Cell kPlayerShip{"PlayerShip", 0, 0, 50, 100};
constexpr Cell kFighter{"Fighter", 50, 0, 110, 60};
constexpr Cell kOption{"Option", 110, 30, 160, 100};
constexpr Cell kDebrisLarge{"DebrisLarge", 110, 0, 140, 30};
constexpr Cell kDebrisMedium{"DebrisMedium", 62, 84, 78, 100};
constexpr Cell kDebrisSmall{"DebrisSmall", 94, 84, 110, 100};
constexpr Cell kLockOnMarker{"LockOnMarker", 200, 0, 270, 70};
constexpr Cell kCruisers[3] = {
    {"Cruiser1", 0, 100, 300, 400},
    {"Cruiser2", 300, 100, 600, 400},
    {"Cruiser3", 600, 100, 900, 400},
};
constexpr Cell kBattleships[10] = {
    {"Battleship1", 0, 400, 400, 1200},     {"Battleship2", 400, 400, 800, 1200},
    {"Battleship3", 800, 400, 1200, 1200},  {"Battleship4", 0, 1200, 400, 2000},
    {"Battleship5", 400, 1200, 800, 2000},  {"Battleship6", 800, 1200, 1200, 2000},
    {"Battleship7", 0, 2000, 400, 2800},    {"Battleship8", 400, 2000, 800, 2800},
    {"Battleship9", 800, 2000, 1200, 2800}, {"Battleship10", 0, 2800, 400, 3600},
};
constexpr Cell kSight{"Sight", 1200, 0, 1600, 300};
constexpr Cell kLockOnOverlay{"LockOnOverlay", 1200, 300, 1600, 600};

// Sprite painters (sprites.cpp / ships.cpp). Each draws in cell-local
// coordinates; the caller translates and clips to the cell.
void drawPlayerShip(cairo_t* cr, double w, double h);  // nose up, fits w x h
void drawFighter(cairo_t* cr, double w, double h);
void drawOption(cairo_t* cr, double w, double h);
void drawDebris(cairo_t* cr, double w, double h, uint64_t seed);
void drawLockOnMarker(cairo_t* cr, double w, double h);
void drawSight(cairo_t* cr, double w, double h);
void drawLockOnOverlay(cairo_t* cr, double w, double h);
void drawCapitalShip(cairo_t* cr, double w, double h, int index, bool battleship);

cairo_surface_t* renderSpriteSheet();
cairo_surface_t* renderBackgroundSheet();

}  // namespace ag
