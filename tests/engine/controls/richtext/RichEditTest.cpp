// The edit box: typing, deleting, the length limit, history and submitting,
// passing and dropping the focus, switching editing off and on.

#include "engine/controls/richtext/RichEdit.h"
#include "engine/modules/InputModule.h"
#include "platform/Clipboard.h"
#include "platform/Gbk.h"
#include "tests/engine/objects/HostFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace engine;

class Receiver : public RectObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        if (event.code == 90000001) {
            texts.emplace_back(FromWord<const char>(event.param));
            FreeEventBlock(event.param);
            return 1;
        }
        return RectObject::OnEvent(event);
    }
    std::vector<std::string> texts;
};

class RichEditBox : public objectstest::HostEngine {
protected:
    RichEdit* MakeBox(uint32_t flags)
    {
        box = dynamic_cast<RichEdit*>(root->RegisterObject(std::make_unique<RichEdit>()));
        EXPECT_NE(box, nullptr);
        box->MoveTo(100, 10);
        box->Create(200, 20, flags);
        box->Show();
        return box;
    }
    void Type(std::string_view text)
    {
        for (size_t i = 0; i < text.size(); ++i) {
            InputState state;
            const auto lead = static_cast<uint8_t>(text[i]);
            state.character = lead;
            if (platform::Gbk::IsLeadByte(lead) && i + 1 < text.size())
                state.character |= static_cast<uint32_t>(static_cast<uint8_t>(text[++i])) << 8;
            box->OnEvent(EngineEvent(box->GetId(), EVT_CHAR, 0, ToWord(&state)));
        }
    }
    void Key(uint32_t key)
    {
        InputState state;
        state.lastKeyDown = key;
        box->OnEvent(EngineEvent(box->GetId(), EVT_KEY_DOWN, 0, ToWord(&state)));
    }
    // The same through the input module, which delivers them to the object
    // with the focus by its subscriptions.
    void InputKey(uint32_t key)
    {
        input->OnKeyDown(key, 0, 0);
        input->OnKeyUp(key, 0, 0);
        Frame();
        Frame(); // what the key's handler raised, such as a focus change
    }
    void InputType(std::string_view text)
    {
        for (const char c : text)
            input->OnChar(static_cast<uint8_t>(c), 0, 0);
        Frame();
    }
    int Focus()
    {
        InputState state;
        input->CopyInputState(state);
        return state.focusId;
    }
    RichEdit* box = nullptr;
};

TEST_F(RichEditBox, TypingDeletingAndTheLengthLimit)
{
    MakeBox(RT_SINGLE_LINE);
    Type("ab<z=x>");
    EXPECT_EQ(box->GetText(), "ab<z=x>"); // object tags stay text
    Key(8);
    EXPECT_EQ(box->GetText(), "ab<z=x");
    box->Clear();

    box->SetMaxLength(4);
    Type("ab");
    Type("中");
    EXPECT_EQ(box->GetTextLength(), 4);
    Type("c");
    EXPECT_EQ(box->GetText(), "ab中");
    // A paste beyond the limit is cut from the end.
    box->Clear();
    platform::SetClipboardText("123456");
    Key(0); // not handled
    box->Paste();
    EXPECT_EQ(box->GetText(), "1234");
}

TEST_F(RichEditBox, InsertsAtThePressedPosition)
{
    MakeBox(RT_SINGLE_LINE);
    box->SetFontSize(18); // one-byte characters 9 wide
    Type("acd");
    // Press on the left half of 'c': the caret goes before it.
    box->OnMouseDown(static_cast<int>(box->GetTextCanvas()->GetLeft()) + 10, 10);
    box->OnMouseUp(0, 0);
    ASSERT_TRUE(box->GetCaret() && box->GetCaret()->IsShown());
    Type("b");
    EXPECT_EQ(box->GetText(), "abcd");
    // The caret stays before 'c', as tall as the line, and blinks.
    const int left = static_cast<int>(box->GetTextCanvas()->GetLeft());
    EXPECT_EQ(static_cast<int>(box->GetCaret()->GetX()), left + 18 + 1);
    EXPECT_EQ(static_cast<int>(box->GetCaret()->GetHeight()), 19); // line top 0, characters at H - 18 - 1
    const double before = box->GetCaret()->GetOpacity();
    Frames(50, 11);
    EXPECT_NE(box->GetCaret()->GetOpacity(), before);
    // Left and typing puts the character before 'b'; Right past the end
    // stays at the end.
    Key(37);
    Type("x");
    EXPECT_EQ(box->GetText(), "axbcd");
    for (int i = 0; i < 6; ++i)
        Key(39);
    Type("e");
    EXPECT_EQ(box->GetText(), "axbcde");
    // Losing the focus hides it.
    box->OnEvent(EngineEvent(box->GetId(), EVT_BLUR));
    EXPECT_FALSE(box->GetCaret()->IsShown());
    const auto* n = box->GetFirstNode();
    for (int x = 0; n; n = n->next, x += 9)
        EXPECT_EQ(n->x, x);
}

TEST_F(RichEditBox, HistoryAndSubmit)
{
    auto* receiver = dynamic_cast<Receiver*>(root->RegisterObject(std::make_unique<Receiver>()));
    MakeBox(RT_SINGLE_LINE | RT_HISTORY);
    box->SetSubmitEvent(receiver->GetId(), 90000001, false);
    Type("A");
    Key(13);
    box->Clear();
    Type("B");
    Key(13);
    EXPECT_EQ(receiver->texts, (std::vector<std::string> { "A", "B" }));
    EXPECT_EQ(box->GetText(), "B"); // the owner clears the box
    Key(38);
    EXPECT_EQ(box->GetText(), "A");
    EXPECT_NE(box->GetSelectionStart(), nullptr);
    Key(38);
    EXPECT_EQ(box->GetText(), "B");
    Key(40);
    EXPECT_EQ(box->GetText(), "A");
}

TEST_F(RichEditBox, SubmittingWithoutAReceiverLeavesNothingBehind)
{
    // Under the leak checker a text made for nobody would be reported.
    MakeBox(RT_SINGLE_LINE | RT_SUBMIT_ON_CHANGE | RT_HISTORY);
    Type("abc");
    Key(8);
    box->Submit();
    EXPECT_EQ(box->GetHistory().size(), 5u);
    // Enter without a submit event inserts a line feed instead.
    Key(13);
    EXPECT_EQ(box->GetText(), "ab\n");
    // A receiver removed since it was named gets nothing either.
    auto* receiver = root->RegisterObject(std::make_unique<Receiver>());
    box->SetSubmitEvent(receiver->GetId(), 90000001, false);
    objects->RemoveObject(receiver->GetId());
    Type("d");
    box->Submit();
}

TEST_F(RichEditBox, PlaceholderGoesAtTheFirstKey)
{
    MakeBox(RT_SINGLE_LINE);
    box->SetPlaceholder("请输入", 0x808080);
    EXPECT_TRUE(box->IsPlaceholderShown());
    EXPECT_EQ(box->GetFirstNode()->colour, 0x808080u);
    Key('X');
    Type("x");
    EXPECT_EQ(box->GetText(), "x");
    EXPECT_NE(box->GetFirstNode()->colour, 0x808080u);
}

TEST_F(RichEditBox, TabPassesTheFocusToTheLinkedBoxAndEscDropsIt)
{
    RichEdit* first = MakeBox(RT_SINGLE_LINE);
    RichEdit* second = MakeBox(RT_SINGLE_LINE);
    second->MoveTo(100, 40);
    first->SetLinkedControl(second);
    first->TakeFocus();
    Frame();
    ASSERT_EQ(Focus(), first->GetId());

    InputKey(9);
    EXPECT_EQ(Focus(), second->GetId());
    EXPECT_TRUE(second->GetCaret()->IsShown());
    EXPECT_FALSE(first->GetCaret()->IsShown());
    // Without a linked box Tab leaves the focus where it is.
    InputKey(9);
    EXPECT_EQ(Focus(), second->GetId());
    EXPECT_TRUE(second->GetCaret()->IsShown());

    InputKey(27);
    EXPECT_EQ(Focus(), 0);
    EXPECT_FALSE(second->GetCaret()->IsShown());
    // Keys and characters now reach no box.
    InputType("x");
    EXPECT_EQ(first->GetText(), "");
    EXPECT_EQ(second->GetText(), "");

    // A linked box that was removed since takes nothing.
    first->SetLinkedControl(second);
    first->RemoveObject(second, 0);
    Frame();
    first->TakeFocus();
    Frame();
    InputKey(9);
    EXPECT_EQ(Focus(), first->GetId());
}

TEST_F(RichEditBox, DisabledEditingIgnoresCharactersAndKeys)
{
    MakeBox(RT_SINGLE_LINE);
    box->TakeFocus();
    InputType("ab");
    ASSERT_EQ(box->GetText(), "ab");

    box->DisableEditing();
    EXPECT_FALSE(box->GetStyleFlags() & RT_SELECTABLE);
    InputType("c");
    for (const uint32_t key : { 8u, 37u, 46u })
        InputKey(key);
    EXPECT_EQ(box->GetText(), "ab");
    // A press places no caret and starts no selection.
    const int left = static_cast<int>(box->GetTextCanvas()->GetLeft());
    box->OnMouseDown(left + 1, 10);
    EXPECT_FALSE(box->IsSelecting());

    // Enabled again, even twice, each character and key acts once.
    box->EnableEditing();
    box->EnableEditing();
    EXPECT_TRUE(box->GetStyleFlags() & RT_SELECTABLE);
    box->TakeFocus();
    InputType("c");
    EXPECT_EQ(box->GetText(), "abc");
    InputKey(8);
    EXPECT_EQ(box->GetText(), "ab");
}

} // namespace
