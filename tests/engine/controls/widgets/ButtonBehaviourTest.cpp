// What every button does with the mouse, run against each kind of button:
// the look follows the mouse, a release over the button clicks it and
// nothing else does, and a disabled button ignores the mouse until it is
// enabled again.

#include "ButtonHost.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/MenuItem.h"
#include "engine/controls/widgets/TextButton.h"

#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

using namespace engine;
using namespace buttonstest;

namespace {

constexpr int kClicked = 9001;
constexpr int kX = 100;
constexpr int kY = 70;
// Away from the button, over no object.
constexpr int kAwayX = 5;
constexpr int kAwayY = 5;

// The looks, which are also the frames of a picture button.
constexpr int kNormal = 0;
constexpr int kHover = 1;
constexpr int kPressed = 2;
constexpr int kDisabled = 3;

// A drawn button that remembers the look it drew last.
template <typename Button>
class LookRecorder : public Button {
public:
    void DrawState(int state) override
    {
        look = state;
        Button::DrawState(state);
    }
    int look = -1;
};

enum class Kind { kImage, kText, kMenuItem };

enum class Step { kMoveIn, kMoveAway, kPressIn, kPressAway, kReleaseIn, kReleaseAway, kDisable, kEnable };

struct Case {
    const char* name;
    std::vector<Step> steps;
    int clicks;
    int look;
};

using enum Step;

const char* const kKindNames[] = { "ImageButton", "TextButton", "MenuItem" };

void PrintTo(Kind kind, std::ostream* out)
{
    *out << kKindNames[static_cast<int>(kind)];
}

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

const Case kCases[] = {
    { "ClickOnTheButton", { kMoveIn, kPressIn, kReleaseIn }, 1, kHover },
    { "PressAloneSendsNothing", { kMoveIn, kPressIn }, 0, kPressed },
    { "ReleaseAwayCancels", { kMoveIn, kPressIn, kMoveAway, kReleaseAway }, 0, kNormal },
    { "BackOverTheButtonBeforeTheRelease", { kMoveIn, kPressIn, kMoveAway, kMoveIn, kReleaseIn }, 1, kHover },
    { "PressAwayAndReleaseOnTheButton", { kMoveAway, kPressAway, kMoveIn, kReleaseIn }, 0, kHover },
    { "TwoClicksInQuickSuccession", { kMoveIn, kPressIn, kReleaseIn, kPressIn, kReleaseIn }, 2, kHover },
    { "LeavingShowsTheNormalLook", { kMoveIn, kMoveAway }, 0, kNormal },
    { "DisabledIgnoresTheMouse", { kDisable, kMoveIn, kPressIn, kReleaseIn }, 0, kDisabled },
    { "DisabledWhilePressedDoesNotClick", { kMoveIn, kPressIn, kDisable, kReleaseIn }, 0, kDisabled },
    { "EnabledUnderTheMouseShowsTheHoverLook", { kMoveIn, kDisable, kEnable }, 0, kHover },
    { "EnabledAfterTheMouseCameWhileDisabled", { kDisable, kMoveIn, kEnable }, 0, kNormal },
    { "ClickAfterBeingEnabledAgain", { kDisable, kEnable, kMoveIn, kPressIn, kReleaseIn }, 1, kHover },
};

class SharedButtonBehaviour : public ButtonHost, public ::testing::WithParamInterface<std::tuple<Kind, Case>> {
protected:
    // A shown, enabled button of the kind centred on (kX, kY) that sends
    // kClicked to the owner.
    void MakeButton(Kind kind)
    {
        const EngineEvent click(owner->GetId(), kClicked);
        switch (kind) {
        case Kind::kImage: {
            auto* b = Register<ImageButton>();
            b->Create(Picture("btn"), &click, 0, 0);
            button = b;
            look = [b] { return b->GetFrame(); };
            break;
        }
        case Kind::kText:
            MakeDrawn<TextButton>(click);
            break;
        case Kind::kMenuItem:
            MakeDrawn<MenuItem>(click);
            break;
        }
        button->MoveTo(kX, kY);
        button->Show();
        button->SetEnabled(true);
        Frame();
    }
    template <typename T>
    T* Register()
    {
        return static_cast<T*>(root->RegisterObject(std::make_unique<T>()));
    }
    template <typename Drawn>
    void MakeDrawn(const EngineEvent& click)
    {
        auto* b = Register<LookRecorder<Drawn>>();
        b->Create("OK", 60, 24, 12, 0x204060, 0x3080C0, &click);
        button = b;
        look = [b] { return b->look; };
    }
    void Do(Step step)
    {
        switch (step) {
        case kMoveIn:
            MoveMouse(kX, kY);
            break;
        case kMoveAway:
            MoveMouse(kAwayX, kAwayY);
            break;
        case kPressIn:
            Press(kX, kY);
            break;
        case kPressAway:
            Press(kAwayX, kAwayY);
            break;
        case kReleaseIn:
            Release(kX, kY);
            break;
        case kReleaseAway:
            Release(kAwayX, kAwayY);
            break;
        case kDisable:
            button->SetEnabled(false);
            break;
        case kEnable:
            button->SetEnabled(true);
            break;
        }
    }

    BoundObject* button = nullptr;
    std::function<int()> look;
};

TEST_P(SharedButtonBehaviour, StepsGiveTheClicksAndTheLook)
{
    const auto& [kind, c] = GetParam();
    MakeButton(kind);
    EXPECT_EQ(look(), kNormal);
    for (Step step : c.steps)
        Do(step);
    EXPECT_EQ(owner->Count(kClicked), c.clicks);
    EXPECT_EQ(look(), c.look);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Kind, Case>>& info)
{
    return std::string(kKindNames[static_cast<int>(std::get<0>(info.param))]) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(EachKind, SharedButtonBehaviour,
    ::testing::Combine(::testing::Values(Kind::kImage, Kind::kText, Kind::kMenuItem), ::testing::ValuesIn(kCases)),
    CaseName);

} // namespace
