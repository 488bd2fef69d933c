// The fourteen timed-action creators of GameObject and the step of each.
// Every parameter block is a plain record copied into the action; each is
// checked at compile time to fit the action's block.

#include "engine/objects/GameObject.h"

#include "engine/core/EngineRunLog.h"
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/TimedAction.h"
#include "engine/objects/DrawingObjectModule.h"
#include "engine/objects/SpriteObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace engine {

namespace {

struct PulseBlock {
    double step;
    double upper;
    double lower;
    int32_t cyclesLeft;
};

struct RotateBlock {
    double step;
    double target;
};

struct FadeBlock {
    double step;
    double target;
};

struct ShowBlock {
    uint8_t show;
};

struct MoveBlock {
    double speed;
    double acceleration;
    double limit;
    double targetX;
    double targetY;
};

struct DelayBlock {
    uint32_t duration;
};

struct WaitBlock {
    uint32_t created;
    uint32_t duration;
};

struct RepeatBlock {
    uint32_t interval;
    int32_t count;
    int32_t calls;
    EngineEvent event;
};

struct FramesBlock {
    uint32_t start;
    uint32_t mode;
    uint32_t value;
    uint32_t limit;
};

inline constexpr size_t kSoundNameBytes = 32;

struct SoundBlock {
    char name[kSoundNameBytes];
    int32_t loops;
    EngineEvent event;
};

struct ResizeBlock {
    int32_t width;
    int32_t height;
    int32_t targetWidth;
    int32_t targetHeight;
    int32_t widthStep;
    int32_t heightStep;
};

struct FlipBlock {
    int32_t step;
    int32_t endAngle;
    int32_t side;
    PictureDesc other;
    int32_t startWidth;
    int32_t angle;
};

struct CallBlock {
    LaterCall function;
    uint8_t data[kCallLaterDataBytes];
};

template <typename Block>
constexpr bool FitsAction = sizeof(Block) <= TimedAction::kParamBytes && alignof(Block) <= 8
    && std::is_trivially_copyable_v<Block>;
static_assert(FitsAction<PulseBlock> && FitsAction<RotateBlock> && FitsAction<FadeBlock> && FitsAction<ShowBlock>
    && FitsAction<MoveBlock> && FitsAction<DelayBlock> && FitsAction<WaitBlock> && FitsAction<RepeatBlock>
    && FitsAction<FramesBlock> && FitsAction<SoundBlock> && FitsAction<ResizeBlock> && FitsAction<FlipBlock>
    && FitsAction<CallBlock>);

template <typename Block>
Block& BlockOf(void* params)
{
    return *static_cast<Block*>(params);
}

uint32_t Raised(uint32_t interval)
{
    return std::max(interval, kMinActionInterval);
}

// The steps. Each returns nonzero when the action is finished.

int PulseStep(EngineObject* target, void* params, GameCore*, uint32_t)
{
    auto& b = BlockOf<PulseBlock>(params);
    double v = target->GetOpacity() + b.step;
    if (v > b.lower) {
        if (v > b.upper) {
            v = b.upper;
            if (b.step > 0) {
                b.step = -b.step;
                --b.cyclesLeft;
            }
        }
    } else {
        v = b.lower;
        if (b.step < 0)
            b.step = -b.step;
    }
    target->SetOpacity(v);
    target->Invalidate();
    return b.cyclesLeft == 0;
}

int RotateStepRun(EngineObject* target, void* params, GameCore*, uint32_t)
{
    auto& b = BlockOf<RotateBlock>(params);
    target->RotateBy(b.step);
    const int d = static_cast<int>(target->GetAngle() - b.target);
    const int s = static_cast<int>(b.step);
    if (std::abs(d) < std::abs(s)) {
        target->RotateTo(b.target);
        target->Invalidate();
        return 1;
    }
    target->Invalidate();
    return 0;
}

int FadeStep(EngineObject* target, void* params, GameCore*, uint32_t)
{
    auto& b = BlockOf<FadeBlock>(params);
    const double opacity = target->GetOpacity();
    if ((b.step < 0 && opacity <= b.target) || (b.step > 0 && opacity >= b.target)) {
        target->SetOpacity(b.target);
        target->Invalidate();
        return 1;
    }
    target->SetOpacity(std::clamp(opacity + b.step, 0.0, 1.0));
    target->Invalidate();
    return 0;
}

int ShowStep(EngineObject* target, void* params, GameCore*, uint32_t)
{
    if (BlockOf<ShowBlock>(params).show)
        target->Show();
    else
        target->Hide();
    target->Invalidate();
    return 1;
}

int MoveStep(EngineObject* target, void* params, GameCore*, uint32_t)
{
    auto& b = BlockOf<MoveBlock>(params);
    b.speed += b.acceleration;
    if (b.acceleration > 0 && b.speed > b.limit)
        b.speed = b.limit;
    const double cx = target->GetX();
    const double cy = target->GetY();
    const double tx = b.targetX;
    const double ty = b.targetY;
    double nx = cx;
    double ny = cy;
    if (cx == tx && cy == ty) {
        // Already there.
    } else if (cx == tx) {
        if (std::abs(static_cast<int>(cy - ty)) <= b.speed)
            ny = ty;
        else
            ny = cy + (ty > cy ? b.speed : -b.speed);
    } else if (cy == ty) {
        if (std::abs(static_cast<int>(cx - tx)) <= b.speed)
            nx = tx;
        else
            nx = cx + (tx > cx ? b.speed : -b.speed);
    } else {
        const int dist = static_cast<int>(std::sqrt((cx - tx) * (cx - tx) + (cy - ty) * (cy - ty)));
        if (dist > b.speed) {
            nx = cx + b.speed * (tx - cx) / dist;
            ny = cy + b.speed * (ty - cy) / dist;
        } else {
            nx = tx;
            ny = ty;
        }
    }
    target->MoveTo(nx, ny);
    target->Invalidate();
    return nx == tx && ny == ty;
}

int DelayStep(EngineObject*, void* params, GameCore*, uint32_t elapsed)
{
    return elapsed >= BlockOf<DelayBlock>(params).duration;
}

int WaitStep(EngineObject*, void* params, GameCore* core, uint32_t)
{
    const auto& b = BlockOf<WaitBlock>(params);
    return core && core->GetTime() - b.created > b.duration;
}

int RepeatStep(EngineObject* target, void* params, GameCore*, uint32_t elapsed)
{
    auto& b = BlockOf<RepeatBlock>(params);
    while (static_cast<uint32_t>(b.calls) < elapsed / b.interval && (b.calls < b.count || b.count <= 0)) {
        ++b.calls;
        target->OnEvent(b.event);
    }
    return b.count > 0 && b.calls >= b.count;
}

int FramesStep(EngineObject* target, void* params, GameCore*, uint32_t elapsed)
{
    auto* sprite = dynamic_cast<SpriteObject*>(target);
    if (!sprite || !sprite->GetPicture()->IsValid())
        return 1;
    auto& b = BlockOf<FramesBlock>(params);
    const int count = std::max(sprite->GetFrameCount(), 1);
    switch (b.mode) {
    case 0:
    case 1:
    case 2: {
        const int before = sprite->GetFrame();
        sprite->SetFrameByTime(elapsed, static_cast<int>(b.start));
        if (sprite->GetFrame() != before)
            sprite->Invalidate();
        if (b.limit == 0 || elapsed < b.limit)
            return 0;
        if (b.mode == 0) {
            sprite->SetFrame(static_cast<uint16_t>((b.start + count - 1) % count));
            sprite->Invalidate();
        } else if (b.mode == 2) {
            sprite->SetFrame(static_cast<uint16_t>(static_cast<uint16_t>(b.value) % count));
            sprite->Invalidate();
        }
        return 1;
    }
    case 3:
        sprite->SetFrame(static_cast<uint16_t>(b.value));
        sprite->Invalidate();
        return 1;
    case 4:
        sprite->NextFrame();
        sprite->GetPicture()->MarkChanged();
        sprite->Invalidate();
        --b.limit;
        return b.limit == 0;
    default:
        return 0;
    }
}

int SoundStep(EngineObject*, void* params, GameCore* core, uint32_t)
{
    auto& b = BlockOf<SoundBlock>(params);
    ModuleBase* music = core ? core->FindModule(MODULE_MUSIC) : nullptr;
    auto* objects = core ? dynamic_cast<DrawingObjectModule*>(core->FindModule(MODULE_OBJECT)) : nullptr;
    if (!music || !objects || !objects->GetSoundCalls().playSound) {
        LogPrintf("PlaySoundLater: MusicModule is not loaded");
        return 1;
    }
    objects->GetSoundCalls().playSound(*music, b.name, b.loops, b.event.code ? &b.event : nullptr);
    return 1;
}

int RemoveStep(EngineObject* target, void*, GameCore* core, uint32_t)
{
    if (core)
        core->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_REMOVE, static_cast<MessageWord>(target->GetId()), 0);
    return 1;
}

int ResizeStep(EngineObject* target, void* params, GameCore*, uint32_t)
{
    auto& b = BlockOf<ResizeBlock>(params);
    if (static_cast<int>(target->GetWidth()) != b.width || static_cast<int>(target->GetHeight()) != b.height) {
        target->ScaleTo(b.width, b.height);
    } else {
        auto toward = [](int value, int goal, int step) {
            step = std::abs(step);
            return value < goal ? std::min(value + step, goal) : std::max(value - step, goal);
        };
        b.width = toward(b.width, b.targetWidth, b.widthStep);
        b.height = toward(b.height, b.targetHeight, b.heightStep);
        target->ScaleTo(b.width, b.height);
    }
    target->Invalidate();
    return b.width == b.targetWidth && b.height == b.targetHeight;
}

int FlipStep(EngineObject* target, void* params, GameCore*, uint32_t)
{
    auto* sprite = dynamic_cast<SpriteObject*>(target);
    if (!sprite)
        return 1;
    auto& b = BlockOf<FlipBlock>(params);
    if (b.angle == 0) {
        sprite->ScaleTo(b.startWidth, sprite->GetHeight());
        b.angle += b.step;
    } else {
        b.angle = std::min(b.angle, b.endAngle);
        // The single-precision constants make the cosine at 90 degrees
        // slightly negative, so the picture changes exactly there.
        const double c = std::cos(b.angle * static_cast<double>(3.1415927f) / static_cast<double>(180.0f));
        if ((c >= 0 && b.side) || (c < 0 && !b.side)) {
            const PictureDesc shown = sprite->GetPicture()->GetDesc();
            sprite->SetPicture(b.other, true);
            b.other = shown;
            b.side = !b.side;
        }
        sprite->ScaleTo(b.startWidth * std::abs(c), sprite->GetHeight());
        // The run that reaches the end angle is the last: the sprite is
        // then back to its full width.
        const bool finished = b.angle >= b.endAngle;
        b.angle += b.step;
        sprite->Invalidate();
        return finished;
    }
    sprite->Invalidate();
    return b.angle >= b.endAngle;
}

int CallStep(EngineObject*, void* params, GameCore*, uint32_t)
{
    auto& b = BlockOf<CallBlock>(params);
    if (b.function)
        b.function(b.data);
    return 1;
}

// Takes a fresh action from the object module, fills it and posts it; the
// id, or 0 when nothing could be scheduled.
template <typename Block>
uint64_t Schedule(GameCore* core, const char* service, EngineObject* target, ActionStep step, uint32_t interval,
    const Block& block, const EngineEvent* event)
{
    ObjectModule* objects = core ? dynamic_cast<ObjectModule*>(core->FindModule(MODULE_OBJECT)) : nullptr;
    if (!objects) {
        LogPrintf("%s: ObjectModule is not loaded", service);
        return 0;
    }
    TimedAction* action = objects->NewAction();
    if (!action)
        return 0;
    action->target = target;
    action->targetId = target ? target->GetId() : 0;
    action->step = step;
    action->interval = interval;
    std::memcpy(action->params, &block, sizeof(Block));
    if (event)
        action->finishEvent = *event;
    core->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_ADD_ACTION, ToWord(action), 0);
    return action->id;
}

struct NoBlock {
    uint8_t unused;
};

} // namespace

uint64_t GameObject::PulseOpacity(EngineObject* object, double step, int cycles, uint32_t interval, double upper,
    double lower, const EngineEvent* event)
{
    if (!object)
        return 0;
    const PulseBlock block { step, upper, lower, cycles };
    return Schedule(GetCore(), "PulseOpacity", object, PulseStep, Raised(interval), block, event);
}

uint64_t GameObject::RotateStep(EngineObject* object, double step, double target, uint32_t interval,
    const EngineEvent* event)
{
    if (!object)
        return 0;
    const RotateBlock block { step, target };
    return Schedule(GetCore(), "RotateStep", object, RotateStepRun, Raised(interval), block, event);
}

uint64_t GameObject::FadeOpacity(EngineObject* object, double step, double target, uint32_t interval,
    const EngineEvent* event)
{
    if (!object || step == 0)
        return 0;
    const double opacity = object->GetOpacity();
    if ((step < 0 && opacity < target) || (step > 0 && opacity > target))
        return 0;
    const FadeBlock block { step, target };
    return Schedule(GetCore(), "FadeOpacity", object, FadeStep, Raised(interval), block, event);
}

uint64_t GameObject::ShowLater(EngineObject* object, bool show, const EngineEvent* event)
{
    if (!object)
        return 0;
    const ShowBlock block { static_cast<uint8_t>(show ? 1 : 0) };
    return Schedule(GetCore(), "ShowLater", object, ShowStep, kMinActionInterval, block, event);
}

uint64_t GameObject::MoveTowards(EngineObject* object, int x, int y, double speed, double acceleration,
    double limit, const EngineEvent* event)
{
    if (!object)
        return 0;
    MoveBlock block {};
    block.speed = std::abs(std::trunc(speed));
    block.acceleration = std::abs(std::trunc(acceleration));
    block.limit = std::abs(std::trunc(limit));
    if (block.limit == 0)
        block.limit = 99999999.0;
    block.targetX = x;
    block.targetY = y;
    return Schedule(GetCore(), "MoveTowards", object, MoveStep, kMinActionInterval, block, event);
}

uint64_t GameObject::Delay(uint32_t ms, const EngineEvent* event)
{
    const DelayBlock block { ms };
    return Schedule(GetCore(), "Delay", nullptr, DelayStep, ms, block, event);
}

uint64_t GameObject::WaitTime(uint32_t ms, const EngineEvent* event)
{
    GameCore* core = GetCore();
    const WaitBlock block { core ? core->GetTime() : 0, ms };
    return Schedule(core, "WaitTime", nullptr, WaitStep, 0, block, event);
}

uint64_t GameObject::RepeatEvent(uint32_t interval, int count, const EngineEvent* event)
{
    if (!event || interval == 0)
        return 0;
    EngineObject* target = FindObjectById(event->target);
    if (!target)
        return 0;
    const RepeatBlock block { interval, count, 0, *event };
    return Schedule(GetCore(), "RepeatEvent", target, RepeatStep, interval, block, nullptr);
}

uint64_t GameObject::PlayFrames(SpriteObject* sprite, int mode, int value, int startFrame, uint32_t interval,
    const EngineEvent* event)
{
    if (!sprite)
        return 0;
    FramesBlock block { static_cast<uint32_t>(startFrame), static_cast<uint32_t>(mode), static_cast<uint32_t>(value),
        0 };
    switch (mode) {
    case 0:
        block.limit = value == -1 ? 0 : sprite->GetTotalDuration() * static_cast<uint32_t>(value);
        break;
    case 1: {
        const int current = sprite->GetFrame();
        block.limit = sprite->SumFrameDelays(current, current + value);
        break;
    }
    case 2:
    case 4:
        block.limit = static_cast<uint32_t>(value);
        break;
    default:
        break;
    }
    const uint32_t period = mode >= 0 && mode <= 2 ? kMinActionInterval : interval;
    return Schedule(GetCore(), "PlayFrames", sprite, FramesStep, period, block, event);
}

uint64_t GameObject::PlaySoundLater(std::string_view name, int loops, const EngineEvent* event)
{
    if (name.size() >= kSoundNameBytes)
        return 0;
    SoundBlock block {};
    std::memcpy(block.name, name.data(), name.size());
    block.loops = loops;
    if (event)
        block.event = *event;
    return Schedule(GetCore(), "PlaySoundLater", nullptr, SoundStep, 0, block, nullptr);
}

uint64_t GameObject::RemoveLater(EngineObject* object, const EngineEvent* event)
{
    if (!object)
        return 0;
    return Schedule(GetCore(), "RemoveLater", object, RemoveStep, kMinActionInterval, NoBlock {}, event);
}

uint64_t GameObject::ResizeTowards(EngineObject* object, int startWidth, int startHeight, int targetWidth,
    int targetHeight, int widthStep, int heightStep, const EngineEvent* event)
{
    if (!object)
        return 0;
    const ResizeBlock block { startWidth, startHeight, targetWidth, targetHeight, widthStep, heightStep };
    return Schedule(GetCore(), "ResizeTowards", object, ResizeStep, kMinActionInterval, block, event);
}

uint64_t GameObject::FlipOver(SpriteObject* sprite, int step, int endAngle, const PictureDesc& other,
    uint32_t interval, const EngineEvent* event)
{
    if (!sprite)
        return 0;
    FlipBlock block {};
    block.step = step;
    block.endAngle = endAngle;
    block.side = 0;
    block.other = other;
    block.startWidth = static_cast<int32_t>(sprite->GetWidth());
    block.angle = 0;
    return Schedule(GetCore(), "FlipOver", sprite, FlipStep, Raised(interval), block, event);
}

uint64_t GameObject::CallLater(LaterCall function, const void* data, size_t length)
{
    // The data lives in the action's block beside the function: what does
    // not fit is refused rather than written past the block.
    if (length > kCallLaterDataBytes || (length > 0 && !data)) {
        LogPrintf("CallLater: %zu bytes of data do not fit (at most %zu)", length, kCallLaterDataBytes);
        return 0;
    }
    CallBlock block {};
    block.function = function;
    if (length > 0)
        std::memcpy(block.data, data, length);
    return Schedule(GetCore(), "CallLater", nullptr, CallStep, kMinActionInterval, block, nullptr);
}

} // namespace engine
