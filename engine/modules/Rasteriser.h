#pragma once
// DrawPicture: the engine's one way of putting picture pixels onto a 32-bit
// surface. It cuts the source rectangle to the picture, scales it to the
// request's size when they differ, and hands it to the blitter that the
// picture's pixel format, the angle and the request's flags choose.
// User-interface thread only; the only allocation is a scaled copy, freed
// before it returns.

#include "engine/core/ObjectGeometry.h"
#include "engine/core/PictureData.h"
#include "engine/modules/DrawSurface.h"

namespace engine {

// Source x and y address the whole frame strip (frame f of an animation
// starts at row f x frame height); the source size is in source pixels. The
// request's radius is filled in when a rotated draw needs it. The matte
// kNoMatte means none.
void DrawPicture(const DrawSurface& surface, DrawRequest& request, const PictureData& picture, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, double opacity, uint32_t matte);

// The destination box: unrotated, the request's size centred on its centre
// (the left and top half rounded up); rotated, the square of side 2 x radius
// around the centre (the radius computed and stored when not yet set).
Rect RequestBounds(DrawRequest& request);

// The clip box of flag 0x2: the request's clip rectangle moved by (object -
// centre), cut to the surface. Empty when they do not meet.
Rect ClipToRequestRect(const DrawSurface& surface, const DrawRequest& request);

} // namespace engine
