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

// `count` stars with sizes in [sizeMin, sizeMax] (biased small), optional
// cross flares, optionally wrapped for a vertical tile.
void starfield(cairo_t* cr, Rng& rng, int count, double w, double h, double sizeMin, double sizeMax, bool flare,
               bool wrap) {
    for (int i = 0; i < count; ++i) {
        double x = rng.range(0, w), y = rng.range(0, h);
        double size = sizeMin + std::pow(rng.uniform(), 2.5) * (sizeMax - sizeMin);
        double bright = rng.range(0.3, 1.0);
        Rgb c = starColour(rng);
        if (wrap) wrapped(cr, [&] { star(cr, x, y, size, c, bright, flare); });
        else star(cr, x, y, size, c, bright, flare);
    }
}

// Gas giant palette: deep blue through teal to cream, with rusty highs.
Rgb ramp(double v) {
    static const Rgb stops[] = {hex(0x1e3660), hex(0x3f7aa0), hex(0x9cc0c8), hex(0xd8caa4), hex(0xe8dcc0), hex(0xa86a50)};
    double t = v * 5;
    int i = std::min(4, int(t));
    return mix(stops[i], stops[i + 1], smooth(t - i));
}

// ---------------------------------------------------------------- far layer

cairo_surface_t* farTile() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kLayerW, kTileH);
    const Rgb deep = hex(0x03040c), violet = hex(0x5a1e78), magenta = hex(0xc0407a),
              pale = hex(0xb8d8ff);
    const Rgb indigo = hex(0x1c1458), sea = hex(0x0e5470), hi = hex(0xffc8e0);
    fillPixels(s, [&](int x, int y) {
        // Domain-warped gradient noise, periodic in y with the tile height.
        double wx = (fbm(x, y, 192, kTileH, 3, 11) - 0.5) * 170;
        double wy = (fbm(x + 300, y, 192, kTileH, 3, 12) - 0.5) * 170;
        double n = fbm(x + wx, y + wy, 256, kTileH, 6, 13);
        double m = fbm(x - wy * 0.5, y + wx * 0.5, 128, kTileH, 4, 14);
        double fil = 1 - std::fabs(2 * fbm(x + wx * 0.6, y + wy * 0.6, 96, kTileH, 5, 15) - 1);
        double dust = fbm(x + wy * 0.3, y - wx * 0.3, 64, kTileH, 4, 16);
        // Large-scale gas concentration: a y-periodic diagonal band.
        double band = 0.5 + 0.5 * std::cos(2 * kPi * (y / double(kTileH)) + x / 600.0 * 2.2);
        double dens = smoothstep(0.40, 0.66, n) * (0.45 + 0.55 * band);
        double col = smoothstep(0.4, 0.6, m);
        Rgb c = deep;
        c = mix(c, mix(indigo, sea, col), dens * 0.8);
        c = mix(c, mix(violet, magenta, col), dens * dens * 0.55);
        double veins = std::pow(fil, 14.0) * dens;
        c = mix(c, hi, clamp01(veins * 0.2));
        c = mix(c, pale, std::pow(dens, 4.0) * 0.18);
        c = mix(c, deep, smoothstep(0.5, 0.64, dust) * 0.7 * dens);
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
    starfield(cr, rng, 1500, kLayerW, kTileH, 0.5, 1.1, false, true);
    starfield(cr, rng, 140, kLayerW, kTileH, 1.2, 2.0, false, true);
    starfield(cr, rng, 12, kLayerW, kTileH, 2.2, 3.0, true, true);
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

// A broken section of orbital station: a truss beam with plated modules,
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

// A broken arc of a habitat ring: a thick curved band with plating, rows of
// lit windows and torn ends, its centre far off to one side of the screen.
void ringSegment(cairo_t* cr, double cx, double cy, double radius, double a0, double a1) {
    const Rgb metal = hex(0x8890a2), dark = hex(0x15171e), lit = hex(0xffe0a0);
    const double band = 26;
    wrapped(cr, [&] {
        // Outer hull band.
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, radius + band / 2, a0, a1);
        cairo_arc_negative(cr, cx, cy, radius - band / 2, a1, a0);
        cairo_close_path(cr);
        cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, radius - band / 2, cx, cy, radius + band / 2);
        stopRgb(g, 0, scale(metal, 0.45));
        stopRgb(g, 0.35, mix(metal, {1, 1, 1}, 0.25));
        stopRgb(g, 1, scale(metal, 0.6));
        cairo_set_source(cr, g);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(g);
        setRgb(cr, dark);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        // Plate seams and window rows.
        double step = 14.0 / radius;
        int i = 0;
        for (double a = a0 + step; a < a1 - step * 0.5; a += step, ++i) {
            double c = std::cos(a), sn = std::sin(a);
            setRgb(cr, dark, 0.6);
            cairo_set_line_width(cr, 1);
            cairo_move_to(cr, cx + c * (radius - band / 2), cy + sn * (radius - band / 2));
            cairo_line_to(cr, cx + c * (radius + band / 2), cy + sn * (radius + band / 2));
            cairo_stroke(cr);
            for (int row = -1; row <= 1; row += 2) {
                if ((i * 7 + row * 3) % 5 == 0) continue;
                double r = radius + row * 6, wa = a + step * 0.5;
                setRgb(cr, lit, 0.9);
                cairo_arc(cr, cx + std::cos(wa) * r, cy + std::sin(wa) * r, 1.3, 0, 2 * kPi);
                cairo_fill(cr);
            }
        }
        // Spokes stubs toward the (off-screen) hub.
        for (double a = a0 + (a1 - a0) * 0.3; a < a1; a += (a1 - a0) * 0.4) {
            double c = std::cos(a), sn = std::sin(a);
            setRgb(cr, scale(metal, 0.7));
            cairo_set_line_width(cr, 8);
            cairo_move_to(cr, cx + c * (radius - band / 2), cy + sn * (radius - band / 2));
            cairo_line_to(cr, cx + c * (radius - band / 2 - 40), cy + sn * (radius - band / 2 - 40));
            cairo_stroke(cr);
            setRgb(cr, dark);
            cairo_set_line_width(cr, 2);
            cairo_move_to(cr, cx + c * (radius - band / 2 - 40) - sn * 6, cy + sn * (radius - band / 2 - 40) + c * 6);
            cairo_line_to(cr, cx + c * (radius - band / 2 - 46) + sn * 6, cy + sn * (radius - band / 2 - 46) - c * 6);
            cairo_stroke(cr);
        }
        // Torn ends: jagged dark caps with a hot glow.
        for (double a : {a0, a1}) {
            double c = std::cos(a), sn = std::sin(a);
            double ex = cx + c * radius, ey = cy + sn * radius;
            glow(cr, ex, ey, 14, hex(0xff8030), 0.5);
        }
        // Beacon.
        double bm = (a0 + a1) / 2;
        glow(cr, cx + std::cos(bm) * (radius + band / 2), cy + std::sin(bm) * (radius + band / 2), 8, hex(0x40ff80), 0.9);
    });
}

cairo_surface_t* nearTile() {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kLayerW, kTileH);
    const Rgb cloudA = hex(0x8aa8e8), cloudB = hex(0xc890d8);
    fillPixels(s, [&](int x, int y) {
        double wx = (fbm(x, y, 128, kTileH, 3, 21) - 0.5) * 200;
        double n = fbm(x + wx, y, 192, kTileH, 6, 22);
        double streak = fbm(x * 0.5 + wx, y, 48, kTileH, 4, 23);
        double a = smoothstep(0.5, 0.72, n) * smoothstep(0.3, 0.7, streak);
        a = std::pow(a, 1.3) * 0.55;
        if (a < 1.0 / 255) return 0u;
        Rgb c = mix(cloudA, cloudB, smoothstep(0.35, 0.7, streak));
        return packPremul(c.r, c.g, c.b, a);
    });
    cairo_t* cr = cairo_create(s);
    cairo_rectangle(cr, 0, 0, kLayerW, kTileH);
    cairo_clip(cr);
    Rng rng(0x0EA5);
    stationFragment(cr, rng, 170, true, 260);
    // Ring arc whose hub lies far off the right edge.
    ringSegment(cr, 860, 560, 330, 2.62, 3.52);
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
    const Rgb deep = hex(0x04050e), neb1 = hex(0x1c2e78), neb2 = hex(0x9a2e72), neb3 = hex(0xf0a070);
    fillPixels(s, [&](int px, int py) {
        double x = px * 0.5, y = py;
        // Nebula behind everything, brightest toward the upper right.
        double wx = (fbm(x, y, 160, 0, 3, 31) - 0.5) * 220;
        double n = fbm(x + wx, y - wx, 256, 0, 7, 32);
        double m = fbm(x - wx, y + wx, 128, 0, 4, 33);
        double fil = 1 - std::fabs(2 * fbm(x + wx * 0.5, y, 80, 0, 5, 37) - 1);
        double bias = smoothstep(650, 50, std::hypot(x - 470, y - 170));
        double dens = smoothstep(0.40, 0.72, n) * (0.2 + 0.8 * bias);
        Rgb c = mix(deep, mix(neb1, neb2, smoothstep(0.38, 0.62, m)), clamp01(dens) * 0.85);
        c = mix(c, neb3, clamp01(std::pow(dens, 2.0) * smoothstep(0.5, 0.65, m)) * 0.45);
        c = mix(c, hex(0xffe0f0), clamp01(std::pow(fil, 20.0) * dens) * 0.15);
        // Sun glare.
        double sd = std::hypot(x - sunX, y - sunY);
        double sg = std::exp(-sd / 60.0) * 0.9 + std::exp(-sd / 220.0) * 0.25;
        c = mix(c, hex(0xfff0d0), clamp01(sg));
        // Planet: banded gas giant lit from the upper right, with atmosphere rim.
        double dx = (x - pcx) / pr, dy = (y - pcy) / pr, d2 = dx * dx + dy * dy;
        if (d2 < 1.0) {
            double dz = std::sqrt(1 - d2);
            double lat = dy * 0.92 + dx * 0.38;  // tilted bands
            // Turbulent latitude bands: the band coordinate is pushed around
            // by noise so the stripes swirl instead of running ruler-straight.
            double turb = fbm(x, y * 1.6, 128, 0, 4, 34) - 0.5;
            double b = lat * 7.0 + turb * 1.4;
            double v = 0.5 + 0.28 * std::sin(b * 2.3) + 0.16 * std::sin(b * 5.1 + 1.3) + 0.08 * std::sin(b * 11.7);
            v += (fbm(x * 0.25, lat * 700, 24, 0, 3, 35) - 0.5) * 0.1;
            Rgb surf = ramp(clamp01(v));
            // A large oval storm in the lit part of the disc.
            double sx = (x - 330) / 46.0, sy = (y - 640) / 18.0, sdist = sx * sx + sy * sy;
            surf = mix(surf, hex(0xd88a5a), smoothstep(1.0, 0.3, sdist) * 0.8);
            surf = mix(surf, hex(0xf0d8b0), smoothstep(0.35, 0.0, sdist) * 0.5);
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
    starfield(cr, rng, 700, W / 2.0, H, 0.5, 1.2, false, false);
    starfield(cr, rng, 60, W / 2.0, H, 1.2, 2.2, false, false);
    starfield(cr, rng, 8, W / 2.0, H, 2.2, 3.0, true, false);
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
