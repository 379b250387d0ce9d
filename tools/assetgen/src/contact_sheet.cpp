// Review sheet: every sprite cell enlarged and labelled on a dark checker
// (so transparency shows), plus the background layers as the game shows them.
#include "layout.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace ag {
namespace {

void checker(cairo_t* cr, double x, double y, double w, double h, double sq = 8) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.13, 0.14, 0.17);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.19, 0.20, 0.24);
    for (int j = 0; j * sq < h; ++j)
        for (int i = 0; i * sq < w; ++i)
            if ((i + j) % 2) cairo_rectangle(cr, x + i * sq, y + j * sq, sq, sq);
    cairo_fill(cr);
    cairo_restore(cr);
}

void label(cairo_t* cr, double x, double y, const std::string& text) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 13);
    cairo_set_source_rgb(cr, 0.85, 0.9, 1.0);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text.c_str());
}

// Draws the source rectangle `c` of `src` scaled by `k` at (x, y) with a frame
// and a caption above it. Returns the width used.
double cell(cairo_t* cr, cairo_surface_t* src, const Cell& c, double x, double y, double k, const char* note = "") {
    double w = c.w() * k, h = c.h() * k;
    checker(cr, x, y, w, h);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, k, k);
    cairo_set_source_surface(cr, src, -c.l, -c.t);
    cairo_pattern_set_filter(cairo_get_source(cr), k >= 2 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_set_source_rgba(cr, 0.5, 0.6, 0.8, 0.6);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, x - 0.5, y - 0.5, w + 1, h + 1);
    cairo_stroke(cr);
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s %dx%d%s", c.name, c.w(), c.h(), note);
    label(cr, x, y - 6, buf);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, buf, &ext);
    return std::max(w, ext.x_advance);
}

}  // namespace

int renderContactSheet(const std::string& out, const std::string& assetDir) {
    cairo_surface_t* sprites = cairo_image_surface_create_from_png((assetDir + "/images/jiki1.png").c_str());
    cairo_surface_t* back = cairo_image_surface_create_from_png((assetDir + "/images/back01.png").c_str());
    if (cairo_surface_status(sprites) || cairo_surface_status(back)) {
        std::fprintf(stderr, "velkarn-assetgen: cannot read %s/images/*.png\n", assetDir.c_str());
        return 1;
    }
    const double W = 2300, H = 1960;
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(W), int(H));
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.07);
    cairo_paint(cr);

    const double gap = 24;
    double x = gap, y = 30;
    // Row 1: small sprites, enlarged 3x.
    const Cell small[] = {kPlayerShip, kFighter, kOption, kDebrisLarge, kDebrisMedium, kDebrisSmall, kLockOnMarker};
    for (const Cell& c : small) x += cell(cr, sprites, c, x, y, 3, " (x3)") + gap;
    // Row 2: cruisers at 1x.
    y += 330;
    x = gap;
    for (const Cell& c : kCruisers) x += cell(cr, sprites, c, x, y, 1) + gap;
    // HUD graphics at 1x, and the sight over the overlay as in game.
    x += cell(cr, sprites, kSight, x, y, 1) + gap;
    x += cell(cr, sprites, kLockOnOverlay, x, y, 1) + gap;
    {
        Cell both{"Sight+Overlay", 0, 0, 400, 300};
        checker(cr, x, y, 400, 300);
        cairo_set_source_surface(cr, sprites, x - kLockOnOverlay.l, y - kLockOnOverlay.t);
        cairo_rectangle(cr, x, y, 400, 300);
        cairo_fill(cr);
        cairo_set_source_surface(cr, sprites, x - kSight.l, y - kSight.t);
        cairo_rectangle(cr, x, y, 400, 300);
        cairo_fill(cr);
        label(cr, x, y - 6, both.name);
    }
    // Row 3: battleships at 0.5x.
    y += 300 + 36;
    x = gap;
    for (const Cell& c : kBattleships) x += cell(cr, sprites, c, x, y, 0.5, " (x0.5)") + gap;
    // Row 4: backgrounds at 0.5x: far layer (both tiles), near layer on checker,
    // near over far, the title picture as stored and as displayed.
    y += 400 + 36;
    x = gap;
    x += cell(cr, back, kFarLayer, x, y, 0.5, " (x0.5)") + gap;
    x += cell(cr, back, kNearLayer, x, y, 0.5, " (x0.5)") + gap;
    {
        cairo_save(cr);
        cairo_rectangle(cr, x, y, 300, 768);
        cairo_clip(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 0.5, 0.5);
        cairo_set_source_surface(cr, back, -kFarLayer.l, -kFarLayer.t);
        cairo_paint(cr);
        cairo_set_source_surface(cr, back, -kNearLayer.l, -kNearLayer.t);
        cairo_paint(cr);
        cairo_restore(cr);
        label(cr, x, y - 6, "Near over far (x0.5)");
        x += 300 + gap;
    }
    double px = x;
    x += cell(cr, back, kStagePicture, x, y, 0.5, " stored (x0.5)") + gap;
    {
        double py = y + 384 + 36;
        cairo_save(cr);
        cairo_rectangle(cr, px, py, 300, 384);
        cairo_clip(cr);
        cairo_translate(cr, px, py);
        cairo_scale(cr, 0.25, 0.5);
        cairo_set_source_surface(cr, back, -kStagePicture.l, -kStagePicture.t);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        label(cr, px, py - 6, "StagePicture as displayed 600x768 (x0.5)");
    }
    cairo_destroy(cr);
    cairo_surface_flush(sheet);
    bool ok = writePng(sheet, out);
    cairo_surface_destroy(sheet);
    cairo_surface_destroy(sprites);
    cairo_surface_destroy(back);
    return ok ? 0 : 1;
}

}  // namespace ag
