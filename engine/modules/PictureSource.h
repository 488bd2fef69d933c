#pragma once
// What the paint module asks of the picture cache while it draws: repair a
// handle whose record was filed again since the handle was made.

#include "engine/core/PictureRef.h"

namespace engine {

class PictureSource {
public:
    virtual ~PictureSource() = default;
    // Makes a stale handle draw again when the picture can be had; 1 when
    // the picture had to be decoded again, 0 when nothing can be drawn now.
    virtual int RevalidatePicture(PictureRef& picture) = 0;
};

} // namespace engine
