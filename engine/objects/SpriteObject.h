#pragma once
// An engine object that shows a picture of the paint module's cache (a
// button face, a card, an animation) through the handle it embeds. The
// sprite only borrows the picture record: the cache owns it.

#include "engine/core/EngineObject.h"
#include "engine/core/PictureRef.h"
#include "engine/objects/ObjectKinds.h"

#include <cstdint>

namespace engine {

class SpriteObject : public EngineObject {
public:
    SpriteObject() = default;
    ~SpriteObject() override = default;

    int GetKind() const override { return OBJKIND_SPRITE; }
    PictureRef* GetPicture() override { return &m_picture; }

    // Shows the descriptor; with fitSize the object takes its size.
    virtual void SetPicture(const PictureDesc& desc, bool fitSize);
    virtual void SetMatteColour(uint32_t colour);

    // Frames (see PictureRef).
    int GetFrameCount() const { return m_picture.GetFrameCount(); }
    int GetFrame() const { return m_picture.GetFrame(); }
    uint32_t GetTotalDuration() const { return m_picture.GetTotalDuration(); }
    uint32_t GetFrameDelay(uint16_t frame) const { return m_picture.GetFrameDelay(frame); }
    uint32_t SetFrame(uint16_t frame) { return m_picture.SetFrame(frame); }
    int SetFrameByTime(uint32_t ms, int start) { return m_picture.SetFrameByTime(ms, start); }
    uint32_t NextFrame() { return m_picture.NextFrame(); }
    // Sum of the delays of frames from, from + 1, ... up to but not
    // including to; when from > to the sum wraps past the last frame.
    uint32_t SumFrameDelays(int from, int to) const;

protected:
    PictureRef m_picture;
};

} // namespace engine
