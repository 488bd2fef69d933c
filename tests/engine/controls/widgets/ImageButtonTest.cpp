// Image buttons driven by mouse and key messages injected at the host
// window: frames, sounds, the click event, selection, the Enter key, the
// hand cursor and the caption.

#include "ButtonHost.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/InputModule.h"
#include "platform/Cursor.h"
#include "platform/MessageLoop.h"

#include "tests/platform/SdlEvents.h"

#include <algorithm>

using namespace engine;
using namespace buttonstest;

namespace {

constexpr int kClicked = 5001;
constexpr int kX = 100;
constexpr int kY = 70;

class Buttons : public ButtonHost {
protected:
    ImageButton* MakeButton(uint32_t flags = 0, int code = kClicked, int x = kX, int y = kY)
    {
        auto* b = static_cast<ImageButton*>(root->RegisterObject(std::make_unique<ImageButton>()));
        const EngineEvent click(owner->GetId(), code, 7);
        b->Create(Picture("btn"), &click, flags, 0);
        b->MoveTo(x, y);
        b->Show();
        b->SetEnabled(true);
        b->SetSound(0, "leave");
        b->SetSound(1, "enter");
        b->SetSound(2, "press");
        b->SetSound(3, "unused");
        Frame();
        return b;
    }
    using Sounds = std::vector<std::string>;
};

TEST_F(Buttons, HoverPressAndClickChangeFramesPlaySoundsAndSendTheClick)
{
    ImageButton* b = MakeButton();
    EXPECT_EQ(b->GetKind(), OBJKIND_IMAGE_BUTTON);
    EXPECT_EQ(b->GetFrame(), 0);
    EXPECT_EQ(FrameOfRgb(Pixel(kX, kY)), 0);

    MoveMouse(kX, kY);
    EXPECT_EQ(b->GetFrame(), 1);
    EXPECT_EQ(FrameOfRgb(Pixel(kX, kY)), 1); // drawn in the back buffer
    EXPECT_EQ(PlayedSounds(), (Sounds { "enter" }));

    Press(kX, kY);
    EXPECT_EQ(b->GetFrame(), 2);
    EXPECT_EQ(FrameOfRgb(Pixel(kX, kY)), 2);
    EXPECT_TRUE(owner->events.empty());

    Release(kX, kY);
    EXPECT_EQ(b->GetFrame(), 1);
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0], EngineEvent(owner->GetId(), kClicked, 7));

    MoveMouse(5, 5);
    EXPECT_EQ(b->GetFrame(), 0);
    // Slot 3 is never played.
    EXPECT_EQ(PlayedSounds(), (Sounds { "enter", "press", "leave" }));
}

TEST_F(Buttons, TheClickIsSentBeforeOnClickReturns)
{
    ImageButton* b = MakeButton();
    b->OnClick();
    EXPECT_EQ(owner->Count(kClicked), 1);
    b->SendClickEvent();
    EXPECT_EQ(owner->Count(kClicked), 2);
}

TEST_F(Buttons, ReleaseOutsideDeliversNothing)
{
    ImageButton* b = MakeButton();
    MoveMouse(kX, kY);
    Press(kX, kY);
    MoveMouse(5, 5);
    Release(5, 5);
    EXPECT_EQ(owner->Count(kClicked), 0);
    EXPECT_EQ(b->GetFrame(), 0); // left while pressed
}

TEST_F(Buttons, SendOnPressDeliversOnThePressOnly)
{
    ImageButton* b = MakeButton(kButtonSendOnPress);
    MoveMouse(kX, kY);
    Press(kX, kY);
    EXPECT_EQ(owner->Count(kClicked), 1);
    Release(kX, kY);
    EXPECT_EQ(owner->Count(kClicked), 1);
    b->SetSendOnRelease();
    ClickAt(kX, kY);
    EXPECT_EQ(owner->Count(kClicked), 2);
}

TEST_F(Buttons, ClickEventWithCodeZeroDeliversNothingButTheButtonStillReacts)
{
    ImageButton* b = MakeButton(0, 0);
    ClickAt(kX, kY);
    EXPECT_EQ(b->GetFrame(), 1);
    EXPECT_TRUE(owner->events.empty());
    EXPECT_EQ(PlayedSounds(), (Sounds { "enter", "press" }));
}

TEST_F(Buttons, DisabledButtonIgnoresTheMouseAndShowsFrameThree)
{
    ImageButton* b = MakeButton();
    MoveMouse(kX, kY);
    b->SetEnabled(false);
    EXPECT_EQ(b->GetFrame(), 3);
    PlayedSounds().clear();
    MoveMouse(5, 5);
    ClickAt(kX, kY);
    EXPECT_EQ(b->GetFrame(), 3);
    EXPECT_EQ(FrameOfRgb(Pixel(kX, kY)), 3);
    EXPECT_TRUE(owner->events.empty());
    EXPECT_TRUE(PlayedSounds().empty());

    // The mouse came while it took no input, so it is not the hovered
    // object: enabled, it shows the normal look until the mouse enters.
    b->SetEnabled(true);
    EXPECT_EQ(b->GetFrame(), 0);
    MoveMouse(5, 5);
    MoveMouse(kX, kY);
    EXPECT_EQ(b->GetFrame(), 1);
    b->SetEnabled(false);
    b->SetEnabled(true);
    EXPECT_EQ(b->GetFrame(), 1);
    MoveMouse(5, 5);
    b->SetEnabled(false);
    b->SetEnabled(true);
    EXPECT_EQ(b->GetFrame(), 0);
}

TEST_F(Buttons, SelectedButtonKeepsFrameTwoOnEnterAndLeave)
{
    ImageButton* b = MakeButton();
    b->SetSelected(true);
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(b->GetFrame(), 2);
    MoveMouse(kX, kY);
    EXPECT_EQ(b->GetFrame(), 2);
    MoveMouse(5, 5);
    EXPECT_EQ(b->GetFrame(), 2);
    EXPECT_TRUE(PlayedSounds().empty());
    MoveMouse(kX, kY);
    Press(kX, kY);
    EXPECT_EQ(b->GetFrame(), 2);
    Release(kX, kY);
    EXPECT_EQ(b->GetFrame(), 1); // the owner selects it again if it wants
    EXPECT_EQ(owner->Count(kClicked), 1);

    b->SetSelected(true);
    b->SetSelected(false); // the mouse is over it
    EXPECT_EQ(b->GetFrame(), 1);
    MoveMouse(5, 5);
    b->SetSelected(true);
    b->SetSelected(false);
    EXPECT_EQ(b->GetFrame(), 0);
}

TEST_F(Buttons, EnterKeyClicksOnlyAFocusedButtonMadeWithFlagFour)
{
    MakeButton(kButtonEnterKey, kClicked, 60, 70);
    ImageButton* without = MakeButton(0, kClicked + 1, 140, 70);
    // A press gives the focus to the button.
    MoveMouse(60, 70);
    Press(60, 70);
    MoveMouse(5, 5);
    Release(5, 5);
    ASSERT_EQ(owner->events.size(), 0u);
    KeyDown(32);
    EXPECT_EQ(owner->events.size(), 0u);
    KeyDown(13);
    EXPECT_EQ(owner->Count(kClicked), 1);

    root->SetFocus(without->GetId());
    KeyDown(13);
    EXPECT_EQ(owner->Count(kClicked + 1), 0);
    root->SetFocus(0);
    KeyDown(13);
    EXPECT_EQ(owner->Count(kClicked), 1);
}

TEST_F(Buttons, SoundIndexOutsideTheFourSlotsIsIgnored)
{
    auto* b = static_cast<ImageButton*>(root->RegisterObject(std::make_unique<ImageButton>()));
    b->Create(Picture("btn"), nullptr, 0, 0);
    b->MoveTo(kX, kY);
    b->Show();
    b->SetEnabled(true);
    for (int index : { -1, 4, 5, 1000000, -1000000 })
        b->SetSound(index, "stray");
    Frame();
    ClickAt(kX, kY);
    MoveMouse(5, 5);
    EXPECT_TRUE(PlayedSounds().empty());
    b->SetSound(2, "press");
    ClickAt(kX, kY);
    EXPECT_EQ(PlayedSounds(), (Sounds { "press" }));
}

TEST_F(Buttons, HandCursorGoesToTheCursorObjectOrTheSystem)
{
    ImageButton* b = MakeButton();
    b->SetHandCursor(true);
    EXPECT_TRUE(b->GetHandCursor());
    MoveMouse(kX, kY);
    EXPECT_EQ(input->GetCursorHandle(), platform::LoadSystemCursor(platform::SystemCursor::kHand));
    MoveMouse(5, 5);
    EXPECT_EQ(input->GetCursorHandle(), platform::LoadSystemCursor(platform::SystemCursor::kArrow));

    auto* cursor = static_cast<Owner*>(root->RegisterObject(std::make_unique<Owner>()));
    cursor->SetName("object_cursor");
    b->ShowHandCursor();
    b->ShowArrowCursor();
    ASSERT_EQ(cursor->events.size(), 2u); // sent, not posted
    EXPECT_EQ(cursor->events[0].code, EVT_CURSOR_HAND);
    EXPECT_EQ(cursor->events[1].code, EVT_CURSOR_ARROW);
}

TEST_F(Buttons, CaptionCanvasSitsOnTheSpriteAndASecondCaptionDrawsOver)
{
    ImageButton* b = MakeButton();
    CanvasObject* c = b->GetCaptionCanvas();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(b->GetCaptionCanvas(), c);
    EXPECT_EQ(c->GetBufferWidth(), kButtonWidth);
    EXPECT_EQ(c->GetBufferHeight(), kButtonHeight);
    EXPECT_DOUBLE_EQ(c->GetX(), kX);
    EXPECT_DOUBLE_EQ(c->GetY(), kY);
    EXPECT_NEAR(c->GetZ(), b->GetSprite()->GetZ() + 0.01, 1e-9);
    EXPECT_TRUE(b->GetSprite()->HasChild(c->GetId()));
    EXPECT_TRUE(c->IsShown()); // made after the button was shown
    b->Hide();
    EXPECT_FALSE(c->IsShown());
    b->Show();

    auto inked = [&] {
        std::vector<std::pair<int, int>> out;
        for (int y = 0; y < kButtonHeight; ++y)
            for (int x = 0; x < kButtonWidth; ++x)
                if (c->GetPixelAlpha(x, y) != 0)
                    out.emplace_back(x, y);
        return out;
    };
    b->SetCaption("11", 0x0000FF, 12);
    const auto first = inked();
    b->SetCaption("--", 0x00FF00, 12);
    const auto both = inked();
    if (first.empty())
        GTEST_SKIP() << "no font renders text here";
    for (const auto& p : first)
        EXPECT_TRUE(std::find(both.begin(), both.end(), p) != both.end());
    EXPECT_GT(both.size(), first.size());
    Frame();
    MoveMouse(kX + 30, kY); // the caption moves with the button
    b->MoveBy(10, 0);
    EXPECT_DOUBLE_EQ(c->GetX(), kX + 10);
}

TEST_F(Buttons, RealSdlMouseEventsClickTheButton)
{
    ImageButton* b = MakeButton();
    const uint32_t id = host.GetWindow().SdlWindowId();
    sdltest::PushMouseMotion(id, kX, kY);
    sdltest::PushMouseButton(id, true, SDL_BUTTON_LEFT, kX, kY);
    sdltest::PushMouseButton(id, false, SDL_BUTTON_LEFT, kX, kY);
    for (int i = 0; i < 5; ++i)
        platform::MessageLoop::PumpOnce(0);
    Frames(3);
    EXPECT_EQ(owner->Count(kClicked), 1);
    EXPECT_EQ(b->GetFrame(), 1);
    EXPECT_EQ(PlayedSounds(), (Sounds { "enter", "press" }));
}

} // namespace

namespace {

// A button made for an owner shows the owner's picture and tells the owner
// of a click, under the code it was made with.
TEST_F(Buttons, MadeForAnOwnerShowsItsPictureAndClicksReachIt)
{
    ImageButton* b = MakeImageButton(*owner, "btn", kClicked, 0);
    ASSERT_NE(b, nullptr);
    b->MoveTo(kX, kY);
    b->Show();
    b->SetEnabled(true);
    Frame();
    EXPECT_EQ(FrameOfRgb(Pixel(kX, kY)), 0);
    EXPECT_EQ(b->GetWidth(), kButtonWidth);

    ClickAt(kX, kY);
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0], EngineEvent(owner->GetId(), kClicked));
}

} // namespace
