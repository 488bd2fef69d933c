// The caret moved between lines with Up and Down, and placed by a press in
// a plain view. Keys and presses go through the input module, as the host
// window's messages do.

#include "engine/controls/richtext/RichEdit.h"
#include "engine/modules/InputModule.h"
#include "tests/engine/objects/HostFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace engine;

constexpr uint32_t kUp = 38;
constexpr uint32_t kDown = 40;
constexpr int kEnd = -1; // caret after the last node

class CaretLines : public objectstest::HostEngine {
protected:
    // A multi-line box holding text in characters of 20 pixels (one-byte
    // characters 10 wide), lines 24 pixels apart, with the focus.
    RichEdit* MakeBox(int w, int h, std::string_view text)
    {
        box = dynamic_cast<RichEdit*>(root->RegisterObject(std::make_unique<RichEdit>()));
        EXPECT_NE(box, nullptr);
        box->MoveTo(w / 2, h / 2);
        box->Create(w, h, 0);
        box->Show();
        box->SetFontSize(20);
        box->AppendText(text);
        box->TakeFocus();
        Frame();
        return box;
    }
    void Key(uint32_t key)
    {
        input->OnKeyDown(key, 0, 0);
        input->OnKeyUp(key, 0, 0);
        Frame();
    }
    RichTextNode* NodeAt(int index) const
    {
        if (index == kEnd)
            return nullptr;
        const RichTextNode* n = box->GetFirstNode();
        for (int i = 0; n && i < index; ++i)
            n = n->next;
        return const_cast<RichTextNode*>(n);
    }
    int CaretIndex() const
    {
        int i = 0;
        for (const RichTextNode* n = box->GetFirstNode(); n; n = n->next, ++i) {
            if (n == box->GetCaretNode())
                return i;
        }
        return kEnd;
    }
    // The caret is shown and lies wholly inside the text area.
    void ExpectCaretInView() const
    {
        const CanvasObject* caret = box->GetCaret();
        ASSERT_TRUE(caret && caret->IsShown());
        const CanvasObject* text = box->GetTextCanvas();
        EXPECT_GE(caret->GetTop(), text->GetTop());
        EXPECT_LE(caret->GetBottom(), text->GetBottom());
    }
    RichEdit* box = nullptr;
};

TEST_F(CaretLines, UpAndDownGoToTheNearestPlaceOnTheNextLine)
{
    struct Case {
        const char* what;
        const char* text;
        int from;
        uint32_t key;
        int to;
    };
    // "abcdef\nab\nabcdefg": 'a' 0 .. 'f' 5, line feed 6 | 'a' 7, 'b' 8,
    // line feed 9 | 'a' 10 .. 'g' 16.
    const char* const lines = "abcdef\nab\nabcdefg";
    const Case cases[] = {
        { "same column, line above", lines, 8, kUp, 1 },
        { "same column, line below", lines, 8, kDown, 11 },
        { "past a shorter line's end: before its line feed", lines, 4, kDown, 9 },
        { "up onto a shorter line", lines, 16, kUp, 9 },
        { "from the end of the text onto a shorter line", lines, kEnd, kUp, 9 },
        { "on the first line Up stays", lines, 2, kUp, 2 },
        { "on the last line Down goes to the end", lines, 12, kDown, kEnd },
        { "at the end Down stays", lines, kEnd, kDown, kEnd },
        // The column falls on the right half of the double-byte character.
        { "right half of a wide character: after it", "中a\nabc", 4, kUp, 1 },
        { "right half of the text's last character: the end", "abc\n中", 1, kDown, kEnd },
        { "past the end of a shorter last line: the end", "abc\nab", 2, kDown, kEnd },
        // After a final line feed the caret is on the empty line below it.
        { "from the empty last line to the start of the line above", "ab\ncd\n", kEnd, kUp, 3 },
        { "down from the last line feed's line to the empty line", "ab\ncd\n", 4, kDown, kEnd },
        // Twenty characters fill a line of 200 pixels; the rest wraps.
        { "onto a wrapped line", "0123456789abcdefghijKLM", 22, kUp, 2 },
        { "from a wrapped line past the end of the last", "0123456789abcdefghijKLM", 5, kDown, kEnd },
        // The wrapped line ends in a double-byte character at 180..200; the
        // column 190 below falls on its right half, whose "after" would be
        // the start of the line below again.
        { "right half of a wrapped line's last character: before it", "012345678901234567中abcdefghijklmnopqrsT",
            38, kUp, 18 },
    };
    MakeBox(200, 100, "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        box->Clear();
        box->AppendText(c.text);
        box->ShowCaret(NodeAt(c.from));
        ASSERT_EQ(CaretIndex(), c.from);
        Key(c.key);
        EXPECT_EQ(CaretIndex(), c.to);
        ExpectCaretInView();
        // The caret is drawn before its node, on the node's line.
        if (const RichTextNode* n = NodeAt(c.to)) {
            const CanvasObject* text = box->GetTextCanvas();
            EXPECT_EQ(static_cast<int>(box->GetCaret()->GetX()), static_cast<int>(text->GetLeft()) + n->x + 1);
            EXPECT_EQ(static_cast<int>(box->GetCaret()->GetTop()), static_cast<int>(text->GetTop()) + n->lineTop);
        }
    }
}

TEST_F(CaretLines, TheViewFollowsTheCaretToLinesOutOfView)
{
    // Six lines 24 pixels apart in a box of 50: two lines show at a time.
    MakeBox(200, 50, "l0\nl1\nl2\nl3\nl4\nl5");
    ASSERT_EQ(CaretIndex(), kEnd);
    ASSERT_GT(box->GetScrollY(), 0); // the end of the text is in view
    // Each line starts three nodes after the one above.
    for (int line = 4; line >= 0; --line) {
        SCOPED_TRACE(line);
        Key(kUp);
        EXPECT_EQ(CaretIndex(), 3 * line + 2); // before the line feed
        ExpectCaretInView();
    }
    EXPECT_EQ(box->GetScrollY(), 0);
    for (int line = 1; line <= 5; ++line) {
        SCOPED_TRACE(line);
        Key(kDown);
        // The last line is shorter than the column: the caret goes to its end.
        EXPECT_EQ(CaretIndex(), line == 5 ? kEnd : 3 * line + 2);
        ExpectCaretInView();
    }
}

TEST_F(CaretLines, ASelectionBecomesACaretAtItsStartOrEnd)
{
    MakeBox(200, 100, "abcdef\nab\nabcdefg");
    box->SelectRange(NodeAt(2), NodeAt(12));
    Key(kUp);
    EXPECT_EQ(CaretIndex(), 2); // not moved a line up as well
    EXPECT_EQ(box->GetSelectionStart(), nullptr);
    ExpectCaretInView();

    box->SelectRange(NodeAt(2), NodeAt(12));
    Key(kDown);
    EXPECT_EQ(CaretIndex(), 12);
    EXPECT_EQ(box->GetSelectionStart(), nullptr);
    ExpectCaretInView();

    // A selection that runs to the end leaves the caret at the end.
    box->SelectAll();
    Key(kDown);
    EXPECT_EQ(CaretIndex(), kEnd);
    ExpectCaretInView();

    // While the button is held over the text the keys do nothing.
    box->ShowCaret(NodeAt(8));
    const CanvasObject* text = box->GetTextCanvas();
    input->OnMouseMove(static_cast<int>(text->GetLeft()) + 11, static_cast<int>(text->GetTop()) + 30, 0);
    input->OnLButtonDown(static_cast<int>(text->GetLeft()) + 11, static_cast<int>(text->GetTop()) + 30);
    Frame();
    ASSERT_TRUE(box->IsSelecting());
    ASSERT_EQ(CaretIndex(), 8);
    Key(kUp);
    Key(kDown);
    EXPECT_EQ(CaretIndex(), 8);
    input->OnLButtonUp(static_cast<int>(text->GetLeft()) + 11, static_cast<int>(text->GetTop()) + 30);
    Frame();
    Key(kUp);
    EXPECT_EQ(CaretIndex(), 1);
}

class PlainView : public objectstest::HostEngine { };

TEST_F(PlainView, APressPlacesTheCaretOfASelectableCaretView)
{
    auto* view = dynamic_cast<RichText*>(root->RegisterObject(std::make_unique<RichText>()));
    ASSERT_NE(view, nullptr);
    view->MoveTo(100, 50);
    view->Create(200, 100, RT_SELECTABLE | RT_CARET, 0);
    view->Show();
    view->SetFontSize(20);
    view->AppendText("abcd\nef");
    Frame();
    struct Case {
        const char* what;
        int x, y; // in the text area
        int node; // the caret goes before it
    };
    // 'a' 0 .. 'd' 3, line feed 4 | 'e' 5, 'f' 6; characters 10 wide.
    const Case cases[] = {
        { "left half of 'c'", 24, 5, 2 },
        { "right half of 'c'", 26, 5, 3 },
        { "right of the first line's end", 150, 5, 4 },
        { "left half of 'f' on the second line", 12, 30, 6 },
    };
    const int left = static_cast<int>(view->GetTextCanvas()->GetLeft());
    const int top = static_cast<int>(view->GetTextCanvas()->GetTop());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RichTextNode* expected = view->GetFirstNode();
        for (int i = 0; i < c.node; ++i)
            expected = expected->next;
        // Far apart in time, so that no two presses make a double click.
        Frame(1000);
        input->OnMouseMove(left + c.x, top + c.y, 0);
        input->OnLButtonDown(left + c.x, top + c.y);
        input->OnLButtonUp(left + c.x, top + c.y);
        Frame();
        EXPECT_EQ(view->GetCaretNode(), expected);
        ASSERT_TRUE(view->GetCaret() && view->GetCaret()->IsShown());
        EXPECT_EQ(static_cast<int>(view->GetCaret()->GetX()), left + expected->x + 1);
        // The input method composes where the caret stands.
        const platform::Rect ime = host.GetWindow().GetImeRect();
        EXPECT_EQ(ime.left, left + expected->x);
        EXPECT_EQ(ime.top, top + expected->lineTop);
        EXPECT_EQ(ime.bottom, top + expected->y + expected->height);
        InputState state;
        input->CopyInputState(state);
        EXPECT_EQ(state.focusId, view->GetId());
    }
    // Text goes in at the caret, which stays before the same node.
    view->AppendText("X");
    std::string text;
    for (const RichTextNode* n = view->GetFirstNode(); n; n = n->next)
        text += static_cast<char>(n->code & 0xFF);
    EXPECT_EQ(text, "abcd\neXf");
}

} // namespace
