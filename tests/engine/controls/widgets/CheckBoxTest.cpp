// Check boxes: the press toggles, the outcome is posted for a later frame.

#include "ButtonHost.h"

#include "engine/controls/widgets/CheckBox.h"
#include "engine/objects/SpriteObject.h"

using namespace engine;
using namespace buttonstest;

namespace {

constexpr int kChecked = 6001;
constexpr int kUnchecked = 6002;

class CheckBoxes : public ButtonHost {
protected:
    CheckBox* MakeBox(int state, int target, int checkedCode = kChecked)
    {
        auto* box = static_cast<CheckBox*>(root->RegisterObject(std::make_unique<CheckBox>()));
        EXPECT_EQ(box->Create(Picture("chk"), state), state);
        box->SetCheckedEvent(EngineEvent(target, checkedCode));
        box->SetUncheckedEvent(EngineEvent(target, kUnchecked));
        box->MoveTo(50, 50);
        box->Show();
        box->Invalidate();
        Frame();
        return box;
    }
};

TEST_F(CheckBoxes, ThePressTogglesAndTheEventArrivesOnALaterFrame)
{
    CheckBox* box = MakeBox(0, owner->GetId());
    EXPECT_EQ(box->GetKind(), OBJKIND_CHECK_BOX);
    EXPECT_EQ(FrameOfRgb(Pixel(50, 50)), 0);

    MoveMouse(50, 50);
    Press(50, 50);
    EXPECT_EQ(box->IsChecked(), 1);
    EXPECT_EQ(box->GetSprite()->GetFrame(), 1);
    EXPECT_EQ(FrameOfRgb(Pixel(50, 50)), 1);
    EXPECT_EQ(owner->Count(kChecked), 1);
    Release(50, 50); // the click changes nothing
    EXPECT_EQ(box->IsChecked(), 1);

    // Posted: nothing has arrived when Toggle returns.
    box->Toggle();
    EXPECT_EQ(box->IsChecked(), 0);
    EXPECT_EQ(owner->Count(kUnchecked), 0);
    Frame();
    EXPECT_EQ(owner->Count(kUnchecked), 1);
    EXPECT_EQ(box->GetSprite()->GetFrame(), 0);
}

TEST_F(CheckBoxes, SetCheckedStoresTheValueAndAnOddValueStopsToggle)
{
    CheckBox* box = MakeBox(0, owner->GetId());
    box->SetChecked(2);
    EXPECT_EQ(box->IsChecked(), 2);
    EXPECT_EQ(box->GetSprite()->GetFrame(), 1);
    Frame();
    EXPECT_EQ(owner->Count(kChecked), 1);
    box->Toggle();
    Press(50, 50);
    Frame();
    EXPECT_EQ(box->IsChecked(), 2);
    EXPECT_EQ(owner->events.size(), 1u);

    box->SetChecked(0);
    Frame();
    EXPECT_EQ(box->GetSprite()->GetFrame(), 0);
    EXPECT_EQ(owner->Count(kUnchecked), 1);
}

TEST_F(CheckBoxes, EventsWithoutTargetOrCodeToggleSilently)
{
    CheckBox* noTarget = MakeBox(1, 0);
    CheckBox* noCode = MakeBox(0, owner->GetId(), 0);
    noTarget->Toggle();
    noTarget->Toggle();
    noCode->Toggle();
    Frames(2);
    EXPECT_EQ(noTarget->IsChecked(), 1);
    EXPECT_EQ(noCode->IsChecked(), 1);
    EXPECT_EQ(owner->Count(kChecked), 0); // noCode's unchecked event was not due
}

} // namespace
