// The emoticon tables and the emoticon picker in the headless host window:
// the codes and phrases as the chat surfaces match them, the picker's
// pages and buttons, hover and picks through real mouse messages, and what
// reaches the side pane.

#include "frame/ui/FacePicker.h"
#include "frame/ui/FaceTables.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/ModuleMessage.h"
#include "platform/Gbk.h"
#include "platform/WindowMessages.h"
#include "tests/frame/ui/WidgetHost.h"

#include <set>
#include <string>
#include <vector>

using namespace engine;
using namespace frame;

namespace {

TEST(FaceTables, CodesAreUniqueHashPlusTwoDoubleByteCharacters)
{
    const auto codes = EmoticonCodes();
    ASSERT_EQ(codes.size(), 77u);
    std::set<std::string_view> seen;
    for (std::string_view code : codes) {
        SCOPED_TRACE(code);
        ASSERT_EQ(code.size(), kEmoticonCodeBytes);
        EXPECT_EQ(code[0], '#');
        EXPECT_TRUE(platform::Gbk::IsLeadByte(static_cast<uint8_t>(code[1])));
        EXPECT_TRUE(platform::Gbk::IsLeadByte(static_cast<uint8_t>(code[3])));
        EXPECT_TRUE(seen.insert(code).second);
        EXPECT_TRUE(IsEmoticonCode(code));
    }
    EXPECT_EQ(codes.front(), "#嗯哈");
    EXPECT_EQ(codes[20], "#微笑");
    EXPECT_EQ(codes.back(), "#猪头");
    EXPECT_EQ(EmoticonPicture(EmoticonName("#微笑")), "vkf微笑");
    EXPECT_EQ(EmoticonSmallPicture(EmoticonName("#微笑")), "vkfs微笑");
}

TEST(FaceTables, PhrasesAreTheSixteenInOrder)
{
    const auto phrases = QuickChatPhrases();
    ASSERT_EQ(phrases.size(), 16u);
    EXPECT_EQ(phrases[0], "快点吧，我等到花儿也谢了");
    EXPECT_EQ(phrases[10], "这局赢定了");
    EXPECT_EQ(phrases[15], "真不好意思，我要离开一下。");
    EXPECT_EQ(std::set<std::string_view>(phrases.begin(), phrases.end()).size(), 16u);
}

TEST(FaceTables, EmoticonsAreFoundOnlyWhereACodeStarts)
{
    struct Case {
        const char* text;
        bool code;
        bool contains;
    };
    const Case cases[] = {
        { "#微笑", true, true },
        { "哈哈#微笑", false, true },
        { "#微", false, false },       // cut short
        { "#abcd", false, false },     // four letters are no code
        { "#微笑x", false, true },     // more than a code
        { "##微笑", false, true },     // the second '#' starts one
        { "微笑", false, false },
        { "", false, false },
        { "#", false, false },
        { "#火星#白眼", false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsEmoticonCode(c.text), c.code);
        EXPECT_EQ(ContainsEmoticon(c.text), c.contains);
    }
}

// The side pane as the picker reaches it: by name, copying the code while
// it is valid.
class SidePane : public BoundObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        if (event.code == EVT_FACE_PICKED || event.code == EVT_FACE_PICKED_ALTERNATE)
            picks.push_back({ event.code, FromWord<const char>(event.param), static_cast<int>(event.data) });
        return 1;
    }
    struct Pick {
        int code;
        std::string text;
        int index;
        friend bool operator==(const Pick&, const Pick&) = default;
    };
    std::vector<Pick> picks;
};

// Cells of 8 pixels with 2 of padding (a step of 12), ten by eight: the
// chat box's grid at a size that fits the test window.
constexpr int kCell = 8;
constexpr int kPad = 2;
constexpr int kStep = kCell + 2 * kPad;
constexpr int kLeft = 20;
constexpr int kTop = 20;

class Picker : public frameuitest::WidgetHost {
protected:
    void SetUp() override
    {
        WidgetHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        pane = static_cast<SidePane*>(root->RegisterObject(std::make_unique<SidePane>()));
        pane->SetName("SubSystem");
        for (const char* name : { "vkf向前翻页", "vkf向后翻页" })
            MakePicture(name, kCell, kCell, 0x808080, 4, 0);
    }
    FacePicker* Make(int entries, int cols = 10, int rows = 8)
    {
        auto* picker = static_cast<FacePicker*>(root->RegisterObject(std::make_unique<FacePicker>()));
        picker->Create(cols, rows, kCell, kPad);
        const auto codes = EmoticonCodes();
        for (int i = 0; i < entries; ++i) {
            const std::string_view code = codes[static_cast<size_t>(i) % codes.size()];
            picker->AddEntry(EmoticonName(code), code, i + 1);
        }
        picker->MoveTo(kLeft + cols * kStep / 2.0, kTop + rows * kStep / 2.0);
        picker->Draw();
        Frame();
        return picker;
    }
    // The centre of a cell in window coordinates.
    static int CellX(int cell) { return kLeft + (cell % 10) * kStep + kStep / 2; }
    static int CellY(int cell) { return kTop + (cell / 10) * kStep + kStep / 2; }
    void ClickCell(int cell) { ClickAt(CellX(cell), CellY(cell)); }
    void RightClickCell(int cell)
    {
        MoveMouse(CellX(cell), CellY(cell));
        Mouse(platform::kWmRButtonDown, CellX(cell), CellY(cell));
        Mouse(platform::kWmRButtonUp, CellX(cell), CellY(cell));
    }
    static bool Enabled(const ImageButton* button) { return button->IsInputEnabled(); }

    SidePane* pane = nullptr;
};

TEST_F(Picker, SeventySevenEntriesFillOnePageWithBothButtonsDisabled)
{
    FacePicker* picker = Make(77);
    EXPECT_EQ(picker->GetPageSize(), 78);
    EXPECT_EQ(picker->GetPageCount(), 1);
    EXPECT_FALSE(Enabled(picker->GetPreviousButton()));
    EXPECT_FALSE(Enabled(picker->GetNextButton()));
    // The buttons sit in the last two cells (shifted by the padding).
    EXPECT_EQ(picker->GetPreviousButton()->GetX(), CellX(78) + kPad);
    EXPECT_EQ(picker->GetNextButton()->GetY(), CellY(79) + kPad);

    ClickCell(77); // the empty cell
    ClickCell(78); // a button cell
    EXPECT_TRUE(pane->picks.empty());
    EXPECT_TRUE(picker->IsShown());
}

TEST_F(Picker, PagesTurnThroughTheButtonsAndStopAtBothEnds)
{
    FacePicker* picker = Make(78 + 5);
    EXPECT_EQ(picker->GetPageCount(), 2);
    EXPECT_FALSE(Enabled(picker->GetPreviousButton()));
    EXPECT_TRUE(Enabled(picker->GetNextButton()));

    picker->OnEvent(EngineEvent(picker->GetId(), EVT_FACE_PREVIOUS_PAGE));
    EXPECT_EQ(picker->GetPage(), 0);

    ClickAt(static_cast<int>(picker->GetNextButton()->GetX()), static_cast<int>(picker->GetNextButton()->GetY()));
    EXPECT_EQ(picker->GetPage(), 1);
    EXPECT_TRUE(Enabled(picker->GetPreviousButton()));
    EXPECT_FALSE(Enabled(picker->GetNextButton()));
    picker->OnEvent(EngineEvent(picker->GetId(), EVT_FACE_NEXT_PAGE));
    EXPECT_EQ(picker->GetPage(), 1);

    // Page 1 holds entries 78 to 82: cell 2 is entry 80, cell 5 is empty.
    ClickCell(5);
    EXPECT_TRUE(pane->picks.empty());
    ClickCell(2);
    const auto codes = EmoticonCodes();
    EXPECT_EQ(pane->picks, (std::vector<SidePane::Pick> { { EVT_FACE_PICKED, std::string(codes[80 % 77]), 80 } }));
    EXPECT_FALSE(picker->IsShown());
    EXPECT_FALSE(picker->GetPreviousButton()->IsShown());
    EXPECT_FALSE(picker->GetGrid()->IsShown());

    // A closed picker takes no clicks on its buttons.
    ClickAt(static_cast<int>(picker->GetPreviousButton()->GetX()), static_cast<int>(picker->GetPreviousButton()->GetY()));
    EXPECT_EQ(picker->GetPage(), 1);
    picker->OnEvent(EngineEvent(picker->GetId(), EVT_SHOW)); // as the chat box opens it again
    Frame();
    ClickAt(static_cast<int>(picker->GetPreviousButton()->GetX()), static_cast<int>(picker->GetPreviousButton()->GetY()));
    EXPECT_EQ(picker->GetPage(), 0);
}

TEST_F(Picker, ExactlyOneFullPageLeavesAnEmptySecondPage)
{
    FacePicker* picker = Make(78);
    EXPECT_EQ(picker->GetPageCount(), 2);
    EXPECT_TRUE(Enabled(picker->GetNextButton()));
    picker->OnEvent(EngineEvent(picker->GetId(), EVT_FACE_NEXT_PAGE));
    ClickCell(0);
    EXPECT_TRUE(pane->picks.empty());
}

TEST_F(Picker, LeftAndRightClicksSendTheCodeAndCloseThePicker)
{
    FacePicker* picker = Make(77);
    ClickCell(20);
    picker->OnEvent(EngineEvent(picker->GetId(), EVT_SHOW));
    Frame();
    RightClickCell(76);
    const auto codes = EmoticonCodes();
    EXPECT_EQ(pane->picks,
        (std::vector<SidePane::Pick> { { EVT_FACE_PICKED, "#微笑", 20 },
            { EVT_FACE_PICKED_ALTERNATE, std::string(codes[76]), 76 } }));
    EXPECT_FALSE(picker->IsShown());
    EXPECT_FALSE(picker->GetHighlight()->IsShown());
}

TEST_F(Picker, HoverFramesTheCellAndPreviewsTheFaceAwayFromTheCursor)
{
    FacePicker* picker = Make(77);
    MoveMouse(CellX(77), CellY(77)); // an empty cell first: nothing to hide yet
    EXPECT_FALSE(picker->GetHighlight()->IsShown());
    EXPECT_EQ(picker->GetPreview(), nullptr);

    MoveMouse(CellX(11), CellY(11)); // column 1: the preview goes right
    EXPECT_EQ(picker->GetHovered(), 11);
    EXPECT_TRUE(picker->GetHighlight()->IsShown());
    EXPECT_EQ(picker->GetHighlight()->GetX(), CellX(11));
    EXPECT_EQ(picker->GetHighlight()->GetY(), CellY(11));
    ASSERT_NE(picker->GetPreview(), nullptr);
    EXPECT_TRUE(picker->GetPreview()->IsShown());
    EXPECT_EQ(picker->GetPreview()->GetX(), picker->GetRight() - kStep);

    MoveMouse(CellX(17), CellY(17)); // column 7: the preview goes left
    EXPECT_EQ(picker->GetPreview()->GetX(), picker->GetLeft() + kStep);

    MoveMouse(CellX(79), CellY(79)); // a button cell hides both
    EXPECT_FALSE(picker->GetHighlight()->IsShown());
    EXPECT_FALSE(picker->GetPreview()->IsShown());

    // Leaving and coming back to the same cell shows it again.
    MoveMouse(CellX(11), CellY(11));
    MoveMouse(kLeft + 10 * kStep + 20, 5);
    EXPECT_FALSE(picker->GetHighlight()->IsShown());
    MoveMouse(CellX(11), CellY(11));
    EXPECT_TRUE(picker->GetHighlight()->IsShown());
    EXPECT_TRUE(picker->GetPreview()->IsShown());
}

TEST_F(Picker, AGridWithoutEntryCellsHidesAndNeverDraws)
{
    FacePicker* picker = Make(10, 1, 2);
    EXPECT_EQ(picker->GetPageCount(), 0);
    EXPECT_FALSE(picker->IsShown());
    picker->Resize(3, 2); // room for four entries again
    EXPECT_EQ(picker->GetPageCount(), 3);
    picker->Resize(2, 1);
    EXPECT_EQ(picker->GetPageCount(), 0);
}

} // namespace
