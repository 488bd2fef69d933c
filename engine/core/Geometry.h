#pragma once
// Pure functions over ObjectGeometry: integer bounds, the moved test, whether
// a possibly rotated object meets a rectangle, and the vector helpers behind
// it. Angles are degrees, counterclockwise on screen, converted with
// pi = 3.14159; rotations work with the y axis pointing up.

#include "engine/core/ObjectGeometry.h"

namespace engine {

inline constexpr double kPi = 3.14159;

// Cuts toward zero, clamping to the int range (NaN gives 0).
int TruncToInt(double v);
// Half away from zero: v > 0 gives trunc(v + 0.5), otherwise trunc(v - 0.5).
int RoundAway(double v);

// The object's integer bounds. Unrotated: its rectangle; rotated: the square
// around the centre that holds it at every angle.
Rect GeometryBounds(const ObjectGeometry& g);

// GeometryBounds, cut to the hit rectangle when that is active (flag 0x2):
// the area an object draws into.
Rect ObjectBounds(const ObjectGeometry& g);

// x, y, width, height and angle all exactly equal.
bool GeometryEqual(const ObjectGeometry& a, const ObjectGeometry& b);

// Whether the object meets the rectangle. May report a meeting for a
// rectangle that only comes near a rotated object's corners, never the
// reverse.
bool ObjectMeetsRect(const Rect& r, const ObjectGeometry& g);

// ObjectMeetsRect prepared once for one object and asked for many
// rectangles (the render pass): the bounds and the turned corners are
// computed a single time.
class RectMeetTest {
public:
    explicit RectMeetTest(const ObjectGeometry& g);
    RectMeetTest(const ObjectGeometry& g, const Rect& bounds);
    bool Meets(const Rect& r) const;
    const Rect& Bounds() const { return m_bounds; }

private:
    Rect m_bounds;
    double m_angle;
    double m_cos = 1;
    double m_sin = 0;
    Point m_centre;
    Point m_corners[4];
    Point m_hullMin; // box around the turned corners
    Point m_hullMax;
};

// (B - A) x (C - A): (cy - ay)(bx - ax) - (by - ay)(cx - ax).
double CrossProduct(double ax, double ay, double bx, double by, double cx, double cy);
// (B - A) . (C - A).
double DotProduct(double ax, double ay, double bx, double by, double cx, double cy);

// Turns the point about the centre by the angle (forward) or back by it.
Point RotatePoint(int x, int y, int cx, int cy, double angle, bool forward);

} // namespace engine
