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
constexpr double Pi = 3.14159265358979323846;

using Inside = std::function<bool(double x, double y)>;

struct Shape {
    std::string name;
    DrawFn draw;  // draws in white with the brush of `WhiteDraw`
    Inside inside;
};

// Points of a stroke from a to b of half-width r: `extra` lengthens the body
// at both ends (square caps), `round` adds the discs (round caps: a capsule).
Inside Stroke(D2D1_POINT_2F a, D2D1_POINT_2F b, double r, double extra, bool round)
{
    return [=](double x, double y) {
        double ex = b.x - a.x, ey = b.y - a.y, len = std::hypot(ex, ey);
        double px = x - a.x, py = y - a.y;
        if (round && (std::hypot(px, py) <= r || std::hypot(x - b.x, y - b.y) <= r))
            return true;
        if (len == 0)
            return false;
        double t = (px * ex + py * ey) / len, s = (px * ey - py * ex) / len;
        return t >= -extra && t <= len + extra && std::fabs(s) <= r;
    };
}

Inside InEllipse(double cx, double cy, double rx, double ry)
{
    return [=](double x, double y) { return std::pow((x - cx) / rx, 2) + std::pow((y - cy) / ry, 2) <= 1; };
}

Inside InRoundRect(double l, double t, double r, double b, double radius)
{
    return [=](double x, double y) {
        if (x < l || x > r || y < t || y > b)
            return false;
        if (radius <= 0)
            return true;
        double cx = std::clamp(x, l + radius, r - radius), cy = std::clamp(y, t + radius, b - radius);
        return std::hypot(x - cx, y - cy) <= radius;
    };
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
// ideal shape or the drawing touches, and the pixels next to those (a ring of
// one pixel), so that stray coverage outside the shape counts too.
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
    for (int i = 0; i < Size * Size; i++) {
        if (!around[i])
            continue;
        double err = std::fabs(Channel(px[i], 1) / 255.0 - ref[i]);
        e.worst = std::max(e.worst, err);
        e.mean += err;
        count++;
    }
    e.mean = count > 0 ? e.mean / count : 0;
    return e;
}

DrawFn Line(D2D1_POINT_2F a, D2D1_POINT_2F b, float width, D2D1_CAP_STYLE cap)
{
    return [=](ID2D1RenderTarget* rt) {
        rt->DrawLine(a, b, Brush(rt, D2D1::ColorF(1, 1, 1, 1)).Get(), width, Caps(cap).Get());
    };
}

std::vector<Shape> Lines()
{
    std::vector<Shape> shapes;
    const float offsets[][2] = {{0, 0}, {0.3f, 0.7f}, {0.5f, 0.25f}};
    for (float width : {2.0f, 4.0f, 8.0f})
        for (int degrees : {0, 7, 30, 45, 62, 90, 135, 173})
            for (const auto& o : offsets) {
                double a = degrees * Pi / 180;
                float dx = static_cast<float>(20 * std::cos(a)), dy = static_cast<float>(20 * std::sin(a));
                D2D1_POINT_2F p0 = {32 + o[0] - dx, 32 + o[1] - dy}, p1 = {32 + o[0] + dx, 32 + o[1] + dy};
                shapes.push_back({"line w" + std::to_string(static_cast<int>(width)) + " at " + std::to_string(degrees) + " deg",
                                  Line(p0, p1, width, D2D1_CAP_STYLE_ROUND), Stroke(p0, p1, width / 2, 0, true)});
            }
    // The other caps, and lines that leave the target.
    D2D1_POINT_2F a = {10.4f, 50.2f}, b = {52.7f, 18.9f};
    shapes.push_back({"flat caps", Line(a, b, 6, D2D1_CAP_STYLE_FLAT), Stroke(a, b, 3, 0, false)});
    shapes.push_back({"square caps", Line(a, b, 6, D2D1_CAP_STYLE_SQUARE), Stroke(a, b, 3, 3, false)});
    D2D1_POINT_2F out0 = {-12.5f, 20.3f}, out1 = {40.2f, 90.0f}, out2 = {70.0f, 3.6f};
    shapes.push_back({"off the left", Line(out0, out1, 8, D2D1_CAP_STYLE_ROUND), Stroke(out0, out1, 4, 0, true)});
    shapes.push_back({"off the right", Line(b, out2, 4, D2D1_CAP_STYLE_ROUND), Stroke(b, out2, 2, 0, true)});
    D2D1_POINT_2F edge0 = {-1.0f, 0.5f}, edge1 = {63.5f, 0.5f};  // along the top edge, half outside
    shapes.push_back({"along the edge", Line(edge0, edge1, 4, D2D1_CAP_STYLE_ROUND), Stroke(edge0, edge1, 2, 0, true)});
    // Zero length: a disc with round caps, nothing with flat ones.
    for (float width : {2.0f, 4.0f, 8.0f}) {
        D2D1_POINT_2F p = {30.6f, 33.3f};
        shapes.push_back({"dot w" + std::to_string(static_cast<int>(width)), Line(p, p, width, D2D1_CAP_STYLE_ROUND),
                          Stroke(p, p, width / 2, 0, true)});
    }
    D2D1_POINT_2F p = {20.5f, 20.5f};
    shapes.push_back({"flat dot", Line(p, p, 8, D2D1_CAP_STYLE_FLAT), [](double, double) { return false; }});
    return shapes;
}

std::vector<Shape> Ellipses()
{
    std::vector<Shape> shapes;
    const float ellipses[][4] = {{32, 32, 0.5f, 0.5f},  {20.3f, 40.7f, 1, 1},     {32.5f, 32.5f, 1.5f, 2.5f},
                                 {11.2f, 13.9f, 3, 3},  {40.6f, 22.1f, 6.3f, 2.2f}, {32, 30.4f, 12, 20},
                                 {31.7f, 32.2f, 25.5f, 25.5f}, {3.5f, 60.0f, 10, 14}};
    for (const auto& e : ellipses) {
        D2D1_ELLIPSE el = D2D1::Ellipse(D2D1::Point2F(e[0], e[1]), e[2], e[3]);
        shapes.push_back({"ellipse r " + std::to_string(e[2]) + " x " + std::to_string(e[3]),
                          [=](ID2D1RenderTarget* rt) { rt->FillEllipse(el, Brush(rt, D2D1::ColorF(1, 1, 1, 1)).Get()); },
                          InEllipse(e[0], e[1], e[2], e[3])});
    }
    // Outlines whose offset curves are exact: a circle, a rectangle (mitred
    // corners), a rounded rectangle (its corners grow and shrink as arcs).
    shapes.push_back({"circle outline",
                      [](ID2D1RenderTarget* rt) {
                          rt->DrawEllipse(D2D1::Ellipse(D2D1::Point2F(30.3f, 33.6f), 18, 18),
                                          Brush(rt, D2D1::ColorF(1, 1, 1, 1)).Get(), 3);
                      },
                      [](double x, double y) { return std::fabs(std::hypot(x - 30.3, y - 33.6) - 18) <= 1.5; }});
    shapes.push_back({"rectangle outline",
                      [](ID2D1RenderTarget* rt) {
                          rt->DrawRectangle(D2D1::RectF(8.5f, 10.25f, 50.7f, 44), Brush(rt, D2D1::ColorF(1, 1, 1, 1)).Get(), 2.5f);
                      },
                      [](double x, double y) {
                          return InRoundRect(7.25, 9.0, 51.95, 45.25, 0)(x, y) && !InRoundRect(9.75, 11.5, 49.45, 42.75, 0)(x, y);
                      }});
    shapes.push_back({"rounded outline",
                      [](ID2D1RenderTarget* rt) {
                          rt->DrawRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(6.6f, 8, 56, 52.3f), 9, 9),
                                                   Brush(rt, D2D1::ColorF(1, 1, 1, 1)).Get(), 4);
                      },
                      [](double x, double y) {
                          return InRoundRect(4.6, 6, 58, 54.3, 11)(x, y) && !InRoundRect(8.6, 10, 54, 50.3, 7)(x, y);
                      }});
    return shapes;
}

// Draws every shape on one reused target and checks each against its reference.
void CheckShapes(const std::vector<Shape>& shapes, const char* property)
{
    ComPtr<ID2D1HwndRenderTarget> rt;
    SoftwareRenderOptions options;
    ASSERT_HRESULT_SUCCEEDED(CreateSoftwareRenderTarget(Factory(), NULL, D2D1::SizeU(Size, Size), &options, &rt));
    Errors worst;
    std::string worstPixel, worstMean;
    for (const Shape& s : shapes) {
        rt->BeginDraw();
        rt->Clear(D2D1::ColorF(0, 0, 0, 1));
        s.draw(rt.Get());
        ASSERT_HRESULT_SUCCEEDED(rt->EndDraw());
        Pixels px(Size * Size);
        ASSERT_HRESULT_SUCCEEDED(CopySoftwareTargetPixels(rt.Get(), px.data(), px.size()));
        Errors e = Measure(px, Reference(s.inside));
        EXPECT_LE(e.worst, 0.04) << s.name;
        EXPECT_LE(e.mean, 0.005) << s.name;
        if (e.worst > worst.worst) {
            worst.worst = e.worst;
            worstPixel = s.name;
        }
        if (e.mean > worst.mean) {
            worst.mean = e.mean;
            worstMean = s.name;
        }
    }
    std::cout << property << ": worst pixel " << worst.worst * 100 << " % (" << worstPixel << "), worst average "
              << worst.mean * 100 << " % (" << worstMean << ")\n";
    ::testing::Test::RecordProperty(std::string(property) + "_worst_pixel_percent", std::to_string(worst.worst * 100));
    ::testing::Test::RecordProperty(std::string(property) + "_worst_average_percent", std::to_string(worst.mean * 100));
}

}  // namespace

// Per pixel within 4 %, on average within 0.5 % (of full coverage).
TEST(SoftwareShapes, LinesMatchTheirIdealShape)
{
    CheckShapes(Lines(), "lines");
}

TEST(SoftwareShapes, EllipsesAndOutlinesMatchTheirIdealShape)
{
    CheckShapes(Ellipses(), "ellipses");
}
