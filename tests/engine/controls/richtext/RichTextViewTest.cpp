// Views in a headless host window: layout, trimming, scrolling, drawing,
// links and inline objects.

#include "engine/controls/richtext/RichText.h"
#include "engine/controls/richtext/RichTextLink.h"
#include "engine/controls/richtext/RichTextObject.h"
#include "engine/controls/widgets/ScrollBar.h"
#include "platform/Clipboard.h"
#include "platform/MessageLoop.h"
#include "platform/OpenExternal.h"
#include "platform/WindowMessages.h"

#include "tests/engine/objects/HostFixture.h"
#include "tests/platform/SdlEvents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace engine;

class RichTextView : public objectstest::HostEngine {
protected:
    // Delivers the input event the input module would raise for a window
    // message over the view, with its input record.
    void Send(uint32_t message, int x, int y, uint32_t key = 0)
    {
        InputState state;
        state.x = x;
        state.y = y;
        state.lastKeyDown = key;
        int code = 0;
        switch (message) {
        case platform::kWmMouseMove: code = m_buttonDown ? EVT_DRAG : EVT_MOUSE_MOVE; break;
        case platform::kWmLButtonDown: code = EVT_LBUTTON_DOWN; m_buttonDown = true; break;
        case platform::kWmLButtonUp: code = EVT_LBUTTON_UP; m_buttonDown = false; break;
        case platform::kWmKeyDown: code = EVT_KEY_DOWN; break;
        default: return;
        }
        m_target->OnEvent(EngineEvent(m_target->GetId(), code, 0, ToWord(&state)));
        Frame();
    }
    RichText* m_target = nullptr;
    bool m_buttonDown = false;
    RichText* MakeView(int w, int h, uint32_t flags)
    {
        auto* view = dynamic_cast<RichText*>(root->RegisterObject(std::make_unique<RichText>()));
        EXPECT_NE(view, nullptr);
        view->MoveTo(w / 2, h / 2);
        view->Create(w, h, flags, 0);
        view->Show();
        m_target = view;
        return view;
    }
    // Pictures lose a little precision on their way to the window.
    static bool Near(uint32_t pixel, uint32_t rgb)
    {
        for (int shift : { 0, 8, 16 }) {
            const int a = static_cast<int>((pixel >> shift) & 0xFF);
            const int b = static_cast<int>((rgb >> shift) & 0xFF);
            if (std::abs(a - b) > 8)
                return false;
        }
        return true;
    }
    static std::vector<const RichTextNode*> Nodes(const RichText& view)
    {
        std::vector<const RichTextNode*> out;
        for (const RichTextNode* n = view.GetFirstNode(); n; n = n->next)
            out.push_back(n);
        return out;
    }
};

TEST_F(RichTextView, LinesWrapAtTheWidthAndTheOpenLineContinues)
{
    RichText* view = MakeView(100, 100, RT_BACK_COLOUR);
    view->SetFontSize(20); // one-byte characters 10 wide
    view->AppendText("ab\ncd");
    auto nodes = Nodes(*view);
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(view->GetLineCount(), 1);
    EXPECT_EQ(nodes[3]->y, 24); // 20-pixel line and 0.2 spacing
    EXPECT_EQ(nodes[3]->x, 0);
    view->AppendText("ef");
    nodes = Nodes(*view);
    EXPECT_EQ(nodes[5]->x, 20);
    EXPECT_EQ(nodes[5]->y, 24);
    EXPECT_EQ(view->GetLineCount(), 1);

    // Eleven characters of 10 pixels in a 100-pixel area wrap after ten.
    view->Clear();
    view->AppendText("0123456789X");
    nodes = Nodes(*view);
    EXPECT_EQ(nodes[9]->x, 90);
    EXPECT_EQ(nodes[10]->x, 0);
    EXPECT_EQ(nodes[10]->y, 24);

    // Pixel line spacing.
    view->Clear();
    view->SetLineSpacingPixels(3);
    view->AppendText("a\nb");
    EXPECT_EQ(Nodes(*view)[2]->y, 23);
}

TEST_F(RichTextView, MixedSizesShareTheLineBottomAndTheOpenLineGrows)
{
    RichText* view = MakeView(200, 100, RT_BACK_COLOUR);
    view->AppendText("<size=12>ab");
    auto nodes = Nodes(*view);
    EXPECT_EQ(nodes[0]->y, 0);
    // A taller character on the open line moves its earlier nodes down.
    view->AppendText("<size=24>C");
    nodes = Nodes(*view);
    EXPECT_EQ(nodes[0]->y, 12);
    EXPECT_EQ(nodes[1]->y, 12);
    EXPECT_EQ(nodes[2]->y, 0);
    EXPECT_EQ(nodes[2]->x, 12);
    EXPECT_EQ(nodes[0]->lineTop, 0);
}

TEST_F(RichTextView, LineLimitDropsOldLinesAndMovesTop)
{
    RichText* view = MakeView(200, 40, RT_BACK_COLOUR | RT_KEEP_IN_VIEW);
    view->SetFontSize(20);
    view->SetMaxLines(2);
    view->AppendText("one\n");
    view->AppendText("two\n");
    EXPECT_EQ(view->GetContentTop(), 0);
    view->AppendText("three\n");
    EXPECT_EQ(view->GetLineCount(), 2);
    EXPECT_EQ(view->GetContentTop(), 20);
    EXPECT_GE(view->GetScrollY(), view->GetContentTop());
    const auto nodes = Nodes(*view);
    ASSERT_FALSE(nodes.empty());
    EXPECT_EQ(static_cast<char>(nodes[0]->code), 't');
    EXPECT_EQ(static_cast<char>(nodes[1]->code), 'w');
    EXPECT_EQ(view->GetNodeCount(), static_cast<int>(nodes.size()));
}

TEST_F(RichTextView, WheelScrollsAndKeepInViewFollowsTheEnd)
{
    RichText* view = MakeView(200, 50, RT_BACK_COLOUR | RT_KEEP_IN_VIEW | RT_REDRAW_NOW);
    view->SetFontSize(20);
    for (int i = 0; i < 10; ++i)
        view->AppendText("line\n");
    const int end = view->GetContentTop() + view->GetContentHeight() - 50;
    EXPECT_EQ(view->GetScrollY(), end);
    view->OnEvent(EngineEvent(view->GetId(), EVT_WHEEL_UP));
    EXPECT_EQ(view->GetScrollY(), end - 3 * 20);
    view->OnEvent(EngineEvent(view->GetId(), EVT_WHEEL_DOWN));
    EXPECT_EQ(view->GetScrollY(), end);
    view->ScrollTo(-100);
    EXPECT_EQ(view->GetScrollY(), 0);
}

TEST_F(RichTextView, VerticalBarAppearsWithTallContentAndScrollsTheView)
{
    MakePicture("vtrack", 12, 40, 0x808080);
    MakePicture("vthumb", 12, 20, 0x404040);
    for (int i = 0; i < 5; ++i)
        core().SetStringProperty(PROP_SCROLLBAR_FIRST + i, i == 0 ? "vtrack" : "vthumb");
    RichText* view = MakeView(200, 50, RT_BACK_COLOUR | RT_KEEP_IN_VIEW | RT_SCROLL_BARS | RT_REDRAW_NOW);
    view->SetFontSize(20);
    ASSERT_NE(view->GetVerticalBar(), nullptr);
    EXPECT_FALSE(view->GetVerticalBar()->IsShown());
    EXPECT_EQ(view->GetViewWidth(), 200);
    for (int i = 0; i < 6; ++i)
        view->AppendText("line\n");
    EXPECT_TRUE(view->GetVerticalBar()->IsShown());
    EXPECT_EQ(view->GetViewWidth(), 188);
    EXPECT_DOUBLE_EQ(view->GetVerticalBar()->GetContentLength(), view->GetContentHeight());
    // The bar reports a position: the view scrolls there.
    const double values[3] = { 24, 50, static_cast<double>(view->GetContentHeight()) };
    view->OnEvent(EngineEvent(view->GetId(), EVT_SCROLL, ToWord(values)));
    EXPECT_EQ(view->GetScrollY(), 24);
    view->Clear();
    view->AppendText("x");
    EXPECT_FALSE(view->GetVerticalBar()->IsShown());
    EXPECT_EQ(view->GetViewWidth(), 200);
}

TEST_F(RichTextView, SingleLineScrollsHorizontally)
{
    RichText* view = MakeView(50, 20, RT_BACK_COLOUR | RT_KEEP_IN_VIEW | RT_SINGLE_LINE | RT_REDRAW_NOW);
    view->SetFontSize(10);
    view->AppendText("abcdefghijklmnopqrst"); // 20 x 5 pixels
    EXPECT_EQ(view->GetContentWidth(), 100);
    EXPECT_GT(view->GetScrollX(), 0);
    view->ScrollTo(0);
    EXPECT_EQ(view->GetScrollX(), 0);
    view->ScrollToEnd();
    EXPECT_EQ(view->GetScrollX(), 50);
}

TEST_F(RichTextView, RedrawsAreCoalescedAndDrawText)
{
    RichText* view = MakeView(120, 60, RT_BACK_COLOUR);
    view->SetFontSize(20);
    view->AppendText("<c=255>#####");
    view->RequestRedraw();
    EXPECT_TRUE(view->IsRedrawPending());
    Frames(3);
    EXPECT_FALSE(view->IsRedrawPending());
    Frames(2);
    // Some red text pixels reached the window.
    int red = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            if (const uint32_t p = Pixel(x, y); (p >> 16) >= 0xF0 && (p & 0xFFFF) < 0x4040)
                ++red;
    EXPECT_GT(red, 10);
    // Nothing is drawn right of the three characters.
    for (int y = 0; y < 60; ++y)
        EXPECT_EQ(Pixel(50, y), 0xFFFFFFu) << y;
}

TEST_F(RichTextView, ScrollingReusesTheCacheOnlyWithTheSameHorizontalScroll)
{
    RichText* view = MakeView(120, 60, RT_BACK_COLOUR | RT_REDRAW_NOW);
    view->SetFontSize(20);
    for (int i = 0; i < 6; ++i)
        view->AppendText("abc\n");
    view->ScrollTo(0);
    view->ScrollTo(24);
    EXPECT_GT(view->GetCacheCopies(), 0);

    RichText* line = MakeView(50, 20, RT_BACK_COLOUR | RT_SINGLE_LINE | RT_REDRAW_NOW);
    line->SetFontSize(10);
    line->AppendText("abcdefghijklmnopqrst");
    line->ScrollTo(0);
    line->ScrollTo(30);
    EXPECT_EQ(line->GetCacheCopies(), 0);
    line->RedrawNow(true);
    EXPECT_GT(line->GetCacheCopies(), 0);
}

TEST_F(RichTextView, LinksMakeRunsAndClicksOpenTheirData)
{
    RichText* view = MakeView(200, 60, RT_BACK_COLOUR | RT_LINKS);
    view->AppendText("a<url_text=http://x.test/,看这里>b<url=>");
    const auto nodes = Nodes(*view);
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(nodes[1]->flags & (NODE_LINK | NODE_UNDERLINE | NODE_LINK_FIRST), NODE_LINK | NODE_UNDERLINE | NODE_LINK_FIRST);
    EXPECT_EQ(nodes[1]->colour, 0xFF0000u);
    EXPECT_TRUE(nodes[3]->flags & NODE_LINK_LAST);
    EXPECT_EQ(nodes[4]->flags & NODE_LINK, 0u);
    const int linkId = view->FindNodeObject(nodes[1]);
    auto* link = dynamic_cast<RichTextLink*>(objects->FindById(linkId));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetLinkData(), "http://x.test/");

    std::vector<std::string> opened;
    platform::SetOpenExternalHook([&](const std::string& a) {
        opened.push_back(a);
        return true;
    });
    link->OnClick(0, 0);
    Frames(2);
    EXPECT_EQ(opened, (std::vector<std::string> { "http://x.test/" }));
    // Clearing the view removes the link after the click is delivered.
    link->OnClick(0, 0);
    view->Clear();
    Frames(2);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(objects->FindById(linkId), nullptr);
    // A view removed before delivery: nothing is opened, nothing leaks.
    view->AppendText("<url_text=http://y.test/,again>");
    link = dynamic_cast<RichTextLink*>(objects->FindById(view->FindNodeObject(view->GetFirstNode())));
    ASSERT_NE(link, nullptr);
    link->OnClick(0, 0);
    objects->RemoveObject(view->GetId());
    Frames(2);
    EXPECT_EQ(opened.size(), 2u);
    platform::SetOpenExternalHook(nullptr);
}

TEST_F(RichTextView, OnlyWebAddressesAreOpened)
{
    RichText* view = MakeView(100, 40, RT_BACK_COLOUR);
    std::vector<std::string> opened;
    platform::SetOpenExternalHook([&](const std::string& a) {
        opened.push_back(a);
        return true;
    });
    for (const char* text : { "http://a.test/x?y=1;z", "HTTPS://b.test/", "file:///etc/passwd", "calc.exe",
             "http://", "", "javascript:alert(1)", "http://a\n-b", "--help http://a" })
        view->OpenUrl(text);
    view->OpenUrl("https://c.test/中文");
    platform::SetOpenExternalHook(nullptr);
    EXPECT_EQ(opened,
        (std::vector<std::string> { "http://a.test/x?y=1;z", "HTTPS://b.test/", "https://c.test/\xE4\xB8\xAD\xE6\x96\x87" }));
}

TEST_F(RichTextView, InlineObjectsAndButtons)
{
    MakePicture("pic", 16, 12, 0x00FF00);
    MakePicture("btn", 10, 10, 0x0000FF, 4);
    RichText* view = MakeView(200, 60, RT_BACK_COLOUR | RT_LINKS);
    view->AppendText("a<z=pic>b<z=missing>c<url_btn=http://b.test/,btn,30,20><z=pic,0,8,6>");
    const auto nodes = Nodes(*view);
    ASSERT_EQ(nodes.size(), 6u);
    EXPECT_EQ(nodes[1]->flags, NODE_OBJECT);
    EXPECT_EQ(nodes[1]->width, 16);
    EXPECT_EQ(nodes[1]->height, 12);
    auto* picture = dynamic_cast<RichTextObject*>(objects->FindById(static_cast<int>(nodes[1]->code)));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetCopyText(), "[图片]");
    EXPECT_EQ(nodes[4]->flags, NODE_OBJECT | NODE_BUTTON);
    EXPECT_EQ(nodes[4]->width, 30);
    EXPECT_EQ(nodes[4]->height, 20);
    auto* button = dynamic_cast<RichTextObject*>(objects->FindById(static_cast<int>(nodes[4]->code)));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetLinkData(), "http://b.test/");
    EXPECT_EQ(nodes[5]->width, 8);

    std::vector<std::string> opened;
    platform::SetOpenExternalHook([&](const std::string& a) {
        opened.push_back(a);
        return true;
    });
    button->OnEvent(EngineEvent(button->GetId(), EVT_MOUSE_ENTER));
    EXPECT_EQ(button->GetSprite()->GetPicture()->GetFrame(), 1);
    button->OnEvent(EngineEvent(button->GetId(), EVT_LBUTTON_DOWN));
    EXPECT_EQ(button->GetSprite()->GetPicture()->GetFrame(), 2);
    button->OnEvent(EngineEvent(button->GetId(), EVT_CLICK));
    EXPECT_EQ(button->GetSprite()->GetPicture()->GetFrame(), 1);
    button->OnEvent(EngineEvent(button->GetId(), EVT_MOUSE_LEAVE));
    EXPECT_EQ(button->GetSprite()->GetPicture()->GetFrame(), 0);
    Frames(2);
    platform::SetOpenExternalHook(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string> { "http://b.test/" }));

    const int pictureId = picture->GetId();
    view->Clear();
    Frames(2);
    EXPECT_EQ(objects->FindById(pictureId), nullptr);
}

TEST_F(RichTextView, MouseSelectionAndControlCCopy)
{
    // View at the window's top-left corner: engine and content coordinates
    // agree.
    RichText* view = MakeView(200, 100, RT_BACK_COLOUR | RT_SELECTABLE);
    view->SetFontSize(20);
    view->AppendText("abc def\n中文<z=pic>xy");
    MakePicture("pic", 16, 12, 0x00FF00);
    view->AppendText("<z=pic>end");
    Frame();
    // Press on the right half of 'a', drag to the left half of 'e' on the
    // first line: "bc d" is selected.
    Send(platform::kWmMouseMove, 7, 10);
    Send(platform::kWmLButtonDown, 7, 10);
    Send(platform::kWmMouseMove, 41, 10);
    Send(platform::kWmMouseMove, 51, 10);
    Send(platform::kWmLButtonUp, 51, 10);
    ASSERT_NE(view->GetSelectionStart(), nullptr);
    EXPECT_EQ(static_cast<char>(view->GetSelectionStart()->code), 'b');
    EXPECT_EQ(static_cast<char>(view->GetSelectionEnd()->code), 'e');
    EXPECT_TRUE(view->GetSelectionLayer()->IsShown());
    EXPECT_EQ(view->SelectionText(), "bc d");

    // Across the line end and the picture to the end of the text (the first
    // picture tag came before its picture existed and was swallowed).
    Send(platform::kWmLButtonDown, 41, 10);
    Send(platform::kWmMouseMove, 150, 30);
    Send(platform::kWmMouseMove, 199, 99);
    Send(platform::kWmLButtonUp, 199, 99);
    EXPECT_EQ(view->SelectionText(), "def\n中文xy[图片]end");

    platform::SetClipboardText("before");
    SDL_SetModState(KMOD_LCTRL);
    Send(platform::kWmKeyDown, 0, 0, 'C');
    SDL_SetModState(KMOD_NONE);
    std::string copied;
    ASSERT_TRUE(platform::GetClipboardText(copied));
    EXPECT_EQ(copied, "def\n中文xy[图片]end");

    // A masked view copies nothing.
    view->SetStyleFlags(view->GetStyleFlags() | RT_MASKED);
    platform::SetClipboardText("kept");
    view->CopySelection();
    ASSERT_TRUE(platform::GetClipboardText(copied));
    EXPECT_EQ(copied, "kept");
}

TEST_F(RichTextView, DoubleClickSelectsAWordOrOneChineseCharacter)
{
    RichText* view = MakeView(200, 100, RT_BACK_COLOUR | RT_SELECTABLE);
    view->SetFontSize(20);
    view->AppendText("abc def 中文");
    view->OnMouseDown(15, 10);
    view->OnMouseUp(15, 10);
    view->OnDoubleClick(15, 10);
    EXPECT_EQ(view->SelectionText(), "abc");
    view->OnMouseDown(85, 10);
    view->OnMouseUp(85, 10);
    view->OnDoubleClick(85, 10);
    EXPECT_EQ(view->SelectionText(), "中");
}

TEST_F(RichTextView, PastedTextGoesThroughTheMarkupReader)
{
    RichText* view = MakeView(200, 100, RT_BACK_COLOUR | RT_SELECTABLE);
    platform::SetClipboardText("<c=255>红");
    view->PasteClipboard();
    ASSERT_EQ(view->GetNodeCount(), 1);
    EXPECT_EQ(view->GetFirstNode()->colour, 0x0000FFu);
}

TEST_F(RichTextView, HoveringAndClickingALinkByMouse)
{
    MakePicture("glow", 40, 20, 0x00FFFF);
    RichText* view = MakeView(200, 100, RT_BACK_COLOUR | RT_LINKS);
    view->SetFontSize(20);
    view->AppendText("<url_text=http://x.test/,link,glow> tail");
    const int linkId = view->FindNodeObject(view->GetFirstNode());
    auto* link = dynamic_cast<RichTextLink*>(objects->FindById(linkId));
    ASSERT_TRUE(link && link->GetHighlight());
    std::vector<std::string> opened;
    platform::SetOpenExternalHook([&](const std::string& a) {
        opened.push_back(a);
        return true;
    });
    Send(platform::kWmMouseMove, 5, 10);
    EXPECT_TRUE(link->GetHighlight()->IsShown());
    EXPECT_LT(link->GetHighlight()->GetOpacity(), 1.0);
    Frames(12, 31);
    EXPECT_DOUBLE_EQ(link->GetHighlight()->GetOpacity(), 1.0);
    Send(platform::kWmLButtonDown, 5, 10);
    Send(platform::kWmLButtonUp, 5, 10);
    Frames(2);
    Send(platform::kWmMouseMove, 150, 10);
    EXPECT_FALSE(link->GetHighlight()->IsShown());
    platform::SetOpenExternalHook(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string> { "http://x.test/" }));
}

// An inline object that takes the size it is asked to fit, as list rows do.
class FittingObject : public RichTextObject {
public:
    void FitTo(int maxWidth, int maxHeight) override
    {
        asked.emplace_back(maxWidth, maxHeight);
        ScaleTo(std::min(static_cast<int>(GetWidth()), maxWidth), std::min(static_cast<int>(GetHeight()), maxHeight));
    }
    std::vector<std::pair<int, int>> asked;
};

TEST_F(RichTextView, AppendedObjectsHiddenNodesAndRemovedObjects)
{
    const PictureDesc pic = MakePicture("pic", 16, 12, 0x00FF00);
    RichText* view = MakeView(100, 60, RT_BACK_COLOUR | RT_REDRAW_NOW);
    view->SetFontSize(20);
    view->AppendText("<c=255>ab");
    auto* kept = dynamic_cast<RichTextObject*>(view->RegisterObject(std::make_unique<RichTextObject>()));
    ASSERT_NE(kept, nullptr);
    kept->SetPicture(pic, 0, 0);
    view->AppendObject(kept);
    // Wider than the area: asked to fit it before it is placed.
    auto* wide = dynamic_cast<FittingObject*>(view->RegisterObject(std::make_unique<FittingObject>()));
    ASSERT_NE(wide, nullptr);
    wide->SetPicture(pic, 150, 12);
    view->AppendObject(wide);
    view->AppendObject(nullptr);
    auto nodes = Nodes(*view);
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_EQ(nodes[2]->flags, NODE_OBJECT);
    EXPECT_EQ(nodes[2]->width, 16);
    EXPECT_EQ(wide->asked, (std::vector<std::pair<int, int>> { { 100, 60 } }));
    EXPECT_EQ(nodes[3]->width, 100);
    EXPECT_EQ(nodes[3]->lineTop, 24); // a line of its own
    view->RedrawNow(false);
    Frames(2);
    auto redIn = [&](int x0, int x1) {
        int red = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = x0; x < x1; ++x)
                if (const uint32_t p = Pixel(x, y); (p >> 16) >= 0xF0 && (p & 0xFFFF) < 0x4040)
                    ++red;
        return red;
    };
    ASSERT_GT(redIn(0, 10), 0);
    EXPECT_TRUE(Near(Pixel(28, 14), 0x00FF00)); // the picture after "ab", on the line bottom

    // Hidden nodes keep their places and are not drawn; the object hides.
    view->HideNodeAt(0);
    view->HideNodeAt(2);
    view->HideNodeAt(99);
    view->RedrawNow(false);
    Frames(2);
    EXPECT_EQ(redIn(0, 10), 0);
    EXPECT_GT(redIn(10, 20), 0);
    EXPECT_FALSE(kept->IsShown());
    EXPECT_EQ(Nodes(*view)[1]->x, 10);
    view->ShowAllNodes();
    view->RedrawNow(false);
    Frames(2);
    EXPECT_GT(redIn(0, 10), 0);
    EXPECT_TRUE(kept->IsShown());

    // Removing without destroying leaves the object to its caller.
    const int keptId = kept->GetId();
    const int wideId = wide->GetId();
    view->RemoveInlineObject(keptId, false);
    view->RemoveInlineObject(wideId, true);
    view->RemoveInlineObject(12345, true);
    Frames(2);
    EXPECT_EQ(objects->FindById(keptId), kept);
    EXPECT_EQ(objects->FindById(wideId), nullptr);
    EXPECT_EQ(view->GetNodeCount(), 2);
    view->Clear();
    Frames(2);
    EXPECT_EQ(objects->FindById(keptId), kept);
}

TEST_F(RichTextView, FitHeightFollowsTheContentWithItsTopInPlace)
{
    RichText* view = MakeView(100, 20, RT_BACK_COLOUR | RT_FIT_HEIGHT);
    view->MoveTo(60, 30); // top 20
    view->SetFontSize(20);
    view->AppendText("one\ntwo\nsix");
    EXPECT_EQ(view->GetContentHeight(), 68);
    EXPECT_EQ(view->GetViewHeight(), 68);
    EXPECT_DOUBLE_EQ(view->GetHeight(), 68);
    EXPECT_DOUBLE_EQ(view->GetTop(), 20);
    EXPECT_EQ(view->GetBackgroundCanvas()->GetBufferHeight(), 68);
    const Rect area = view->GetTextArea();
    EXPECT_EQ(area.top, 20);
    EXPECT_EQ(area.bottom, 88);
    // It stops growing when it would no longer fit the screen (150 high).
    for (int i = 0; i < 6; ++i)
        view->AppendText("\nmore");
    EXPECT_LT(view->GetHeight(), 150);
    EXPECT_DOUBLE_EQ(view->GetTop(), 20);
    EXPECT_LT(view->GetViewHeight(), view->GetContentHeight());
}

TEST_F(RichTextView, BackgroundColourPictureAndDrawnImages)
{
    const PictureDesc tile = MakePicture("tile", 10, 10, 0x00FF00);
    MakePicture("back", 30, 20, 0x404040);
    RichText* view = MakeView(100, 60, RT_BACK_COLOUR);
    view->SetBackgroundColour(0x0000FF); // red as the system writes colours
    Frames(2);
    EXPECT_EQ(Pixel(50, 40), 0xFF0000u);
    view->DrawImage(tile, 40, 30, 10, 10);
    Frames(2);
    EXPECT_TRUE(Near(Pixel(45, 35), 0x00FF00));
    EXPECT_EQ(Pixel(55, 35), 0xFF0000u);

    view->SetBackgroundImage("back");
    EXPECT_TRUE(view->GetStyleFlags() & RT_BACK_IMAGE);
    EXPECT_FALSE(view->GetStyleFlags() & RT_BACK_COLOUR);
    Frames(2);
    EXPECT_TRUE(Near(Pixel(5, 5), 0x404040));
    EXPECT_NE(Pixel(50, 40), 0xFF0000u); // the rest is transparent
    view->ResizeBackground(120, 80);
    EXPECT_EQ(view->GetBackgroundCanvas()->GetBufferWidth(), 120);
    Frames(2);
    EXPECT_TRUE(Near(Pixel(5, 5), 0x404040));
}

TEST_F(RichTextView, MovingScalingOffsettingAndDraggingKeepTheTextArea)
{
    RichText* view = MakeView(100, 60, RT_BACK_COLOUR | RT_REDRAW_NOW);
    view->SetFontSize(20);
    view->AppendText("0123456789ABCDE"); // 15 characters of 10 pixels
    EXPECT_EQ(Nodes(*view)[10]->lineTop, 24);
    auto hitOfText = [&] {
        const Rect r = view->GetTextCanvas()->GetHitRect();
        const Rect a = view->GetTextArea();
        EXPECT_EQ(r.left, a.left);
        EXPECT_EQ(r.top, a.top);
        EXPECT_EQ(r.right, a.right);
        EXPECT_EQ(r.bottom, a.bottom);
        return a;
    };
    view->MoveTo(70, 50);
    EXPECT_EQ(hitOfText().left, 20);
    view->MoveBy(-10, 5);
    EXPECT_EQ(hitOfText().top, 25);

    // Twice as wide: one line, laid out again, background at the new size.
    view->Scale(2, 1);
    EXPECT_EQ(view->GetViewWidth(), 200);
    EXPECT_EQ(view->GetBackgroundCanvas()->GetBufferWidth(), 200);
    EXPECT_EQ(Nodes(*view)[14]->lineTop, 0);
    EXPECT_EQ(hitOfText().left, -40);

    view->SetTextOffset(4, 2);
    EXPECT_EQ(hitOfText().left, -36);
    EXPECT_EQ(view->GetViewWidth(), 200);

    // Dragging the background moves the whole view.
    view->SetDraggable(true);
    const EngineEvent* forward = view->GetBackgroundCanvas()->FindSubscription(EVT_DRAG);
    ASSERT_NE(forward, nullptr);
    InputState drag;
    drag.dx = 7;
    drag.dy = -3;
    EngineEvent moved = *forward;
    moved.data = ToWord(&drag);
    const double x = view->GetX();
    const double y = view->GetY();
    objects->SendEvent(moved);
    EXPECT_DOUBLE_EQ(view->GetX(), x + 7);
    EXPECT_DOUBLE_EQ(view->GetY(), y - 3);
    EXPECT_EQ(hitOfText().left, -29);
}

TEST_F(RichTextView, HorizontalBarOfASingleLineView)
{
    MakePicture("htrack", 40, 8, 0x808080);
    MakePicture("hthumb", 20, 8, 0x404040);
    for (int i = 5; i < 10; ++i)
        core().SetStringProperty(PROP_SCROLLBAR_FIRST + i, i == 5 ? "htrack" : "hthumb");
    RichText* view
        = MakeView(60, 30, RT_BACK_COLOUR | RT_KEEP_IN_VIEW | RT_SINGLE_LINE | RT_SCROLL_BARS | RT_REDRAW_NOW);
    view->SetFontSize(10);
    EXPECT_EQ(view->GetVerticalBar(), nullptr);
    view->AppendText("abcdefgh");
    EXPECT_EQ(view->GetViewHeight(), 30);
    view->AppendText("ijklmnopqrst"); // 100 pixels in a 60-pixel line
    EXPECT_EQ(view->GetViewHeight(), 22); // the bar takes its height
    EXPECT_EQ(view->GetViewWidth(), 60);
    const double values[3] = { 20, 60, 100 };
    view->OnEvent(EngineEvent(view->GetId(), EVT_SCROLL, ToWord(values)));
    EXPECT_EQ(view->GetScrollX(), 20);
    // Without scroll bars the bar goes and the text takes its place again.
    view->SetStyleFlags(view->GetStyleFlags() & ~RT_SCROLL_BARS);
    EXPECT_EQ(view->GetViewHeight(), 30);
    view->Clear();
    view->AppendText("x");
    EXPECT_EQ(view->GetViewHeight(), 30);
}

// The whole way from the window: SDL events through the input module to the
// view's text canvas and on to the view.
TEST_F(RichTextView, RealMouseEventsHoverLinksAndSelectText)
{
    MakePicture("glow", 40, 20, 0x00FFFF);
    RichText* view = MakeView(200, 100, RT_BACK_COLOUR | RT_LINKS | RT_SELECTABLE);
    view->SetFontSize(20);
    view->AppendText("<url_text=http://x.test/,link,glow> tail words");
    auto* link = dynamic_cast<RichTextLink*>(objects->FindById(view->FindNodeObject(view->GetFirstNode())));
    ASSERT_TRUE(link && link->GetHighlight());
    Frames(2);
    const uint32_t window = host.GetWindow().SdlWindowId();
    auto push = [&](uint32_t type, int x, int y) {
        if (type == SDL_MOUSEMOTION) {
            sdltest::PushMouseMotion(window, x, y, m_buttonDown ? SDL_BUTTON_LMASK : 0);
        } else {
            m_buttonDown = type == SDL_MOUSEBUTTONDOWN;
            sdltest::PushMouseButton(window, m_buttonDown, SDL_BUTTON_LEFT, x, y);
        }
        for (int i = 0; i < 3; ++i)
            platform::MessageLoop::PumpOnce(0);
        Frames(2);
    };
    push(SDL_MOUSEMOTION, 5, 10);
    EXPECT_TRUE(link->GetHighlight()->IsShown());
    push(SDL_MOUSEMOTION, 150, 10);
    EXPECT_FALSE(link->GetHighlight()->IsShown());

    // Press right of "link" (at " tail"), drag into "words", release.
    push(SDL_MOUSEMOTION, 51, 10);
    push(SDL_MOUSEBUTTONDOWN, 51, 10);
    push(SDL_MOUSEMOTION, 80, 10);
    push(SDL_MOUSEMOTION, 111, 10);
    push(SDL_MOUSEBUTTONUP, 111, 10);
    EXPECT_FALSE(view->IsSelecting());
    EXPECT_EQ(view->SelectionText(), "tail w");
}

TEST_F(RichTextView, DraggingOutsideTheTextAreaScrollsAndSelectsToItsEdge)
{
    RichText* view = MakeView(100, 60, RT_BACK_COLOUR | RT_SELECTABLE | RT_REDRAW_NOW);
    view->SetFontSize(20);
    for (char c = 'a'; c <= 'h'; ++c)
        view->AppendText(std::string(1, c) + "bc\n");
    view->ScrollTo(120); // lines f, g, h in view
    ASSERT_EQ(view->GetScrollY(), 120);
    Send(platform::kWmLButtonDown, 15, 30); // right half of the 'b' of "gbc"
    // Above the area: three lines up per step, selecting to its top-left.
    Send(platform::kWmMouseMove, 50, -20);
    EXPECT_EQ(view->GetScrollY(), 120 - 3 * 20);
    EXPECT_EQ(view->SelectionText(), "cbc\ndbc\nebc\nfbc\ngb");
    Send(platform::kWmMouseMove, 50, -20);
    EXPECT_EQ(view->GetScrollY(), 0);
    EXPECT_EQ(view->SelectionText(), "abc\nbbc\ncbc\ndbc\nebc\nfbc\ngb");
    // Below it: down again, to the bottom-right corner (past the end of
    // "ebc": the selection starts with the next line).
    Send(platform::kWmMouseMove, 50, 500);
    EXPECT_EQ(view->GetScrollY(), 60);
    Send(platform::kWmLButtonUp, 50, 500);
    EXPECT_FALSE(view->IsSelecting());
    EXPECT_EQ(view->SelectionText(), "fbc\ngb");
}

// Inline pictures are objects of their own, drawn over whatever lies
// beyond the view: one scrolled partly or wholly out of it is not drawn.
TEST_F(RichTextView, PicturesScrolledOutOfTheViewAreNotDrawn)
{
    MakePicture("pic", 16, 16, 0x00FF00);
    RichText* view = MakeView(100, 60, RT_BACK_COLOUR | RT_KEEP_IN_VIEW | RT_REDRAW_NOW);
    view->MoveTo(50, 70); // rows 40 to 100 of the window
    view->SetFontSize(20);
    view->AppendText("a<z=pic>b\n");
    Frames(2);
    auto greenRows = [&] {
        std::vector<int> rows;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < 100; ++x)
                if (Near(Pixel(x, y), 0x00FF00)) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    };
    auto rows = greenRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 40);
    // Two more lines: the picture's line is partly above the view.
    view->AppendText("c\nd\n");
    Frames(2);
    EXPECT_GT(view->GetScrollY(), 0);
    EXPECT_LT(view->GetScrollY(), 24);
    EXPECT_TRUE(greenRows().empty());
    // Back at the top it is drawn again, wholly inside the view.
    view->ScrollTo(0);
    Frames(2);
    rows = greenRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 40);
    // Far out of view: not left where it was last drawn.
    for (int i = 0; i < 5; ++i)
        view->AppendText("more\n");
    Frames(2);
    EXPECT_TRUE(greenRows().empty());
}

} // namespace
