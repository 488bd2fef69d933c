#include "engine/objects/SpriteObject.h"

namespace engine {

void SpriteObject::SetPicture(const PictureDesc& desc, bool fitSize)
{
    m_picture.SetDesc(desc);
    if (fitSize)
        ScaleTo(desc.width, desc.height);
    Invalidate();
}

void SpriteObject::SetMatteColour(uint32_t colour)
{
    m_picture.SetMatteColour(colour);
}

uint32_t SpriteObject::SumFrameDelays(int from, int to) const
{
    const int count = m_picture.GetFrameCount();
    if (from > to)
        to += count;
    uint32_t sum = 0;
    for (int i = from; i < to; ++i)
        sum += m_picture.GetFrameDelay(i);
    return sum;
}

} // namespace engine
