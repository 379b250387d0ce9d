// Lines, ellipses and outlines against their ideal shapes: opaque white drawn on
// opaque black, the coverage read back from the pixels and compared with 16 x 16
// point samples per pixel of the exact shape.
#include "renderer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

namespace {

constexpr int Size = 64;

using Inside = std::function<bool(double x, double y)>;

struct Shape {
    std::string name;
    std::function<void(ID2D1RenderTarget*, ID2D1Brush* white)> draw;
    Inside inside;
};

// The points within r of the segment's body; `extra` lengthens the body at both
// ends (square caps), `round` adds the discs at its ends (round caps: a capsule).
Inside Stroke(D2D1_POINT_2F a, D2D1_POINT_2F b, double r, double extra, bool round)
{
    return [=](double x, double y) {
        if (round && (std::hypot(x - a.x, y - a.y) <= r || std::hypot(x - b.x, y - b.y) <= r))
            return true;
        double ex = b.x - a.x, ey = b.y - a.y, len = std::hypot(ex, ey);
        double t = ((x - a.x) * ex + (y - a.y) * ey) / len, s = ((x - a.x) * ey - (y - a.y) * ex) / len;
        return len > 0 && t >= -extra && t <= len + extra && std::fabs(s) <= r;
    };
}

Inside InRoundRect(double l, double t, double r, double b, double radius)
{
    return [=](double x, double y) {
        double cx = std::clamp(x, l + radius, r - radius), cy = std::clamp(y, t + radius, b - radius);
        return x >= l && x <= r && y >= t && y <= b && (radius == 0 || std::hypot(x - cx, y - cy) <= radius);
    };
}

Shape Line(const std::string& name, D2D1_POINT_2F a, D2D1_POINT_2F b, float width, D2D1_CAP_STYLE cap)
{
    return {name, [=](ID2D1RenderTarget* rt, ID2D1Brush* white) { rt->DrawLine(a, b, white, width, Caps(cap).Get()); },
            Stroke(a, b, width / 2, cap == D2D1_CAP_STYLE_SQUARE ? width / 2 : 0, cap == D2D1_CAP_STYLE_ROUND)};
}

// Coverage of each pixel by the ideal shape, sampled at 16 x 16 points: 16 rows
// at the heights of the renderer's sub-rows, each row's 16 points shifted by its
// own sixteenth of their spacing (rows 5 apart in a cycle of 16). A square grid
// would line up with edges at 45 degrees and err by up to 0.8 % along all of such
// an edge, more than the renderer does.
std::vector<double> Reference(const Inside& inside)
{
    std::vector<double> cov(Size * Size);
    for (int y = 0; y < Size; y++)
        for (int x = 0; x < Size; x++) {
            int n = 0;
            for (int j = 0; j < 16; j++)
                for (int i = 0; i < 16; i++)
                    n += inside(x + (i + (j * 5 % 16 + 0.5) / 16) / 16, y + (j + 0.5) / 16);
            cov[y * Size + x] = n / 256.0;
        }
    return cov;
}

struct Errors {
    double worst = 0, mean = 0;
};

// The average is taken over the shape's neighbourhood: every pixel that the
// ideal shape or the drawing touches, and the ring of pixels around those, so
// that stray coverage outside the shape counts too.
Errors Measure(const Pixels& px, const std::vector<double>& ref)
{
    std::vector<bool> around(Size * Size, false);
    for (int y = 0; y < Size; y++)
        for (int x = 0; x < Size; x++)
            if (ref[y * Size + x] > 0 || Channel(px[y * Size + x], 1) > 0)
                for (int v = std::max(0, y - 1); v <= std::min(Size - 1, y + 1); v++)
                    for (int u = std::max(0, x - 1); u <= std::min(Size - 1, x + 1); u++)
                        around[v * Size + u] = true;
    Errors e;
    int count = 0;
    for (int i = 0; i < Size * Size; i++)
        if (around[i]) {
            double err = std::fabs(Channel(px[i], 1) / 255.0 - ref[i]);
            e.worst = std::max(e.worst, err);
            e.mean += err;
            count++;
        }
    e.mean /= std::max(count, 1);
    return e;
}

// Per pixel within 4 % of full coverage, on average within 0.5 %; the worst
// figures are printed (measured: lines 1.5 % and 0.16 %, ellipses and outlines
// 2.9 % and 0.15 %).
void CheckShapes(const std::vector<Shape>& shapes, const std::string& what)
{
    Errors worst;
    std::string worstShape;
    for (const Shape& s : shapes) {
        Pixels px = DrawSoftware(Size, Size, SoftwareRenderOptions(), [&](ID2D1RenderTarget* rt) {
            rt->Clear(D2D1::ColorF(0, 0, 0, 1));
            s.draw(rt, Brush(rt, D2D1::ColorF(1, 1, 1, 1)).Get());
        });
        Errors e = Measure(px, Reference(s.inside));
        EXPECT_LE(e.worst, 0.04) << s.name;
        EXPECT_LE(e.mean, 0.005) << s.name;
        if (e.worst > worst.worst)
            worstShape = s.name;
        worst = {std::max(worst.worst, e.worst), std::max(worst.mean, e.mean)};
    }
    std::cout << what << ": worst pixel " << worst.worst * 100 << " % (" << worstShape << "), worst average "
              << worst.mean * 100 << " %\n";
}

}  // namespace

TEST(SoftwareShapes, LinesMatchTheirIdealShape)
{
    std::vector<Shape> lines;
    const float offsets[][2] = {{0, 0}, {0.3f, 0.7f}, {0.5f, 0.25f}};
    for (int width : {2, 4, 8})
        for (int degrees : {0, 7, 30, 45, 62, 90, 135, 173})
            for (const auto& o : offsets) {
                float dx = 20 * std::cos(degrees * 3.14159265f / 180), dy = 20 * std::sin(degrees * 3.14159265f / 180);
                lines.push_back(Line("width " + std::to_string(width) + " at " + std::to_string(degrees) + " degrees",
                                     {32 + o[0] - dx, 32 + o[1] - dy}, {32 + o[0] + dx, 32 + o[1] + dy},
                                     static_cast<float>(width), D2D1_CAP_STYLE_ROUND));
            }
    D2D1_POINT_2F a = {10.4f, 50.2f}, b = {52.7f, 18.9f};
    lines.push_back(Line("flat caps", a, b, 6, D2D1_CAP_STYLE_FLAT));
    lines.push_back(Line("square caps", a, b, 6, D2D1_CAP_STYLE_SQUARE));
    lines.push_back(Line("off the left", {-12.5f, 20.3f}, {40.2f, 90}, 8, D2D1_CAP_STYLE_ROUND));
    lines.push_back(Line("off the right", b, {70, 3.6f}, 4, D2D1_CAP_STYLE_ROUND));
    lines.push_back(Line("along the top edge", {-1, 0.5f}, {63.5f, 0.5f}, 4, D2D1_CAP_STYLE_ROUND));
    // Zero length: a disc with round caps, nothing with flat ones.
    for (float width : {2.0f, 4.0f, 8.0f})
        lines.push_back(Line("dot", {30.6f, 33.3f}, {30.6f, 33.3f}, width, D2D1_CAP_STYLE_ROUND));
    lines.push_back(Line("flat dot", {20.5f, 20.5f}, {20.5f, 20.5f}, 8, D2D1_CAP_STYLE_FLAT));
    CheckShapes(lines, "lines");
}

TEST(SoftwareShapes, EllipsesAndOutlinesMatchTheirIdealShape)
{
    std::vector<Shape> shapes;
    const float ellipses[][4] = {{32, 32, 0.5f, 0.5f},         {20.3f, 40.7f, 1, 1},       {32.5f, 32.5f, 1.5f, 2.5f},
                                 {11.2f, 13.9f, 3, 3},         {40.6f, 22.1f, 6.3f, 2.2f}, {32, 30.4f, 12, 20},
                                 {31.7f, 32.2f, 25.5f, 25.5f}, {3.5f, 60, 10, 14}};  // the last partly off
    for (const auto& e : ellipses) {
        float cx = e[0], cy = e[1], rx = e[2], ry = e[3];
        shapes.push_back({"ellipse radii " + std::to_string(rx) + ", " + std::to_string(ry),
                          [=](ID2D1RenderTarget* rt, ID2D1Brush* white) {
                              rt->FillEllipse(D2D1::Ellipse({cx, cy}, rx, ry), white);
                          },
                          [=](double x, double y) { return std::hypot((x - cx) / rx, (y - cy) / ry) <= 1; }});
    }
    // Outlines whose offset curves are exact: a circle, a rectangle (mitred
    // corners), a rounded rectangle (its corner arcs grow and shrink).
    shapes.push_back({"circle outline",
                      [](ID2D1RenderTarget* rt, ID2D1Brush* white) {
                          rt->DrawEllipse(D2D1::Ellipse({30.25f, 33.5f}, 18, 18), white, 3);
                      },
                      [](double x, double y) { return std::fabs(std::hypot(x - 30.25, y - 33.5) - 18) <= 1.5; }});
    shapes.push_back({"rectangle outline",
                      [](ID2D1RenderTarget* rt, ID2D1Brush* white) {
                          rt->DrawRectangle(D2D1::RectF(8.5f, 10.25f, 50.75f, 44), white, 2.5f);
                      },
                      [](double x, double y) {
                          return InRoundRect(7.25, 9, 52, 45.25, 0)(x, y) &&
                              !InRoundRect(9.75, 11.5, 49.5, 42.75, 0)(x, y);
                      }});
    shapes.push_back({"rounded rectangle outline",
                      [](ID2D1RenderTarget* rt, ID2D1Brush* white) {
                          rt->DrawRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(6.5f, 8, 56, 52.25f), 9, 9), white, 4);
                      },
                      [](double x, double y) {
                          return InRoundRect(4.5, 6, 58, 54.25, 11)(x, y) && !InRoundRect(8.5, 10, 54, 50.25, 7)(x, y);
                      }});
    CheckShapes(shapes, "ellipses and outlines");
}
