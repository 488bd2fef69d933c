#include "engine/core/Geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace engine {

bool IsRectEmpty(const Rect& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

bool IntersectRect(Rect& out, const Rect& a, const Rect& b)
{
    Rect r { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
        std::min(a.bottom, b.bottom) };
    if (IsRectEmpty(r)) {
        out = Rect {};
        return false;
    }
    out = r;
    return true;
}

bool PtInRect(const Rect& r, Point p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

int TruncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

int RoundAway(double v)
{
    return v > 0 ? TruncToInt(v + 0.5) : TruncToInt(v - 0.5);
}

Rect GeometryBounds(const ObjectGeometry& g)
{
    if (g.angle == 0) {
        // Integer halves, as the drawing code places pictures.
        int halfW = static_cast<int>((static_cast<long long>(TruncToInt(g.width)) + 1) / 2);
        int halfH = static_cast<int>((static_cast<long long>(TruncToInt(g.height)) + 1) / 2);
        int left = TruncToInt(g.x - halfW);
        int top = TruncToInt(g.y - halfH);
        return Rect { left, top, TruncToInt(g.width + left), TruncToInt(g.height + top) };
    }
    double r = 0;
    if (g.width > 0 && g.height > 0)
        r = std::sqrt((g.width / 2) * (g.width / 2) + (g.height / 2) * (g.height / 2));
    return Rect { TruncToInt(g.x - r), TruncToInt(g.y - r), TruncToInt(g.x + r), TruncToInt(g.y + r) };
}

Rect ObjectBounds(const ObjectGeometry& g)
{
    Rect bounds = GeometryBounds(g);
    if (g.flags & ObjectFlags::kHitRectActive) {
        Rect clipped;
        IntersectRect(clipped, bounds, g.hitRect);
        return clipped;
    }
    return bounds;
}

bool GeometryEqual(const ObjectGeometry& a, const ObjectGeometry& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.angle == b.angle;
}

double CrossProduct(double ax, double ay, double bx, double by, double cx, double cy)
{
    return (cy - ay) * (bx - ax) - (by - ay) * (cx - ax);
}

double DotProduct(double ax, double ay, double bx, double by, double cx, double cy)
{
    return (cy - ay) * (by - ay) + (cx - ax) * (bx - ax);
}

namespace {

// The turn itself, with the cosine and sine of the angle given.
Point RotateWith(int x, int y, int cx, int cy, double c, double s, bool forward)
{
    double dx = static_cast<double>(x) - cx;
    double dy = static_cast<double>(cy) - y;
    double tx;
    double ty;
    if (forward) {
        tx = dx * c - dy * s;
        ty = dy * c + dx * s;
    } else {
        tx = dx * c + dy * s;
        ty = dy * c - dx * s;
    }
    auto clamp = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
    return Point { clamp(static_cast<long long>(cx) + RoundAway(tx)), clamp(static_cast<long long>(cy) - RoundAway(ty)) };
}

} // namespace

Point RotatePoint(int x, int y, int cx, int cy, double angle, bool forward)
{
    if (angle == 0)
        return Point { x, y };
    double theta = angle * kPi / 180;
    return RotateWith(x, y, cx, cy, std::cos(theta), std::sin(theta), forward);
}

namespace {

constexpr double kTolerance = 1e-7;

int Orientation(Point p, Point q1, Point q2)
{
    double v = CrossProduct(p.x, p.y, q1.x, q1.y, q2.x, q2.y);
    if (std::fabs(v) < kTolerance)
        return 0;
    return v > 0 ? 1 : -1;
}

// p lies between the ends of a segment it is collinear with.
bool OnSegment(Point p, Point e1, Point e2)
{
    return DotProduct(p.x, p.y, e1.x, e1.y, e2.x, e2.y) <= kTolerance;
}

bool SegmentsMeet(Point a, Point b, Point c, Point d)
{
    int o1 = Orientation(a, b, c);
    int o2 = Orientation(a, b, d);
    int o3 = Orientation(c, d, a);
    int o4 = Orientation(c, d, b);
    if (o1 * o2 == -1 && o3 * o4 == -1)
        return true;
    if (o1 == 0 && OnSegment(c, a, b))
        return true;
    if (o2 == 0 && OnSegment(d, a, b))
        return true;
    if (o3 == 0 && OnSegment(a, c, d))
        return true;
    if (o4 == 0 && OnSegment(b, c, d))
        return true;
    return false;
}

} // namespace

bool ObjectMeetsRect(const Rect& r, const ObjectGeometry& g)
{
    return RectMeetTest(g).Meets(r);
}

RectMeetTest::RectMeetTest(const ObjectGeometry& g)
    : RectMeetTest(g, GeometryBounds(g))
{
}

RectMeetTest::RectMeetTest(const ObjectGeometry& g, const Rect& bounds)
    : m_bounds(bounds)
    , m_angle(g.angle)
    , m_centre { TruncToInt(g.x), TruncToInt(g.y) }
{
    if (m_angle == 0)
        return;
    double theta = m_angle * kPi / 180;
    m_cos = std::cos(theta);
    m_sin = std::sin(theta);
    const Rect& b = m_bounds;
    const Point corners[4] = { { b.left, b.top }, { b.right, b.top }, { b.right, b.bottom }, { b.left, b.bottom } };
    for (int i = 0; i < 4; ++i)
        m_corners[i] = RotateWith(corners[i].x, corners[i].y, m_centre.x, m_centre.y, m_cos, m_sin, true);
    m_hullMin = m_corners[0];
    m_hullMax = m_corners[0];
    for (const Point& p : m_corners) {
        m_hullMin = Point { std::min(m_hullMin.x, p.x), std::min(m_hullMin.y, p.y) };
        m_hullMax = Point { std::max(m_hullMax.x, p.x), std::max(m_hullMax.y, p.y) };
    }
}

bool RectMeetTest::Meets(const Rect& r) const
{
    if (m_angle == 0) {
        Rect common;
        return IntersectRect(common, m_bounds, r);
    }
    // The three tests are alternatives; the cheap ones go first. Every point
    // is an integer, so two segments can only cross or touch where their
    // boxes (edges included) overlap: the box tests skip no meeting.
    if (PtInRect(r, m_centre))
        return true;
    Point rc { static_cast<int>((static_cast<long long>(r.left) + r.right + 1) / 2),
        static_cast<int>((static_cast<long long>(r.top) + r.bottom + 1) / 2) };
    if (PtInRect(m_bounds, RotateWith(rc.x, rc.y, m_centre.x, m_centre.y, m_cos, m_sin, false)))
        return true;
    auto boxesTouch = [](Point a1, Point a2, Point b1, Point b2) {
        return std::min(a1.x, a2.x) <= std::max(b1.x, b2.x) && std::min(b1.x, b2.x) <= std::max(a1.x, a2.x)
            && std::min(a1.y, a2.y) <= std::max(b1.y, b2.y) && std::min(b1.y, b2.y) <= std::max(a1.y, a2.y);
    };
    const Point e[4] = { { r.left, r.top }, { r.right, r.top }, { r.right, r.bottom }, { r.left, r.bottom } };
    if (!boxesTouch(m_hullMin, m_hullMax, e[0], e[2]))
        return false;
    for (int i = 0; i < 4; ++i) {
        const Point& a = m_corners[i];
        const Point& b = m_corners[(i + 1) % 4];
        for (int j = 0; j < 4; ++j) {
            const Point& c = e[j];
            const Point& d = e[(j + 1) % 4];
            if (boxesTouch(a, b, c, d) && SegmentsMeet(a, b, c, d))
                return true;
        }
    }
    return false;
}

} // namespace engine
