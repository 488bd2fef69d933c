// The system overlays: sizes, reuse, refresh and the board's delayed hide,
// and their pixels in the back buffer.

#include "HostFixture.h"

#include "engine/core/objects/SystemPanel.h"

using namespace engine;
using namespace objectstest;

namespace {

class Overlays : public HostEngine {
protected:
    // The newest system panel.
    SystemPanel* LastPanel()
    {
        SystemPanel* found = nullptr;
        for (int id = 1; id < 500; ++id)
            if (auto* p = dynamic_cast<SystemPanel*>(objects->FindById(id)))
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
};

TEST_F(Overlays, MessagePanelSizeFromItsLines)
{
    root->ShowMessagePanel("短", nullptr, nullptr, 0);
    SystemPanel* one = LastPanel();
    ASSERT_NE(one, nullptr);
    const int line = LineHeight();
    ASSERT_GT(line, 0);
    EXPECT_EQ(one->GetCanvas()->GetBufferWidth(), 200);
    EXPECT_EQ(one->GetCanvas()->GetBufferHeight(), 70 + line);
    EXPECT_EQ(one->GetX(), kWidth / 2);
    EXPECT_DOUBLE_EQ(one->GetOpacity(), 0.0);

    // Many short lines: wider in steps of 50 until 0.8 of the height or 500.
    std::string many;
    for (int i = 0; i < 30; ++i)
        many += "短\n";
    root->ShowMessagePanel(many, nullptr, nullptr, 0);
    SystemPanel* tall = LastPanel();
    ASSERT_NE(tall, one);
    const int w = tall->GetCanvas()->GetBufferWidth();
    const int h = tall->GetCanvas()->GetBufferHeight();
    EXPECT_EQ((w - 200) % 50, 0);
    EXPECT_TRUE(w == 500 || static_cast<double>(w) / h >= 0.8) << w << "x" << h;
    EXPECT_GT(w, 200);

    // It fades in and is drawn with the panel colour.
    Frames(15, 31);
    EXPECT_DOUBLE_EQ(one->GetOpacity(), 1.0);
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
    SystemPanel* panel = LastPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetCanvas()->GetBufferWidth(), 300);
    EXPECT_EQ(panel->GetCanvas()->GetPixel(150, 190), 0x8000u);
    EXPECT_EQ(panel->GetCanvas()->GetPixel(0, 0), 0u);
}

} // namespace
