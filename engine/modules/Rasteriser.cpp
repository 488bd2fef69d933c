#include "engine/modules/Rasteriser.h"

#include "engine/core/EngineDailyLog.h"
#include "engine/modules/Blitters.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace engine {

namespace {

int TruncAngle(double angle)
{
    // Only the test against 0 matters; huge angles are simply "rotated".
    if (!(angle > -2.0 && angle < 2.0))
        return 2;
    return static_cast<int>(angle);
}

// Requests come from object geometry that may hold any value: the box is
// computed wide and held in the int range.
int ClampToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

Rect UnrotatedBox(const DrawRequest& request)
{
    long long left = request.centreX - (static_cast<long long>(request.width) + 1) / 2;
    long long top = request.centreY - (static_cast<long long>(request.height) + 1) / 2;
    return Rect { ClampToInt(left), ClampToInt(top), ClampToInt(left + request.width), ClampToInt(top + request.height) };
}

Rect Square(const DrawRequest& request)
{
    long long r = request.radius;
    return Rect { ClampToInt(request.centreX - r), ClampToInt(request.centreY - r), ClampToInt(request.centreX + r),
        ClampToInt(request.centreY + r) };
}

void EnsureRadius(DrawRequest& request)
{
    if (request.radius < 1)
        request.radius = RotationRadius(request.width, request.height);
}

} // namespace

Rect RequestBounds(DrawRequest& request)
{
    if (request.angle == 0.0)
        return UnrotatedBox(request);
    if (request.radius <= 0)
        request.radius = RotationRadius(request.width, request.height);
    return Square(request);
}

Rect ClipToRequestRect(const DrawSurface& surface, const DrawRequest& request)
{
    const long long dx = static_cast<long long>(request.objectX) - request.centreX;
    const long long dy = static_cast<long long>(request.objectY) - request.centreY;
    Rect moved { ClampToInt(request.clip.left + dx), ClampToInt(request.clip.top + dy), ClampToInt(request.clip.right + dx),
        ClampToInt(request.clip.bottom + dy) };
    Rect out;
    IntersectRect(out, moved, Rect { 0, 0, surface.width, surface.height });
    return out;
}

void DrawPicture(const DrawSurface& surface, DrawRequest& request, const PictureData& picture, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, double opacity, uint32_t matte)
{
    if (!surface.pixels || surface.width <= 0 || surface.height <= 0)
        return;
    const bool indexed = picture.flags & (kPicturePalette32 | kPicturePalette);
    const bool alphaPlane = picture.flags & kPictureAlpha;
    const int pixelBytes = indexed ? (alphaPlane ? 2 : 1) : 4;
    const int frameWidth = picture.frameWidth;

    // The frame strip, as tall as the frames together (in 32 bits: a tall
    // animation must not wrap), and never taller than the pixel block holds.
    long long strip = picture.frameCount > 1 ? static_cast<long long>(picture.frameHeight) * picture.frameCount
                                             : picture.frameHeight;
    if (frameWidth > 0)
        strip = std::min<long long>(strip, static_cast<long long>(picture.pixels.size() / (static_cast<size_t>(frameWidth) * pixelBytes)));
    else
        strip = 0;

    // Cut the source rectangle to the picture; keep the size asked for to
    // decide on scaling.
    const int askedWidth = sourceWidth;
    const int askedHeight = sourceHeight;
    if (sourceX < 0 || sourceY < 0)
        return;
    if (strip - sourceY < sourceHeight)
        sourceHeight = static_cast<int>(strip - sourceY);
    if (frameWidth - sourceX < sourceWidth)
        sourceWidth = frameWidth - sourceX;
    if (sourceWidth < 0 || sourceHeight < 0)
        return;

    BlitParams p;
    p.dest = surface.pixels;
    p.destWidth = surface.width;
    p.destHeight = surface.height;
    p.source = picture.pixels.data();
    p.sourceX = sourceX;
    p.sourceY = sourceY;
    p.rowLength = frameWidth;
    p.rowCount = static_cast<int>(strip);
    p.sourceWidth = sourceWidth;
    p.sourceHeight = sourceHeight;
    p.colourKey = picture.colourKey;
    p.palette = picture.palette.data();
    p.paletteCount = static_cast<int>(std::min<size_t>(picture.paletteCount, picture.palette.size() / 3));
    p.sourceAlpha = alphaPlane;
    p.angle = request.angle;
    p.opacity = opacity;
    p.matte = matte;

    if (indexed && picture.palette.empty()) {
        EngineDailyLog("256color pic without rgbquad!");
        return;
    }

    // Pictures with an alpha plane count only 0.0 as unrotated; the others
    // any angle strictly between -1 and 1 degree.
    const bool rotated = alphaPlane ? request.angle != 0.0 : TruncAngle(request.angle) != 0;
    // An unrotated draw sits in the request's box, centred; a rotated one
    // walks the square around the centre.
    const Rect box = UnrotatedBox(request);
    if (request.angle != 0.0)
        EnsureRadius(request);

    // Scale to the request's size when it differs from the size asked for.
    std::vector<uint8_t> scaled;
    if (request.width != askedWidth || request.height != askedHeight) {
        if (indexed)
            scaled = ScaleIndexedNearest(p.source, p.rowLength, p.rowCount, sourceX, sourceY, sourceWidth, sourceHeight,
                request.width, request.height, picture.flags);
        else if (request.flags & DrawFlags::kBilinear)
            scaled = ScaleBgraBilinear(p.source, p.rowLength, p.rowCount, sourceX, sourceY, sourceWidth, sourceHeight,
                request.width, request.height);
        else
            scaled = ScaleBgraNearest(p.source, p.rowLength, p.rowCount, sourceX, sourceY, sourceWidth, sourceHeight,
                request.width, request.height);
        if (scaled.empty())
            return;
        p.source = scaled.data();
        p.sourceX = 0;
        p.sourceY = 0;
        p.rowLength = p.sourceWidth = request.width;
        p.rowCount = p.sourceHeight = request.height;
    }

    if (request.flags & DrawFlags::kClip) {
        p.clip = ClipToRequestRect(surface, request);
        if (IsRectEmpty(p.clip))
            return;
    } else {
        p.clip = Rect { 0, 0, surface.width, surface.height };
    }

    const bool precise = request.flags & DrawFlags::kPrecise;
    const bool masked = request.flags & DrawFlags::kMask;

    if ((request.flags & DrawFlags::kInvert) && (picture.flags & kPictureColourKey)) {
        if (request.angle == 0.0)
            EnsureRadius(request);
        const Rect square = Square(request);
        p.destLeft = square.left;
        p.destTop = square.top;
        if (indexed)
            InvertUnderIndexed(p);
        else
            InvertUnderBgra(p);
        return;
    }

    if (!rotated) {
        p.destLeft = box.left;
        p.destTop = box.top;
    } else {
        const Rect square = Square(request);
        p.destLeft = square.left;
        p.destTop = square.top;
    }

    if (indexed) {
        if (alphaPlane) {
            if (!rotated)
                (masked ? BlitIndexedAlphaMasked : BlitIndexedAlpha)(p);
            else
                (precise ? RotatePreciseIndexedAlpha : RotateIndexedAlpha)(p);
        } else {
            if (!rotated)
                BlitIndexed(p);
            else
                (precise ? RotatePreciseIndexed : RotateIndexed)(p);
        }
        return;
    }
    if (alphaPlane) {
        if (!rotated)
            (masked ? BlitBgraMasked : BlitBgra)(p);
        else
            (precise ? RotatePreciseBgra : RotateBgra)(p);
        return;
    }
    if (!rotated) {
        if ((picture.flags & kPictureColourKey) || opacity < 1.0)
            BlitBgraKeyed(p);
        else
            CopyBgraRows(p);
    } else {
        (precise ? RotatePreciseBgra : RotateBgraOpaque)(p);
    }
}

} // namespace engine
