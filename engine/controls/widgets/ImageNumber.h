#pragma once
// An integer drawn with the digit pictures "0" to "9" of one picture, with
// an optional suffix, and a counting animation that rolls the shown value
// toward a target on the object module's clock.

#include "engine/controls/widgets/ImageFont.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class ImageNumber : public ImageFont {
public:
    ImageNumber() = default;
    ~ImageNumber() override = default;

    // Cells twice a digit frame wide (a digit takes half a cell) and one
    // frame high; frames 0 to 9 are the digits.
    virtual void CreateDigits(std::string_view pictureName, uint32_t flags);
    virtual int GetValue() const { return m_value; }
    virtual void SetValue(int value);
    // Shown from the next redraw on.
    virtual void SetSuffix(std::string_view text);
    virtual void ClearSuffix();
    // Wraps around like the 32-bit value it is.
    virtual void AddValue(int delta);
    virtual void Refresh();
    // Steps the value toward target by step (0 counts by 1, a negative step
    // by its size) every interval ms (0: the engine's minimum), lands on the
    // target exactly and then sends endEvent (may be null). The action's
    // id, or 0 when none could be made.
    virtual uint64_t CountTo(int target, int step, uint32_t interval, const EngineEvent* endEvent);
    virtual void StopCounting();

    const std::string& GetSuffix() const { return m_suffix; }

private:
    int m_value = 0;
    std::string m_suffix;
};

} // namespace engine
