// The frame's message boxes in the headless host window, driven by injected
// mouse and key messages and the settable clock: each route to an answer,
// the countdowns, the one-answer rule, nested boxes, the layout of the
// buttons and the request boxes.

#include "frame/ui/SystemInfoBox.h"

#include "engine/controls/richtext/RichEdit.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/GameCore.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/GameFrameCalls.h"
#include "platform/WindowMessages.h"
#include "tests/engine/objects/HostFixture.h"

#include <functional>
#include <string>
#include <vector>

using namespace engine;
using namespace frame;

namespace {

constexpr int kOkCode = 7001;
constexpr int kCancelCode = 7002;
constexpr int kFont = 8;
constexpr int kOkWidth = 20;
constexpr int kCancelWidth = 24;
constexpr int kButtonHeight = 10;
constexpr int kCloseSize = 8;

// Receives the boxes' answers; onEvent runs inside the delivery.
class Owner : public BoundObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        events.push_back(event);
        if (onEvent)
            onEvent(event);
        return 1;
    }
    std::vector<EngineEvent> events;
    std::function<void(const EngineEvent&)> onEvent;
};

class Boxes : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        core().SetIntProperty(PROP_FONT_SIZE, kFont);
        owner = static_cast<Owner*>(root->RegisterObject(std::make_unique<Owner>()));
        ASSERT_NE(owner, nullptr);
        // A frame with a 20-pixel title band, a 3-pixel border elsewhere
        // and a transparent inside, then the button pictures, each a width
        // of its own so a button tells which picture it was made from.
        for (const char* name : { "系统信息框模板", "系统通知框模板" })
            host.AddPicture(name, 12, 28, 2, 0, [](int, int x, int y) -> uint32_t {
                const bool inside = x >= 3 && x < 9 && y >= 20 && y < 25;
                return inside ? 0 : CanvasObject::MakePixel(0x808080, kNoColourKey);
            });
        Button("系统信息框_确定", kOkWidth);
        Button("系统信息框_取消", kCancelWidth);
        Button("同意", 22);
        Button("拒绝", 26);
        Button("系统信息框_关闭", kCloseSize, kCloseSize);
        MakePicture("head", 16, 16, 0x00ff00, 2);
        MakePicture("系统通知框_头像背景", 18, 18, 0x0000ff);
        Frame();
    }
    void Button(const char* name, int width, int height = kButtonHeight)
    {
        MakePicture(name, width, height, 0xff0000, 4, 0);
    }

    EngineEvent Ok() const { return EngineEvent(owner->GetId(), kOkCode, 11, 12); }
    EngineEvent Cancel() const { return EngineEvent(owner->GetId(), kCancelCode, 21, 22); }

    SystemInfoBox* Open(uint32_t flags, int seconds, BoxServices services = {}, std::string link = {})
    {
        const EngineEvent okEvent = Ok();
        const EngineEvent cancelEvent = Cancel();
        InfoBoxRequest request;
        request.text = "来自服务器的一条消息";
        request.ok = &okEvent;
        request.cancel = &cancelEvent;
        request.seconds = seconds;
        request.flags = flags;
        request.link = std::move(link);
        SystemInfoBox* box = OpenSystemInfoBox(*root, request, std::move(services));
        EXPECT_NE(box, nullptr);
        Frame();
        return box;
    }

    void Send(uint32_t message, int x, int y, uint32_t key = 0)
    {
        WindowInput(message, x, y, key);
        Frames(2);
    }
    void Click(const EngineObject* part)
    {
        ASSERT_NE(part, nullptr);
        const int x = static_cast<int>(part->GetX());
        const int y = static_cast<int>(part->GetY());
        Send(platform::kWmMouseMove, x, y);
        Send(platform::kWmLButtonDown, x, y);
        Send(platform::kWmLButtonUp, x, y);
    }
    void PressEsc() { Send(platform::kWmKeyDown, 0, 0, platform::kVkEscape); }
    // Moves the clock on by whole seconds, in frames of 100 ms.
    void Seconds(int n) { Frames(10 * n, 100); }
    bool Exists(int id) { return objects && root->FindObjectById(id) != nullptr; }

    Owner* owner = nullptr;
};

// ---- answers ----------------------------------------------------------

enum class Route { OkButton, CancelButton, CloseButton, Esc, Countdown };

struct AnswerCase {
    const char* name;
    uint32_t flags;
    int seconds;
    Route route;
    bool answersOk;
};

class BoxAnswers : public Boxes, public ::testing::WithParamInterface<AnswerCase> { };

TEST_P(BoxAnswers, AnswerOnceThenHideAndGoAway)
{
    const AnswerCase& c = GetParam();
    SystemInfoBox* box = Open(c.flags, c.seconds);
    ASSERT_NE(box, nullptr);
    const int id = box->GetId();
    ImageButton* okButton = box->GetOkButton();
    const int okX = static_cast<int>(okButton->GetX());
    const int okY = static_cast<int>(okButton->GetY());
    switch (c.route) {
    case Route::OkButton:
        Click(okButton);
        break;
    case Route::CancelButton:
        Click(box->GetCancelButton());
        break;
    case Route::CloseButton:
        Click(box->GetCloseButton());
        break;
    case Route::Esc:
        PressEsc();
        break;
    case Route::Countdown:
        Seconds(c.seconds + 1);
        break;
    }
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0], c.answersOk ? Ok() : Cancel());

    // Nothing answers again: not the countdown, not the keys, not a click
    // where the button was; and the box is deleted on a later turn.
    Seconds(c.seconds + 5);
    PressEsc();
    Send(platform::kWmMouseMove, okX, okY);
    Send(platform::kWmLButtonDown, okX, okY);
    Send(platform::kWmLButtonUp, okX, okY);
    EXPECT_EQ(owner->events.size(), 1u);
    EXPECT_FALSE(Exists(id));
}

INSTANTIATE_TEST_SUITE_P(Routes, BoxAnswers,
    ::testing::Values(AnswerCase { "OneButtonOk", 0, 0, Route::OkButton, true },
        AnswerCase { "OneButtonClose", 0, 0, Route::CloseButton, true },
        AnswerCase { "OneButtonEsc", 0, 0, Route::Esc, true },
        AnswerCase { "OneButtonExpires", 0, 5, Route::Countdown, true },
        AnswerCase { "TwoButtonsOk", SIB_TWO_BUTTONS, 8, Route::OkButton, true },
        AnswerCase { "TwoButtonsCancel", SIB_TWO_BUTTONS, 8, Route::CancelButton, false },
        AnswerCase { "TwoButtonsClose", SIB_TWO_BUTTONS, 0, Route::CloseButton, false },
        AnswerCase { "TwoButtonsEsc", SIB_TWO_BUTTONS, 3, Route::Esc, false },
        AnswerCase { "TwoButtonsExpireOk", SIB_TWO_BUTTONS, 2, Route::Countdown, true },
        AnswerCase { "ExpireCancel", SIB_TWO_BUTTONS | SIB_EXPIRE_CANCEL, 10, Route::Countdown, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Boxes, CountdownShowsEverySecondDownToZeroAndAnswersOnTheTickAfter)
{
    SystemInfoBox* box = Open(SIB_TWO_BUTTONS | SIB_EXPIRE_CANCEL, 10);
    ASSERT_NE(box->GetCountdownLabel(), nullptr);
    for (int shown = 10; shown >= 0; --shown) {
        EXPECT_EQ(box->GetSecondsLeft(), shown);
        EXPECT_TRUE(owner->events.empty()) << "answered early with " << shown << " left";
        Seconds(1);
    }
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0], Cancel());
}

TEST_F(Boxes, NoSecondsNoCountdownAndNoAnswerByItself)
{
    SystemInfoBox* box = Open(SIB_TWO_BUTTONS | SIB_EXPIRE_CANCEL, 0);
    EXPECT_EQ(box->GetCountdownLabel(), nullptr);
    Seconds(40);
    EXPECT_TRUE(owner->events.empty());
    EXPECT_TRUE(box->IsShown());
}

TEST_F(Boxes, TwoAnswersInOneTurnSendOnlyTheFirst)
{
    SystemInfoBox* box = Open(SIB_TWO_BUTTONS, 3);
    box->OnCancel();
    box->OnOk();
    box->OnCountdownTick();
    EXPECT_TRUE(box->IsAnswered());
    EXPECT_FALSE(box->IsShown());
    Frames(3);
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0], Cancel());
}

TEST_F(Boxes, AnAnswerMayOpenTheNextBoxWhichAnswersOnItsOwn)
{
    SystemInfoBox* second = nullptr;
    owner->onEvent = [&](const EngineEvent& e) {
        if (e.code == kOkCode && !second) {
            const EngineEvent okEvent = Ok();
            const EngineEvent cancelEvent = Cancel();
            InfoBoxRequest request;
            request.text = "second";
            request.ok = &okEvent;
            request.cancel = &cancelEvent;
            request.flags = SIB_TWO_BUTTONS;
            second = OpenSystemInfoBox(*root, request);
        }
    };
    const int before = core().GetIntProperty(kPopupCounterProperty);
    SystemInfoBox* first = Open(0, 0);
    const int firstId = first->GetId();
    EXPECT_EQ(first->GetZ(), 90000 + 2.0 * (std::max(before, 0) + 1));
    Click(first->GetOkButton());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetZ(), first->GetZ() + 2);
    Frames(3);
    EXPECT_FALSE(Exists(firstId));
    EXPECT_TRUE(second->IsShown());

    PressEsc(); // the newer box has the focus
    ASSERT_EQ(owner->events.size(), 2u);
    EXPECT_EQ(owner->events[0], Ok());
    EXPECT_EQ(owner->events[1], Cancel());
}

TEST_F(Boxes, EscAnswersTheTopBoxThenTheOneBelow)
{
    SystemInfoBox* lower = Open(0, 0);
    SystemInfoBox* upper = Open(SIB_TWO_BUTTONS, 0);
    EXPECT_GT(upper->GetZ(), lower->GetZ());
    PressEsc();
    EXPECT_TRUE(upper->IsAnswered());
    EXPECT_FALSE(lower->IsAnswered());
    PressEsc();
    ASSERT_EQ(owner->events.size(), 2u);
    EXPECT_EQ(owner->events[0], Cancel());
    EXPECT_EQ(owner->events[1], Ok());
}

TEST_F(Boxes, NullEventsOnlyClose)
{
    InfoBoxRequest request;
    request.text = "x";
    request.flags = SIB_TWO_BUTTONS;
    request.seconds = 1;
    SystemInfoBox* box = OpenSystemInfoBox(*root, request);
    ASSERT_NE(box, nullptr);
    const int id = box->GetId();
    Seconds(3);
    EXPECT_TRUE(owner->events.empty());
    EXPECT_TRUE(root->events.empty());
    EXPECT_FALSE(Exists(id));
}

TEST_F(Boxes, LinkOpensBeforeOkAndNeverOnCancel)
{
    std::vector<std::string> log;
    owner->onEvent = [&](const EngineEvent& e) { log.push_back(e.code == kOkCode ? "ok" : "cancel"); };
    BoxServices services;
    services.title = "标题";
    services.openLink = [&](const std::string& address, bool signedLink) {
        log.push_back(address + (signedLink ? " signed" : ""));
    };
    SystemInfoBox* box = Open(SIB_TWO_BUTTONS, 0, services, "http://a.example/pay");
    box->SetLink("http://a.example/pay", true);
    Click(box->GetOkButton());
    EXPECT_EQ(log, (std::vector<std::string> { "http://a.example/pay signed", "ok" }));

    log.clear();
    box = Open(SIB_TWO_BUTTONS, 0, services, "http://a.example/pay");
    Click(box->GetCancelButton());
    EXPECT_EQ(log, (std::vector<std::string> { "cancel" }));
}

// ---- layout ---------------------------------------------------------------

TEST_F(Boxes, ButtonsAndCloseButtonPlacement)
{
    SystemInfoBox* one = Open(0, 0);
    EXPECT_EQ(one->GetCancelButton(), nullptr);
    EXPECT_EQ(one->GetOkButton()->GetX(), one->GetX());
    ImageButton* close = one->GetCloseButton();
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->GetX(), one->GetRight() - 7 - kCloseSize / 2);
    EXPECT_EQ(close->GetY(), one->GetTop() + 1 + kCloseSize / 2);
    // The text block: 17 columns, at least four rows.
    EXPECT_EQ(one->GetTextWidth(), 17 * kFont);
    EXPECT_GE(one->GetTextHeight(), 4 * kFont);
    PressEsc();

    SystemInfoBox* two = Open(SIB_TWO_BUTTONS, 0);
    ImageButton* okButton = two->GetOkButton();
    ImageButton* cancelButton = two->GetCancelButton();
    ASSERT_NE(cancelButton, nullptr);
    EXPECT_EQ(okButton->GetWidth(), kOkWidth);
    EXPECT_EQ(cancelButton->GetWidth(), kCancelWidth);
    EXPECT_EQ(okButton->GetY(), cancelButton->GetY());
    // A 20-pixel gap centred on the box.
    EXPECT_EQ(cancelButton->GetLeft() - okButton->GetRight(), 20);
    EXPECT_EQ(okButton->GetRight() + 10, two->GetX());
    EXPECT_GT(okButton->GetTop(), two->GetTextCanvas()->GetBottom());
    EXPECT_LT(cancelButton->GetBottom(), two->GetBottom());
}

TEST_F(Boxes, HeadPictureStandsLeftOfTheTextAndNarrowsTheRightMargin)
{
    const BoxEvent okBox { static_cast<uint32_t>(owner->GetId()), kOkCode, 11, 12 };
    const EngineEvent okEvent = ToEngineEvent(okBox);
    EXPECT_EQ(okEvent, Ok());
    const int marginX = kFont * 3 / 2;
    struct Case {
        uint32_t flags;
        const char* head;
        int clientWidth;
        bool hasHead;
    };
    const Case cases[] = {
        { 0, "head", 17 * kFont + 2 * marginX, false },
        { SIB_HEAD_PICTURE, "", 17 * kFont + marginX + marginX / 2, false },
        { SIB_HEAD_PICTURE, "head", 16 + 17 * kFont + marginX + marginX / 2, true },
        { SIB_HEAD_PICTURE | SIB_HEAD_ANIMATED, "head", 16 + 17 * kFont + marginX + marginX / 2, true },
    };
    for (const Case& c : cases) {
        InfoBoxRequest request;
        request.text = "t";
        request.ok = &okEvent;
        request.flags = c.flags;
        request.head = c.head;
        SystemInfoBox* box = OpenSystemInfoBox(*root, request);
        ASSERT_NE(box, nullptr);
        Frame();
        const Rect client = box->GetClientRect();
        EXPECT_EQ(client.right - client.left, c.clientWidth) << c.flags << " " << c.head;
        ASSERT_EQ(box->GetHeadSprite() != nullptr, c.hasHead) << c.flags;
        if (c.hasHead) {
            SpriteObject* head = box->GetHeadSprite();
            EXPECT_LT(head->GetRight(), box->GetTextCanvas()->GetLeft());
            EXPECT_EQ(head->GetLeft(), box->GetLeft() + client.left + marginX / 2);
        }
        box->OnOk();
    }
    EXPECT_EQ(owner->events.size(), std::size(cases));
}

TEST_F(Boxes, CountdownLabelSitsInTheButtonRowAtTheTextColumnsEnd)
{
    SystemInfoBox* box = Open(0, 12);
    CanvasObject* label = box->GetCountdownLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetWidth(), 2 * kFont / 2);
    EXPECT_EQ(label->GetX(), box->GetTextCanvas()->GetRight() - label->GetWidth());
    EXPECT_EQ(label->GetY(), box->GetOkButton()->GetY());
}

// ---- the request boxes ------------------------------------------------------

TEST_F(Boxes, ViewCardsRequestFromAShortName)
{
    ViewCardsRequestBox* box = OpenViewCardsRequestBox(*root, "abc", "head", Ok(), Cancel(), 100, 75);
    ASSERT_NE(box, nullptr);
    Frame();
    EXPECT_EQ(box->GetTextWidth(), 12 * kFont);
    EXPECT_EQ(box->GetTextHeight(), 2 * kFont);
    EXPECT_EQ(box->GetCloseButton(), nullptr);
    EXPECT_EQ(box->GetCountdownLabel(), nullptr);
    EXPECT_EQ(box->GetOkButton()->GetWidth(), 22);     // "同意"
    EXPECT_EQ(box->GetCancelButton()->GetWidth(), 26); // "拒绝"
    ASSERT_NE(box->GetHeadSprite(), nullptr);
    EXPECT_EQ(box->GetHeadWidth(), 16);

    PressEsc(); // no close button: Esc does not answer
    Seconds(40);
    EXPECT_TRUE(owner->events.empty());
    Click(box->GetOkButton());
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0], Ok());
}

TEST_F(Boxes, ViewCardsRequestWidensForALongName)
{
    const std::string name(20, 'n');
    ViewCardsRequestBox* box = OpenViewCardsRequestBox(*root, name, "head", Ok(), Cancel(), 100, 75);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetTextWidth(), 15 * kFont);
}

TEST_F(Boxes, QuitRequestRefusesByItselfOnTheThirtyFirstTick)
{
    QuitRequestBox* box
        = OpenQuitRequestBox(*root, "abc", "家里有事", "head", Ok(), Cancel(), 30, 100, 75);
    ASSERT_NE(box, nullptr);
    Frame();
    EXPECT_EQ(box->GetCountdownLabel(), nullptr);
    EXPECT_EQ(box->GetReason(), "家里有事");
    EXPECT_GE(box->GetTextHeight(), 3 * kFont);
    Seconds(30);
    EXPECT_TRUE(owner->events.empty());
    Seconds(1);
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0], Cancel());
}

TEST_F(Boxes, QuitRequestAgreedByClickStopsItsClock)
{
    QuitRequestBox* box = OpenQuitRequestBox(*root, "abc", "", "head", Ok(), Cancel(), 30, 100, 75);
    ASSERT_NE(box, nullptr);
    Seconds(5);
    Click(box->GetOkButton());
    Seconds(40);
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0], Ok());
}

// ---- the forced-quit reason ---------------------------------------------------

class ReasonBox : public Boxes {
protected:
    ForceQuitReasonBox* OpenReason()
    {
        ForceQuitReasonBox* box
            = OpenForceQuitReasonBox(*root, "输入理由", "请求强退", Ok(), Cancel(), 3, 60, 100, 75);
        EXPECT_NE(box, nullptr);
        Frame();
        return box;
    }
    void Type(std::string_view text)
    {
        for (char c : text)
            WindowInput(platform::kWmChar, 0, 0, static_cast<uint8_t>(c));
        Frames(2);
    }
    // The reason the OK event carried; frees it as a receiver must.
    std::string TakeReason(const EngineEvent& e)
    {
        const auto* text = FromWord<const char>(e.param);
        std::string reason = text ? text : "<null>";
        FreeEventBlock(e.param);
        return reason;
    }
};

TEST_F(ReasonBox, OkCarriesTheTypedReason)
{
    ForceQuitReasonBox* box = OpenReason();
    ASSERT_NE(box->GetReasonEdit(), nullptr);
    EXPECT_EQ(box->GetZ(), 90000);
    Type("sorry");
    Click(box->GetOkButton());
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0].code, kOkCode);
    EXPECT_EQ(owner->events[0].data, Ok().data);
    EXPECT_EQ(TakeReason(owner->events[0]), "sorry");
}

// Pixels of the title canvas unlike its top-left corner, which the title
// (drawn from (5, 6)) never reaches.
int TitleInk(SystemInfoBox& box)
{
    CanvasObject* title = box.GetTitleCanvas();
    if (!title)
        return -1;
    const auto look = [title](int x, int y) {
        return uint64_t(title->GetPixelAlpha(x, y)) << 32 | title->GetPixel(x, y);
    };
    const uint64_t corner = look(0, 0);
    int ink = 0;
    for (int y = 0; y < title->GetBufferHeight(); ++y)
        for (int x = 0; x < title->GetBufferWidth(); ++x)
            ink += look(x, y) != corner;
    return ink;
}

TEST_F(ReasonBox, TitleIsTheCallersOrTheApplications)
{
    ForceQuitReasonBox* reason = OpenReason();
    EXPECT_EQ(reason->GetTitleText(), "请求强退");
    EXPECT_GT(TitleInk(*reason), 0);

    SystemInfoBox* plain = Open(0, 0);
    EXPECT_EQ(plain->GetTitleText(), "");
    EXPECT_EQ(TitleInk(*plain), 0);

    BoxServices services;
    services.title = "游戏";
    SystemInfoBox* titled = Open(0, 0, services);
    EXPECT_EQ(titled->GetTitleText(), "游戏");
    EXPECT_GT(TitleInk(*titled), 0);
}

TEST_F(ReasonBox, ReasonIsCutAtTheByteLimitAndAnEmptyOneStillSent)
{
    ForceQuitReasonBox* box = OpenReason();
    Type(std::string(70, 'x'));
    EXPECT_EQ(box->GetReasonEdit()->GetTextLength(), 60);
    Click(box->GetOkButton());
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(TakeReason(owner->events[0]), std::string(60, 'x'));

    box = OpenReason();
    Click(box->GetOkButton());
    ASSERT_EQ(owner->events.size(), 2u);
    EXPECT_EQ(TakeReason(owner->events[1]), "");
}

TEST_F(ReasonBox, CancelAndCloseSendTheCancelEvent)
{
    ForceQuitReasonBox* box = OpenReason();
    Type("abc");
    Click(box->GetCancelButton());
    box = OpenReason();
    Click(box->GetCloseButton());
    ASSERT_EQ(owner->events.size(), 2u);
    EXPECT_EQ(owner->events[0], Cancel());
    EXPECT_EQ(owner->events[1], Cancel());
}

} // namespace
