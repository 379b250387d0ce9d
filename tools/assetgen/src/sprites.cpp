// Small sprites (player ship, fighter, option pod, debris, lock-on marker),
// the HUD graphics, and assembly of the whole sprite sheet.
#include "layout.h"

#include <cstdio>
#include <vector>

namespace ag {
namespace {

// Mirrors a list of right-hand points about x = cx and emits a closed path
// that runs down the right side and back up the left.
void symmetricPath(cairo_t* cr, double cx, const std::vector<std::pair<double, double>>& right) {
    cairo_new_path(cr);
    for (size_t i = 0; i < right.size(); ++i) {
        if (i == 0) cairo_move_to(cr, cx + right[i].first, right[i].second);
        else cairo_line_to(cr, cx + right[i].first, right[i].second);
    }
    for (size_t i = right.size(); i-- > 0;) cairo_line_to(cr, cx - right[i].first, right[i].second);
    cairo_close_path(cr);
}

// Horizontal "metal" gradient: lit from the upper left.
cairo_pattern_t* metalGradient(double x0, double x1, Rgb base) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
    stopRgb(p, 0.0, scale(base, 0.55));
    stopRgb(p, 0.3, mix(base, {1, 1, 1}, 0.35));
    stopRgb(p, 0.5, base);
    stopRgb(p, 1.0, scale(base, 0.4));
    return p;
}

void fillWith(cairo_t* cr, cairo_pattern_t* p, bool keepPath = true) {
    cairo_set_source(cr, p);
    if (keepPath) cairo_fill_preserve(cr);
    else cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void outline(cairo_t* cr, Rgb c, double width, double alpha = 1.0) {
    setRgb(cr, c, alpha);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

}  // namespace

// Player fighter: a swept-wing interceptor in white and cyan, nose up.
// Designed on a 50 x 100 grid and scaled uniformly to the requested box, so
// the same drawing serves the 50 x 100 sprite and the large title-card ship.
void drawPlayerShip(cairo_t* cr, double w, double h) {
    cairo_save(cr);
    double s = std::min(w / 50.0, h / 100.0);
    cairo_translate(cr, (w - 50 * s) / 2, (h - 100 * s) / 2);
    cairo_scale(cr, s, s);
    const double cx = 25;
    const Rgb hull = hex(0xd4dcea), dark = hex(0x1a2233), accent = hex(0x22b8ff), red = hex(0xff4050);
    const Rgb flame = hex(0x60d8ff);

    // Engine exhaust (under everything else).
    for (int side = -1; side <= 1; side += 2) {
        double ex = cx + side * 6.0;
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 86, 0, 99.5);
        stopRgb(p, 0.0, {1, 1, 1}, 1.0);
        stopRgb(p, 0.35, flame, 0.9);
        stopRgb(p, 1.0, flame, 0.0);
        cairo_move_to(cr, ex - 3.0, 86);
        cairo_line_to(cr, ex + 3.0, 86);
        cairo_line_to(cr, ex + 1.2, 99.5);
        cairo_line_to(cr, ex - 1.2, 99.5);
        cairo_close_path(cr);
        fillWith(cr, p, false);
    }

    // Main wings: swept delta with a kinked trailing edge.
    std::vector<std::pair<double, double>> wing = {
        {4, 36}, {14, 52}, {23.5, 70}, {23.5, 80}, {17, 80}, {10, 84}, {4, 84}};
    symmetricPath(cr, cx, wing);
    fillWith(cr, metalGradient(1, 49, scale(hull, 0.92)));
    outline(cr, dark, 1.0);
    // Wing accent stripes and tip cannons.
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, cx + side * 8, 50);
        cairo_line_to(cr, cx + side * 20.5, 70);
        cairo_line_to(cr, cx + side * 20.5, 74);
        cairo_line_to(cr, cx + side * 8, 56);
        cairo_close_path(cr);
        setRgb(cr, accent);
        cairo_fill(cr);
        cairo_rectangle(cr, cx + side * 22.5 - 1.0, 56, 2.0, 26);
        setRgb(cr, hex(0x8a95a8));
        cairo_fill_preserve(cr);
        outline(cr, dark, 0.6);
        cairo_rectangle(cr, cx + side * 22.5 - 1.0, 77, 2.0, 3);
        setRgb(cr, red);
        cairo_fill(cr);
    }

    // Engine nacelles.
    for (int side = -1; side <= 1; side += 2) {
        double ex = cx + side * 6.0;
        cairo_new_path(cr);
        cairo_move_to(cr, ex - 3.6, 60);
        cairo_line_to(cr, ex + 3.6, 60);
        cairo_line_to(cr, ex + 4.0, 86);
        cairo_line_to(cr, ex - 4.0, 86);
        cairo_close_path(cr);
        fillWith(cr, metalGradient(ex - 4, ex + 4, hex(0x9aa6bb)));
        outline(cr, dark, 0.8);
        cairo_rectangle(cr, ex - 3.2, 84, 6.4, 2.6);
        setRgb(cr, hex(0x2a3344));
        cairo_fill(cr);
    }

    // Fuselage.
    std::vector<std::pair<double, double>> body = {
        {0.0, 2}, {2.2, 10}, {4.2, 24}, {5.4, 40}, {5.6, 62}, {4.6, 80}, {3.2, 88}};
    symmetricPath(cr, cx, body);
    fillWith(cr, metalGradient(cx - 6, cx + 6, hull));
    outline(cr, dark, 1.0);
    // Spine stripe.
    cairo_move_to(cr, cx - 0.9, 44);
    cairo_line_to(cr, cx + 0.9, 44);
    cairo_line_to(cr, cx + 1.3, 84);
    cairo_line_to(cr, cx - 1.3, 84);
    cairo_close_path(cr);
    setRgb(cr, accent);
    cairo_fill(cr);
    // Intakes beside the canopy.
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, cx + side * 5.2, 36);
        cairo_line_to(cr, cx + side * 8.4, 42);
        cairo_line_to(cr, cx + side * 8.0, 54);
        cairo_line_to(cr, cx + side * 5.4, 54);
        cairo_close_path(cr);
        fillWith(cr, metalGradient(cx - 9, cx + 9, hex(0xaab4c6)));
        outline(cr, dark, 0.7);
        cairo_rectangle(cr, cx + side * 6.6 - 1.0, 42, 2.0, 2.4);
        setRgb(cr, hex(0x10151f));
        cairo_fill(cr);
    }

    // Canopy.
    cairo_save(cr);
    cairo_translate(cr, cx, 27);
    cairo_scale(cr, 2.7, 8.0);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    {
        cairo_pattern_t* p = cairo_pattern_create_linear(cx - 3, 19, cx + 3, 35);
        stopRgb(p, 0.0, hex(0xd8f6ff));
        stopRgb(p, 0.3, hex(0x3fc4ff));
        stopRgb(p, 1.0, hex(0x0a2a5a));
        fillWith(cr, p);
        outline(cr, dark, 0.8);
    }
    // Nose tip and panel lines.
    setRgb(cr, dark, 0.55);
    cairo_set_line_width(cr, 0.5);
    for (double y : {14.0, 40.0, 62.0}) {
        cairo_move_to(cr, cx - 3.5, y);
        cairo_line_to(cr, cx + 3.5, y);
    }
    cairo_stroke(cr);
    cairo_arc(cr, cx, 5, 1.0, 0, 2 * kPi);
    setRgb(cr, red);
    cairo_fill(cr);
    cairo_restore(cr);
}

// Enemy fighter: dark crimson, forward-swept claws pointing down at the player.
void drawFighter(cairo_t* cr, double w, double h) {
    cairo_save(cr);
    cairo_scale(cr, w / 60.0, h / 60.0);
    const double cx = 30;
    const Rgb hull = hex(0x8a2434), dark = hex(0x16080c), trim = hex(0xd8a24a);
    // Engine glow at the rear (top).
    for (int side = -1; side <= 1; side += 2) glow(cr, cx + side * 7, 5, 5.0, hex(0xff8a30), 0.9);
    // Claws.
    std::vector<std::pair<double, double>> claw = {{6, 10}, {20, 14}, {28.5, 24}, {26, 56}, {21, 42}, {12, 34}, {4, 36}};
    symmetricPath(cr, cx, claw);
    fillWith(cr, metalGradient(1, 59, scale(hull, 0.85)));
    outline(cr, dark, 1.0);
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, cx + side * 22, 22);
        cairo_line_to(cr, cx + side * 26.5, 27);
        cairo_line_to(cr, cx + side * 25, 50);
        cairo_line_to(cr, cx + side * 22.5, 40);
        cairo_close_path(cr);
        setRgb(cr, trim);
        cairo_fill(cr);
    }
    // Body.
    std::vector<std::pair<double, double>> body = {{5, 3}, {9, 8}, {9.5, 30}, {6, 46}, {2.5, 56}, {0, 58}};
    symmetricPath(cr, cx, body);
    fillWith(cr, metalGradient(cx - 10, cx + 10, hull));
    outline(cr, dark, 1.0);
    // Engine housings.
    for (int side = -1; side <= 1; side += 2) {
        cairo_rectangle(cr, cx + side * 7 - 3, 3, 6, 9);
        fillWith(cr, metalGradient(cx + side * 7 - 3, cx + side * 7 + 3, hex(0x55505a)));
        outline(cr, dark, 0.8);
        cairo_rectangle(cr, cx + side * 7 - 2, 2.5, 4, 2);
        setRgb(cr, hex(0xffd080));
        cairo_fill(cr);
    }
    // Glowing sensor eye.
    glow(cr, cx, 36, 7, hex(0xff3040), 0.8);
    cairo_save(cr);
    cairo_translate(cr, cx, 36);
    cairo_scale(cr, 2.6, 4.2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    {
        cairo_pattern_t* p = cairo_pattern_create_radial(cx - 0.8, 34.5, 0, cx, 36, 4.5);
        stopRgb(p, 0.0, {1, 1, 0.9});
        stopRgb(p, 0.4, hex(0xff4a3a));
        stopRgb(p, 1.0, hex(0x60080c));
        fillWith(cr, p);
        outline(cr, dark, 0.7);
    }
    setRgb(cr, dark, 0.6);
    cairo_set_line_width(cr, 0.6);
    for (double y : {16.0, 24.0}) {
        cairo_move_to(cr, cx - 8, y);
        cairo_line_to(cr, cx + 8, y);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Option: an armoured companion pod around a glowing energy core, nose up.
void drawOption(cairo_t* cr, double w, double h) {
    cairo_save(cr);
    cairo_scale(cr, w / 50.0, h / 70.0);
    const double cx = 25, cy = 32;
    const Rgb dark = hex(0x121a22), shell = hex(0xb8c4d4), core = hex(0x4dffb0);
    // Exhaust.
    cairo_pattern_t* ex = cairo_pattern_create_linear(0, 56, 0, 69.5);
    stopRgb(ex, 0, {1, 1, 1});
    stopRgb(ex, 0.4, core, 0.8);
    stopRgb(ex, 1, core, 0);
    cairo_move_to(cr, cx - 4, 56);
    cairo_line_to(cr, cx + 4, 56);
    cairo_line_to(cr, cx + 1.5, 69.5);
    cairo_line_to(cr, cx - 1.5, 69.5);
    cairo_close_path(cr);
    fillWith(cr, ex, false);
    // Side fins.
    std::vector<std::pair<double, double>> fin = {{8, 24}, {22, 38}, {23, 52}, {14, 50}, {8, 50}};
    symmetricPath(cr, cx, fin);
    fillWith(cr, metalGradient(2, 48, scale(shell, 0.8)));
    outline(cr, dark, 1.0);
    // Shell: pointed capsule.
    std::vector<std::pair<double, double>> body = {{0, 3}, {6, 9}, {12, 20}, {14, 34}, {12, 48}, {7, 57}};
    symmetricPath(cr, cx, body);
    fillWith(cr, metalGradient(cx - 14, cx + 14, shell));
    outline(cr, dark, 1.0);
    // Core window.
    glow(cr, cx, cy, 13, core, 0.7);
    cairo_arc(cr, cx, cy, 7.5, 0, 2 * kPi);
    setRgb(cr, dark);
    cairo_fill(cr);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - 1.5, cy - 1.5, 0, cx, cy, 6.5);
    stopRgb(p, 0, {1, 1, 1});
    stopRgb(p, 0.35, hex(0xa8ffe0));
    stopRgb(p, 0.8, core);
    stopRgb(p, 1, hex(0x0a6a50));
    cairo_arc(cr, cx, cy, 6.5, 0, 2 * kPi);
    fillWith(cr, p, false);
    // Fin tips.
    for (int side = -1; side <= 1; side += 2) {
        cairo_rectangle(cr, cx + side * 20 - 1.5, 46, 3, 5);
        setRgb(cr, hex(0x22b8ff));
        cairo_fill(cr);
    }
    setRgb(cr, dark, 0.6);
    cairo_set_line_width(cr, 0.6);
    cairo_move_to(cr, cx - 10, 46);
    cairo_line_to(cr, cx + 10, 46);
    cairo_move_to(cr, cx - 7, 14);
    cairo_line_to(cr, cx + 7, 14);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Hot, tumbling wreckage: a jagged dark fragment with glowing seams.
void drawDebris(cairo_t* cr, double w, double h, uint64_t seed) {
    Rng rng(seed);
    const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 0.8;
    glow(cr, cx, cy, r, hex(0xff6a1a), 0.55);
    int n = rng.irange(7, 10);
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i < n; ++i) {
        double a = 2 * kPi * (i + rng.range(-0.3, 0.3)) / n;
        double rr = r * rng.range(0.55, 0.92);
        pts.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
    }
    cairo_new_path(cr);
    for (auto& p : pts) cairo_line_to(cr, p.first, p.second);
    cairo_close_path(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx - r * 0.2, cy - r * 0.2, 0, cx, cy, r);
    stopRgb(g, 0.0, hex(0xfff2b0));
    stopRgb(g, 0.3, hex(0xffa030));
    stopRgb(g, 0.7, hex(0xa83010));
    stopRgb(g, 1.0, hex(0x3a1008));
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    setRgb(cr, hex(0x200806));
    cairo_set_line_width(cr, std::max(0.8, r * 0.08));
    cairo_stroke(cr);
    // Dark scorched plates with bright cracks between them.
    for (int i = 0; i < 2; ++i) {
        double a = rng.range(0, 2 * kPi);
        double px = cx + std::cos(a) * r * 0.3, py = cy + std::sin(a) * r * 0.3;
        cairo_new_path(cr);
        for (int k = 0; k < 4; ++k) {
            double b = a + k * kPi / 2 + rng.range(-0.3, 0.3);
            cairo_line_to(cr, px + std::cos(b) * r * 0.3, py + std::sin(b) * r * 0.3);
        }
        cairo_close_path(cr);
        setRgb(cr, hex(0x4a2418), 0.75);
        cairo_fill(cr);
    }
    setRgb(cr, hex(0xfff6d0), 0.9);
    cairo_set_line_width(cr, std::max(0.6, r * 0.06));
    cairo_move_to(cr, pts[0].first * 0.5 + cx * 0.5, pts[0].second * 0.5 + cy * 0.5);
    cairo_line_to(cr, cx, cy);
    cairo_line_to(cr, pts[n / 2].first * 0.6 + cx * 0.4, pts[n / 2].second * 0.6 + cy * 0.4);
    cairo_stroke(cr);
}

// Target reticle placed over a locked enemy.
void drawLockOnMarker(cairo_t* cr, double w, double h) {
    const double cx = w / 2, cy = h / 2, r = std::min(w, h) / 2 - 3;
    const Rgb red = hex(0xff3030), hot = hex(0xffd040);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    // Soft halo behind the lines.
    setRgb(cr, red, 0.25);
    cairo_set_line_width(cr, 5);
    cairo_arc(cr, cx, cy, r - 4, 0, 2 * kPi);
    cairo_stroke(cr);
    // Broken outer ring.
    setRgb(cr, red);
    cairo_set_line_width(cr, 3.5);
    for (int i = 0; i < 4; ++i) {
        double a0 = i * kPi / 2 + 0.22, a1 = (i + 1) * kPi / 2 - 0.22;
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy, r - 4, a0, a1);
    }
    cairo_stroke(cr);
    // Ticks pointing inward at the cardinal gaps.
    cairo_set_line_width(cr, 3.0);
    for (int i = 0; i < 4; ++i) {
        double a = i * kPi / 2;
        cairo_move_to(cr, cx + std::cos(a) * (r + 1), cy + std::sin(a) * (r + 1));
        cairo_line_to(cr, cx + std::cos(a) * (r - 12), cy + std::sin(a) * (r - 12));
    }
    cairo_stroke(cr);
    // Inner rotated square.
    setRgb(cr, hot);
    cairo_set_line_width(cr, 2.4);
    double d = r * 0.42;
    cairo_move_to(cr, cx, cy - d);
    cairo_line_to(cr, cx + d, cy);
    cairo_line_to(cr, cx, cy + d);
    cairo_line_to(cr, cx - d, cy);
    cairo_close_path(cr);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, 2.0, 0, 2 * kPi);
    cairo_fill(cr);
}

// Gun sight shown above the player ship every frame: thin, light and translucent.
void drawSight(cairo_t* cr, double w, double h) {
    const Rgb c = hex(0x60f0ff);
    const double cx = w / 2;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, 1.0);
    // Central range ladder with ticks every 20 px, longer every 100 px.
    setRgb(cr, c, 0.35);
    cairo_move_to(cr, cx + 0.5, 12);
    cairo_line_to(cr, cx + 0.5, h - 40);
    cairo_stroke(cr);
    for (int y = 20; y < h - 40; y += 20) {
        double len = (y % 100 == 0) ? 14 : 6;
        setRgb(cr, c, (y % 100 == 0) ? 0.6 : 0.4);
        cairo_move_to(cr, cx - len, y + 0.5);
        cairo_line_to(cr, cx + len, y + 0.5);
        cairo_stroke(cr);
    }
    // Aiming circle with crosshair gaps.
    const double ay = 110, ar = 34;
    setRgb(cr, c, 0.55);
    for (int i = 0; i < 4; ++i) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, ay, ar, i * kPi / 2 + 0.35, (i + 1) * kPi / 2 - 0.35);
    }
    cairo_stroke(cr);
    setRgb(cr, c, 0.7);
    cairo_move_to(cr, cx - ar - 16, ay + 0.5);
    cairo_line_to(cr, cx - ar + 8, ay + 0.5);
    cairo_move_to(cr, cx + ar - 8, ay + 0.5);
    cairo_line_to(cr, cx + ar + 16, ay + 0.5);
    cairo_stroke(cr);
    cairo_arc(cr, cx, ay, 2, 0, 2 * kPi);
    cairo_fill(cr);
    // Side brackets that frame the firing lane.
    setRgb(cr, c, 0.3);
    for (int side = -1; side <= 1; side += 2) {
        double x = cx + side * 150;
        cairo_move_to(cr, x - side * 12, 30.5);
        cairo_line_to(cr, x, 30.5);
        cairo_line_to(cr, x, h - 60.5);
        cairo_line_to(cr, x - side * 12, h - 60.5);
        for (int y = 50; y < h - 60; y += 40) {
            cairo_move_to(cr, x, y + 0.5);
            cairo_line_to(cr, x - side * 5, y + 0.5);
        }
    }
    cairo_stroke(cr);
    // Chevrons just above the ship.
    setRgb(cr, c, 0.5);
    cairo_set_line_width(cr, 1.5);
    for (int i = 0; i < 2; ++i) {
        double y = h - 30 + i * 9;
        cairo_move_to(cr, cx - 12, y + 6);
        cairo_line_to(cr, cx, y);
        cairo_line_to(cr, cx + 12, y + 6);
    }
    cairo_stroke(cr);
}

// Lock-on overlay: a red-amber tinted frame with heavy corner brackets.
void drawLockOnOverlay(cairo_t* cr, double w, double h) {
    const Rgb red = hex(0xff3828), amber = hex(0xffb030);
    const double m = 6;
    // Tint that fades in toward the frame edges.
    cairo_pattern_t* p = cairo_pattern_create_radial(w / 2, h / 2, h * 0.2, w / 2, h / 2, w * 0.62);
    stopRgb(p, 0, red, 0.04);
    stopRgb(p, 1, red, 0.22);
    cairo_rectangle(cr, m, m, w - 2 * m, h - 2 * m);
    fillWith(cr, p, false);
    // Thin frame.
    setRgb(cr, red, 0.55);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, m + 0.5, m + 0.5, w - 2 * m - 1, h - 2 * m - 1);
    cairo_stroke(cr);
    // Corner brackets.
    setRgb(cr, amber, 0.9);
    cairo_set_line_width(cr, 4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    const double L = 40, e = m + 3;
    double xs[2] = {e, w - e}, ys[2] = {e, h - e};
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            double sx = i ? -1 : 1, sy = j ? -1 : 1;
            cairo_move_to(cr, xs[i] + sx * L, ys[j]);
            cairo_line_to(cr, xs[i], ys[j]);
            cairo_line_to(cr, xs[i], ys[j] + sy * L);
        }
    cairo_stroke(cr);
    // Hazard ticks along the top and bottom edges.
    setRgb(cr, amber, 0.55);
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (double x = w / 2 - 60; x <= w / 2 + 60; x += 12) {
        cairo_move_to(cr, x, m + 4);
        cairo_line_to(cr, x + 6, m + 12);
        cairo_move_to(cr, x, h - m - 4);
        cairo_line_to(cr, x + 6, h - m - 12);
    }
    cairo_stroke(cr);
    // Side arrows pointing at the centre.
    setRgb(cr, red, 0.7);
    for (int side = -1; side <= 1; side += 2) {
        double x = side < 0 ? m + 14 : w - m - 14;
        cairo_move_to(cr, x, h / 2 - 10);
        cairo_line_to(cr, x - side * 12, h / 2);
        cairo_line_to(cr, x, h / 2 + 10);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

cairo_surface_t* renderSpriteSheet() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSpriteW, kSpriteH);
    cairo_t* cr = cairo_create(s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
    auto inCell = [&](const Cell& c, auto&& fn) {
        cairo_save(cr);
        cairo_rectangle(cr, c.l, c.t, c.w(), c.h());
        cairo_clip(cr);
        cairo_translate(cr, c.l, c.t);
        fn(double(c.w()), double(c.h()));
        cairo_restore(cr);
    };
    inCell(kPlayerShip, [&](double w, double h) { drawPlayerShip(cr, w, h); });
    inCell(kFighter, [&](double w, double h) { drawFighter(cr, w, h); });
    inCell(kOption, [&](double w, double h) { drawOption(cr, w, h); });
    inCell(kDebrisLarge, [&](double w, double h) { drawDebris(cr, w, h, 101); });
    inCell(kDebrisMedium, [&](double w, double h) { drawDebris(cr, w, h, 202); });
    inCell(kDebrisSmall, [&](double w, double h) { drawDebris(cr, w, h, 303); });
    inCell(kLockOnMarker, [&](double w, double h) { drawLockOnMarker(cr, w, h); });
    for (int i = 0; i < 3; ++i)
        inCell(kCruisers[i], [&](double w, double h) { drawCapitalShip(cr, w, h, i, false); });
    for (int i = 0; i < 10; ++i)
        inCell(kBattleships[i], [&](double w, double h) { drawCapitalShip(cr, w, h, i, true); });
    inCell(kSight, [&](double w, double h) { drawSight(cr, w, h); });
    inCell(kLockOnOverlay, [&](double w, double h) { drawLockOnOverlay(cr, w, h); });
    cairo_destroy(cr);
    cairo_surface_flush(s);
    return s;
}

}  // namespace ag
