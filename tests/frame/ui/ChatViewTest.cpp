// The chat view's markup as the chat writes it (twips, bold growth, self
// links, emoticons, bad tags), what its links may open, and the emoticon
// index the chat box reads.

#include "SidePaneHost.h"

#include "engine/controls/richtext/RichTextLink.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/modules/ResourceModule.h"
#include "platform/Files.h"

#include <cstring>
#include <set>
#include <string>
#include <vector>

using namespace frameuitest;
using frame::ChatLinkAction;
using frame::ClassifyChatLink;

namespace {

using Lines = std::vector<std::string>;
constexpr uint32_t kLink = 0xFF0000;

std::string Look(uint32_t colour, int size, const char* flags = "")
{
    return "@" + std::to_string(colour) + "/" + std::to_string(size) + flags;
}

class ChatViews : public SidePaneHost {
protected:
    void SetUp() override
    {
        SidePaneHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePicture("vkf胜利", 20, 20, 0x00C0FF, 2);
        MakePicture("vkf角40", 16, 21, 0xFFFFFF);
        // The name "#角4好" would look up if the code could end inside "好".
        MakePicture(std::string("vkf角4") + std::string("好").substr(0, 1), 16, 21, 0xFFFFFF);
        box = MakeChatBox();
        view = box->GetView();
        ASSERT_NE(view, nullptr);
    }
    frame::ChatBox* box = nullptr;
    frame::ChatView* view = nullptr;
};

TEST_F(ChatViews, MarkupBecomesPiecesOfTheirLook)
{
    struct Case {
        const char* line;
        Lines pieces;
    };
    const Case cases[] = {
        { "abc", { "abc" + Look(0, 12) } },
        { "<c=255>红<>黑", { "红" + Look(255, 12), "黑" + Look(0, 12) } },
        // "s=" counts twips: 240 is 16 pixels, 180 is 12.
        { "<s=240>大", { "大" + Look(0, 16) } },
        { "<s=180,e=b>粗", { "粗" + Look(0, 13, "b") } },
        { "<c=255,e=b,s=240>会员", { "会员" + Look(255, 17, "b") } },
        // Sizes stop at the view's maximum.
        { "<size=100>x", { "x" + Look(0, 30) } },
        { "<s=1440>x", { "x" + Look(0, 30) } },
        // "size=" in the same tag has the last word.
        { "<s=240,size=20>x", { "x" + Look(0, 20) } },
        { "<notify>x", { "x" + Look(0, 12) } },
        { "a\r\nb", { "a" + Look(0, 12), "\\n", "b" + Look(0, 12) } },
        // Emoticons: "#" and a two-character code with a picture.
        { "#胜利好", { "[#胜利]", "好" + Look(0, 12) } },
        { "<#胜利>好", { "[#胜利]", "好" + Look(0, 12) } },
        // A card's corner: one character and two digits.
        { "翻牌 #角40,坐庄", { "翻牌 " + Look(0, 12), "[#角40]", ",坐庄" + Look(0, 12) } },
        // A code never ends inside a character.
        { "#角4好", { "#角4好" + Look(0, 12) } },
        // Bad tags and unknown codes stay text.
        { "#无图x", { "#无图x" + Look(0, 12) } },
        // "#>" is the escaped '>': a '#' alone is no emoticon tag.
        { "<#>", { "<>" + Look(0, 12) } },
        { "<#胜>", { "<#胜>" + Look(0, 12) } },
        { "end#胜", { "end#胜" + Look(0, 12) } },
        { "<c=255", { "<c=255" + Look(0, 12) } },
        { "<##>", { "<#>" + Look(0, 12) } },
    };
    for (const Case& c : cases) {
        box->Clear();
        box->AddLine(c.line);
        EXPECT_EQ(Pieces(*view), c.pieces) << c.line;
    }
}

TEST_F(ChatViews, SelfLinksTakeTheTextUpToTheEmptyTagAndKeepTheStyleAfterIt)
{
    struct Case {
        const char* line;
        Lines pieces;
    };
    const Case cases[] = {
        { "<c=255>看<e=l>http://a.test/x<>后",
            { "看" + Look(255, 12), "http://a.test/x" + Look(kLink, 12, "ul"), "后" + Look(255, 12) } },
        // "url=l" is the same and makes no link to "l".
        { "<url=l>http://b.test<>.", { "http://b.test" + Look(kLink, 12, "ul"), "." + Look(0, 12) } },
        // Without the empty tag right after the text there is no link.
        { "<e=l>http://c.test 完", { "http://c.test 完" + Look(0, 12) } },
        { "<e=l>http://c.test<c=255>x", { "http://c.test" + Look(0, 12), "x" + Look(255, 12) } },
        { "<e=l><>x", { "x" + Look(0, 12) } },
    };
    for (const Case& c : cases) {
        box->Clear();
        box->AddLine(c.line);
        EXPECT_EQ(Pieces(*view), c.pieces) << c.line;
    }
}

TEST_F(ChatViews, ChatLinesStayWithinThirtyPixelsAfterANotice)
{
    box->AddNotice("<size=100>N\n");
    box->AddLine("<size=100>L");
    EXPECT_EQ(Pieces(*view), (Lines { "N" + Look(0, 100), "\\n", "L" + Look(0, 30) }));
}

TEST(ChatLinks, OnlyPlainWebAddressesAndTrustedFoldersOpen)
{
    const std::set<std::string> trusted { "D:\\KbZn\\screenshots" };
    struct Case {
        const char* target;
        ChatLinkAction action;
    };
    const Case cases[] = {
        { "http://example.test/page?a=1&b=2", ChatLinkAction::kWebPage },
        { "HTTPS://example.test/", ChatLinkAction::kWebPage },
        { "D:\\KbZn\\screenshots", ChatLinkAction::kLocalFolder },
        { "C:\\Windows\\system32\\cmd.exe", ChatLinkAction::kRefused },
        { "D:\\KbZn\\screenshots\\..\\..", ChatLinkAction::kRefused },
        { "file:///etc/passwd", ChatLinkAction::kRefused },
        { "/usr/bin/xterm", ChatLinkAction::kRefused },
        { "../../bin/sh", ChatLinkAction::kRefused },
        { "screenshots", ChatLinkAction::kRefused },
        { "javascript:alert(1)", ChatLinkAction::kRefused },
        { "http://", ChatLinkAction::kRefused },
        { "ftp://example.test/", ChatLinkAction::kRefused },
        { "http://a.test/;rm -rf ~", ChatLinkAction::kRefused },
        { "http://a.test/$(reboot)", ChatLinkAction::kRefused },
        { "http://a.test/`id`", ChatLinkAction::kRefused },
        { "http://a.test/|cat", ChatLinkAction::kRefused },
        { "http://a.test/\"x", ChatLinkAction::kRefused },
        { "http://a.test/\nx", ChatLinkAction::kRefused },
        { "", ChatLinkAction::kRefused },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyChatLink(c.target, trusted), c.action) << c.target;
}

class ChatLinkClicks : public ChatViews {
protected:
    // Clicks the middle of the first link run of the view.
    void ClickFirstLink()
    {
        view->RedrawNow(false);
        Frame();
        const engine::Rect area = view->GetTextArea();
        for (const engine::RichTextNode* n = view->GetFirstNode(); n; n = n->next) {
            if (!(n->flags & engine::NODE_LINK_FIRST))
                continue;
            const int x = area.left + n->x - view->GetScrollX() + n->width / 2;
            const int y = area.top + n->y - view->GetScrollY() + n->height / 2;
            ClickAt(x, y);
            Frames(3);
            return;
        }
        ADD_FAILURE() << "no link in the view";
    }
    OpenerRecorder opener;
};

TEST_F(ChatLinkClicks, AWebLinkFromAPlayerOpensTheBrowserWithTheAddressAlone)
{
    box->AddLine("<url_text=http://example.test/a,网页>");
    ClickFirstLink();
    EXPECT_EQ(opener.opened, (Lines { "http://example.test/a" }));
}

TEST_F(ChatLinkClicks, ALocalPathFromAPlayerOpensNothing)
{
    box->AddLine("<url_text=C:\\Windows,文件夹>");
    ClickFirstLink();
    EXPECT_TRUE(opener.opened.empty());
}

TEST_F(ChatLinkClicks, TheClientsOwnFolderLinkOpensTheFolder)
{
    const std::string folder = "D:\\KbZn\\截图";
    box->AddFolderLine("截图已保存 <url_text=" + folder + ",打开>", folder);
    ClickFirstLink();
    EXPECT_EQ(opener.opened, (Lines { platform::NativePath(folder) }));
}

TEST(FaceIndex, PiecesBetweenBarsWithAnEqualsSign)
{
    struct Case {
        const char* text;
        std::vector<frame::FaceIndexEntry> entries;
    };
    const Case cases[] = {
        { "微笑=1|大哭=2|胜利=3", { { "微笑", 1 }, { "大哭", 2 }, { "胜利", 3 } } },
        { "微笑=1||胜利=3|", { { "微笑", 1 }, { "胜利", 3 } } },
        { "微笑=1|\r\n", { { "微笑", 1 } } },
        { "微笑=x|无号|=5", { { "微笑", 0 }, { "", 5 } } },
        { "", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame::ParseFaceIndex(c.text), c.entries) << c.text;
}

} // namespace

namespace {

// A frame piece whose left half is one colour and right half another.
class ChatFrames : public SidePaneHost {
protected:
    static constexpr uint32_t kLeft = 0x0000C0;
    static constexpr uint32_t kRight = 0xC00000;
    void SetUp() override
    {
        SidePaneHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const uint32_t left = engine::CanvasObject::MakePixel(kLeft, engine::kNoColourKey);
        const uint32_t right = engine::CanvasObject::MakePixel(kRight, engine::kNoColourKey);
        host.AddPicture("SystemChatBox1", 100, 10, 1, 0, [=](int, int x, int) { return x < 50 ? left : right; });
    }
};

TEST_F(ChatFrames, AWideBoxKeepsThePicturesHalvesAndStretchesTheMiddle)
{
    frame::ChatBox* box = MakeChatBox(180, 100);
    engine::CanvasObject* back = box->GetView()->GetBackgroundCanvas();
    ASSERT_EQ(back->GetBufferWidth(), 180);
    ASSERT_EQ(back->GetBufferHeight(), 100);
    struct Case {
        int x;
        uint32_t colour;
    };
    // Halves of 50 at each end; the two middle columns fill the 80 between.
    const Case cases[] = { { 0, kLeft }, { 49, kLeft }, { 60, kLeft }, { 120, kRight }, { 130, kRight },
        { 179, kRight } };
    for (const Case& c : cases)
        EXPECT_EQ(back->GetPixel(c.x, 5), c.colour) << c.x;
}

TEST_F(ChatFrames, ANarrowBoxShowsThePictureScaledDownOnce)
{
    frame::ChatBox* box = MakeChatBox(60, 100);
    engine::CanvasObject* back = box->GetView()->GetBackgroundCanvas();
    ASSERT_EQ(back->GetBufferWidth(), 60);
    EXPECT_EQ(back->GetPixel(0, 5), kLeft);
    EXPECT_EQ(back->GetPixel(29, 5), kLeft);
    EXPECT_EQ(back->GetPixel(31, 5), kRight);
    EXPECT_EQ(back->GetPixel(59, 5), kRight);
}

} // namespace

namespace {

// The game's picker as the chat box sees it: an object that takes the
// index's entries.
class FakePicker : public engine::BoundObject, public frame::FacePickerCalls {
public:
    void AddEntry(std::string_view name, std::string_view code, int number) override
    {
        entries.push_back(std::string(name) + " " + std::string(code) + " " + std::to_string(number));
    }
    void DrawEntries() override { ++draws; }
    std::vector<std::string> entries;
    int draws = 0;
};

class PickerBox : public frame::ChatBox {
protected:
    std::unique_ptr<engine::EngineObject> CreateFacePicker() override
    {
        auto picker = std::make_unique<FakePicker>();
        picker->ScaleTo(60, 40);
        return picker;
    }
};

class FacePickers : public SidePaneHost {
protected:
    void SetUp() override
    {
        SidePaneHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const std::string index = "微笑=1|大哭=2||胜利=3|";
        auto bytes = std::make_unique<char[]>(index.size() + 1);
        std::memcpy(bytes.get(), index.c_str(), index.size() + 1);
        root->GetResourceModule()->AddEntry(frame::kFaceIndexResource, std::move(bytes),
            static_cast<uint32_t>(index.size() + 1));
        button = static_cast<engine::ImageButton*>(root->RegisterObject(std::make_unique<engine::ImageButton>()));
        const engine::EngineEvent click(0, 0, 0, 0);
        button->Create(MakePicture("faces", 20, 20, 0x80C0F0, 4), &click, 0, 0);
        button->SetName(frame::kFaceButtonName);
        button->MoveTo(20, 140);
        button->Show();
        box = static_cast<PickerBox*>(root->RegisterObject(std::make_unique<PickerBox>()));
        box->ScaleTo(150, 100);
        box->MoveTo(100, 60);
        box->Show();
        box->Layout();
        Frame();
    }
    engine::ImageButton* button = nullptr;
    PickerBox* box = nullptr;
};

TEST_F(FacePickers, TheButtonOpensAndClosesThePickerFilledFromTheIndex)
{
    box->ToggleFacePicker();
    auto* picker = dynamic_cast<FakePicker*>(box->GetPicker());
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->IsShown());
    EXPECT_TRUE(button->IsSelected());
    EXPECT_EQ(picker->entries, (std::vector<std::string> { "微笑 #微笑 1", "大哭 #大哭 2", "胜利 #胜利 3" }));
    EXPECT_EQ(picker->draws, 1);
    box->ToggleFacePicker();
    EXPECT_FALSE(picker->IsShown());
    EXPECT_FALSE(button->IsSelected());
    box->ToggleFacePicker();
    EXPECT_TRUE(picker->IsShown());
    EXPECT_EQ(picker->entries.size(), 3u); // filled once
}

TEST_F(FacePickers, AClickElsewhereClosesThePickerAndFreesTheButton)
{
    box->ToggleFacePicker();
    Frame();
    ClickAt(180, 20);
    Frame();
    EXPECT_FALSE(box->GetPicker()->IsShown());
    EXPECT_FALSE(button->IsSelected());
}

} // namespace
