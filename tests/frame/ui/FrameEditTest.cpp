// The safe-box dialogs' input widgets through the host window: typed keys
// reaching the edit (digits only), the length limit, the edit flags, the
// input box's skin and size, and the combo's history list.

#include "WidgetHost.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/MenuItem.h"
#include "frame/ui/FrameEdit.h"

#include <iterator>
#include <string>
#include <vector>

using namespace frameuitest;
using engine::CanvasObject;
using frame::ComboInput;
using frame::FrameEdit;
using frame::InputBox;

namespace {

constexpr uint32_t kVkBack = 0x08;
constexpr int kPicW = 30;
constexpr int kPicH = 24;

// The colour of the picture's cell (col, row) of its 3 x 3 grid (10 x 8
// cells), as 0x00BBGGRR.
uint32_t CellColour(int col, int row)
{
    return 0x102030u + static_cast<uint32_t>(col) * 0x40 + static_cast<uint32_t>(row) * 0x400000;
}

class FrameEdits : public WidgetHost {
protected:
    void SetUp() override
    {
        WidgetHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // 0xAARRGGBB in, read back as 0x00BBGGRR.
        host.AddPicture("InputBoxBkg", kPicW, kPicH, 1, 0, [](int, int x, int y) {
            const uint32_t c = CellColour(x / 10, y / 8);
            return 0xff000000u | (c & 0xff) << 16 | (c & 0xff00) | (c >> 16 & 0xff);
        });
        host.AddPicture("btnQuickChat", 16, 16, 4, 0, [](int, int, int) { return 0xff808080u; });
    }
    InputBox* MakeBox()
    {
        auto* box = static_cast<InputBox*>(root->RegisterObject(std::make_unique<InputBox>()));
        box->MoveTo(100, 40);
        box->Show();
        box->Layout();
        box->Invalidate();
        Frame();
        return box;
    }
    ComboInput* MakeCombo(int width)
    {
        auto* combo = static_cast<ComboInput*>(root->RegisterObject(std::make_unique<ComboInput>()));
        combo->MoveTo(100, 40);
        combo->SetZ(1000); // the dialogs' depth; the parts follow
        combo->Show();
        combo->SetWidth(width);
        combo->Invalidate();
        Frame();
        return combo;
    }
    // A key as the window system delivers it: the key press, then the
    // character it makes (if any).
    void Key(uint32_t vk, uint32_t character)
    {
        WindowInput(platform::kWmKeyDown, 0, 0, vk);
        if (character)
            WindowInput(platform::kWmChar, 0, 0, character);
        WindowInput(platform::kWmKeyUp, 0, 0, vk);
        Frame();
    }
    void TypeDigits(const std::string& digits)
    {
        for (char d : digits)
            Key(static_cast<uint32_t>(d), static_cast<uint32_t>(d));
    }
};

TEST_F(FrameEdits, OnlyDigitKeysType)
{
    struct Case {
        uint32_t vk;
        uint32_t character;
        const char* text;
    };
    const Case cases[] = {
        { 0x37, '7', "7" },  // top row
        { 0x67, '7', "7" },  // keypad
        { 0x30, '0', "0" },
        { 0x69, '9', "9" },
        { 0x41, 'a', "" },   // a letter
        { 0xBD, '-', "" },   // a sign
        { 0x6E, '.', "" },   // the keypad's point
    };
    for (const Case& c : cases) {
        InputBox* box = MakeBox();
        Key(c.vk, c.character);
        EXPECT_EQ(box->GetText(), c.text) << std::hex << c.vk;
        root->RemoveObject(box, 0);
        Frame();
    }
}

TEST_F(FrameEdits, TheLengthLimitStopsTypingAndTrimsAppending)
{
    InputBox* box = MakeBox();
    box->SetMaxLength(8);
    TypeDigits("123456789");
    EXPECT_EQ(box->GetText(), "12345678");
    Key(kVkBack, 0);
    EXPECT_EQ(box->GetText(), "1234567");
    box->AppendText("9876");
    EXPECT_EQ(box->GetText(), "12345679"); // cut back to the limit
    box->AppendText("5");
    EXPECT_EQ(box->GetText(), "12345679");
    box->Clear();
    box->AppendText("二十万");
    EXPECT_EQ(box->GetText(), "二十万");
    box->AppendText("两千");
    EXPECT_EQ(box->GetText(), "二十万两"); // whole characters only
}

TEST_F(FrameEdits, WithoutTheKeyboardFlagOnlyCodeFillsTheEdit)
{
    InputBox* box = MakeBox();
    EXPECT_EQ(box->GetEditFlags(), 7u);
    box->SetEditFlags(box->GetEditFlags() & ~(frame::FEDIT_KEYBOARD | frame::FEDIT_BOLD | frame::FEDIT_RESERVED));
    EXPECT_EQ(box->GetEditFlags(), 0u);
    box->SetMaxLength(16);
    box->AppendText("12");
    TypeDigits("34");
    Key(kVkBack, 0);
    EXPECT_EQ(box->GetText(), "12");
    box->AppendText("3");
    EXPECT_EQ(box->GetText(), "123"); // appending does not clear
    // Keyboard back on: the edit takes keys again.
    box->SetEditFlags(frame::FEDIT_KEYBOARD);
    Key(kVkBack, 0);
    EXPECT_EQ(box->GetText(), "12");
}

TEST_F(FrameEdits, BoldAppendsAreBoldTextNotMarkup)
{
    InputBox* box = MakeBox();
    box->AppendText("12");
    box->SetEditFlags(frame::FEDIT_KEYBOARD);
    box->AppendText("34");
    EXPECT_EQ(box->GetText(), "1234");
    EXPECT_EQ(box->GetEdit()->GetTextLength(), 4);
}

TEST_F(FrameEdits, InputBoxSkinIsANineCellGridAroundTheEdit)
{
    InputBox* box = MakeBox();
    CanvasObject* bg = box->GetBackground();
    ASSERT_NE(bg, nullptr);
    EXPECT_EQ(bg->GetBufferWidth(), kPicW);
    EXPECT_EQ(bg->GetBufferHeight(), kPicH);

    box->SetSize(-1, 30);
    EXPECT_EQ(bg->GetBufferWidth(), kPicW);
    EXPECT_EQ(bg->GetBufferHeight(), kPicH);

    box->SetSize(120, 40);
    EXPECT_EQ(bg->GetBufferWidth(), 120);
    EXPECT_EQ(bg->GetBufferHeight(), 40);
    EXPECT_DOUBLE_EQ(bg->GetX(), box->GetLeft() + 60);
    struct Probe {
        int x, y;
        uint32_t colour;
    };
    const Probe probes[] = {
        { 0, 0, CellColour(0, 0) },       // corners unscaled
        { 9, 1, CellColour(0, 0) },
        { 119, 0, CellColour(2, 0) },
        { 110, 1, CellColour(2, 0) },
        { 0, 39, CellColour(0, 2) },
        { 119, 39, CellColour(2, 2) },
        { 60, 0, CellColour(1, 0) },      // edges stretched between them
        { 60, 39, CellColour(1, 2) },
        { 0, 20, CellColour(0, 1) },
        { 119, 20, CellColour(2, 1) },
        { 60, 20, frame::kFrameEditBackground }, // the edit's colour inside
        { 2, 2, frame::kFrameEditBackground },
        { 117, 37, frame::kFrameEditBackground },
        { 1, 20, CellColour(0, 1) },
    };
    for (const Probe& p : probes)
        EXPECT_EQ(bg->GetPixel(p.x, p.y), p.colour) << p.x << "," << p.y;
    FrameEdit* edit = box->GetEdit();
    EXPECT_DOUBLE_EQ(edit->GetWidth(), 116);
    EXPECT_DOUBLE_EQ(edit->GetHeight(), 14);
    EXPECT_DOUBLE_EQ(edit->GetX(), bg->GetX());
    EXPECT_DOUBLE_EQ(edit->GetY(), bg->GetY());

    // Width and height alone wait for the next layout.
    box->SetWidth(80);
    box->SetHeight(-5);
    EXPECT_EQ(bg->GetBufferWidth(), 120);
    box->Layout();
    EXPECT_EQ(bg->GetBufferWidth(), 80);
    EXPECT_EQ(bg->GetBufferHeight(), 40);

    box->SetSize(0, 0);
    EXPECT_EQ(bg->GetBufferWidth(), kPicW);
    EXPECT_EQ(bg->GetBufferHeight(), kPicH);
    EXPECT_EQ(bg->GetPixel(29, 23), CellColour(2, 2));

    box->FillRect(0, 0, 3, 3, 0xff00ff); // the transparent colour: nothing
    EXPECT_EQ(bg->GetPixel(0, 0), CellColour(0, 0));
    box->FillRect(0, 0, 3, 3, 0x123456);
    EXPECT_EQ(bg->GetPixel(2, 2), 0x123456u);
    EXPECT_EQ(bg->GetPixel(3, 3), frame::kFrameEditBackground);
}

TEST_F(FrameEdits, RemovingTheBoxRemovesItsParts)
{
    InputBox* box = MakeBox();
    const int edit = box->GetEdit()->GetId();
    const int bg = box->GetBackground()->GetId();
    root->RemoveObject(box, 0);
    Frame();
    EXPECT_EQ(objects->FindById(edit), nullptr);
    EXPECT_EQ(objects->FindById(bg), nullptr);
}

// The list's captions, top to bottom.
std::vector<std::string> Captions(const engine::PopupMenu* list)
{
    std::vector<std::string> out;
    for (int i = 0; const engine::MenuItem* item = list->GetItem(i); ++i)
        out.push_back(item->GetCaption());
    return out;
}

TEST_F(FrameEdits, ComboKeepsTheLastSixTextsOldestFirst)
{
    ComboInput* combo = MakeCombo(100);
    EXPECT_EQ(combo->GetList(), nullptr);
    combo->ToggleList(); // nothing without a list
    for (const char* text : { "100", "200", "300", "400", "500", "600", "700" })
        combo->AddHistory(text);
    combo->AddHistory("700"); // repeats are kept
    const std::vector<std::string> expected { "300", "400", "500", "600", "700", "700" };
    EXPECT_EQ(std::vector<std::string>(combo->GetHistory().begin(), combo->GetHistory().end()), expected);
    ASSERT_NE(combo->GetList(), nullptr);
    EXPECT_EQ(Captions(combo->GetList()), expected);
    EXPECT_EQ(combo->GetList()->GetCanvas()->GetBufferHeight(), 6 * 20 + 4);
    EXPECT_EQ(combo->GetList()->GetCanvas()->GetBufferWidth(), 98 + 4);
    Frame();
    EXPECT_EQ(Captions(combo->GetList()), expected);
}

TEST_F(FrameEdits, DropButtonOpensAndClosesTheListAndAPickReplacesTheText)
{
    ComboInput* combo = MakeCombo(100);
    for (const char* text : { "100", "200", "300" })
        combo->AddHistory(text);
    combo->AppendText("55");
    engine::ImageButton* button = combo->GetButton();
    ASSERT_NE(button, nullptr);
    // The button at the right end, its right edge one pixel past the box.
    EXPECT_DOUBLE_EQ(button->GetX(), combo->GetBackground()->GetRight() - 8 + 1);
    const int bx = static_cast<int>(button->GetX());
    const int by = static_cast<int>(button->GetY());
    engine::PopupMenu* list = combo->GetList();
    ASSERT_FALSE(list->IsShown());

    MoveMouse(bx, by);
    Press(bx, by);
    Release(bx, by);
    ASSERT_TRUE(list->IsShown());
    EXPECT_DOUBLE_EQ(list->GetRight(), button->GetRight());
    EXPECT_DOUBLE_EQ(list->GetTop(), button->GetBottom());
    ClickAt(bx, by);
    EXPECT_FALSE(list->IsShown());

    ClickAt(bx, by);
    ASSERT_TRUE(list->IsShown());
    ClickAt(5, 140); // elsewhere
    EXPECT_FALSE(list->IsShown());

    ClickAt(bx, by);
    ASSERT_TRUE(list->IsShown());
    const engine::MenuItem* second = list->GetItem(1);
    ClickAt(static_cast<int>(second->GetX()), static_cast<int>(second->GetY()));
    EXPECT_EQ(combo->GetText(), "200");
    EXPECT_FALSE(list->IsShown());
}

} // namespace
