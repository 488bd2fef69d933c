#pragma once
// The geometry block of an engine object and the integer rectangles and
// points of the scene.

#include <cstdint>

namespace engine {

// Left and top inclusive, right and bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int x = 0;
    int y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

bool IsRectEmpty(const Rect& r);
// The common part of two rectangles; false (and out empty) when they do not
// overlap.
bool IntersectRect(Rect& out, const Rect& a, const Rect& b);
bool PtInRect(const Rect& r, Point p);

// ObjectFlags bits.
namespace ObjectFlags {
inline constexpr uint32_t kInputEnabled = 0x1;
inline constexpr uint32_t kHitRectActive = 0x2;
inline constexpr uint32_t kPixelHitTest = 0x4;
inline constexpr uint32_t kDrawOnOpaqueOnly = 0x8;
inline constexpr uint32_t kPreciseRotation = 0x20;
inline constexpr uint32_t kTopmost = 0x40;
inline constexpr uint32_t kClickThrough = 0x80;
inline constexpr uint32_t kFocusable = 0x100;
inline constexpr uint32_t kHasFocus = 0x200;
inline constexpr uint32_t kHitRectFollows = 0x400;
inline constexpr uint32_t kDrawInverted = 0x800;
inline constexpr uint32_t kHiddenByVisible = 0x1000;
inline constexpr uint32_t kBilinear = 0x4000;
inline constexpr uint32_t kClipCursorOnDrag = 0x8000;
} // namespace ObjectFlags

struct ObjectGeometry {
    double x = -100000.0; // centre, scene coordinates
    double y = -100000.0;
    double z = 0.0;       // depth within the layer, larger in front
    double angle = 0.0;   // degrees, counterclockwise on screen
    double opacity = 1.0; // 0..1
    double width = 0.0;
    double height = 0.0;
    uint32_t flags = 0; // ObjectFlags
    uint32_t layer = 0; // larger in front
    int shown = 0;
    Rect hitRect;
    int reserved = 0;
};

} // namespace engine
