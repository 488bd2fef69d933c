#pragma once
// The abstract picture interface that hit tests and animations query.

namespace engine {

class PictureHandle {
public:
    virtual ~PictureHandle() = default;
    virtual bool IsNull() const = 0;
    virtual bool HitTestPixel(int x, int y) const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual bool IsValid() const { return true; }
};

} // namespace engine
