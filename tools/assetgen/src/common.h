// Shared helpers for the asset generator: deterministic random numbers,
// tileable noise, colours and small cairo conveniences.
#pragma once

#include <cairo.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

namespace ag {

constexpr double kPi = 3.14159265358979323846;

// Small, fast, fully deterministic PRNG (splitmix64). Every asset owns its
// own generator seeded with a fixed constant so the output never depends on
// the order in which assets are produced.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0,1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int irange(int lo, int hiInclusive) { return lo + int(next() % uint64_t(hiInclusive - lo + 1)); }
    bool chance(double p) { return uniform() < p; }
    // Approximately normal (sum of uniforms), cheap and deterministic.
    double gauss() { return uniform() + uniform() + uniform() + uniform() - 2.0; }

private:
    uint64_t state_;
};

inline uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x27D4EB2Du;
    h ^= uint32_t(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= uint32_t(y) * 0xC2B2AE35u;
    h *= 0x9E3779B1u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    return h;
}

inline double lerp(double a, double b, double t) { return a + (b - a) * t; }
inline double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double smooth(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
inline double smoothstep(double e0, double e1, double x) {
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline int wrapi(int v, int p) { int r = v % p; return r < 0 ? r + p : r; }

// Gradient (Perlin-style) noise on an integer lattice that repeats every
// `py` cells in y (and every `px` cells in x when px > 0), mapped to 0..1.
// Sampling with period = tileHeight / cellSize gives noise that wraps
// seamlessly over a vertical tile.
inline double valueNoise(double x, double y, int px, int py, uint32_t seed) {
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    double fx = x - xi, fy = y - yi;
    auto grad = [&](int ix, int iy, double dx, double dy) {
        if (px > 0) ix = wrapi(ix, px);
        if (py > 0) iy = wrapi(iy, py);
        static const auto dirs = [] {
            std::array<std::pair<double, double>, 32> d{};
            for (int i = 0; i < 32; ++i) d[i] = {std::cos(i * kPi / 16), std::sin(i * kPi / 16)};
            return d;
        }();
        const auto& g = dirs[hash3(ix, iy, seed) & 31];
        return g.first * dx + g.second * dy;
    };
    double n00 = grad(xi, yi, fx, fy), n10 = grad(xi + 1, yi, fx - 1, fy);
    double n01 = grad(xi, yi + 1, fx, fy - 1), n11 = grad(xi + 1, yi + 1, fx - 1, fy - 1);
    double u = smooth(fx), v = smooth(fy);
    double n = lerp(lerp(n00, n10, u), lerp(n01, n11, u), v);
    return clamp01(0.5 + n * 1.1);
}

// Fractal sum of value noise. `cell` is the size of the coarsest lattice cell
// in pixels and `periodY` the tile height in pixels (0: not periodic); every
// octave halves the cell size, so periodY must be divisible by cell >> (octaves-1).
inline double fbm(double x, double y, double cell, int periodY, int octaves, uint32_t seed) {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        int py = periodY > 0 ? int(std::lround(periodY / cell)) : 0;
        sum += amp * valueNoise(x / cell, y / cell, 0, py, seed + uint32_t(o) * 1013u);
        norm += amp;
        amp *= 0.5;
        cell *= 0.5;
    }
    return sum / norm;
}

struct Rgb {
    double r, g, b;
};
inline Rgb mix(Rgb a, Rgb b, double t) { return {lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t)}; }
inline Rgb scale(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb hex(uint32_t v) { return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0}; }

inline void setRgb(cairo_t* cr, Rgb c, double a = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, a); }
inline void stopRgb(cairo_pattern_t* p, double off, Rgb c, double a = 1.0) {
    cairo_pattern_add_color_stop_rgba(p, off, c.r, c.g, c.b, a);
}

// Radial glow: bright core fading to transparent, added on top of whatever is there.
inline void glow(cairo_t* cr, double x, double y, double radius, Rgb c, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, radius);
    stopRgb(p, 0.0, c, alpha);
    stopRgb(p, 0.25, c, alpha * 0.45);
    stopRgb(p, 1.0, c, 0.0);
    cairo_set_source(cr, p);
    cairo_arc(cr, x, y, radius, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

struct Cell {
    const char* name;
    int l, t, r, b;
    int w() const { return r - l; }
    int h() const { return b - t; }
};

bool writePng(cairo_surface_t* s, const std::string& path);

}  // namespace ag
