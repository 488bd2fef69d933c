#include "engine/controls/widgets/ImageNumber.h"

#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/TimedAction.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace engine {

namespace {

struct CountBlock {
    int32_t target;
    int32_t step; // 1 or more
};
static_assert(sizeof(CountBlock) <= TimedAction::kParamBytes && std::is_trivially_copyable_v<CountBlock>);

int CountStep(EngineObject* target, void* params, GameCore*, uint32_t)
{
    auto* number = static_cast<ImageNumber*>(target);
    CountBlock block;
    std::memcpy(&block, params, sizeof block);
    const int64_t value = number->GetValue();
    const int64_t distance = std::llabs(static_cast<int64_t>(block.target) - value);
    if (distance <= block.step) {
        number->SetValue(block.target);
        return 1;
    }
    number->AddValue(value < block.target ? block.step : -block.step);
    return 0;
}

} // namespace

void ImageNumber::CreateDigits(std::string_view pictureName, uint32_t flags)
{
    PictureDesc first;
    LookupPicture(&first, pictureName, 0);
    Create(2 * first.width, first.height, flags);
    for (int i = 0; i <= 9; ++i) {
        PictureDesc digit;
        LookupPicture(&digit, pictureName, i);
        AddGlyph(std::to_string(i), digit);
    }
}

void ImageNumber::SetValue(int value)
{
    m_value = value;
    Refresh();
}

void ImageNumber::SetSuffix(std::string_view text)
{
    m_suffix = text;
    SetFontFlags(GetFontFlags() | kFontSuffix);
}

void ImageNumber::ClearSuffix()
{
    SetFontFlags(GetFontFlags() & ~kFontSuffix);
    Refresh();
}

void ImageNumber::AddValue(int delta)
{
    m_value = static_cast<int>(static_cast<uint32_t>(m_value) + static_cast<uint32_t>(delta));
    Refresh();
}

void ImageNumber::Refresh()
{
    std::string text = std::to_string(m_value);
    if (GetFontFlags() & kFontSuffix)
        text += m_suffix;
    SetText(text);
}

uint64_t ImageNumber::CountTo(int target, int step, uint32_t interval, const EngineEvent* endEvent)
{
    ObjectModule* objects = GetObjectModule();
    TimedAction* action = objects ? objects->NewAction() : nullptr;
    if (!action)
        return 0;
    action->target = this;
    action->targetId = GetId();
    if (endEvent)
        action->finishEvent = *endEvent;
    action->step = CountStep;
    action->interval = interval != 0 ? interval : GetMinActionInterval();
    CountBlock block { target, step == 0 ? 1 : (step == INT_MIN ? INT_MAX : std::abs(step)) };
    std::memcpy(action->params, &block, sizeof block);
    const uint64_t id = action->id;
    GetCore()->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_ADD_ACTION, ToWord(action), 0);
    return id;
}

void ImageNumber::StopCounting()
{
    CancelActionsOf(GetId());
}

} // namespace engine
