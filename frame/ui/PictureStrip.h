#pragma once
// Stretching a bar's picture across a wider space without stretching its
// ends: the left and right halves keep their width and a two-pixel column
// from the middle fills the space between them. The side pane's chat box,
// input bar and combo inputs draw their frames this way.

#include "engine/core/PictureData.h"

namespace engine {
class CanvasObject;
}

namespace frame {

// The picture's cell (sx, sy, w, h) stretched over (dx, dy, dw, dh); nothing
// for an empty cell or place.
void DrawPictureCell(engine::CanvasObject* canvas, engine::PictureDesc picture, int sx, int sy, int w, int h,
    int dx, int dy, int dw, int dh);

// The picture over (x, y, width, height) in three parts: the halves at their
// own width, the middle column stretched. For a width above the picture's.
void DrawWideStrip(engine::CanvasObject* canvas, const engine::PictureDesc& picture, int x, int y, int width,
    int height);

// A width at most the picture's: its first (width + 1) / 2 columns on the
// left and its last columns on the right, so both ends show.
void DrawNarrowStrip(engine::CanvasObject* canvas, const engine::PictureDesc& picture, int x, int y, int width,
    int height);

} // namespace frame
