#include "frame/ui/MatchPanels.h"

#include "engine/controls/richtext/RichText.h"
#include "engine/controls/widgets/EventSequencer.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageFont.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/core/EngineObject.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FormatLine.h"
#include "frame/core/GameConnection.h"
#include "frame/core/WireReader.h"
#include "frame/ui/PanelParts.h"

#include <algorithm>
#include <memory>

namespace frame {

namespace {

using engine::EngineEvent;
using engine::ImageButton;
using engine::ImageFont;
using engine::PictureDesc;
using engine::SpriteObject;

constexpr uint32_t kKey = 0xff00ff;
constexpr uint32_t kFontFlags = 0x12;
constexpr int kGlyphWidth = 40;
constexpr int kGlyphHeight = 42;
constexpr uint32_t kFeeLinkFlags = 0x180A3;
constexpr uint32_t kButtonSpriteFlags = 4;
constexpr uint32_t kButtonPause = 5000;
constexpr uint32_t kRoundTitleMs = 2000;
constexpr uint32_t kRoundCheckMs = 15000;
constexpr double kBannerDepth = 52000;
constexpr double kMaskDepth = 50000;
constexpr double kResultDepth = 60000;

constexpr const char* kCountdownGlyphs = "比赛倒计时:天时分秒小";
constexpr const char* kFeeGlyphs = "比赛倒计时:天时分秒小报名费银两通宝";
constexpr const char* kDigits = "0123456789";
constexpr const char* kCountdownWords = "word_waitmatchstart";
constexpr const char* kCountdownDigits = "digit_waitmatchstart";
constexpr const char* kWelcome = " <z=qh系统通知><c=%d> 欢迎加入比赛,您还需要获得:\r\n<c=%d>%lld段位分<c=%d>升入<z=bit_Duan,%lld><m=vkf加油>\r\n";

// Byte offsets of the values read from the application's match records.
constexpr size_t kStateSecondsLeft = 32;
constexpr size_t kStateThreshold = 36;
constexpr size_t kInfoFeeKind = 1232;
constexpr size_t kInfoFee = 1236;
constexpr size_t kRoomRound = 224;
constexpr size_t kSeatLevel = 96;
constexpr size_t kSeatRankPoints = 100;
constexpr size_t kSeatWord264 = 264;
constexpr size_t kRankingFirstEntry = 24;
constexpr size_t kEntryStatus = 16;
constexpr size_t kEntryRankingKey = 12;

// The result notice.
constexpr size_t kResultUser = 12;
constexpr size_t kResultWord16 = 16;
constexpr size_t kResultPlace = 20;
constexpr size_t kResultRankPoints = 24;
constexpr size_t kResultCoupons = 28;
constexpr size_t kResultSilver = 32;
constexpr size_t kResultAwardId = 36;
constexpr size_t kResultAwardText = 44;
constexpr size_t kResultAwardTextSize = 128;
constexpr size_t kResultLevel = 180;
constexpr size_t kResultSeatPoints = 184;
constexpr size_t kResultSeatWord264 = 188;

CGameFrameApp* App()
{
    return CGameFrameApp::Current();
}

template <size_t N>
int32_t IntAt(const std::array<uint8_t, N>& bytes, size_t offset)
{
    return offset + 4 <= N ? static_cast<int32_t>(LoadLe32(bytes.data() + offset)) : 0;
}

template <size_t N>
void SetIntAt(std::span<uint8_t, N> bytes, size_t offset, int32_t value)
{
    if (offset + 4 <= N)
        StoreLe32(bytes.data() + offset, static_cast<uint32_t>(value));
}

int32_t NoticeInt(const uint8_t* notice, size_t offset)
{
    return static_cast<int32_t>(LoadLe32(notice + offset));
}

} // namespace

MatchPanels::MatchPanels(engine::GameObject& view, MatchPanelsHost& host)
    : m_view(view)
    , m_host(host)
{
}

MatchPanels::~MatchPanels() = default;

engine::Rect MatchPanels::Table() const
{
    return m_host.GetTableRect();
}

ImageFont* MatchPanels::MakeFont(std::string_view glyphs, const char* picture)
{
    auto* font = static_cast<ImageFont*>(m_view.RegisterObject(std::make_unique<ImageFont>()));
    if (!font)
        return nullptr;
    font->Create(kGlyphWidth, kGlyphHeight, kFontFlags);
    font->AddGlyphs(glyphs, picture);
    font->AddGlyphs(kDigits, kCountdownDigits);
    font->SetZ(m_view.GetZ() + 1);
    return font;
}

ImageButton* MatchPanels::MakeButton(const char* picture, int code)
{
    ImageButton* button = MakeSkinButton(m_view, picture, code, kButtonSpriteFlags);
    if (!button)
        return nullptr;
    button->SetZ(m_view.GetZ() + 1);
    button->Hide();
    return button;
}

void MatchPanels::Create()
{
    CGameFrameApp* app = App();
    const bool beforeStart = !app || app->IsMatchKindBelow500();

    PictureDesc wait;
    m_view.LookupPicture(&wait, "animation_WaitArrangeTable", 0);
    m_wait = m_view.CreateSprite(wait);
    if (m_wait) {
        m_wait->SetTopmost();
        m_wait->SetZ(m_view.GetZ() + 1);
        m_wait->Hide();
    }
    m_queue = static_cast<engine::EventSequencer*>(m_view.RegisterObject(std::make_unique<engine::EventSequencer>()));
    if (beforeStart)
        m_countdown = MakeFont(kCountdownGlyphs, kCountdownWords);
    m_signUp = MakeButton("btn_signup", EVT_MATCH_SIGN_UP);
    m_giveUp = MakeButton("btn_giveup", EVT_MATCH_GIVE_UP);
    if (beforeStart && m_signUp) {
        m_fee = MakeFont(kFeeGlyphs, kCountdownWords);
        if (m_fee)
            m_signUp->AddChild(m_fee, kFeeLinkFlags);
    }
    m_roundTitle = MakeFont("定局淘汰第轮", "word_washturn");
    m_tables = MakeFont("还有桌游戏中前名晋级，", "word_resttable");
    for (engine::EngineObject* part : { static_cast<engine::EngineObject*>(m_countdown),
             static_cast<engine::EngineObject*>(m_fee), static_cast<engine::EngineObject*>(m_roundTitle),
             static_cast<engine::EngineObject*>(m_tables) })
        if (part)
            part->Hide();
    Layout();
    if (m_tables && m_wait)
        m_tables->MoveTo(m_wait->GetX(), m_wait->GetTop() - m_tables->GetHeight() / 2 - 10);
}

void MatchPanels::Layout()
{
    const engine::Rect r = Table();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const int cx = r.left + w / 2;
    const int cy = r.top + h / 2;
    for (engine::EngineObject* part : { static_cast<engine::EngineObject*>(m_wait),
             static_cast<engine::EngineObject*>(m_countdown), static_cast<engine::EngineObject*>(m_roundTitle) })
        if (part)
            part->MoveTo(cx, cy);
    if (m_tables && m_wait)
        m_tables->MoveTo(m_wait->GetX(), m_wait->GetTop() - m_tables->GetHeight() / 2 - 5);
    if (m_banner)
        m_banner->MoveTo(cx, r.top + h / 3);
    if (m_signUp) {
        if (m_signUpUnderAnimation)
            PlaceSignUpUnderAnimation();
        else
            m_signUp->MoveTo(cx, r.top + h * 2 / 3);
    }
    if (m_giveUp)
        m_giveUp->MoveTo(r.left + m_giveUp->GetWidth() / 2, r.top + h - m_giveUp->GetHeight() / 2);
    PlaceFeeText(m_feeGap);
    if (m_resultPanel && m_resultPanel->IsShown())
        m_resultPanel->MoveTo(cx, r.top + h * 3 / 5);
    if (m_mask && m_mask->IsShown())
        m_mask->MoveTo(cx, cy);
}

void MatchPanels::PlaceSignUpUnderAnimation()
{
    if (!m_signUp || !m_wait)
        return;
    m_signUp->MoveTo(m_wait->GetX(), m_wait->GetBottom() + m_signUp->GetHeight());
}

void MatchPanels::PlaceFeeText(int gap)
{
    if (!m_fee || !m_signUp)
        return;
    m_fee->MoveTo(m_signUp->GetRight() + m_fee->GetWidth() / 2 + gap, m_signUp->GetY());
}

void MatchPanels::SetFontText(ImageFont* font, const std::string& text, std::string& shown)
{
    shown = text;
    if (!font)
        return;
    font->SetText(text);
    font->Show();
    font->Invalidate();
}

// ---- entering, welcome and countdown -------------------------------------------------

void MatchPanels::OnMatchEnterReply()
{
    StartMatchCountdown();
    CGameFrameApp* app = App();
    if (m_giveUp && app && app->IsMatchKindBelow500()) {
        m_giveUp->SetEnabled(true);
        m_giveUp->Show();
        Layout();
        m_giveUp->Invalidate();
    }
}

void MatchPanels::ShowMatchWelcome()
{
    CGameFrameApp* app = App();
    if (!app)
        return;
    const MatchSeatRecord* seat = app->FindMatchSeat(app->GetUserId());
    if (!seat)
        return;
    const int threshold = IntAt(app->GetMatchStateBlock().Bytes(), kStateThreshold);
    // Both numbers are the server's: worked out wide, never overflowing.
    const long long needed = static_cast<long long>(threshold) - IntAt(seat->Bytes(), kSeatRankPoints);
    const long long nextLevel = OneUp(IntAt(seat->Bytes(), kSeatLevel));
    m_host.AddChatLine(FormatLine(kWelcome, 527845, 0xFF0000, needed, 527845, nextLevel));
}

std::string MatchPanels::CountdownText(int s)
{
    const int d = s / 86400;
    const int hh = s % 86400 / 3600;
    const int mm = s % 3600 / 60;
    const int ss = s % 60;
    std::string text = "比赛倒计时:";
    if (d > 0)
        text += FormatLine("%d天", d);
    if (hh > 0 || d > 0)
        text += FormatLine("%d小时", hh);
    if (mm > 0 || d > 0 || hh > 0)
        text += FormatLine("%d分", mm);
    text += FormatLine("%d秒", ss);
    return text;
}

void MatchPanels::StartMatchCountdown()
{
    CGameFrameApp* app = App();
    if (!m_countdown || !app || !app->IsMatchKindBelow500())
        return;
    const int left = IntAt(app->GetMatchStateBlock().Bytes(), kStateSecondsLeft);
    if (left > 0) {
        TickMatchCountdown();
        // With nothing left after the first tick the repeat runs until the
        // next tick stops it (a count of 0 repeats until cancelled).
        const int after = IntAt(app->GetMatchStateBlock().Bytes(), kStateSecondsLeft);
        const EngineEvent tick(m_view.GetId(), EVT_MATCH_TICK);
        m_countdownAction = m_view.RepeatEvent(1000, after, &tick);
    } else {
        SetFontText(m_countdown, "比赛倒计时:0时0分0秒", m_countdownShown);
    }
}

void MatchPanels::TickMatchCountdown()
{
    CGameFrameApp* app = App();
    if (!app || !m_countdown || !app->IsMatchKindBelow500()) {
        StopMatchCountdown();
        return;
    }
    MatchStateBlock& state = app->GetMatchStateBlock();
    const int left = IntAt(state.Bytes(), kStateSecondsLeft);
    if (left <= 0) {
        StopMatchCountdown();
        return;
    }
    const int s = left - 1;
    SetIntAt(state.MutableBytes(), kStateSecondsLeft, s);
    SetFontText(m_countdown, CountdownText(s), m_countdownShown);
    if (s <= 60 && m_giveUp)
        m_giveUp->Hide();
}

void MatchPanels::StopMatchCountdown()
{
    if (m_countdownAction) {
        m_view.CancelAction(m_countdownAction);
        m_countdownAction = 0;
    }
    if (m_countdown)
        m_countdown->Hide();
}

// ---- sign-up and give-up ----------------------------------------------------------------

void MatchPanels::DisableForAWhile(ImageButton* button)
{
    if (!button)
        return;
    button->SetEnabled(false);
    const EngineEvent enable(button->GetId(), engine::EVT_ENABLED);
    m_view.Delay(kButtonPause, &enable);
}

void MatchPanels::OnSignUpClicked()
{
    CGameFrameApp* app = App();
    if (GameConnection* connection = app ? app->GetConnection() : nullptr)
        connection->Request201231();
    DisableForAWhile(m_signUp);
}

void MatchPanels::OnGiveUpClicked()
{
    CGameFrameApp* app = App();
    if (GameConnection* connection = app ? app->GetConnection() : nullptr)
        connection->Request201232();
    DisableForAWhile(m_giveUp);
}

void MatchPanels::OnSignUpOk()
{
    HideSignUpPanel();
    m_host.ShowSystemBoard("恭喜您，报名成功！", 0xFFFFFF, 16);
    if (CGameFrameApp* app = App())
        app->EnterMatchRoom();
}

void MatchPanels::OnWithdrawn()
{
    HideSignUpPanel();
    m_host.ShowSystemBoard("您已退赛！", 0xFFFFFF, 16);
    if (CGameFrameApp* app = App())
        app->EnterMatchRoom();
}

void MatchPanels::HideSignUpPanel()
{
    if (m_signUp)
        m_signUp->Hide();
    if (m_giveUp)
        m_giveUp->Hide();
    if (m_wait) {
        m_view.CancelActionsOf(m_wait->GetId());
        m_wait->Hide();
    }
    m_host.HideSystemBoard();
    if (m_fee)
        m_fee->Hide();
    if (m_tables)
        m_tables->Hide();
    StopMatchCountdown();
}

void MatchPanels::ShowAnimation(std::string_view picture)
{
    if (!m_wait)
        return;
    m_view.CancelActionsOf(m_wait->GetId());
    PictureDesc desc;
    m_view.LookupPicture(&desc, picture, 0);
    m_wait->SetPicture(desc, true);
    m_wait->Show();
    m_wait->Invalidate();
    m_view.PlayFrames(m_wait, 0, -1, 0, 0, nullptr);
}

void MatchPanels::ShowNotSignedUp()
{
    if (!m_wait)
        return;
    ShowAnimation("animation_NoSignUp");
    if (m_signUp) {
        m_signUp->SetEnabled(true);
        m_signUp->Show();
        m_signUpUnderAnimation = true;
        PlaceSignUpUnderAnimation();
        m_signUp->Invalidate();
    }
    CGameFrameApp* app = App();
    if (!m_fee || !app)
        return;
    const auto& info = app->GetMatchInfo().Bytes();
    const int fee = IntAt(info, kInfoFee);
    if (fee == 0)
        return;
    const int kind = IntAt(info, kInfoFeeKind);
    std::string text;
    if (kind == 1)
        text = FormatLine("报名费%d两\r\n", fee);
    else if (kind == 2)
        text = FormatLine("报名费%d通宝\r\n", fee);
    SetFontText(m_fee, text, m_feeShown);
    PlaceFeeText(m_feeGap);
}

void MatchPanels::ShowMatchSelfCancel()
{
    if (!m_wait)
        return;
    StopMatchCountdown();
    m_feeGap = 5;
    ShowNotSignedUp();
    ShowAnimation("bit_SelfCancel");
    PlaceSignUpUnderAnimation();
    PlaceFeeText(m_feeGap);
}

void MatchPanels::ShowFinalState(const char* picture)
{
    if (!m_wait)
        return;
    ShowAnimation(picture);
    const EngineEvent close(m_view.GetId(), EVT_MATCH_CLOSE_CLIENT);
    m_view.Delay(kCloseDelay * 1000, &close);
}

void MatchPanels::ShowWashout() { ShowFinalState("bit_Washout"); }
void MatchPanels::ShowMatchEnded() { ShowFinalState("bit_MatchEnd"); }
void MatchPanels::ShowMatchLate() { ShowFinalState("bit_MatchLate"); }
void MatchPanels::ShowWaitSignUpCheck() { ShowFinalState("bit_WaitSignUpCheck"); }
void MatchPanels::ShowMatchRejected() { ShowFinalState("bit_SystemRejected"); }
void MatchPanels::ShowMatchStarted() { ShowFinalState("bit_MatchStarted"); }

void MatchPanels::ShowMatchSystemCancel()
{
    if (!m_wait)
        return;
    StopMatchCountdown();
    ShowFinalState("bit_SystemCancel");
}

// ---- the match running -----------------------------------------------------------------

void MatchPanels::SetMatchWaitAnimation(int kind)
{
    if (!m_wait)
        return;
    const char* picture = nullptr;
    switch (kind) {
    case 1: picture = "animation_WaitArrangeTable"; break;
    case 3: picture = "animation_WaitCaclRank"; break;
    case 4: picture = "animation_WaitFinal"; break;
    default: break;
    }
    if (picture) {
        ShowAnimation(picture);
    } else {
        m_view.CancelActionsOf(m_wait->GetId());
    }
}

void MatchPanels::PlayMatchBanner(std::string_view name)
{
    PictureDesc desc;
    m_view.LookupPicture(&desc, name, 0);
    if (!m_banner) {
        m_banner = m_view.CreateSprite(desc);
        if (!m_banner)
            return;
        m_banner->SetTopmost();
        m_banner->SetZ(kBannerDepth);
    } else {
        m_banner->SetPicture(desc, true);
        m_banner->SetOpacity(1.0);
    }
    const engine::Rect r = Table();
    m_banner->MoveTo(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 3);
    m_banner->Show();
    m_banner->Invalidate();
    m_view.PlayFrames(m_banner, 0, 1, 0, 0, nullptr);
}

void MatchPanels::HideMatchBanner()
{
    if (!m_banner)
        return;
    m_view.CancelActionsOf(m_banner->GetId());
    m_banner->SetOpacity(1.0);
    m_banner->Hide();
}

void MatchPanels::OnMatchBegin()
{
    if (!m_wait)
        return;
    m_host.BringToFront();
    HideSignUpPanel();
    SetMatchWaitAnimation(1);
    m_wait->Hide();
    if (m_tables)
        m_tables->Hide();
    m_view.PlaySound("Snd_GameStart", 1, nullptr);

    m_beginGroup = m_view.BeginActionGroup();
    PlayMatchBanner("animation_MatchBegin");
    m_view.NextActionGroup();
    const EngineEvent faded(m_view.GetId(), EVT_MATCH_BANNER_FADED);
    if (m_banner)
        m_view.FadeOpacity(m_banner, -0.02, 0.0, 30, &faded);
    m_view.NextActionGroup();
    m_view.ShowLater(m_wait, true, nullptr);
    m_view.EndActionGroup();
}

void MatchPanels::OnMatchNextRound()
{
    HideMatchPanels();
    HideMatchBanner();
    CGameFrameApp* app = App();
    const int round = app ? IntAt(app->GetMatchRoomInfo().Bytes(), kRoomRound) : 0;
    if (m_roundTitle && round > 0) {
        std::string shown;
        SetFontText(m_roundTitle, FormatLine("定局淘汰第%d轮", round), shown);
        const EngineEvent hide(m_roundTitle->GetId(), engine::EVT_HIDE);
        m_view.Delay(kRoundTitleMs, &hide);
    }
    m_host.SendToTable(80000002, 0);
    const EngineEvent check(m_view.GetId(), EVT_MATCH_ROUND_CHECK);
    m_view.Delay(kRoundCheckMs, &check);
}

void MatchPanels::RequestRoundCheck()
{
    CGameFrameApp* app = App();
    if (!app || !app->IsInGame())
        return;
    if (GameConnection* connection = app->GetConnection()) {
        std::string text;
        connection->Request201161(text);
    }
}

void MatchPanels::ShowTablesRemaining(const uint8_t* data, size_t size)
{
    CGameFrameApp* app = App();
    if (!m_wait || (app && app->IsMatchKind600Plus()))
        return;
    const WireReader notice(data, size);
    if (!notice.Has(28))
        return;
    const std::string text = notice.Text(28, size > 28 ? size - 28 : 0);
    if (notice.Int(16)) {
        const engine::Rect r = Table();
        ShowAnimation(text);
        m_wait->MoveTo(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2);
    } else if (!text.empty()) {
        m_host.AddChatLine(" <z=qh系统通知><c=255> " + text);
    }
    const int tables = notice.Int(20);
    const int promoted = notice.Int(24);
    if (tables > 0) {
        SetFontText(m_tables,
            promoted > 0 ? FormatLine(" 还有%d桌游戏中，前%d名晋级", tables, promoted) : FormatLine("还有%d桌游戏中", tables),
            m_tablesShown);
        Layout();
    }
}

void MatchPanels::HideMatchPanels()
{
    if (!m_wait)
        return;
    m_view.CancelActionsOf(m_wait->GetId());
    m_wait->Hide();
    if (m_tables)
        m_tables->Hide();
    if (m_signUp)
        m_signUp->Hide();
    if (m_giveUp)
        m_giveUp->Hide();
}

// ---- results and the end ---------------------------------------------------------------

void MatchPanels::QueueMatchEnd(const uint8_t* data, size_t size)
{
    if (m_beginGroup) {
        m_view.CancelActionGroup(m_beginGroup);
        m_beginGroup = nullptr;
    }
    // A short notice is queued padded with zeros: the copy is never read.
    std::array<uint8_t, kMatchEndNoticeSize> copy {};
    if (data)
        std::copy_n(data, std::min(size, copy.size()), copy.begin());
    if (m_queue)
        m_queue->Post(m_view.GetId(), EVT_MATCH_SHOW_END, copy.data(), static_cast<int>(copy.size()));
}

void MatchPanels::QueueMatchResult(const uint8_t* data, size_t size)
{
    // Every field is read from the whole notice; a short one is refused.
    if (!data || size < kMatchResultNoticeSize || !m_queue)
        return;
    m_queue->Post(m_view.GetId(), EVT_MATCH_SHOW_RESULT, data, static_cast<int>(kMatchResultNoticeSize));
}

void MatchPanels::ShowMatchEnd()
{
    HideMatchPanels();
    HideMatchBanner();
    m_view.PlaySound("Snd_GameWin", 1, nullptr);
    PlayMatchBanner("animation_MatchEnd");
}

int MatchPanels::GetLastAwardId() const
{
    return IntAt(m_lastResult, kResultAwardId);
}

void MatchPanels::ApplyResultToRecords(const uint8_t* notice)
{
    CGameFrameApp* app = App();
    if (!app)
        return;
    MatchRanking& ranking = app->GetMatchRanking();
    const auto bytes = ranking.MutableBytes();
    SetIntAt(bytes, kRankingFirstEntry + kEntryStatus, NoticeInt(notice, kResultWord16));
    SetIntAt(bytes, kRankingFirstEntry + kEntryRankingKey, NoticeInt(notice, kResultPlace));
    if (MatchSeatRecord* seat = app->FindMatchSeat(NoticeInt(notice, kResultUser))) {
        const auto seatBytes = seat->MutableBytes();
        SetIntAt(seatBytes, kSeatLevel, NoticeInt(notice, kResultLevel));
        SetIntAt(seatBytes, kSeatRankPoints, NoticeInt(notice, kResultSeatPoints));
        SetIntAt(seatBytes, kSeatWord264, NoticeInt(notice, kResultSeatWord264));
    }
}

void MatchPanels::MakeResultPanel()
{
    PictureDesc back;
    m_view.LookupPicture(&back, "MatchResultDlg", 0);
    m_resultPanel = m_view.CreateCanvas(std::max(back.width, 1), std::max(back.height, 1), kKey);
    if (!m_resultPanel)
        return;
    if (back.record)
        m_resultPanel->BlitPicture(back, 0, 0, back.width, back.height, 0, 1.0);
    m_resultPanel->SetTopmost();
    m_resultPanel->SetDraggable(true);

    m_rankDigits = static_cast<engine::ImageNumber*>(m_view.RegisterObject(std::make_unique<engine::ImageNumber>()));
    if (m_rankDigits) {
        m_rankDigits->CreateDigits("digit_MatchRank", 2);
        for (const char* glyph : { "第", "名" }) {
            PictureDesc desc;
            m_view.LookupPicture(&desc, std::string("char_") + glyph, 0);
            m_rankDigits->AddGlyph(glyph, desc);
        }
    }
    m_reward = static_cast<engine::RichText*>(m_view.RegisterObject(std::make_unique<engine::RichText>()));
    if (m_reward) {
        m_reward->Create(220, 100, 0x409, 0x200);
        m_reward->SetBackgroundColour(kKey);
        m_reward->SetMaxFontSize(30);
        m_reward->SetFontSize(12);
        m_reward->SetTextColour(0xFFFFFF);
    }
}

void MatchPanels::PlaceResultButtons(int awardId)
{
    // The cross and the award button are made once and kept: a new pair
    // for every result would pile up buttons on the panel.
    if (!m_cross) {
        m_cross = MakeButton("btn_redcrossEx", EVT_MATCH_CLOSE_CLIENT);
        if (m_cross)
            m_resultPanel->AddChild(m_cross, engine::LINK_STANDARD);
    }
    const int awardCode = awardId > 0 ? EVT_MATCH_AWARD_PAGE : EVT_MATCH_EXCHANGE_PAGE;
    if (!m_award || m_awardCode != awardCode) {
        if (m_award)
            m_view.RemoveObject(m_award, 1);
        m_award = MakeButton(awardId > 0 ? "btn_Award" : "btn_ExChange", awardCode);
        m_awardCode = awardCode;
        if (m_award)
            m_resultPanel->AddChild(m_award, engine::LINK_STANDARD);
    }
    const double depth = m_resultPanel->GetZ() + 0.02;
    if (m_cross) {
        m_cross->MoveTo(m_resultPanel->GetRight() - 20, m_resultPanel->GetTop() + 20);
        m_cross->SetZ(depth);
        m_cross->Show();
        m_cross->Invalidate();
    }
    if (m_award) {
        m_award->MoveTo(m_resultPanel->GetX(), m_resultPanel->GetBottom() - m_award->GetHeight() / 2 - 10);
        m_award->SetZ(depth);
        m_award->Show();
        m_award->Invalidate();
    }
}

void MatchPanels::ShowMatchResult(const uint8_t* notice)
{
    std::copy_n(notice, m_lastResult.size(), m_lastResult.begin());
    HideMatchPanels();
    m_host.SendToTable(EVT_CHILD_MATCH_RESULT, 0);
    if (m_resultPanel && m_resultPanel->IsShown())
        return;
    ApplyResultToRecords(notice);
    if (!m_resultPanel)
        MakeResultPanel();
    if (!m_resultPanel)
        return;

    CGameFrameApp* app = App();
    if (app) {
        if (const PlayerRecord* self = app->GetSeatPlayer(app->GetChair())) {
            PictureDesc figure;
            m_view.LookupPicture(&figure, m_host.GetCharacterImageName(self->Figure(), 2), 0);
            if (figure.record) {
                // The central 48 x 48 pixels of the picture.
                const int x = 15 - (figure.width - 48) / 2;
                const int y = 15 - (figure.height - 48) / 2;
                m_resultPanel->BlitPicture(figure, x, y, figure.width, figure.height, 0, 1.0);
            }
        }
    }
    const int place = NoticeInt(notice, kResultPlace);
    if (m_rankDigits)
        m_rankDigits->DrawText(*m_resultPanel, 165, 30, FormatLine("第%d名", place), 2);

    const int awardId = NoticeInt(notice, kResultAwardId);
    const int silver = NoticeInt(notice, kResultSilver);
    const int coupons = NoticeInt(notice, kResultCoupons);
    const int points = NoticeInt(notice, kResultRankPoints);
    std::string text = "\r\n";
    if (awardId > 0)
        text += FormatLine("  <c=%d>", 0xFFFF)
            + WireReader(notice, kMatchResultNoticeSize).Text(kResultAwardText, kResultAwardTextSize) + "\r\n";
    if (silver != 0)
        text += FormatLine("  银两   +%d\r\n", silver);
    if (coupons != 0)
        text += FormatLine("  奖券   +%d\r\n", coupons);
    text += "\r\n";
    if (points > 0)
        text += FormatLine("  <c=%d>段位分   +%d", 0xFFFF00, points);
    m_rewardShown = text;

    const engine::Rect r = Table();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    m_resultPanel->MoveTo(r.left + w / 2, r.top + h * 3 / 5);
    m_resultPanel->SetZ(kResultDepth);
    m_resultPanel->Show();
    m_resultPanel->Invalidate();
    if (m_reward) {
        m_reward->Clear();
        m_reward->MoveTo(m_resultPanel->GetLeft() + 140, m_resultPanel->GetTop() + 140);
        m_reward->SetZ(kResultDepth + 0.01);
        if (!m_resultPanel->HasChild(m_reward->GetId()))
            m_resultPanel->AddChild(m_reward, engine::LINK_STANDARD);
        m_reward->AppendText(text);
        m_reward->Show();
    }
    PlaceResultButtons(awardId);

    if (!m_mask) {
        m_mask = m_view.CreateCanvas(std::max(w, 1), std::max(h, 1), 0);
        if (m_mask) {
            m_mask->SetOpacity(0.7);
            m_mask->SetTopmost();
            m_mask->SetInputEnabled(true);
        }
    }
    if (m_mask) {
        m_mask->MoveTo(r.left + w / 2, r.top + h / 2);
        m_mask->SetZ(kMaskDepth);
        m_mask->Show();
        m_mask->Invalidate();
    }
    if (app)
        app->SortMatchRanking();
    m_host.RequestPlayerDetail();
    m_host.SendToTable(EVT_CHILD_MATCH_RESULT_SHOWN, 0);
}

void MatchPanels::HideMatchResult()
{
    if (m_resultPanel)
        m_resultPanel->Hide();
    if (m_mask)
        m_mask->Hide();
}

void MatchPanels::OpenAwardPage()
{
    if (CGameFrameApp* app = App())
        app->SendTextToHall(FormatLine("%s&act=lj&awardid=%d", app->GetAwardUrl().c_str(), GetLastAwardId()), 1);
}

void MatchPanels::OpenExchangePage()
{
    if (CGameFrameApp* app = App())
        app->SendTextToHall(app->GetAwardUrl() + "&act=dj", 1);
}

// ---- events -------------------------------------------------------------------------------

int MatchPanels::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_MATCH_SIGN_UP: OnSignUpClicked(); return 1;
    case EVT_MATCH_GIVE_UP: OnGiveUpClicked(); return 1;
    case EVT_MATCH_TICK: TickMatchCountdown(); return 1;
    case EVT_MATCH_ROUND_CHECK: RequestRoundCheck(); return 1;
    case EVT_MATCH_BANNER_FADED: {
        CGameFrameApp* app = App();
        if (GameConnection* connection = app ? app->GetConnection() : nullptr)
            connection->Request201221();
        return 1;
    }
    case EVT_MATCH_SHOW_END:
    case EVT_MATCH_SHOW_RESULT: {
        if (m_queue)
            m_queue->Next();
        auto* copy = event.ParamAs<uint8_t>();
        if (copy && event.code == EVT_MATCH_SHOW_END)
            ShowMatchEnd();
        else if (copy)
            ShowMatchResult(copy);
        engine::FreeEventBlock(event.param);
        return 1;
    }
    case EVT_MATCH_AWARD_PAGE: OpenAwardPage(); return 1;
    case EVT_MATCH_EXCHANGE_PAGE: OpenExchangePage(); return 1;
    default: return 0;
    }
}

} // namespace frame
