#include "frame/ui/PictureStrip.h"

#include "engine/objects/CanvasObject.h"

namespace frame {

void DrawPictureCell(engine::CanvasObject* canvas, engine::PictureDesc picture, int sx, int sy, int w, int h,
    int dx, int dy, int dw, int dh)
{
    if (!canvas || !picture.record || w <= 0 || h <= 0 || dw <= 0 || dh <= 0)
        return;
    picture.sourceX += sx;
    picture.sourceY += sy;
    picture.width = w;
    picture.height = h;
    canvas->BlitPicture(picture, dx, dy, dw, dh, 0.0, 1.0);
}

void DrawWideStrip(engine::CanvasObject* canvas, const engine::PictureDesc& picture, int x, int y, int width,
    int height)
{
    const int pw = picture.width;
    const int ph = picture.height;
    const int half = pw / 2;
    DrawPictureCell(canvas, picture, 0, 0, half, ph, x, y, half, height);
    DrawPictureCell(canvas, picture, half - 1, 0, 2, ph, x + half, y, width - 2 * half, height);
    DrawPictureCell(canvas, picture, pw - half, 0, half, ph, x + width - half, y, half, height);
}

void DrawNarrowStrip(engine::CanvasObject* canvas, const engine::PictureDesc& picture, int x, int y, int width,
    int height)
{
    const int pw = picture.width;
    const int ph = picture.height;
    const int left = (width + 1) / 2;
    const int right = width - left;
    DrawPictureCell(canvas, picture, 0, 0, left, ph, x, y, left, height);
    DrawPictureCell(canvas, picture, pw - right, 0, right, ph, x + left, y, right, height);
}

} // namespace frame
