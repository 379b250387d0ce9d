// Procedural capital ships (cruisers and battleships). Every hull is built
// from a handful of mirrored polygons picked from a hull family and jittered
// by a per-ship seed, then plated, armed, lit and given engine glow.
// All ships point down: engines at the top of the cell, nose at the bottom.
#include "layout.h"

#include <algorithm>
#include <vector>

namespace ag {
namespace {

struct Pt {
    double x, y;  // x: 0..1 of half-width from the centre line, y: 0..1 rear to nose
};

struct HullPart {
    std::vector<Pt> right;  // right-hand outline, rear to nose
    int level;              // 0 = wing/sponson, 1 = main hull, 2 = superstructure
    bool paired;            // true: polygon is off-centre and drawn with its mirror image
};

struct Palette {
    Rgb hull, accent, engine, lights;
};

const Palette kPalettes[13] = {
    {hex(0x8d939e), hex(0xc23a32), hex(0x58b8ff), hex(0xffe08a)},  // gunmetal / red
    {hex(0xa89a78), hex(0xe07a22), hex(0xffa040), hex(0xfff0b0)},  // sand / orange
    {hex(0x6c7a6a), hex(0xe8c832), hex(0x7cff9a), hex(0xfff2a0)},  // field green / yellow
    {hex(0x7e6c8e), hex(0xe040b0), hex(0xff70d0), hex(0xffd0f0)},  // violet / magenta
    {hex(0xc8cbd0), hex(0x2a6ad8), hex(0x70c8ff), hex(0xd8f0ff)},  // ivory / blue
    {hex(0x8a6450), hex(0x30d0d8), hex(0x60ffff), hex(0xffe0b0)},  // rust / cyan
    {hex(0x4e5a76), hex(0xe0b040), hex(0xffc860), hex(0xfff0c0)},  // navy / gold
    {hex(0x7a7a52), hex(0xd03428), hex(0xff6040), hex(0xffe8a0)},  // olive / red
    {hex(0x6a88a8), hex(0xff8a20), hex(0xff9a40), hex(0xfff0d0)},  // steel blue / orange
    {hex(0x5a5c60), hex(0x9ae030), hex(0xb0ff60), hex(0xf0ffc0)},  // charcoal / lime
    {hex(0xb8b0a0), hex(0x20a898), hex(0x60ffe0), hex(0xe0fff8)},  // bone / teal
    {hex(0x8a3a3a), hex(0xe8c050), hex(0xffb050), hex(0xfff0c0)},  // crimson / gold
    {hex(0x667078), hex(0x9060e0), hex(0xa080ff), hex(0xe8e0ff)},  // slate / violet
};

struct Turret {
    double x, y;  // normalised like Pt; x >= 0 is mirrored when paired
    double r;     // radius in pixels
    int barrels;
    bool mirrored;
};

struct Design {
    std::vector<HullPart> parts;
    std::vector<Turret> turrets;
    std::vector<double> engineX;  // engine centres (0..1 half-width, mirrored), at the hull's rear
    double engineW;               // engine width in half-width units
    std::vector<double> bands;    // y positions of accent bands on the main hull
    bool spinalCannon = false;    // glowing weapon between forward prongs
    double bridgeY = 0.12;        // bridge tower position
};

// Half-width of a symmetric outline at depth y (0 if y is outside it).
double halfWidthAt(const std::vector<Pt>& right, double y) {
    double best = 0;
    for (size_t i = 0; i + 1 < right.size(); ++i) {
        const Pt& a = right[i];
        const Pt& b = right[i + 1];
        double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
        if (y < lo || y > hi) continue;
        double t = (hi - lo) < 1e-9 ? 0 : (y - a.y) / (b.y - a.y);
        best = std::max(best, lerp(a.x, b.x, t));
    }
    return best;
}

void jitter(std::vector<Pt>& pts, Rng& rng, double wx, double wy) {
    for (auto& p : pts) {
        p.x = std::clamp(p.x * (1 + rng.range(-wx, wx)), 0.0, 1.0);
        p.y = std::clamp(p.y + rng.range(-wy, wy), 0.0, 1.0);
    }
}

// Hull families. `v` is a per-ship variant that nudges proportions.
Design makeDesign(int family, Rng& rng, bool big) {
    Design d;
    double wS = rng.range(0.9, 1.0);
    switch (family) {
    case 0: {  // Wedge destroyer: wide stern tapering to a dagger nose.
        std::vector<Pt> main = {{0.80 * wS, 0.0}, {0.95 * wS, 0.10}, {0.95 * wS, 0.22}, {0.50, 0.60}, {0.14, 0.94}, {0.0, 1.0}};
        jitter(main, rng, 0.04, 0.02);
        d.parts.push_back({main, 1, false});
        d.parts.push_back({{{0.38, 0.02}, {0.40, 0.22}, {0.22, 0.52}, {0.08, 0.68}, {0.0, 0.70}}, 2, false});
        d.parts.push_back({{{0.14, 0.0}, {0.16, 0.12}, {0.10, 0.22}, {0.0, 0.24}}, 2, false});
        d.engineX = {0.16, 0.46, 0.72};
        d.engineW = 0.12;
        d.turrets.push_back({0.62, 0.20, big ? 14.0 : 10.0, 2, true});
        d.turrets.push_back({0.44, 0.38, big ? 14.0 : 10.0, 2, true});
        d.turrets.push_back({0.28, 0.56, big ? 12.0 : 8.0, 2, true});
        if (big) d.turrets.push_back({0.0, 0.80, 13.0, 3, false});
        d.bands = {0.08};
        d.bridgeY = 0.06;
        break;
    }
    case 1: {  // Spine carrier: narrow hull with a swept wing section.
        std::vector<Pt> main = {{0.30, 0.0}, {0.34, 0.06}, {0.34, 0.72}, {0.22, 0.90}, {0.06, 1.0}};
        jitter(main, rng, 0.06, 0.01);
        std::vector<Pt> wing = {{0.2, 0.08}, {0.96 * wS, 0.26}, {0.96 * wS, 0.36}, {0.70, 0.40}, {0.2, 0.56}};
        jitter(wing, rng, 0.03, 0.02);
        d.parts.push_back({wing, 0, false});
        d.parts.push_back({{{0.2, 0.5}, {0.55, 0.62}, {0.55, 0.68}, {0.2, 0.72}}, 0, false});
        d.parts.push_back({main, 1, false});
        d.parts.push_back({{{0.16, 0.04}, {0.18, 0.5}, {0.10, 0.66}, {0.0, 0.70}}, 2, false});
        d.engineX = {0.0, 0.2};
        d.engineW = 0.11;
        d.turrets.push_back({0.72, 0.30, big ? 12.0 : 8.0, 2, true});
        d.turrets.push_back({0.45, 0.42, big ? 12.0 : 8.0, 2, true});
        d.turrets.push_back({0.0, 0.78, big ? 14.0 : 10.0, 2, false});
        if (big) d.turrets.push_back({0.0, 0.60, 12.0, 2, false});
        d.bands = {0.46, 0.82};
        break;
    }
    case 2: {  // Hammerhead: bulky stern, long neck, broad cross-bar prow.
        std::vector<Pt> main = {{0.62, 0.0}, {0.66, 0.05}, {0.66, 0.22}, {0.30, 0.32}, {0.26, 0.66}, {0.92 * wS, 0.74},
                                {0.95 * wS, 0.82}, {0.60, 0.94}, {0.34, 1.0}};
        jitter(main, rng, 0.04, 0.01);
        d.parts.push_back({main, 1, false});
        d.parts.push_back({{{0.30, 0.02}, {0.32, 0.2}, {0.14, 0.3}, {0.14, 0.62}, {0.0, 0.66}}, 2, false});
        d.parts.push_back({{{0.55, 0.77}, {0.70, 0.80}, {0.55, 0.86}, {0.30, 0.88}, {0.0, 0.9}}, 2, false});
        d.engineX = {0.12, 0.38};
        d.engineW = 0.13;
        d.turrets.push_back({0.45, 0.12, big ? 14.0 : 10.0, 2, true});
        d.turrets.push_back({0.72, 0.80, big ? 12.0 : 9.0, 2, true});
        d.turrets.push_back({0.30, 0.88, big ? 12.0 : 9.0, 1, true});
        if (big) d.turrets.push_back({0.0, 0.44, 12.0, 2, false});
        d.bands = {0.72};
        d.bridgeY = 0.05;
        break;
    }
    case 3: {  // Catamaran: twin hulls joined by a central command block.
        double o = rng.range(0.55, 0.62);
        std::vector<Pt> hull = {{o - 0.26, 0.02}, {o + 0.26, 0.02}, {o + 0.32, 0.10}, {o + 0.32, 0.74}, {o + 0.10, 1.0},
                                {o - 0.10, 0.92}, {o - 0.26, 0.70}};
        for (auto& p : hull) p.x = std::min(p.x, 0.99);
        d.parts.push_back({{{0.4, 0.15}, {0.4, 0.30}, {0.4, 0.52}, {0.3, 0.56}}, 0, false});
        d.parts.push_back({hull, 1, true});
        d.parts.push_back({{{0.26, 0.06}, {0.30, 0.14}, {0.30, 0.50}, {0.16, 0.68}, {0.0, 0.72}}, 1, false});
        d.parts.push_back({{{0.12, 0.10}, {0.14, 0.4}, {0.0, 0.5}}, 2, false});
        d.engineX = {o - 0.12, o + 0.12, 0.12};
        d.engineW = 0.10;
        d.turrets.push_back({o, 0.30, big ? 13.0 : 9.0, 2, true});
        d.turrets.push_back({o, 0.52, big ? 13.0 : 9.0, 2, true});
        d.turrets.push_back({0.0, 0.58, big ? 12.0 : 9.0, 2, false});
        if (big) d.turrets.push_back({o + 0.02, 0.74, 11.0, 2, true});
        d.bands = {0.18};
        break;
    }
    case 4: {  // Dreadnought: broad armoured slab with stepped flanks.
        std::vector<Pt> main = {{0.78, 0.0}, {0.88 * wS, 0.04}, {0.88 * wS, 0.40}, {0.74, 0.46}, {0.74, 0.76},
                                {0.50, 0.92}, {0.26, 1.0}};
        jitter(main, rng, 0.03, 0.01);
        d.parts.push_back({{{0.5, 0.08}, {0.99, 0.14}, {0.99, 0.34}, {0.5, 0.40}}, 0, false});
        d.parts.push_back({main, 1, false});
        d.parts.push_back({{{0.44, 0.02}, {0.48, 0.30}, {0.30, 0.46}, {0.30, 0.70}, {0.12, 0.82}, {0.0, 0.84}}, 2, false});
        d.engineX = {0.10, 0.32, 0.54};
        d.engineW = 0.12;
        for (int i = 0; i < (big ? 3 : 2); ++i) d.turrets.push_back({0.62, 0.12 + i * 0.2, big ? 13.0 : 9.0, 2, true});
        d.turrets.push_back({0.0, 0.56, big ? 15.0 : 10.0, 3, false});
        d.turrets.push_back({0.0, 0.74, big ? 13.0 : 9.0, 2, false});
        d.bands = {0.44, 0.80};
        break;
    }
    default: {  // Fork-prow gunship: heavy body splitting into two prongs with a spinal gun.
        std::vector<Pt> main = {{0.52, 0.0}, {0.70 * wS, 0.14}, {0.70 * wS, 0.44}, {0.46, 0.62}, {0.20, 0.64}, {0.0, 0.64}};
        jitter(main, rng, 0.04, 0.01);
        std::vector<Pt> prong = {{0.18, 0.56}, {0.50, 0.56}, {0.52, 0.80}, {0.42, 1.0}, {0.32, 0.96}, {0.20, 0.74}};
        d.parts.push_back({{{0.3, 0.20}, {0.98, 0.30}, {0.98, 0.38}, {0.3, 0.48}}, 0, false});
        d.parts.push_back({prong, 1, true});
        d.parts.push_back({main, 1, false});
        d.parts.push_back({{{0.22, 0.02}, {0.30, 0.20}, {0.26, 0.50}, {0.0, 0.58}}, 2, false});
        d.engineX = {0.0, 0.26, 0.48};
        d.engineW = 0.11;
        d.turrets.push_back({0.50, 0.22, big ? 13.0 : 9.0, 2, true});
        d.turrets.push_back({0.84, 0.33, big ? 10.0 : 7.0, 1, true});
        d.turrets.push_back({0.36, 0.76, big ? 11.0 : 8.0, 2, true});
        if (big) d.turrets.push_back({0.50, 0.40, 12.0, 2, true});
        d.spinalCannon = true;
        d.bands = {0.16};
        break;
    }
    }
    return d;
}

class ShipPainter {
public:
    ShipPainter(cairo_t* cr, double w, double h, const Design& d, const Palette& pal, Rng& rng)
        : cr_(cr), w_(w), h_(h), d_(d), pal_(pal), rng_(rng) {
        cx_ = w / 2;
        hw_ = w / 2 - 4;
        glowLen_ = h * 0.07;
        top_ = 3 + glowLen_;
        bot_ = h - 4;
    }

    double X(double nx) const { return cx_ + nx * hw_; }
    double Y(double ny) const { return top_ + ny * (bot_ - top_); }

    void partPath(const HullPart& p, int mirror) {
        cairo_new_path(cr_);
        if (!p.paired) {
            for (size_t i = 0; i < p.right.size(); ++i) cairo_line_to(cr_, X(p.right[i].x), Y(p.right[i].y));
            for (size_t i = p.right.size(); i-- > 0;) cairo_line_to(cr_, X(-p.right[i].x), Y(p.right[i].y));
        } else {
            for (const Pt& q : p.right) cairo_line_to(cr_, X(mirror * q.x), Y(q.y));
        }
        cairo_close_path(cr_);
    }

    template <class F>
    void forEachShape(const HullPart& p, F&& f) {
        if (p.paired) {
            partPath(p, 1);
            f();
            partPath(p, -1);
            f();
        } else {
            partPath(p, 1);
            f();
        }
    }

    void paint() {
        engines(false);
        // Silhouette outline first so it only shows outside the fills.
        for (const HullPart& p : d_.parts)
            forEachShape(p, [&] {
                setRgb(cr_, hex(0x08090c));
                cairo_set_line_width(cr_, 3.0);
                cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
                cairo_stroke(cr_);
            });
        for (int level = 0; level <= 2; ++level) {
            if (level > 0) castShadow(level);
            for (const HullPart& p : d_.parts)
                if (p.level == level) forEachShape(p, [&] { shadePart(p); });
        }
        bands();
        trenchesAndVents();
        windows();
        if (d_.spinalCannon) spinalCannon();
        pairedHullDetail();
        domes();
        bridge();
        for (const Turret& t : d_.turrets) turret(t);
        engines(true);
        runningLights();
    }

private:
    // Current path = part outline. Fills with a lit metal gradient, then adds
    // mirrored plating, panel lines and an inner edge shadow, clipped to the part.
    void shadePart(const HullPart& p) {
        Rgb base = p.level == 0 ? scale(pal_.hull, 0.78) : (p.level == 2 ? mix(pal_.hull, {1, 1, 1}, 0.12) : pal_.hull);
        double x0 = X(-maxX(p)), x1 = X(maxX(p));
        if (p.paired) {
            // Light each hull of a pair across its own width.
            double e0, e1, e2, e3;
            cairo_path_extents(cr_, &e0, &e1, &e2, &e3);
            x0 = e0, x1 = e2;
        }
        cairo_pattern_t* g = cairo_pattern_create_linear(x0, 0, x1, 0);
        stopRgb(g, 0.0, scale(base, 0.5));
        stopRgb(g, 0.12, scale(base, 0.8));
        stopRgb(g, 0.38, mix(base, {1, 1, 1}, 0.18));
        stopRgb(g, 0.62, base);
        stopRgb(g, 0.9, scale(base, 0.62));
        stopRgb(g, 1.0, scale(base, 0.45));
        cairo_set_source(cr_, g);
        cairo_fill_preserve(cr_);
        cairo_pattern_destroy(g);

        cairo_save(cr_);
        cairo_clip_preserve(cr_);
        cairo_path_t* outline = cairo_copy_path(cr_);
        cairo_new_path(cr_);
        // Plating: rows of mirrored plates in slightly different tones, each
        // outlined by a thin seam; a few darker service hatches on top.
        double grid = p.level == 2 ? 6 : 8;
        double y = std::floor(top_ - 3);
        while (y < bot_) {
            double rh = grid * rng_.irange(2, 5);
            double x = grid * rng_.irange(0, 1);
            while (x < hw_) {
                double pw = grid * rng_.irange(2, 6);
                double k = rng_.range(0.9, 1.07);
                setRgb(cr_, k < 1 ? scale(base, k) : mix(base, {1, 1, 1}, (k - 1) * 1.5), 0.6);
                cairo_rectangle(cr_, cx_ + x, y, pw, rh);
                cairo_rectangle(cr_, cx_ - x - pw, y, pw, rh);
                cairo_fill(cr_);
                setRgb(cr_, scale(base, 0.3), 0.35);
                cairo_set_line_width(cr_, 1.0);
                cairo_rectangle(cr_, cx_ + x + 0.5, y + 0.5, pw, rh);
                cairo_rectangle(cr_, cx_ - x - pw + 0.5, y + 0.5, pw, rh);
                cairo_stroke(cr_);
                x += pw;
            }
            y += rh;
        }
        int hatches = int(w_ * h_ / 12000);
        for (int i = 0; i < hatches; ++i) {
            double pw = grid * rng_.irange(1, 2), ph = grid * rng_.irange(1, 3);
            double px = std::floor(rng_.range(0, hw_) / grid) * grid + 2;
            double py = std::floor(rng_.range(top_, bot_) / grid) * grid + 2;
            setRgb(cr_, scale(base, 0.55), 0.8);
            cairo_rectangle(cr_, cx_ + px, py, pw - 4, ph - 4);
            cairo_rectangle(cr_, cx_ - px - pw + 4, py, pw - 4, ph - 4);
            cairo_fill(cr_);
        }
        // Inner edge: dark rim plus a thin highlight, for a bevelled look.
        cairo_append_path(cr_, outline);
        setRgb(cr_, scale(base, 0.25), 0.55);
        cairo_set_line_width(cr_, 5.0);
        cairo_stroke_preserve(cr_);
        cairo_pattern_t* hl = cairo_pattern_create_linear(0, top_, 0, bot_);
        stopRgb(hl, 0, mix(base, {1, 1, 1}, 0.55), 0.8);
        stopRgb(hl, 1, mix(base, {1, 1, 1}, 0.3), 0.5);
        cairo_set_source(cr_, hl);
        cairo_set_line_width(cr_, 1.6);
        cairo_stroke(cr_);
        cairo_pattern_destroy(hl);
        cairo_path_destroy(outline);
        cairo_restore(cr_);
        cairo_new_path(cr_);
    }

    // Parts of `level` cast a soft shadow down-right onto the lower parts.
    void castShadow(int level) {
        cairo_push_group(cr_);
        for (const HullPart& lower : d_.parts) {
            if (lower.level >= level) continue;
            forEachShape(lower, [&] {
                cairo_save(cr_);
                cairo_clip(cr_);
                cairo_translate(cr_, 4, 6);
                for (const HullPart& p : d_.parts)
                    if (p.level == level)
                        forEachShape(p, [&] {
                            cairo_set_source_rgb(cr_, 0, 0, 0);
                            cairo_fill(cr_);
                        });
                cairo_restore(cr_);
            });
        }
        cairo_pop_group_to_source(cr_);
        cairo_paint_with_alpha(cr_, 0.4);
    }

    // Paired hulls (twin hulls, prongs) get their own trench and window rows.
    void pairedHullDetail() {
        for (const HullPart& p : d_.parts) {
            if (!p.paired || p.level != 1) continue;
            double mx = 0, y0 = 1, y1 = 0;
            for (const Pt& q : p.right) mx += q.x / p.right.size(), y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
            for (int s = -1; s <= 1; s += 2) {
                cairo_save(cr_);
                partPath(p, s);
                cairo_clip(cr_);
                double x = X(s * mx), ya = Y(y0 + 0.06), yb = Y(lerp(y0, y1, 0.7));
                setRgb(cr_, scale(pal_.hull, 0.25));
                cairo_rectangle(cr_, x - 4, ya, 8, yb - ya);
                cairo_fill(cr_);
                for (double yy = ya + 5; yy < yb - 5; yy += 12) {
                    setRgb(cr_, pal_.engine, 0.75);
                    cairo_rectangle(cr_, x - 1.5, yy, 3, 5);
                    cairo_fill(cr_);
                }
                for (int row = 0; row < 4; ++row) {
                    double wy = std::floor(lerp(ya, yb, (row + 0.5) / 4)) + 0.5;
                    for (double wx = 10; wx < hw_ * 0.14; wx += 4) {
                        setRgb(cr_, pal_.lights, rng_.range(0.5, 1.0));
                        cairo_rectangle(cr_, std::floor(x + wx), wy, 2, 1.5);
                        cairo_rectangle(cr_, std::floor(x - wx), wy, 2, 1.5);
                        cairo_fill(cr_);
                    }
                }
                cairo_restore(cr_);
            }
        }
    }

    // Sensor domes along the spine.
    void domes() {
        const auto& prof = mainPart().right;
        int n = rng_.irange(2, 4);
        for (int i = 0; i < n; ++i) {
            double ny = rng_.range(0.25, 0.85);
            if (halfWidthAt(prof, ny) < 0.15) continue;
            double nx = rng_.chance(0.5) ? 0.0 : rng_.range(0.1, 0.2);
            double r = std::max(4.0, hw_ * 0.035);
            for (int s = 1; s >= (nx > 0 ? -1 : 1); s -= 2) {
                double x = X(s * nx), y = Y(ny);
                setRgb(cr_, hex(0x000000), 0.4);
                cairo_arc(cr_, x + 2, y + 3, r, 0, 2 * kPi);
                cairo_fill(cr_);
                cairo_pattern_t* g = cairo_pattern_create_radial(x - r * 0.4, y - r * 0.4, 0, x, y, r);
                stopRgb(g, 0, {1, 1, 1});
                stopRgb(g, 0.4, mix(pal_.hull, {1, 1, 1}, 0.3));
                stopRgb(g, 1, scale(pal_.hull, 0.35));
                cairo_set_source(cr_, g);
                cairo_arc(cr_, x, y, r, 0, 2 * kPi);
                cairo_fill(cr_);
                cairo_pattern_destroy(g);
            }
        }
    }

    static double maxX(const HullPart& p) {
        double m = 0.05;
        for (const Pt& q : p.right) m = std::max(m, q.x);
        return m;
    }

    const HullPart& mainPart() const {
        for (const HullPart& p : d_.parts)
            if (p.level == 1 && !p.paired) return p;
        return d_.parts.front();
    }

    void bands() {
        cairo_save(cr_);
        partPath(mainPart(), 1);
        cairo_clip(cr_);
        for (double by : d_.bands) {
            double y = Y(by);
            setRgb(cr_, pal_.accent, 0.9);
            cairo_rectangle(cr_, 0, y, w_, h_ * 0.012 + 3);
            cairo_fill(cr_);
            setRgb(cr_, scale(pal_.accent, 0.5), 0.9);
            cairo_rectangle(cr_, 0, y + h_ * 0.012 + 3, w_, 2);
            cairo_fill(cr_);
        }
        // Nose chevrons.
        setRgb(cr_, pal_.accent, 0.85);
        double ny = Y(0.9);
        for (int i = 0; i < 2; ++i) {
            double y = ny - i * 10;
            cairo_move_to(cr_, cx_ - hw_ * 0.3, y - 10);
            cairo_line_to(cr_, cx_, y);
            cairo_line_to(cr_, cx_ + hw_ * 0.3, y - 10);
            cairo_line_to(cr_, cx_ + hw_ * 0.3, y - 14);
            cairo_line_to(cr_, cx_, y - 4);
            cairo_line_to(cr_, cx_ - hw_ * 0.3, y - 14);
            cairo_close_path(cr_);
        }
        cairo_fill(cr_);
        cairo_restore(cr_);
    }

    void trenchesAndVents() {
        cairo_save(cr_);
        partPath(mainPart(), 1);
        cairo_clip(cr_);
        const auto& prof = mainPart().right;
        // Long trenches on each side of the spine.
        double tx = 0.22 + rng_.range(-0.05, 0.05);
        double y0 = rng_.range(0.08, 0.2), y1 = rng_.range(0.55, 0.75);
        for (int s = -1; s <= 1; s += 2) {
            double x = X(s * tx);
            cairo_rectangle(cr_, x - 3, Y(y0), 6, Y(y1) - Y(y0));
            setRgb(cr_, scale(pal_.hull, 0.22));
            cairo_fill(cr_);
            setRgb(cr_, mix(pal_.hull, {1, 1, 1}, 0.4), 0.6);
            cairo_rectangle(cr_, x + 3, Y(y0), 1, Y(y1) - Y(y0));
            cairo_fill(cr_);
            // Glowing conduits at the trench bottom.
            for (double y = Y(y0) + 6; y < Y(y1) - 4; y += 14) {
                setRgb(cr_, pal_.engine, 0.7);
                cairo_rectangle(cr_, x - 1, y, 2, 5);
                cairo_fill(cr_);
            }
        }
        // Vent grilles and greebles near the flanks.
        int n = int(h_ / 40);
        for (int i = 0; i < n; ++i) {
            double ny = rng_.range(0.05, 0.85);
            double hwAt = halfWidthAt(prof, ny);
            if (hwAt < 0.25) continue;
            double nx = rng_.range(0.3, hwAt - 0.08);
            double gw = rng_.range(8, 18), gh = rng_.range(8, 22);
            for (int s = -1; s <= 1; s += 2) {
                double x = X(s * nx) - gw / 2, y = Y(ny);
                setRgb(cr_, scale(pal_.hull, 0.3));
                cairo_rectangle(cr_, x, y, gw, gh);
                cairo_fill(cr_);
                setRgb(cr_, scale(pal_.hull, 0.75));
                for (double yy = y + 2; yy < y + gh - 1; yy += 3) {
                    cairo_rectangle(cr_, x + 1, yy, gw - 2, 1);
                }
                cairo_fill(cr_);
            }
        }
        cairo_restore(cr_);
    }

    void windows() {
        cairo_save(cr_);
        clipToHullAll();
        const auto& prof = mainPart().right;
        int rows = int(h_ / 60);
        for (int i = 0; i < rows; ++i) {
            double ny = rng_.range(0.05, 0.9);
            double hwAt = halfWidthAt(prof, ny);
            if (hwAt < 0.2) continue;
            double x0 = rng_.range(0.1, hwAt * 0.5), x1 = hwAt - 0.06;
            double y = std::floor(Y(ny)) + 0.5;
            for (double x = x0; x < x1; x += 4.0 / hw_) {
                if (rng_.chance(0.25)) continue;
                for (int s = -1; s <= 1; s += 2) {
                    setRgb(cr_, pal_.lights, rng_.range(0.55, 1.0));
                    cairo_rectangle(cr_, std::floor(X(s * x)), y - 0.5, 2, 1.5);
                    cairo_fill(cr_);
                }
            }
        }
        cairo_restore(cr_);
    }

    void clipToHullAll() {
        cairo_new_path(cr_);
        for (const HullPart& p : d_.parts) {
            if (p.level < 1) continue;
            if (p.paired) {
                // Two polygons appended into one path; non-zero fill of the union.
                std::vector<cairo_path_t*> paths;
                for (int m : {1, -1}) {
                    partPath(p, m);
                    paths.push_back(cairo_copy_path(cr_));
                }
                cairo_new_path(cr_);
                for (auto* q : paths) {
                    cairo_append_path(cr_, q);
                    cairo_path_destroy(q);
                }
                stash_.push_back(cairo_copy_path(cr_));
            } else {
                partPath(p, 1);
                stash_.push_back(cairo_copy_path(cr_));
            }
        }
        cairo_new_path(cr_);
        for (auto* q : stash_) {
            cairo_append_path(cr_, q);
            cairo_path_destroy(q);
        }
        stash_.clear();
        cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
        cairo_clip(cr_);
    }

    void spinalCannon() {
        double y0 = Y(0.6), y1 = Y(0.95);
        cairo_rectangle(cr_, cx_ - 5, y0, 10, y1 - y0);
        setRgb(cr_, hex(0x202228));
        cairo_fill(cr_);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, y0, 0, y1);
        stopRgb(g, 0, pal_.engine, 0.2);
        stopRgb(g, 1, {1, 1, 1}, 0.95);
        cairo_set_source(cr_, g);
        cairo_rectangle(cr_, cx_ - 2, y0, 4, y1 - y0);
        cairo_fill(cr_);
        cairo_pattern_destroy(g);
        glow(cr_, cx_, y1 - 2, std::min(16.0, h_ - 2 - y1 + 12), pal_.engine, 0.8);
        for (double y = y0 + 8; y < y1 - 4; y += 12) {
            setRgb(cr_, scale(pal_.hull, 0.6));
            cairo_rectangle(cr_, cx_ - 7, y, 14, 3);
            cairo_fill(cr_);
        }
    }

    void bridge() {
        double y = Y(d_.bridgeY) + 6, bw = std::max(22.0, hw_ * 0.22), bh = std::max(26.0, h_ * 0.06);
        for (int tier = 0; tier < 3; ++tier) {
            double tw = bw * (1 - tier * 0.25), th = bh * (1 - tier * 0.22);
            double x = cx_ - tw / 2, yy = y + tier * 4;
            setRgb(cr_, hex(0x08090c), 0.6);
            cairo_rectangle(cr_, x + 2, yy + 3, tw, th);
            cairo_fill(cr_);
            cairo_pattern_t* g = cairo_pattern_create_linear(x, 0, x + tw, 0);
            Rgb b = mix(pal_.hull, {1, 1, 1}, 0.1 + tier * 0.08);
            stopRgb(g, 0, scale(b, 0.6));
            stopRgb(g, 0.35, mix(b, {1, 1, 1}, 0.25));
            stopRgb(g, 1, scale(b, 0.5));
            cairo_set_source(cr_, g);
            cairo_rectangle(cr_, x, yy, tw, th);
            cairo_fill_preserve(cr_);
            cairo_pattern_destroy(g);
            setRgb(cr_, hex(0x101216));
            cairo_set_line_width(cr_, 1);
            cairo_stroke(cr_);
        }
        // Bridge window strip facing forward (down).
        double tw = bw * 0.5;
        setRgb(cr_, pal_.lights, 0.95);
        cairo_rectangle(cr_, cx_ - tw / 2, y + 8 + bh * 0.56 - 4, tw, 2);
        cairo_fill(cr_);
        // Antenna mast.
        setRgb(cr_, hex(0xd0d4d8));
        cairo_rectangle(cr_, cx_ - 0.5, y - 6, 1, 12);
        cairo_fill(cr_);
        glow(cr_, cx_, y - 6, 4, hex(0xff3030), 0.9);
    }

    void turret(const Turret& t) {
        for (int s = 1; s >= (t.mirrored ? -1 : 1); s -= 2) {
            double x = X(s * t.x), y = Y(t.y), r = t.r;
            // Barrels point at the nose (down), toward the player.
            for (int b = 0; b < t.barrels; ++b) {
                double bx = x + (b - (t.barrels - 1) / 2.0) * r * 0.42;
                setRgb(cr_, hex(0x08090c));
                cairo_rectangle(cr_, bx - r * 0.14 - 1, y, r * 0.28 + 2, r * 1.9 + 1);
                cairo_fill(cr_);
                cairo_pattern_t* g = cairo_pattern_create_linear(bx - r * 0.14, 0, bx + r * 0.14, 0);
                stopRgb(g, 0, hex(0x3a3d44));
                stopRgb(g, 0.4, hex(0xb0b4bc));
                stopRgb(g, 1, hex(0x2a2c30));
                cairo_set_source(cr_, g);
                cairo_rectangle(cr_, bx - r * 0.14, y, r * 0.28, r * 1.9);
                cairo_fill(cr_);
                cairo_pattern_destroy(g);
            }
            // Shadow, ring and dome.
            setRgb(cr_, hex(0x000000), 0.45);
            cairo_arc(cr_, x + 2, y + 2, r + 1, 0, 2 * kPi);
            cairo_fill(cr_);
            setRgb(cr_, hex(0x0c0d10));
            cairo_arc(cr_, x, y, r + 1, 0, 2 * kPi);
            cairo_fill(cr_);
            cairo_pattern_t* g = cairo_pattern_create_radial(x - r * 0.35, y - r * 0.35, r * 0.1, x, y, r);
            stopRgb(g, 0, mix(pal_.hull, {1, 1, 1}, 0.6));
            stopRgb(g, 0.5, pal_.hull);
            stopRgb(g, 1, scale(pal_.hull, 0.4));
            cairo_set_source(cr_, g);
            cairo_arc(cr_, x, y, r, 0, 2 * kPi);
            cairo_fill(cr_);
            cairo_pattern_destroy(g);
            setRgb(cr_, pal_.accent, 0.9);
            cairo_set_line_width(cr_, 1.2);
            cairo_arc(cr_, x, y, r * 0.62, 0, 2 * kPi);
            cairo_stroke(cr_);
            setRgb(cr_, scale(pal_.hull, 0.3));
            cairo_rectangle(cr_, x - r * 0.4, y + r * 0.25, r * 0.8, r * 0.25);
            cairo_fill(cr_);
        }
    }

    // Engine housings sit on the stern edge; exhausts (drawn in the second
    // pass, additive-looking) flare upward toward the top of the cell.
    void engines(bool exhaust) {
        double ew = std::max(10.0, d_.engineW * hw_);
        double yTop = Y(0);
        for (double ex : d_.engineX) {
            for (int s = 1; s >= (ex > 0.001 ? -1 : 1); s -= 2) {
                double x = X(s * ex);
                if (!exhaust) {
                    // Plume: long soft flame from the nozzle to near the cell top.
                    cairo_pattern_t* g = cairo_pattern_create_linear(0, yTop + 4, 0, 2);
                    stopRgb(g, 0, {1, 1, 1}, 1.0);
                    stopRgb(g, 0.25, pal_.engine, 0.85);
                    stopRgb(g, 1, pal_.engine, 0.0);
                    cairo_set_source(cr_, g);
                    cairo_move_to(cr_, x - ew * 0.48, yTop + 4);
                    cairo_line_to(cr_, x + ew * 0.48, yTop + 4);
                    cairo_line_to(cr_, x + ew * 0.22, 2);
                    cairo_line_to(cr_, x - ew * 0.22, 2);
                    cairo_close_path(cr_);
                    cairo_fill(cr_);
                    cairo_pattern_destroy(g);
                    glow(cr_, x, yTop, std::min(ew * 1.2, yTop - 2), pal_.engine, 0.55);
                } else {
                    // Nozzle ring and hot throat.
                    cairo_pattern_t* g = cairo_pattern_create_linear(x - ew / 2, 0, x + ew / 2, 0);
                    stopRgb(g, 0, hex(0x1a1b20));
                    stopRgb(g, 0.35, hex(0x8a8e98));
                    stopRgb(g, 1, hex(0x141518));
                    cairo_set_source(cr_, g);
                    cairo_rectangle(cr_, x - ew / 2, yTop - 3, ew, 14);
                    cairo_fill_preserve(cr_);
                    cairo_pattern_destroy(g);
                    setRgb(cr_, hex(0x08090c));
                    cairo_set_line_width(cr_, 1);
                    cairo_stroke(cr_);
                    cairo_rectangle(cr_, x - ew / 2 + 2, yTop - 3, ew - 4, 3);
                    setRgb(cr_, mix(pal_.engine, {1, 1, 1}, 0.6));
                    cairo_fill(cr_);
                }
            }
        }
    }

    void runningLights() {
        const auto& prof = mainPart().right;
        // Port red / starboard green at the widest point of the hull.
        double bestY = 0, bestX = 0;
        for (const Pt& p : prof)
            if (p.x > bestX) bestX = p.x, bestY = p.y;
        for (const HullPart& p : d_.parts)
            for (const Pt& q : p.right)
                if (q.x > bestX && !p.paired) bestX = q.x, bestY = q.y;
        double lx = std::max(0.0, bestX - 6.0 / hw_);
        glow(cr_, X(-lx), Y(bestY) + 4, 7, hex(0xff2a2a), 0.95);
        glow(cr_, X(lx), Y(bestY) + 4, 7, hex(0x2aff6a), 0.95);
        // Amber marker lights along the flanks.
        for (double ny = 0.1; ny < 0.92; ny += 0.12) {
            double hx = halfWidthAt(prof, ny);
            if (hx < 0.12) continue;
            for (int s = -1; s <= 1; s += 2) {
                double x = X(s * (hx - 5.0 / hw_)), y = Y(ny);
                glow(cr_, x, y, 4, pal_.lights, 0.8);
                setRgb(cr_, {1, 1, 1});
                cairo_rectangle(cr_, x - 0.75, y - 0.75, 1.5, 1.5);
                cairo_fill(cr_);
            }
        }
        // White strobe at the nose.
        double noseY = 0;
        for (const HullPart& p : d_.parts)
            if (!p.paired)
                for (const Pt& q : p.right) noseY = std::max(noseY, q.y);
        glow(cr_, cx_, std::min(Y(noseY) - 3, h_ - 6), 5, {1, 1, 1}, 0.95);
    }

    cairo_t* cr_;
    double w_, h_;
    const Design& d_;
    const Palette& pal_;
    Rng& rng_;
    double cx_, hw_, glowLen_, top_, bot_;
    std::vector<cairo_path_t*> stash_;
};

}  // namespace

void drawCapitalShip(cairo_t* cr, double w, double h, int index, bool battleship) {
    // Cruisers use three families, battleships cycle through all six with
    // their own proportions; each of the 13 ships gets its own palette.
    static const int kCruiserFamily[3] = {0, 5, 1};
    static const int kBattleshipFamily[10] = {4, 2, 3, 0, 5, 1, 4, 3, 2, 5};
    int family = battleship ? kBattleshipFamily[index] : kCruiserFamily[index];
    int shipId = battleship ? 3 + index : index;
    Rng rng(0x5EED0000ull + uint64_t(shipId) * 7919ull);
    Design d = makeDesign(family, rng, battleship);
    // A family's second outing gets its own armament and engine layout too.
    bool repeat = battleship && index >= 6;
    if (repeat) {
        for (Turret& t : d.turrets) {
            t.y = std::clamp(t.y + rng.range(-0.05, 0.05), 0.08, 0.9);
            t.r *= rng.range(0.85, 1.2);
            t.barrels = std::clamp(t.barrels + rng.irange(-1, 1), 1, 3);
        }
        if (d.engineX.size() >= 3) d.engineX.erase(d.engineX.begin() + 1);
        else d.engineX.push_back(std::min(0.9, d.engineX.back() + 0.22));
        d.bands.push_back(rng.range(0.3, 0.6));
    }
    ShipPainter painter(cr, w, h, d, kPalettes[shipId], rng);
    painter.paint();
}

}  // namespace ag
