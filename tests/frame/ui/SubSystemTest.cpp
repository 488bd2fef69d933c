// The side pane through the host window: its layout, typing and sending
// chat (byte limits on character boundaries, the flood limit), the quick
// phrases and emoticon codes, the events it hands to its bars, records too
// short for what they claim, and the input bar's silver transfers.

#include "SidePaneHost.h"

#include "engine/controls/richtext/RichEdit.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/MenuItem.h"
#include "engine/controls/widgets/PopupMenu.h"
#include "frame/core/FrameRecords.h"
#include "frame/ui/FramePopupMenu.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/SubSystem.h"
#include "platform/Clock.h"
#include "platform/Files.h"

#include <cstring>
#include <string>
#include <vector>

using namespace frameuitest;
using frame::InputBar;
using frame::SubSystem;

namespace {

constexpr int kBarHeight = 60;

class SidePane : public SidePaneHost {
protected:
    void SetUp() override
    {
        SidePaneHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePicture("SystemInputBar", 160, kBarHeight, 0x305030);
        MakePicture("InputBoxBkg", 60, 24, 0xF0F0F0);
        MakePicture("btnQuickChat", 20, 20, 0x2080C0, 4);
        MakePicture("btnSendChat", 40, 22, 0x20A040, 4);
        MakePicture("SystemChatBox1", 100, 10, 0xE0E8F0);
        MakePicture("SystemChatBox2", 100, 10, 0xF0F4F8);
        // The board's rows, as the main view sets them but small enough for
        // the test window.
        core().SetIntProperty(frame::kSideRowProperty, 10);
        core().SetIntProperty(frame::kSideGapProperty, 5);
        core().SetIntProperty(frame::kSideSeatRowProperty, 5);
        core().SetIntProperty(frame::kHorzScrollHeightProperty, 4);
        pane = MakePane();
    }
    // The pane the fixture makes; tests of the pane's hooks make their own.
    virtual std::unique_ptr<SubSystem> NewPane() { return std::make_unique<SubSystem>(); }
    SubSystem* MakePane(int height = kHeight)
    {
        std::unique_ptr<SubSystem> made = NewPane();
        made->SetName("SubSystem");
        auto* added = static_cast<SubSystem*>(root->RegisterObject(std::move(made)));
        added->SetZ(10);
        added->SetRect({ 0, 0, kWidth, height });
        Frame();
        return added;
    }
    InputBar* Bar() { return pane->GetInputBar(); }
    engine::RichText* Chat() { return pane->GetChatBox()->GetView(); }
    std::string ChatText() { return PlainText(*Chat()); }
    // Typed as the window delivers GBK text: one character event a byte.
    void Type(const std::string& text)
    {
        for (char c : text)
            WindowInput(platform::kWmChar, 0, 0, static_cast<uint8_t>(c));
        Frame();
    }
    void PressKey(uint32_t vk)
    {
        WindowInput(platform::kWmKeyDown, 0, 0, vk);
        WindowInput(platform::kWmKeyUp, 0, 0, vk);
        Frame();
    }
    void ClickInputBox()
    {
        engine::RichEdit* box = Bar()->GetInputBox();
        ClickAt(static_cast<int>(box->GetX()), static_cast<int>(box->GetY()));
    }
    int Send(int code, const void* param = nullptr, size_t data = 0)
    {
        return pane->OnEvent(engine::EngineEvent(0, code, engine::ToWord(const_cast<void*>(param)),
            static_cast<engine::MessageWord>(data)));
    }

    const engine::RichTextNode* FirstLinkNode()
    {
        for (const engine::RichTextNode* n = Chat()->GetFirstNode(); n; n = n->next)
            if (n->flags & engine::NODE_LINK_FIRST)
                return n;
        return nullptr;
    }

    SubSystem* pane = nullptr;
};

TEST_F(SidePane, TheInputBarSitsAtTheBottomAndTheChatBoxFillsWhatTheBoardsLeave)
{
    InputBar* bar = Bar();
    frame::ChatBox* chat = pane->GetChatBox();
    ASSERT_TRUE(bar && chat);
    // Board 10 + 5 x 4 + 5 + 4 + 1 = 40, user list 4, input bar 60, 1 more.
    const int chatHeight = kHeight - 40 - 4 - kBarHeight - 1;
    EXPECT_EQ(pane->LayoutBars(), chatHeight);
    EXPECT_EQ(bar->GetBottom(), kHeight);
    EXPECT_EQ(bar->GetWidth(), kWidth + 1);
    EXPECT_TRUE(chat->IsShown());
    EXPECT_EQ(chat->GetHeight(), chatHeight);
    EXPECT_EQ(chat->GetBottom(), kHeight - kBarHeight);
    // The input row: box and quick-chat button inside the bar, the send
    // button at its right.
    EXPECT_GT(bar->GetInputBox()->GetLeft(), bar->GetInputBackground()->GetLeft());
    EXPECT_LT(bar->GetInputBox()->GetRight(), bar->GetQuickChatButton()->GetLeft());
    EXPECT_LE(bar->GetQuickChatButton()->GetRight(), bar->GetInputBackground()->GetRight() + 1);
    EXPECT_EQ(bar->GetSendButton()->GetRight(), bar->GetRight() - 10);
}

TEST_F(SidePane, AChatBoxWithoutRoomIsHiddenNotSized)
{
    const double before = pane->GetChatBox()->GetHeight();
    pane->SetRect({ 0, 0, kWidth, 100 }); // 100 - 40 - 4 - 60 - 1 < 1
    Frame();
    EXPECT_FALSE(pane->GetChatBox()->IsShown());
    EXPECT_EQ(pane->GetChatBox()->GetHeight(), before);
}

TEST_F(SidePane, TypedChineseIsSentWithEnterAndShownAsTheOwnLine)
{
    ClickInputBox();
    Type("你好 ab");
    EXPECT_EQ(Bar()->GetInputText(), "你好 ab");
    PressKey(platform::kVkReturn);
    EXPECT_EQ(ChatText(), " 我说: 你好 ab\\n");
    EXPECT_FALSE(Bar()->HasInputText());
}

TEST_F(SidePane, ChatColoursAreTheUsualOnesUntilTheTableSetsThem)
{
    pane->ShowOwnChat("好");
    EXPECT_EQ(Pieces(*Chat()), (std::vector<std::string> { " @0/12", "我说: 好@" + std::to_string(0x408000) + "/12",
                                  "\\n" }));
    core().SetIntProperty(frame::kOwnChatColourProperty, 0x0000FF);
    pane->ClearChat();
    Frame(SubSystem::kFloodMs);
    pane->ShowOwnChat("好");
    EXPECT_EQ(Pieces(*Chat())[1], "我说: 好@255/12");
}

TEST_F(SidePane, OwnLinesAreCutToSixtyBytesOnACharacterBoundary)
{
    const std::string a59(59, 'a');
    struct Case {
        std::string typed;
        std::string shown;
    };
    const Case cases[] = {
        { std::string(300, 'x'), std::string(60, 'x') },
        { a59 + "中文", a59 },
        { "a" + a59 + "中", "a" + a59 },
        { std::string(30, 'b') + "牌牌牌牌牌牌牌牌牌牌牌牌牌牌牌牌", std::string(30, 'b') + "牌牌牌牌牌牌牌牌牌牌牌牌牌牌牌" },
    };
    for (const Case& c : cases) {
        pane->ClearChat();
        pane->ShowOwnChat(c.typed);
        EXPECT_EQ(ChatText(), " 我说: " + c.shown + "\\n") << c.typed;
        Frame(SubSystem::kFloodMs);
    }
}

TEST_F(SidePane, ALineWithinTwoSecondsOfTheLastIsHeldBackAndStaysTyped)
{
    const uint32_t sent = platform::TickMs();
    pane->ShowOwnChat("one");
    ClickInputBox();
    Type("two");
    SetTick(sent + SubSystem::kFloodMs - 1);
    Send(frame::EVT_PANE_SEND);
    EXPECT_EQ(ChatText(), " 我说: one\\n");
    EXPECT_EQ(Bar()->GetInputText(), "two");
    SetTick(sent + SubSystem::kFloodMs);
    Send(frame::EVT_PANE_SEND);
    EXPECT_EQ(ChatText(), " 我说: one\\n 我说: two\\n");
    EXPECT_FALSE(Bar()->HasInputText());
}

TEST_F(SidePane, AQuickPhraseFromTheMenuIsSentAndTheMenuCloses)
{
    ASSERT_EQ(Bar()->GetPhrases().size(), 10u);
    engine::ImageButton* button = Bar()->GetQuickChatButton();
    ClickAt(static_cast<int>(button->GetX()), static_cast<int>(button->GetY()));
    engine::PopupMenu* menu = Bar()->GetPhraseMenu();
    ASSERT_TRUE(menu && menu->IsShown());
    EXPECT_EQ(menu->GetRight(), button->GetRight());
    EXPECT_EQ(menu->GetBottom(), button->GetTop());
    engine::MenuItem* item = menu->GetItem(3);
    ASSERT_NE(item, nullptr);
    ClickAt(static_cast<int>(item->GetX()), static_cast<int>(item->GetY()));
    Frame();
    EXPECT_EQ(ChatText(), " 我说: 晕，打错牌啦!\\n");
    EXPECT_FALSE(menu->IsShown());
}

TEST_F(SidePane, AnEmoticonIsSentWhenNothingIsTypedAndInsertedOtherwise)
{
    Send(frame::EVT_PANE_FACE_LEFT, "#胜利");
    EXPECT_EQ(ChatText(), " 我说: #胜利\\n");
    Bar()->InsertText("看");
    Send(frame::EVT_PANE_FACE_LEFT, "#大哭");
    EXPECT_EQ(Bar()->GetInputText(), "看#大哭");
    Bar()->ClearInput();
    Send(frame::EVT_PANE_FACE_RIGHT, "#加油");
    EXPECT_EQ(Bar()->GetInputText(), "#加油");
    EXPECT_EQ(ChatText(), " 我说: #胜利\\n");
}

TEST_F(SidePane, ATwentyFirstOperateButtonIsRefused)
{
    // The pane's own operate buttons hold the first slots.
    int added = 0;
    while (added <= InputBar::kMaxButtons && Bar()->AddButton(root->CreateCanvas(10, 10, 0xff00ff)))
        ++added;
    EXPECT_GE(added, InputBar::kMaxButtons - 5);
    EXPECT_LT(added, InputBar::kMaxButtons);
    EXPECT_FALSE(Bar()->AddButton(root->CreateCanvas(10, 10, 0xff00ff)));
}

TEST_F(SidePane, TheSafeBoxButtonOpensTheSilverMenuAboveTheInputBar)
{
    Send(frame::EVT_PANE_SAFE_BOX);
    frame::FramePopupMenu* menu = Bar()->GetSilverMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->IsShown());
    std::vector<std::string> captions;
    for (int i = 0; i < menu->GetItemCount(); ++i)
        captions.push_back(menu->GetItem(i)->GetCaption());
    // Without a user file: the default presets.
    EXPECT_EQ(captions, (std::vector<std::string> { "100 两", "200 两", "500 两", "1000 两", "10000 两", "30000 两",
                            "快速设银", "保 险 箱" }));
    EXPECT_EQ(menu->GetRight(), kWidth - 50);
    EXPECT_EQ(menu->GetBottom(), kHeight - kBarHeight);
}

// The screen writer answers as told and keeps the path it was given.
class ScreenshotPane : public SubSystem {
public:
    bool writes = true;
    std::string path;

protected:
    bool WriteScreenshot(const std::string& to) override
    {
        path = to;
        return writes;
    }
};

class Screenshots : public SidePane {
protected:
    std::unique_ptr<SubSystem> NewPane() override { return std::make_unique<ScreenshotPane>(); }
    ScreenshotPane* Pane() { return static_cast<ScreenshotPane*>(pane); }
    OpenerRecorder opener;
};

TEST_F(Screenshots, AWrittenScreenshotIsAnnouncedWithALinkThatOpensItsFolder)
{
    platform::SetFixedLocalTime(platform::LocalTime { 2026, 1, 8, 9, 30, 5, 0 });
    Send(frame::EVT_PANE_SCREENSHOT);
    platform::SetFixedLocalTime(std::nullopt);
    EXPECT_EQ(Pane()->path, "temp\\_0_2026108_93005.jpg");
    EXPECT_EQ(ChatText(), "  游戏截图已保存到临时目录\\n");
    // The link's click, as the view receives it.
    Chat()->OnEvent(engine::EngineEvent(Chat()->GetId(), engine::EVT_RT_OPEN_LINK,
        static_cast<engine::MessageWord>(Chat()->FindNodeObject(FirstLinkNode()))));
    EXPECT_EQ(opener.opened, (std::vector<std::string> { platform::NativePath("temp\\") }));
}

TEST_F(Screenshots, AFailedScreenshotIsNotAnnouncedAsSaved)
{
    Pane()->writes = false;
    Send(frame::EVT_PANE_SCREENSHOT);
    EXPECT_EQ(ChatText(), "  游戏截图没有保存成功\\n");
}

// A chat record of notification 201210: user id, then the text at 48.
std::vector<uint8_t> ChatRecord(const std::string& text)
{
    std::vector<uint8_t> body(48 + text.size() + 1, 0);
    body[0] = 7;
    std::memcpy(body.data() + 48, text.data(), text.size());
    return body;
}

TEST_F(SidePane, EventsReachTheChatAndRecordsShorterThanTheirLayoutAreDropped)
{
    EXPECT_EQ(Send(frame::EVT_PANE_CHAT_LINE, " <c=255>系统\r\n"), 1);
    const std::string line = " 系统\\n";
    EXPECT_EQ(ChatText(), line);

    const std::vector<uint8_t> chat = ChatRecord("大家好");
    EXPECT_EQ(Send(frame::EVT_PANE_CHAT_IN, chat.data(), 40), 1); // shorter than its text's place
    std::vector<uint8_t> member(36, 0);
    member[8] = 2;
    EXPECT_EQ(Send(frame::EVT_PANE_MEMBER_CHAT, member.data(), 30), 1);
    const uint8_t silver[24] = { 7, 0, 0, 0, 0, 0, 0, 0, 1 };
    EXPECT_EQ(Send(frame::EVT_CHILD_SILVER, silver, 20), 1);
    std::vector<uint8_t> notice(68, 0);
    notice[0] = 1;
    EXPECT_EQ(Send(frame::EVT_PANE_MEMBER_NOTICE, notice.data(), 60), 1);
    EXPECT_EQ(Send(99999999), 1);
    EXPECT_EQ(ChatText(), line);

    Send(frame::EVT_PANE_CHAT_IN, chat.data(), chat.size());
    EXPECT_EQ(ChatText(), line + " 说: 大家好\\n");
    const std::string markup = "<c=255>服务器<>";
    std::vector<uint8_t> text(36 + markup.size() + 1, 0);
    text[8] = 2;
    std::memcpy(text.data() + 36, markup.data(), markup.size());
    Send(frame::EVT_PANE_MEMBER_CHAT, text.data(), text.size());
    EXPECT_EQ(ChatText(), line + " 说: 大家好\\n服务器");

    // The advertisement text is the pane's to free, with or without a bar.
    uint8_t* advert = engine::AllocEventBlock(8);
    std::memcpy(advert, "http://", 8);
    Send(frame::EVT_PANE_ADVERT_TEXT, advert);

    Send(frame::EVT_PANE_CLEAR_CHAT);
    EXPECT_EQ(ChatText(), "");
}

TEST_F(SidePane, ANoticeLineIsWrittenForAPlayerWhoEnters)
{
    frame::PlayerRecord player;
    player.SetUserId(9);
    Send(frame::EVT_CHILD_PLAYER_ENTER, &player);
    // No application: the name is unknown and the table is the first.
    EXPECT_EQ(ChatText(), " 进入第1桌 \\n");
    Send(frame::EVT_CHILD_PLAYER_LEAVE, &player);
    EXPECT_EQ(player.UserId(), 0); // the leaving player's record is emptied
}

// ---- silver ------------------------------------------------------------------------

class RecordingBar : public InputBar {
public:
    int silver = 1000;
    bool passwordOk = true;
    std::vector<std::string> calls;
    std::vector<std::string> results;
    bool waitShown = false;

    void ShowPasswordPad(int show, int value, int mode) override
    {
        calls.push_back("pad " + std::to_string(show) + " " + std::to_string(value) + " " + std::to_string(mode));
    }
    int GetPasswordValue() const override { return 4321; }

protected:
    int GetOwnSilver() const override { return silver; }
    int RequestTake(std::string& text, int amount, int password) override
    {
        calls.push_back("take " + std::to_string(amount) + " " + std::to_string(password));
        text = "refused";
        return 1;
    }
    int RequestDeposit(std::string&, int& amount) override
    {
        calls.push_back("deposit " + std::to_string(amount));
        return 1;
    }
    int RequestPasswordQuery(std::string& text, int& value) override
    {
        calls.push_back("password");
        value = 77;
        text = "no";
        return passwordOk ? 1 : 0;
    }
    void ShowWait(const std::string&, bool show) override { waitShown = show; }
    void ShowResult(const std::string& text) override { results.push_back(text); }
};

class SilverTransfers : public SidePane {
protected:
    void SetUp() override
    {
        SidePane::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        bar = static_cast<RecordingBar*>(root->RegisterObject(std::make_unique<RecordingBar>()));
        bar->LoadDepositPresets(); // no user file: the defaults, 100 first
    }
    void ToBar(int code, int param)
    {
        bar->OnEvent(engine::EngineEvent(bar->GetId(), code, static_cast<engine::MessageWord>(param), 0));
    }
    RecordingBar* bar = nullptr;
};

TEST_F(SilverTransfers, EachAmountTakesItsWay)
{
    struct Case {
        int amount;
        bool passwordOk;
        std::vector<std::string> calls;
        size_t results;
    };
    const Case cases[] = {
        { 1000, true, {}, 1 },                              // equal: a box, no request
        { 300, true, { "deposit 700" }, 1 },                // below: the difference goes in
        { 5000, true, { "password", "pad 1 77 1" }, 0 },    // above: the password first
        { 5000, false, { "password", "take 4000 0" }, 1 },  // no password: taken with 0
    };
    for (const Case& c : cases) {
        bar->calls.clear();
        bar->results.clear();
        bar->passwordOk = c.passwordOk;
        ToBar(frame::EVT_INPUT_CARRY_SILVER, c.amount);
        EXPECT_EQ(bar->calls, c.calls) << c.amount;
        EXPECT_EQ(bar->results.size(), c.results) << c.amount;
        EXPECT_FALSE(bar->waitShown) << c.amount;
    }
    EXPECT_EQ(bar->results.size(), 1u);
}

TEST_F(SilverTransfers, TheAmountAskedForIsTakenOnceThePasswordIsIn)
{
    ToBar(frame::EVT_INPUT_CARRY_SILVER, 5000);
    bar->calls.clear();
    ToBar(frame::EVT_INPUTBAR_TAKE_NOW, 0);
    EXPECT_EQ(bar->calls, (std::vector<std::string> { "take 4000 4321" }));
    // Forgotten afterwards: the next password goes with the chosen preset
    // (100, below the silver carried: nothing to take).
    bar->calls.clear();
    ToBar(frame::EVT_INPUTBAR_TAKE_NOW, 0);
    EXPECT_TRUE(bar->calls.empty());
}

TEST_F(SilverTransfers, AChosenPresetIsRememberedForThePassword)
{
    ToBar(frame::EVT_INPUT_PRESET, 5); // 30000
    EXPECT_EQ(bar->GetChosenPreset(), 5);
    bar->calls.clear();
    ToBar(frame::EVT_INPUTBAR_TAKE_NOW, 0);
    EXPECT_EQ(bar->calls, (std::vector<std::string> { "take 29000 4321" }));
}


} // namespace

namespace {

// The main view makes the pane as its "SubSystem" child and hands it the
// silver notice with the notice's size.
TEST(SidePaneInMainView, TheMainViewsSidePaneWritesTheSilverNotice)
{
    tools::TestHost::PreferHeadlessDrivers();
    tools::TestHost host;
    if (!host.Create("sidepane", 640, 480))
        GTEST_SKIP() << "no video driver";
    auto view = std::make_unique<frame::GameFrame>(1280);
    frame::GameFrame* main = view.get();
    ASSERT_TRUE(host.Init(std::move(view)));
    host.RunFrame();
    auto* pane = dynamic_cast<SubSystem*>(main->GetSubSystem());
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(main->FindObjectByName("SubSystem"), pane);
    ASSERT_NE(pane->GetChatBox(), nullptr);

    // {user id, 0, kind 2 (deposit), amount 300, silver now 700, base 0}.
    uint8_t notice[24] = {};
    notice[8] = 2;
    notice[12] = 44;
    notice[13] = 1;
    notice[16] = 188;
    notice[17] = 2;
    main->OnSilverNotice(notice, 20);
    EXPECT_EQ(PlainText(*pane->GetChatBox()->GetView()), "");
    main->OnSilverNotice(notice, sizeof notice);
    EXPECT_EQ(PlainText(*pane->GetChatBox()->GetView()), "  存入300两银子到保险箱, 现有700两银子 \\n");
}

} // namespace
