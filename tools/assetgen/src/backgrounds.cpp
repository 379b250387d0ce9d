// Background sheet: the far starfield/nebula layer, the mostly transparent
// near layer, and the title-card picture.
//
// The game scrolls each layer with an offset that wraps at 768 and draws a
// 768-high window out of the 1536-high layer, so each layer consists of two
// identical 600 x 768 tiles that must join seamlessly top to bottom. Every
// noise field here is periodic in y with period 768, and every drawn object is
// painted three times (at y, y - 768 and y + 768) inside a clip to the tile.
#include "layout.h"

#include <algorithm>
#include <vector>

namespace ag {
namespace {

inline uint32_t packPremul(double r, double g, double b, double a) {
    a = clamp01(a);
    auto c = [&](double v) { return uint32_t(std::lround(clamp01(v) * a * 255.0)); };
    return (uint32_t(std::lround(a * 255.0)) << 24) | (c(r) << 16) | (c(g) << 8) | c(b);
}

template <class F>
void fillPixels(cairo_surface_t* s, F&& f) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < w; ++x) row[x] = f(x, y);
    }
    cairo_surface_mark_dirty(s);
}

// Draws `fn` at its position and one tile above and below, so anything that
// crosses the tile edge reappears on the opposite edge.
template <class F>
void wrapped(cairo_t* cr, F&& fn) {
    for (int k = -1; k <= 1; ++k) {
        cairo_save(cr);
        cairo_translate(cr, 0, k * kTileH);
        fn();
        cairo_restore(cr);
    }
}

void star(cairo_t* cr, double x, double y, double size, Rgb c, double bright, bool flare) {
    if (size > 1.2) glow(cr, x, y, size * 3.5, c, 0.35 * bright);
    setRgb(cr, mix(c, {1, 1, 1}, 0.6), bright);
    cairo_arc(cr, x, y, std::max(0.45, size * 0.5), 0, 2 * kPi);
    cairo_fill(cr);
    if (flare) {
        for (int axis = 0; axis < 2; ++axis) {
            double len = size * 7;
            cairo_pattern_t* p = axis ? cairo_pattern_create_linear(x, y - len, x, y + len)
                                      : cairo_pattern_create_linear(x - len, y, x + len, y);
            stopRgb(p, 0, c, 0);
            stopRgb(p, 0.5, mix(c, {1, 1, 1}, 0.7), 0.8 * bright);
            stopRgb(p, 1, c, 0);
            cairo_set_source(cr, p);
            if (axis) cairo_rectangle(cr, x - 0.6, y - len, 1.2, 2 * len);
            else cairo_rectangle(cr, x - len, y - 0.6, 2 * len, 1.2);
            cairo_fill(cr);
            cairo_pattern_destroy(p);
        }
    }
}

Rgb starColour(Rng& rng) {
    double t = rng.uniform();
    if (t < 0.15) return hex(0xffc890);  // warm
    if (t < 0.35) return hex(0xa8c8ff);  // blue-white
    if (t < 0.42) return hex(0xffa0a0);  // red dwarf
    return hex(0xf0f4ff);
}

void starfield(cairo_t* cr, Rng& rng, int count, double w, double h, double sizeMax, bool wrap) {
    for (int i = 0; i < count; ++i) {
        double x = rng.range(0, w), y = rng.range(0, h);
        double u = rng.uniform();
        double size = 0.6 + std::pow(u, 6.0) * sizeMax;
        double bright = rng.range(0.35, 1.0);
        Rgb c = starColour(rng);
        bool flare = size > sizeMax * 0.6;
        if (wrap) wrapped(cr, [&] { star(cr, x, y, size, c, bright, flare); });
        else star(cr, x, y, size, c, bright, flare);
    }
}

// ---------------------------------------------------------------- far layer

cairo_surface_t* farTile() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kLayerW, kTileH);
    const Rgb deep = hex(0x03040c), violet = hex(0x5a1e78), magenta = hex(0xc0407a), teal = hex(0x1a6a8a),
              pale = hex(0xb8d8ff);
    fillPixels(s, [&](int x, int y) {
        // Domain-warped fbm, periodic in y with the tile height.
        double wx = fbm(x, y, 128, kTileH, 4, 11) * 120 - 60;
        double wy = fbm(x + 300, y, 128, kTileH, 4, 12) * 120 - 60;
        double n = fbm(x + wx, y + wy, 256, kTileH, 6, 13);
        double m = fbm(x - wy * 0.5, y + wx * 0.5, 128, kTileH, 5, 14);
        double dust = fbm(x, y, 64, kTileH, 5, 15);
        // A diagonal band of gas concentrates the nebula without breaking the wrap:
        // use a y-periodic band position.
        double band = 0.5 + 0.5 * std::cos(2 * kPi * (y / double(kTileH)) + x / 600.0 * 2.2);
        double dens = smoothstep(0.42, 0.78, n) * (0.35 + 0.65 * band);
        double glowy = smoothstep(0.55, 0.85, m) * dens;
        double lanes = smoothstep(0.45, 0.7, dust);
        Rgb c = deep;
        c = mix(c, mix(violet, teal, smoothstep(0.3, 0.7, m)), dens * 0.85);
        c = mix(c, magenta, glowy * 0.55);
        c = mix(c, pale, std::pow(glowy, 3.0) * 0.35);
        c = mix(c, deep, lanes * 0.55 * dens);
        // Faint background grain so flat areas are not perfectly black.
        double grain = (hash3(x, wrapi(y, kTileH), 77) & 255) / 255.0;
        c = {c.r + grain * 0.012, c.g + grain * 0.012, c.b + grain * 0.02};
        return packPremul(c.r, c.g, c.b, 1.0);
    });
    cairo_t* cr = cairo_create(s);
    cairo_rectangle(cr, 0, 0, kLayerW, kTileH);
    cairo_clip(cr);
    Rng rng(0xFA5);
    // Distant galaxy smudge.
    wrapped(cr, [&] {
        cairo_save(cr);
        cairo_translate(cr, 460, 150);
        cairo_rotate(cr, -0.5);
        cairo_scale(cr, 1.0, 0.32);
        cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 34);
        stopRgb(p, 0, hex(0xfff0d8), 0.85);
        stopRgb(p, 0.2, hex(0xd8c0ff), 0.45);
        stopRgb(p, 1, hex(0x8060c0), 0.0);
        cairo_set_source(cr, p);
        cairo_arc(cr, 0, 0, 34, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        cairo_restore(cr);
    });
    starfield(cr, rng, 1400, kLayerW, kTileH, 1.6, true);
    starfield(cr, rng, 60, kLayerW, kTileH, 3.2, true);
    cairo_destroy(cr);
    return s;
}

// --------------------------------------------------------------- near layer

void debrisChunk(cairo_t* cr, Rng& rng, double x, double y, double r) {
    int n = rng.irange(5, 8);
    double rot = rng.range(0, 2 * kPi);
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i < n; ++i) {
        double a = rot + 2 * kPi * (i + rng.range(-0.3, 0.3)) / n;
        double rr = r * rng.range(0.55, 1.0);
        pts.push_back({x + rr * std::cos(a), y + rr * std::sin(a)});
    }
    bool metal = rng.chance(0.5);
    Rgb base = metal ? hex(0x6a7080) : hex(0x5a4a42);
    wrapped(cr, [&] {
        cairo_new_path(cr);
        for (auto& p : pts) cairo_line_to(cr, p.first, p.second);
        cairo_close_path(cr);
        cairo_pattern_t* g = cairo_pattern_create_linear(x - r, y - r, x + r, y + r);
        stopRgb(g, 0, mix(base, {1, 1, 1}, 0.35));
        stopRgb(g, 0.5, base);
        stopRgb(g, 1, scale(base, 0.25));
        cairo_set_source(cr, g);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(g);
        setRgb(cr, hex(0x0a0a0e), 0.9);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        if (metal && r > 6) {
            setRgb(cr, scale(base, 0.5));
            cairo_set_line_width(cr, 1);
            cairo_move_to(cr, pts[0].first, pts[0].second);
            cairo_line_to(cr, pts[n / 2].first, pts[n / 2].second);
            cairo_stroke(cr);
        }
    });
}

// A broken piece of orbital station: a truss beam with plated modules,
// lit windows and a blinking beacon, entering from one edge of the screen.
void stationFragment(cairo_t* cr, Rng& rng, double y, bool fromLeft, double length) {
    const Rgb metal = hex(0x7c8496), dark = hex(0x1a1c24), lit = hex(0xffe4a0);
    double dir = fromLeft ? 1 : -1, x0 = fromLeft ? -10 : kLayerW + 10;
    double tilt = rng.range(-0.25, 0.25);
    wrapped(cr, [&] {
        cairo_save(cr);
        cairo_translate(cr, x0, y);
        cairo_rotate(cr, tilt);
        cairo_scale(cr, dir, 1);
        // Truss: two rails with cross bracing.
        const double th = 18;
        setRgb(cr, dark);
        cairo_rectangle(cr, 0, -th / 2 - 1, length, th + 2);
        cairo_set_line_width(cr, 1);
        setRgb(cr, metal);
        cairo_rectangle(cr, 0, -th / 2, length, 3);
        cairo_rectangle(cr, 0, th / 2 - 3, length, 3);
        cairo_fill(cr);
        cairo_set_line_width(cr, 1.5);
        setRgb(cr, scale(metal, 0.8));
        for (double x = 0; x < length - 12; x += 14) {
            cairo_move_to(cr, x, -th / 2 + 2);
            cairo_line_to(cr, x + 14, th / 2 - 2);
            cairo_move_to(cr, x + 14, -th / 2 + 2);
            cairo_line_to(cr, x, th / 2 - 2);
        }
        cairo_stroke(cr);
        // Ragged broken end.
        setRgb(cr, dark);
        cairo_move_to(cr, length - 6, -th / 2 - 2);
        cairo_line_to(cr, length + 4, -th / 4);
        cairo_line_to(cr, length - 2, th / 6);
        cairo_line_to(cr, length + 6, th / 2 + 2);
        cairo_line_to(cr, length - 6, th / 2 + 2);
        cairo_close_path(cr);
        cairo_fill(cr);
        // Modules along the truss.
        Rng local(uint64_t(y * 1000) + (fromLeft ? 1 : 2));
        for (double x = 10; x < length - 50; x += local.range(50, 90)) {
            double mw = local.range(26, 44), mh = local.range(30, 54);
            cairo_pattern_t* g = cairo_pattern_create_linear(0, -mh / 2, 0, mh / 2);
            stopRgb(g, 0, mix(metal, {1, 1, 1}, 0.3));
            stopRgb(g, 0.5, metal);
            stopRgb(g, 1, scale(metal, 0.35));
            cairo_set_source(cr, g);
            cairo_rectangle(cr, x, -mh / 2, mw, mh);
            cairo_fill_preserve(cr);
            cairo_pattern_destroy(g);
            setRgb(cr, dark);
            cairo_set_line_width(cr, 1.2);
            cairo_stroke(cr);
            setRgb(cr, dark, 0.6);
            cairo_rectangle(cr, x + 3, -mh / 2 + 4, mw - 6, 1);
            cairo_rectangle(cr, x + 3, mh / 2 - 6, mw - 6, 1);
            cairo_fill(cr);
            for (double wx = x + 4; wx < x + mw - 4; wx += 5) {
                if (local.chance(0.3)) continue;
                setRgb(cr, lit, local.range(0.6, 1.0));
                cairo_rectangle(cr, wx, -2, 2.5, 2);
                cairo_fill(cr);
            }
        }
        // Solar panel wing.
        double px = length * 0.45;
        cairo_rectangle(cr, px, -th / 2 - 46, 32, 44);
        setRgb(cr, hex(0x1c2a5a));
        cairo_fill_preserve(cr);
        setRgb(cr, hex(0x4a6ab8));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        setRgb(cr, hex(0x3a58a0), 0.8);
        for (double gy = -th / 2 - 42; gy < -th / 2 - 2; gy += 6) {
            cairo_move_to(cr, px, gy);
            cairo_line_to(cr, px + 32, gy);
        }
        cairo_move_to(cr, px + 16, -th / 2 - 46);
        cairo_line_to(cr, px + 16, -th / 2 - 2);
        cairo_stroke(cr);
        // Beacon.
        glow(cr, length - 20, -th / 2, 9, hex(0xff3030), 0.9);
        cairo_restore(cr);
    });
}

cairo_surface_t* nearTile() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kLayerW, kTileH);
    const Rgb cloudA = hex(0x8aa8e8), cloudB = hex(0xc890d8);
    fillPixels(s, [&](int x, int y) {
        double wx = fbm(x, y, 96, kTileH, 3, 21) * 80 - 40;
        double n = fbm(x + wx, y * 1.0, 192, kTileH, 6, 22);
        double streak = fbm(x * 0.5 + wx, y, 48, kTileH, 4, 23);
        double a = smoothstep(0.55, 0.85, n) * (0.55 + 0.45 * streak);
        a = std::pow(a, 1.4) * 0.42;
        if (a < 1.0 / 255) return 0u;
        Rgb c = mix(cloudA, cloudB, smoothstep(0.35, 0.7, streak));
        return packPremul(c.r, c.g, c.b, a);
    });
    cairo_t* cr = cairo_create(s);
    cairo_rectangle(cr, 0, 0, kLayerW, kTileH);
    cairo_clip(cr);
    Rng rng(0x0EA5);
    stationFragment(cr, rng, 170, true, 230);
    stationFragment(cr, rng, 540, false, 190);
    for (int i = 0; i < 22; ++i) {
        double r = 2.5 + std::pow(rng.uniform(), 2.0) * 11;
        debrisChunk(cr, rng, rng.range(10, kLayerW - 10), rng.range(0, kTileH), r);
    }
    // A few close, bright stars.
    for (int i = 0; i < 7; ++i) {
        double x = rng.range(20, kLayerW - 20), y = rng.range(0, kTileH);
        Rgb c = starColour(rng);
        wrapped(cr, [&] { star(cr, x, y, rng.range(2.2, 3.0), c, 1.0, true); });
    }
    cairo_destroy(cr);
    return s;
}

// ------------------------------------------------------------ title picture

// The picture is displayed squeezed to 600 x 768, so it is composed in a
// 600 x 768 design space and stretched 2x horizontally when painted; on
// screen everything then has its natural proportions.
cairo_surface_t* stagePicture() {
    const int W = kStagePicture.w(), H = kStagePicture.h();
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, W, H);
    const double pcx = 190, pcy = 1010, pr = 520;  // planet (design space)
    const double sunX = 520, sunY = 90;
    const Rgb deep = hex(0x04050e), neb1 = hex(0x2a4aa8), neb2 = hex(0xd04a7a), neb3 = hex(0xf0a860);
    fillPixels(s, [&](int px, int py) {
        double x = px * 0.5, y = py;
        // Nebula behind everything, brightest toward the upper right.
        double wx = fbm(x, y, 128, 0, 4, 31) * 90 - 45;
        double n = fbm(x + wx, y - wx, 256, 0, 6, 32);
        double m = fbm(x - wx, y + wx, 96, 0, 5, 33);
        double bias = smoothstep(700, 0, std::hypot(x - 470, y - 170));
        double dens = smoothstep(0.38, 0.8, n) * (0.25 + 0.9 * bias);
        Rgb c = mix(deep, mix(neb1, neb2, smoothstep(0.35, 0.7, m)), clamp01(dens));
        c = mix(c, neb3, std::pow(clamp01(dens * smoothstep(0.5, 0.8, m)), 2.0) * 0.6);
        // Sun glare.
        double sd = std::hypot(x - sunX, y - sunY);
        double sg = std::exp(-sd / 60.0) * 0.9 + std::exp(-sd / 220.0) * 0.25;
        c = mix(c, hex(0xfff0d0), clamp01(sg));
        // Planet: banded gas giant lit from the upper right, with atmosphere rim.
        double dx = (x - pcx) / pr, dy = (y - pcy) / pr, d2 = dx * dx + dy * dy;
        if (d2 < 1.0) {
            double dz = std::sqrt(1 - d2);
            double lat = dy * 0.92 + dx * 0.38;  // tilted bands
            double bands = fbm(lat * 900 + fbm(x, y, 64, 0, 3, 34) * 40, 0, 48, 0, 4, 35);
            Rgb surf = mix(hex(0x3a6a8a), hex(0xc8b088), smoothstep(0.3, 0.75, bands));
            surf = mix(surf, hex(0x7a4a5a), smoothstep(0.6, 0.8, fbm(x, y, 32, 0, 3, 36)) * 0.35);
            // Lighting: direction toward the sun (upper right, slightly in front).
            double lx = 0.55, ly = -0.75, lz = 0.37;
            double ndl = dx * lx + dy * ly + dz * lz;
            double light = smoothstep(-0.15, 0.6, ndl);
            Rgb lit = scale(surf, 0.06 + 0.94 * light);
            double rim = std::pow(1 - dz, 3.0) * smoothstep(-0.2, 0.5, ndl);
            lit = mix(lit, hex(0x9ad8ff), clamp01(rim * 1.3));
            // Anti-aliased limb.
            double edge = clamp01((1.0 - std::sqrt(d2)) * pr * 1.0);
            c = mix(c, lit, edge);
        } else {
            double d = std::sqrt(d2);
            double ang = (dx * 0.55 + dy * -0.75) / d;
            double atm = std::exp(-(d - 1.0) * pr / 14.0) * smoothstep(-0.4, 0.6, ang);
            c = mix(c, hex(0x7ac8ff), clamp01(atm * 0.9));
        }
        return packPremul(c.r, c.g, c.b, 1.0);
    });

    cairo_t* cr = cairo_create(s);
    cairo_scale(cr, 2.0, 1.0);
    Rng rng(0x717E);
    // Stars only where the sky is visible (outside the planet disk).
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, W / 2.0, H);
    cairo_arc_negative(cr, pcx, pcy, pr + 4, 2 * kPi, 0);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    starfield(cr, rng, 700, W / 2.0, H, 1.5, false);
    starfield(cr, rng, 25, W / 2.0, H, 3.0, false);
    cairo_restore(cr);
    // Small moon.
    {
        double mx = 80, my = 250, mr = 26;
        cairo_pattern_t* p = cairo_pattern_create_radial(mx + 10, my - 10, 2, mx, my, mr);
        stopRgb(p, 0, hex(0xe8e0d8));
        stopRgb(p, 0.6, hex(0x8a8078));
        stopRgb(p, 1, hex(0x1a1818));
        cairo_set_source(cr, p);
        cairo_arc(cr, mx, my, mr, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    // Sun core with lens flare streak.
    glow(cr, sunX, sunY, 40, {1, 1, 1}, 1.0);
    {
        cairo_pattern_t* p = cairo_pattern_create_linear(sunX - 300, 0, sunX + 300, 0);
        stopRgb(p, 0, hex(0x80c0ff), 0);
        stopRgb(p, 0.5, hex(0xe0f0ff), 0.8);
        stopRgb(p, 1, hex(0x80c0ff), 0);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, sunX - 300, sunY - 1.2, 600, 2.4);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    for (int i = 1; i <= 3; ++i) {
        double t = i / 4.0;
        double fx = lerp(sunX, 300, t * 1.6), fy = lerp(sunY, 384, t * 1.6);
        setRgb(cr, i == 2 ? hex(0x80ffb0) : hex(0x80a0ff), 0.08);
        cairo_arc(cr, fx, fy, 10 + i * 8, 0, 2 * kPi);
        cairo_fill(cr);
    }
    // The player's ship, large, climbing away from the planet.
    cairo_save(cr);
    cairo_translate(cr, 300, 400);
    cairo_rotate(cr, 0.18);
    // Long engine trail below the ship.
    for (int side = -1; side <= 1; side += 2) {
        double ex = side * 6.0 * 3.6;
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 130, 0, 380);
        stopRgb(p, 0, hex(0x9ae8ff), 0.7);
        stopRgb(p, 1, hex(0x2a80ff), 0.0);
        cairo_set_source(cr, p);
        cairo_move_to(cr, ex - 9, 130);
        cairo_line_to(cr, ex + 9, 130);
        cairo_line_to(cr, ex + 3, 380);
        cairo_line_to(cr, ex - 3, 380);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        glow(cr, ex, 140, 40, hex(0x60d8ff), 0.6);
    }
    cairo_translate(cr, -90, -180);
    drawPlayerShip(cr, 180, 360);
    cairo_restore(cr);
    // Two escorting option pods.
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, 300 + side * 150, 470 + side * -20);
        cairo_rotate(cr, 0.18);
        cairo_translate(cr, -25, -35);
        drawOption(cr, 50, 70);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return s;
}

}  // namespace

cairo_surface_t* renderBackgroundSheet() {
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kBackW, kBackH);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    auto place = [&](cairo_surface_t* tile, double x, double y) {
        cairo_set_source_surface(cr, tile, x, y);
        cairo_rectangle(cr, x, y, cairo_image_surface_get_width(tile), cairo_image_surface_get_height(tile));
        cairo_fill(cr);
    };
    cairo_surface_t* far = farTile();
    place(far, kFarLayer.l, kFarLayer.t);
    place(far, kFarLayer.l, kFarLayer.t + kTileH);
    cairo_surface_destroy(far);
    cairo_surface_t* near = nearTile();
    place(near, kNearLayer.l, kNearLayer.t);
    place(near, kNearLayer.l, kNearLayer.t + kTileH);
    cairo_surface_destroy(near);
    cairo_surface_t* pic = stagePicture();
    place(pic, kStagePicture.l, kStagePicture.t);
    cairo_surface_destroy(pic);
    cairo_destroy(cr);
    cairo_surface_flush(sheet);
    return sheet;
}

}  // namespace ag
