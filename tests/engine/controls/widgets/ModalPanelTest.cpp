// The modal panel through the real host window: the countdown on the
// settable clock, OK and Cancel clicked with injected mouse input, the
// single answer, dragging, and the fade-out and removal.

#include "ScrollMenuPanelHost.h"

#include "engine/controls/widgets/ModalPanel.h"
#include "engine/controls/widgets/TextButton.h"

using namespace engine;
using namespace widgetstest;

namespace {

constexpr int kOk = 501;
constexpr int kCancel = 502;

class ModalPanels : public WidgetHost {
protected:
    // A 180 x 120 panel at the window's centre, OK at (60, 110) and Cancel
    // at (140, 110) when asked for.
    ModalPanel* MakePanel(bool ok, bool cancel, int seconds)
    {
        auto* panel = static_cast<ModalPanel*>(root->RegisterObject(std::make_unique<ModalPanel>()));
        const EngineEvent okEvent(owner->GetId(), kOk);
        const EngineEvent cancelEvent(owner->GetId(), kCancel);
        CanvasObject* back = panel->Create(180, 120, ok ? &okEvent : nullptr, cancel ? &cancelEvent : nullptr,
            seconds);
        EXPECT_EQ(back, panel->GetBackground());
        if (back) {
            back->SetBackground(0x404040);
            back->Clear();
        }
        panel->MoveTo(100, 75);
        if (panel->GetOkButton())
            panel->GetOkButton()->MoveTo(60, 110);
        if (panel->GetCancelButton())
            panel->GetCancelButton()->MoveTo(140, 110);
        panel->Show();
        panel->Invalidate();
        Frame();
        return panel;
    }
    bool Alive(int id) { return objects->FindById(id) != nullptr; }
    // Runs a second of 20 ms frames.
    void Second() { Frames(50, 20); }
    // Each tick waits a second from the frame that handled the previous
    // one; the frames in between add a little.
    void SecondAndLatency() { Frames(54, 20); }
};

TEST_F(ModalPanels, CountdownShowsTheSecondsAndAnswersCancelOnceAtTheEnd)
{
    ModalPanel* panel = MakePanel(true, true, 3);
    const int id = panel->GetId();
    ASSERT_NE(panel->GetCountdownLabel(), nullptr);
    EXPECT_EQ(panel->GetSecondsLeft(), 3);
    for (int left : { 2, 1, 0 }) {
        SecondAndLatency();
        EXPECT_EQ(panel->GetSecondsLeft(), left);
        EXPECT_EQ(owner->events.size(), 0u);
    }
    SecondAndLatency();
    EXPECT_EQ(owner->Count(kCancel), 1);
    EXPECT_EQ(owner->Count(kOk), 0);
    // Fades out, then goes with its parts.
    const int ok = panel->GetOkButton()->GetId();
    const int label = panel->GetCountdownLabel()->GetId();
    Frames(40, 50);
    EXPECT_FALSE(Alive(id));
    EXPECT_FALSE(Alive(ok));
    EXPECT_FALSE(Alive(label));
    EXPECT_EQ(owner->Count(kCancel), 1);
}

TEST_F(ModalPanels, LongCountdownsShowNinetyNineAndTheLabelSitsRightOfOk)
{
    ModalPanel* panel = MakePanel(true, false, 150);
    EXPECT_EQ(panel->GetSecondsLeft(), ModalPanel::kMaxSeconds);
    EXPECT_EQ(panel->GetCancelButton(), nullptr);
    // Placed at creation from the OK button's place then (the panel's
    // parts move with it afterwards).
    CanvasObject* label = panel->GetCountdownLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetBufferWidth(), 40);
    EXPECT_GT(label->GetZ(), panel->GetZ());
    bool drawn = false;
    for (int y = 0; y < 20 && !drawn; ++y)
        for (int x = 0; x < 40 && !drawn; ++x)
            drawn = label->GetPixelAlpha(x, y) != 0;
    EXPECT_TRUE(drawn);
}

TEST_F(ModalPanels, OkInTheLastSecondAnswersOnlyOk)
{
    ModalPanel* panel = MakePanel(true, true, 2);
    SecondAndLatency();
    SecondAndLatency();
    EXPECT_EQ(panel->GetSecondsLeft(), 0);
    ClickAt(60, 110);
    EXPECT_TRUE(panel->IsClosing());
    // Posted: it arrives on a later frame.
    Frame();
    EXPECT_EQ(owner->Count(kOk), 1);
    // The fading panel's buttons and countdown are dead.
    ClickAt(60, 110);
    ClickAt(140, 110);
    panel->Close();
    Second();
    Second();
    Frames(40, 50);
    EXPECT_EQ(owner->Count(kOk), 1);
    EXPECT_EQ(owner->Count(kCancel), 0);
}

TEST_F(ModalPanels, CancelButtonAnswersCancel)
{
    ModalPanel* panel = MakePanel(true, true, 0);
    const int id = panel->GetId();
    EXPECT_EQ(panel->GetCountdownLabel(), nullptr);
    ClickAt(140, 110);
    ClickAt(140, 110);
    Frames(40, 50);
    EXPECT_EQ(owner->Count(kCancel), 1);
    EXPECT_EQ(owner->Count(kOk), 0);
    EXPECT_FALSE(Alive(id));
}

TEST_F(ModalPanels, WithoutEventsOnlyCloseEndsIt)
{
    ModalPanel* panel = MakePanel(false, false, 0);
    const int id = panel->GetId();
    EXPECT_EQ(panel->GetOkButton(), nullptr);
    EXPECT_EQ(panel->GetCancelButton(), nullptr);
    Second();
    Second();
    EXPECT_TRUE(Alive(id));
    panel->Close();
    Frames(3, 50);
    EXPECT_LT(panel->GetOpacity(), 1.0);
    Frames(40, 50);
    EXPECT_FALSE(Alive(id));
    EXPECT_TRUE(owner->events.empty());
}

TEST_F(ModalPanels, DraggingTheBackgroundMovesEverything)
{
    ModalPanel* panel = MakePanel(true, true, 5);
    const double labelX = panel->GetCountdownLabel()->GetX();
    MoveMouse(100, 40);
    Press(100, 40);
    MoveMouse(90, 45);
    MoveMouse(80, 50);
    Release(80, 50);
    EXPECT_DOUBLE_EQ(panel->GetX(), 80);
    EXPECT_DOUBLE_EQ(panel->GetY(), 85);
    EXPECT_DOUBLE_EQ(panel->GetOkButton()->GetX(), 40);
    EXPECT_DOUBLE_EQ(panel->GetCancelButton()->GetY(), 120);
    EXPECT_DOUBLE_EQ(panel->GetCountdownLabel()->GetX(), labelX - 20);
    EXPECT_TRUE(owner->events.empty());
}

} // namespace
