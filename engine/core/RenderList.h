#pragma once
// What the object module hands to the paint module each render pass: the
// rectangles to redraw (window coordinates) and, back to front, the objects
// to draw in them.

#include "engine/core/ObjectGeometry.h"

#include <memory>
#include <vector>

namespace engine {

class MemoryPool;
class PictureRef;

// One object to draw, taken from the object module's draw-item pool.
struct DrawItem {
    ObjectGeometry geometry; // x and y in window coordinates; hit rectangle in scene coordinates
    PictureRef* picture = nullptr; // not owned: the object's picture, valid during the pass
    DrawItem* next = nullptr;
};

// Owned by the paint module once sent: it returns every item to `itemPool`
// and deletes the record (FreeRenderList does both).
struct RenderList {
    int viewCentreX = 0;
    int viewCentreY = 0;
    MemoryPool* itemPool = nullptr; // not owned
    std::vector<Rect> rects;
    DrawItem* first = nullptr;
};

void FreeRenderList(std::unique_ptr<RenderList> list);

} // namespace engine
