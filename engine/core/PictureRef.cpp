#include "engine/core/PictureRef.h"

namespace engine {

bool PictureRef::HitTestPixel(int x, int y) const
{
    if (x < 0 || x >= m_desc.width || y < 0 || y >= m_desc.height)
        return false;
    const PictureData* record = m_desc.record;
    if (!record)
        return false;
    auto offset = PicturePixelOffset(*record, m_desc.frame, m_desc.sourceX + x, m_desc.sourceY + y);
    if (!offset)
        return false;
    const uint8_t* p = record->pixels.data() + *offset;
    if (!(record->flags & kPicturePalette))
        return p[3] != 0;
    if (p[0] == record->colourKey)
        return false;
    return !(record->flags & kPictureAlpha) || p[1] != 0;
}

bool PictureRef::IsValid() const
{
    return m_desc.record && m_desc.serial == m_desc.record->serial;
}

void PictureRef::MarkChanged()
{
    if (m_desc.record)
        m_desc.record->flags |= kPictureChanged;
}

void PictureRef::ClearChanged()
{
    if (m_desc.record)
        m_desc.record->flags &= ~kPictureChanged;
}

uint32_t PictureRef::GetColourKey() const
{
    return m_desc.record ? m_desc.record->colourKey : kNoColourKey;
}

bool PictureRef::HasDelays() const
{
    const PictureData* record = m_desc.record;
    return record && (record->flags & kPictureDelays) && record->frameCount > 0
        && record->frameDelays.size() >= record->frameCount;
}

uint32_t PictureRef::GetFrameDelay(int frame) const
{
    if (!HasDelays())
        return 0;
    int count = m_desc.record->frameCount;
    int index = ((frame % count) + count) % count;
    return m_desc.record->frameDelays[static_cast<size_t>(index)];
}

uint32_t PictureRef::GetTotalDuration() const
{
    if (!HasDelays())
        return 0;
    uint32_t total = 0;
    for (size_t i = 0; i < m_desc.record->frameCount; ++i)
        total += m_desc.record->frameDelays[i];
    return total;
}

int PictureRef::GetCapWidth() const
{
    return m_desc.record ? m_desc.record->capWidth : 0;
}

int PictureRef::GetCapHeight() const
{
    return m_desc.record ? m_desc.record->capHeight : 0;
}

uint32_t PictureRef::GetPixel(int x, int y) const
{
    const PictureData* record = m_desc.record;
    if (!record)
        return 0;
    auto offset = PicturePixelOffset(*record, m_desc.frame, x, y);
    if (!offset)
        return 0;
    const uint8_t* p = record->pixels.data() + *offset;
    if (!(record->flags & kPicturePalette))
        return p[2] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[0]) << 16;
    size_t entry = static_cast<size_t>(p[0]) * 3;
    if (p[0] >= record->paletteCount || entry + 3 > record->palette.size())
        return 0;
    const uint8_t* rgb = record->palette.data() + entry;
    return rgb[0] | static_cast<uint32_t>(rgb[1]) << 8 | static_cast<uint32_t>(rgb[2]) << 16;
}

int PictureRef::GetAlpha(int x, int y) const
{
    const PictureData* record = m_desc.record;
    if (!record)
        return 0;
    auto offset = PicturePixelOffset(*record, m_desc.frame, x, y);
    if (!offset)
        return 0;
    const uint8_t* p = record->pixels.data() + *offset;
    if (!(record->flags & kPicturePalette))
        return p[3];
    if (record->flags & kPictureAlpha)
        return p[1];
    return p[0] == record->colourKey ? 0 : 255;
}

int PictureRef::GetFrameCount() const
{
    return m_desc.record ? m_desc.record->frameCount : 0;
}

void PictureRef::SetSize(int width, int height)
{
    m_desc.width = width;
    m_desc.height = height;
}

uint32_t PictureRef::SetFrame(int i)
{
    PictureData* record = m_desc.record;
    if (!record || record->frameCount < 2)
        return 0;
    int count = record->frameCount;
    int frame = ((i % count) + count) % count;
    if (frame != m_desc.frame)
        record->flags |= kPictureChanged;
    m_desc.frame = frame;
    return GetFrameDelay(frame);
}

uint32_t PictureRef::NextFrame()
{
    PictureData* record = m_desc.record;
    if (!record || record->frameCount < 2)
        return 0;
    m_desc.frame = (m_desc.frame + 1) % record->frameCount;
    return GetFrameDelay(m_desc.frame);
}

int PictureRef::SetFrameByTime(uint32_t ms, int start)
{
    PictureData* record = m_desc.record;
    if (!record || record->frameCount == 1 || !HasDelays())
        return start;
    uint32_t total = GetTotalDuration();
    if (total != 0)
        ms %= total;
    int count = record->frameCount;
    uint64_t sum = 0;
    for (int j = 0; j < count; ++j) {
        int index = (((start + j) % count) + count) % count;
        sum += record->frameDelays[static_cast<size_t>(index)];
        if (ms < sum) {
            if (index == m_desc.frame)
                return start;
            return static_cast<int>(SetFrame(index));
        }
    }
    return start;
}

} // namespace engine
