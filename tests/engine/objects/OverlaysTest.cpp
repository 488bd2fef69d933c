// The system overlays: sizes, the panels' buttons and countdown and how
// they answer, reuse, refresh and the board's delayed hide, and their
// pixels in the back buffer. The panels are the controls' modal panels,
// installed as the assembled engine does.

#include "HostFixture.h"

#include "engine/controls/widgets/ModalPanel.h"
#include "engine/controls/widgets/TextButton.h"
#include "engine/objects/OverlayPanel.h"
#include "platform/WindowMessages.h"
#include "tests/engine/core/TestSupport.h"

using namespace engine;
using namespace objectstest;

namespace {

constexpr int kOk = 601;
constexpr int kCancel = 602;

class Overlays : public HostEngine {
protected:
    void SetUp() override
    {
        InstallModalPanels();
        HostEngine::SetUp();
    }

    // The newest modal panel.
    ModalPanel* LastPanel()
    {
        ModalPanel* found = nullptr;
        for (int id = 1; id < 500; ++id)
            if (auto* p = dynamic_cast<ModalPanel*>(objects->FindById(id)))
                found = p;
        return found;
    }
    int LineHeight()
    {
        CanvasObject* probe = root->CreateCanvas(10, 10, 0);
        probe->SetFont(15, 400, "宋体");
        probe->SetTextMargins(10, 10);
        return probe->MeasureText("短", 200);
    }
    int Count(int code) const
    {
        int n = 0;
        for (const EngineEvent& e : root->events)
            n += e.code == code;
        return n;
    }
    bool Alive(int id) { return objects->FindById(id) != nullptr; }

    // Window input, then two frames so that the events are delivered.
    void Send(uint32_t message, int x, int y)
    {
        WindowInput(message, x, y);
        Frames(2);
    }
    void ClickAt(int x, int y)
    {
        Send(platform::kWmMouseMove, x, y);
        Send(platform::kWmLButtonDown, x, y);
        Send(platform::kWmLButtonUp, x, y);
    }
    // A message panel answering to the root, faded in.
    ModalPanel* ShowPanel(bool ok, bool cancel, int seconds)
    {
        const EngineEvent okEvent(root->GetId(), kOk);
        const EngineEvent cancelEvent(root->GetId(), kCancel);
        root->ShowMessagePanel("请确认", ok ? &okEvent : nullptr, cancel ? &cancelEvent : nullptr, seconds);
        ModalPanel* panel = LastPanel();
        Frames(15, 31);
        return panel;
    }
};

TEST_F(Overlays, MessagePanelSizeFromItsLines)
{
    root->ShowMessagePanel("短", nullptr, nullptr, 0);
    ModalPanel* one = LastPanel();
    ASSERT_NE(one, nullptr);
    const int line = LineHeight();
    ASSERT_GT(line, 0);
    EXPECT_EQ(one->GetBackground()->GetBufferWidth(), 200);
    EXPECT_EQ(one->GetBackground()->GetBufferHeight(), 70 + line);
    EXPECT_EQ(one->GetX(), kWidth / 2);
    EXPECT_DOUBLE_EQ(one->GetOpacity(), 0.0);
    // Neither event: no buttons, no countdown.
    EXPECT_EQ(one->GetOkButton(), nullptr);
    EXPECT_EQ(one->GetCancelButton(), nullptr);
    EXPECT_EQ(one->GetCountdownLabel(), nullptr);

    // Many short lines: wider in steps of 50 until 0.8 of the height or 500.
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += "短\n";
    root->ShowMessagePanel(many, nullptr, nullptr, 0);
    ModalPanel* tall = LastPanel();
    ASSERT_NE(tall, one);
    const int w = tall->GetBackground()->GetBufferWidth();
    const int h = tall->GetBackground()->GetBufferHeight();
    EXPECT_EQ((w - 200) % 50, 0);
    EXPECT_TRUE(w == 500 || static_cast<double>(w) / h >= 0.8) << w << "x" << h;
    EXPECT_GT(w, 200);

    // It fades in, and stays until answered.
    Frames(15, 31);
    EXPECT_DOUBLE_EQ(one->GetOpacity(), 1.0);
    Frames(100, 31);
    EXPECT_TRUE(Alive(one->GetId()));
}

// Where the buttons and the countdown label go, relative to the panel's
// canvas once it sits at the screen centre: b is the button line near the
// bottom edge.
TEST_F(Overlays, MessagePanelPlacesItsButtonsAndCountdown)
{
    struct Case {
        const char* name;
        bool ok;
        bool cancel;
        int seconds;
        // Expected centres: the buttons' x from the canvas centre; the
        // label's x from the canvas's right edge or centre, its y from b.
        double okDx, cancelDx;
        bool labelFromRight;
        double labelDx, labelDy;
    };
    const Case cases[] = {
        { "OK alone", true, false, 5, 0, 0, true, -10, 0 },
        // Side by side, 20 apart; the label just above OK.
        { "OK and Cancel", true, true, 5, -50, 50, true, -10, -15 - 10 },
        { "OK and Cancel, no countdown", true, true, 0, -50, 50, false, 0, 0 },
        // No OK: the label half its height right of the centre.
        { "countdown alone", false, false, 5, 0, 0, false, 10, 0 },
        { "Cancel and countdown", false, true, 5, 0, 0, false, 10, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModalPanel* panel = ShowPanel(c.ok, c.cancel, c.seconds);
        ASSERT_NE(panel, nullptr);
        CanvasObject* canvas = panel->GetBackground();
        EXPECT_DOUBLE_EQ(canvas->GetX(), kWidth / 2);
        EXPECT_DOUBLE_EQ(canvas->GetY(), kHeight / 2);
        const int h = canvas->GetBufferHeight();
        const double b = canvas->GetY() + h / 2 - 20;
        TextButton* ok = panel->GetOkButton();
        TextButton* cancel = panel->GetCancelButton();
        CanvasObject* label = panel->GetCountdownLabel();
        ASSERT_EQ(ok != nullptr, c.ok);
        ASSERT_EQ(cancel != nullptr, c.cancel);
        ASSERT_EQ(label != nullptr, c.seconds > 0);
        if (ok) {
            EXPECT_DOUBLE_EQ(ok->GetX(), canvas->GetX() + c.okDx);
            EXPECT_DOUBLE_EQ(ok->GetY(), b);
            EXPECT_GT(ok->GetZ(), panel->GetZ());
        }
        if (cancel && ok) {
            EXPECT_DOUBLE_EQ(cancel->GetX(), canvas->GetX() + c.cancelDx);
            EXPECT_DOUBLE_EQ(cancel->GetY(), b);
        } else if (cancel) {
            // Alone it keeps the place the panel gave it, and moved with
            // the panel to the centre.
            EXPECT_DOUBLE_EQ(cancel->GetX(), canvas->GetX());
            EXPECT_DOUBLE_EQ(cancel->GetY(), canvas->GetY());
        }
        if (label) {
            EXPECT_DOUBLE_EQ(label->GetX(), (c.labelFromRight ? canvas->GetRight() : canvas->GetX()) + c.labelDx);
            EXPECT_DOUBLE_EQ(label->GetY(), b + c.labelDy);
        }
        // Each panel is new and on top; close it before the next.
        const int id = panel->GetId();
        panel->Close();
        Frames(40, 50);
        EXPECT_FALSE(Alive(id));
    }
}

TEST_F(Overlays, PressingOkAnswersOkAndClosesThePanel)
{
    ModalPanel* panel = ShowPanel(true, true, 0);
    ASSERT_NE(panel, nullptr);
    const int id = panel->GetId();
    TextButton* ok = panel->GetOkButton();
    const int okId = ok->GetId();
    // Pressed where it was placed, above the draggable background.
    ClickAt(static_cast<int>(ok->GetX()), static_cast<int>(ok->GetY()));
    Frame();
    EXPECT_EQ(Count(kOk), 1);
    EXPECT_EQ(Count(kCancel), 0);
    EXPECT_TRUE(panel->IsClosing());
    // Fades out, then goes with its buttons.
    Frames(3, 50);
    EXPECT_LT(panel->GetOpacity(), 1.0);
    Frames(40, 50);
    EXPECT_FALSE(Alive(id));
    EXPECT_FALSE(Alive(okId));
    EXPECT_EQ(Count(kOk), 1);
    EXPECT_EQ(Count(kCancel), 0);
}

TEST_F(Overlays, CountdownAnswersCancel)
{
    ModalPanel* panel = ShowPanel(true, true, 2);
    ASSERT_NE(panel, nullptr);
    const int id = panel->GetId();
    Frames(60, 20);
    EXPECT_EQ(panel->GetSecondsLeft(), 1);
    Frames(60, 20);
    EXPECT_EQ(panel->GetSecondsLeft(), 0);
    EXPECT_EQ(Count(kCancel), 0);
    Frames(60, 20);
    EXPECT_EQ(Count(kCancel), 1);
    EXPECT_EQ(Count(kOk), 0);
    Frames(40, 50);
    EXPECT_FALSE(Alive(id));
}

TEST_F(Overlays, WithoutAPanelMakerNothingIsMade)
{
    enginetest::ScratchDir scratch;
    SetOverlayPanelMaker(nullptr);
    const size_t before = objects->GetObjectCount();
    const EngineEvent okEvent(root->GetId(), kOk);
    root->ShowMessagePanel("短", &okEvent, &okEvent, 3);
    root->ShowSystemDetail();
    Frames(10);
    EXPECT_EQ(objects->GetObjectCount(), before);
    EXPECT_EQ(LastPanel(), nullptr);
    std::string log;
    ASSERT_TRUE(platform::ReadFile(scratch.StateDir() + "GameRun.log", log));
    EXPECT_NE(log.find("ShowMessagePanel: no modal panel maker is installed"), std::string::npos) << log;
    EXPECT_NE(log.find("ShowSystemDetail: no modal panel maker is installed"), std::string::npos) << log;
}

TEST_F(Overlays, SystemNoteHasOneRefreshAndHides)
{
    root->ShowSystemNote(1);
    root->ShowSystemNote(1);
    Frame(11);
    auto* note = dynamic_cast<CanvasObject*>(root->FindObjectByName("object_systemnote"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->IsShown());
    EXPECT_EQ(objects->GetLiveActionCount(), 1u);
    Frame(1001);
    bool drawn = false;
    for (int y = 0; y < 60 && !drawn; ++y)
        for (int x = 0; x < 100 && !drawn; ++x)
            drawn = note->GetPixelAlpha(x, y) != 0;
    EXPECT_TRUE(drawn);
    root->ShowSystemNote(0);
    Frame(11);
    EXPECT_FALSE(note->IsShown());
    EXPECT_EQ(objects->GetLiveActionCount(), 0u);
}

TEST_F(Overlays, SystemBoardShowsHidesAndKeepsItsText)
{
    EXPECT_EQ(root->FindSystemBoard(), nullptr);
    EXPECT_NE(root->ShowSystemBoard("公告 notice", 3), 0u);
    CanvasObject* board = root->FindSystemBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->IsShown());
    const int w = board->GetBufferWidth();
    Frames(15, 31);
    EXPECT_DOUBLE_EQ(board->GetOpacity(), 1.0);
    // On the screen centre, the green of the board (with its white edge).
    EXPECT_EQ(Pixel(kWidth / 2 - w / 2 + 3, kHeight / 2 + 2) & 0x00ff00, 0x008000u);
    Frames(100, 31);
    EXPECT_FALSE(board->IsShown());

    // Null text keeps the content; seconds 0 stays until closed.
    root->ShowSystemBoard(nullptr, 0);
    EXPECT_EQ(root->FindSystemBoard(), board);
    EXPECT_EQ(board->GetBufferWidth(), w);
    Frames(150, 31);
    EXPECT_TRUE(board->IsShown());
    root->CloseSystemBoard();
    EXPECT_FALSE(board->IsShown());
}

TEST_F(Overlays, LongBoardTextIsLaidOutAtHalfTheScreen)
{
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "长";
    root->ShowSystemBoard(text.c_str(), 0);
    CanvasObject* board = root->FindSystemBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->GetBufferWidth(), kWidth / 2 + 20);
    EXPECT_GT(board->GetBufferHeight(), 100);
}

TEST_F(Overlays, SystemDetailPanel)
{
    root->ShowSystemDetail();
    ModalPanel* panel = LastPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetBackground()->GetBufferWidth(), 300);
    EXPECT_EQ(panel->GetBackground()->GetPixel(150, 190), 0x8000u);
    EXPECT_EQ(panel->GetBackground()->GetPixel(0, 0), 0u);
    EXPECT_EQ(panel->GetOkButton(), nullptr);
    EXPECT_EQ(panel->GetCancelButton(), nullptr);
    EXPECT_EQ(panel->GetCountdownLabel(), nullptr);
    EXPECT_EQ(panel->GetSecondsLeft(), 0);
}

} // namespace
