#include "engine/core/Geometry.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

ObjectGeometry Geo(double x, double y, double w, double h, double angle = 0)
{
    ObjectGeometry g;
    g.x = x;
    g.y = y;
    g.width = w;
    g.height = h;
    g.angle = angle;
    return g;
}

} // namespace

TEST(Geometry, BoundsUnrotatedAndRotated)
{
    struct Case {
        ObjectGeometry g;
        Rect expected;
    };
    const Case cases[] = {
        { Geo(100, 50, 21, 10), { 89, 45, 110, 55 } },
        { Geo(100.7, 50.2, 21.9, 10.5), { 89, 45, 110, 55 } },
        { Geo(-10, -10, 4, 4), { -12, -12, -8, -8 } },
        // Rotated: the square that holds the object at every angle.
        { Geo(100, 100, 60, 80, 30), { 50, 50, 150, 150 } },
        { Geo(100, 100, 0, 80, 30), { 100, 100, 100, 100 } },
        { Geo(100, 100, 60, 0, 45), { 100, 100, 100, 100 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.g.x << "," << c.g.y << " " << c.g.width << "x" << c.g.height << " @"
                                          << c.g.angle);
        EXPECT_EQ(GeometryBounds(c.g), c.expected);
    }
}

TEST(Geometry, EqualComparesOnlyPlaceSizeAndAngle)
{
    ObjectGeometry a = Geo(1, 2, 3, 4, 5);
    ObjectGeometry b = a;
    b.z = 99;
    b.opacity = 0.5;
    b.flags = 0x80;
    b.layer = 7;
    b.shown = 1;
    b.hitRect = { 1, 2, 3, 4 };
    EXPECT_TRUE(GeometryEqual(a, b));
    for (double ObjectGeometry::*field : { &ObjectGeometry::x, &ObjectGeometry::y, &ObjectGeometry::width,
             &ObjectGeometry::height, &ObjectGeometry::angle }) {
        ObjectGeometry c = a;
        c.*field += 0.001;
        EXPECT_FALSE(GeometryEqual(a, c));
    }
}

TEST(Geometry, RotatePointRoundsHalfAwayFromZero)
{
    struct Case {
        int x, y, cx, cy;
        double angle;
        bool forward;
        Point expected;
    };
    const Case cases[] = {
        { 10, 0, 0, 0, 90, true, { 0, -10 } }, // upward on screen
        { 10, 0, 0, 0, 90, false, { 0, 10 } },
        { 10, 0, 0, 0, 0, true, { 10, 0 } },
        { 7, 3, 7, 3, 123, true, { 7, 3 } },     // the centre stays
        { 20, 10, 10, 10, 180, true, { 0, 10 } }, // about a centre
        { 10, 0, 0, 0, 45, true, { 7, -7 } },     // 7.071 each way
        { 10, 0, 0, 0, -45, true, { 7, 7 } },
        // pi is 3.14159, so 90 degrees leaves a trace of cosine: 1e6 x 1.3e-6 = 1.3 → 1.
        { 1000000, 0, 0, 0, 90, true, { 1, -1000000 } },
        // 3 at 30 degrees: x' = 2.598 → 3, y' = 1.5 (just above: pi < 3.14159265) → 1 or 2 by the sign rule
        { 3, 0, 0, 0, 30, true, { 3, -1 } },
        { -3, 0, 0, 0, 30, true, { -3, 1 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " @" << c.angle << (c.forward ? " fwd" : " back"));
        EXPECT_EQ(RotatePoint(c.x, c.y, c.cx, c.cy, c.angle, c.forward), c.expected);
    }
    EXPECT_EQ(RoundAway(2.5), 3);
    EXPECT_EQ(RoundAway(-2.5), -3);
    EXPECT_EQ(RoundAway(0.49), 0);
    EXPECT_EQ(RoundAway(-0.5), -1);
    EXPECT_EQ(RoundAway(0.0), 0);
}

TEST(Geometry, CrossAndDotProducts)
{
    EXPECT_DOUBLE_EQ(CrossProduct(0, 0, 1, 0, 0, 1), 1);
    EXPECT_DOUBLE_EQ(CrossProduct(0, 0, 0, 1, 1, 0), -1);
    EXPECT_DOUBLE_EQ(CrossProduct(0, 0, 2, 2, 4, 4), 0);
    EXPECT_DOUBLE_EQ(DotProduct(0, 0, 3, 0, 2, 5), 6);
    EXPECT_DOUBLE_EQ(DotProduct(1, 1, 0, 1, 2, 1), -1);
}

TEST(Geometry, ObjectMeetsRectTable)
{
    struct Case {
        const char* what;
        Rect r;
        ObjectGeometry g;
        bool meets;
    };
    // A 60 x 20 bar at (100, 100) turned 45 degrees. Its bounds are the square
    // 68..131 around the centre, which the test turns into a diamond with the
    // corners (55, 100), (99, 55), (144, 100) and (99, 145): the test is
    // generous near a turned object, never strict.
    ObjectGeometry bar = Geo(100, 100, 60, 20, 45);
    const Case cases[] = {
        { "unrotated overlap", { 105, 95, 200, 200 }, Geo(100, 100, 20, 20), true },
        { "unrotated apart", { 111, 0, 200, 200 }, Geo(100, 100, 20, 20), false },
        { "unrotated edge to edge is no overlap", { 110, 90, 120, 110 }, Geo(100, 100, 20, 20), false },
        { "unrotated one pixel in", { 109, 90, 120, 110 }, Geo(100, 100, 20, 20), true },
        { "rectangle holds the object (centre inside)", { 0, 0, 300, 300 }, bar, true },
        { "rectangle inside the diamond, centre outside it", { 110, 95, 115, 100 }, bar, true },
        { "edges cross", { 100, 40, 102, 160 }, bar, true },
        { "edge touches the right corner", { 144, 90, 150, 110 }, bar, true },
        { "one pixel right of the corner", { 145, 90, 150, 110 }, bar, false },
        { "in the bounds square, outside the diamond", { 68, 68, 75, 75 }, bar, false },
        { "near the far corner of the bounds", { 128, 128, 140, 140 }, bar, false },
        { "outside the bounds altogether", { 200, 200, 220, 220 }, bar, false },
        { "zero size, rectangle on the centre", { 99, 99, 101, 101 }, Geo(100, 100, 0, 0, 30), true },
        { "zero size, rectangle elsewhere", { 0, 0, 10, 10 }, Geo(100, 100, 0, 0, 30), false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ObjectMeetsRect(c.r, c.g), c.meets) << c.what;
}

TEST(Geometry, RectHelpers)
{
    Rect out;
    EXPECT_TRUE(IntersectRect(out, { 0, 0, 10, 10 }, { 5, 5, 20, 20 }));
    EXPECT_EQ(out, (Rect { 5, 5, 10, 10 }));
    EXPECT_FALSE(IntersectRect(out, { 0, 0, 10, 10 }, { 10, 0, 20, 10 }));
    EXPECT_EQ(out, Rect {});
    EXPECT_TRUE(PtInRect({ 0, 0, 10, 10 }, { 0, 0 }));
    EXPECT_FALSE(PtInRect({ 0, 0, 10, 10 }, { 10, 5 }));
    EXPECT_FALSE(PtInRect({ 0, 0, 10, 10 }, { 5, 10 }));
    EXPECT_EQ(TruncToInt(1e300), INT_MAX);
    EXPECT_EQ(TruncToInt(-1e300), INT_MIN);
    EXPECT_EQ(TruncToInt(-2.9), -2);
}
