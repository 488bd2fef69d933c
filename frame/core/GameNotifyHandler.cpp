#include "frame/core/GameNotifyHandler.h"

#include "engine/core/EngineEvent.h"
#include "engine/core/EngineObject.h"
#include "engine/objects/COrbitVaneWnd.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FormatLine.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/GameState.h"
#include "frame/core/WireReader.h"
#include "net/DailyLog.h"
#include "platform/Clock.h"
#include "platform/Gbk.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace {

using frame::PlayerRecord;
using frame::WireReader;

// Notification ids of the frame.
enum : uint32_t {
    kPlayerCall = 201200,
    kChatText = 201210,
    kExitRequest = 201212,
    kExitAnswer = 201213,
    kServerMessageBox = 210530,
    kGameAborted = 211000,
    kPlayerLeft = 211010,
    kPlayerEntered = 211011,
    kPlayerChanged = 211020,
    kTableMessage = 211025,
    kSeatPlayers = 211028,
    kPlayerScores = 211030,
    kSilverShortEnd = 211110,
    kSeatEmptyEnd = 211120,
    kScoreShortEnd = 211130,
    kScoreLimitEnd = 211132,
    kPlayerRoundLimitEnd = 211134,
    kTableRoundLimitEnd = 211136,
    kOutsideOpenHours = 211137,
    kServerNotice = 211138,
    kMatchTable = 211150,
    kMatchRanking = 211170,
    kMatchEnd = 211190,
    kMatchResultQueued = 211191,
    kMatchBegin = 211199,
    kChatText2 = 211200,
    kMatchSystemCancel = 211201,
    kIgnored = 211202,
    kSignUpOk = 211203,
    kWithdrawn = 211204,
    kSignUpFailed = 211205,
    kWithdrawFailed = 211206,
    kMatchPromotionWait = 211210,
    kTablesRemaining = 211220,
    kGameTimeout = 211230,
    kMatchPlayer = 211241,
    kMatchBoardEvent = 211242,
    kMatchBoardText = 211243,
    kAdvertText = 211400,
    kMatchResult = 211410,
    kPlayerPortrait = 211430,
    kPlayerPrivilege = 211440,
    kPlayerResult = 211510,
    kPlayerMoney = 211600,
    kChairPlayers = 211700,
    kIdleRoundsWarning = 211800,
    kPaneThenTable = 211900,
    kPlayerNames = 211910,
    kTableViewEvent = 211920,
};

constexpr std::array<uint32_t, 49> kFrameIds = {
    kPlayerCall, kChatText, kExitRequest, kExitAnswer, kServerMessageBox, kGameAborted, kPlayerLeft,
    kPlayerEntered, kPlayerChanged, kTableMessage, kSeatPlayers, kPlayerScores, kSilverShortEnd, kSeatEmptyEnd,
    kScoreShortEnd, kScoreLimitEnd, kPlayerRoundLimitEnd, kTableRoundLimitEnd, kOutsideOpenHours, kServerNotice,
    kMatchTable, kMatchRanking, kMatchEnd, kMatchResultQueued, kMatchBegin, kChatText2, kMatchSystemCancel,
    kIgnored, kSignUpOk, kWithdrawn, kSignUpFailed, kWithdrawFailed, kMatchPromotionWait, kTablesRemaining,
    kGameTimeout, kMatchPlayer, kMatchBoardEvent, kMatchBoardText, kAdvertText, kMatchResult, kPlayerPortrait,
    kPlayerPrivilege, kPlayerResult, kPlayerMoney, kChairPlayers, kIdleRoundsWarning, kPaneThenTable,
    kPlayerNames, kTableViewEvent,
};

// Engine events the handlers send.
constexpr int kEvtMatchOver = 80000026;
constexpr int kEvtMatchBoard = 80000028;
constexpr int kEvtChatText = 80000058;
constexpr int kEvtChatText2 = 80000059;
constexpr int kEvtAdvertText = 80000060;
constexpr int kEvt211900 = 80000061;
constexpr int kEvt211920 = 80000063;
constexpr int kEvtPortrait = 80000064;
constexpr int kEvtPrivilege = 80000065;

// The lobby's table message.
constexpr uint32_t kWmHallTableMsg = 0x9107;

// Box flags and colours of the notices.
constexpr uint32_t kNoticeFlags = frame::SIB_TWO_BUTTONS;
constexpr uint32_t kHeadFlags = frame::SIB_HEAD_PICTURE | frame::SIB_HEAD_ANIMATED;
constexpr int kCallColour = 32768;
constexpr int kExitAnswerColour = 2906200;
constexpr uint32_t kBoardColour = 0xFFFFFF;
constexpr int kBoardSize = 16;

// Players named by the score list: every record the application holds.
constexpr size_t kScoreEntriesMax = frame::FrameRecordStore::kSeats + frame::FrameRecordStore::kLookOnSlots;

// The periods of 211137.
constexpr size_t kOpenPeriodsMax = 8;

// The text from offset to its first zero or the end of the body. A lead
// byte left alone at the end (its second byte did not arrive) is dropped,
// so the text never ends inside a character.
std::string BodyText(const WireReader& body, size_t offset)
{
    if (offset >= body.Size())
        return {};
    std::string text = body.Text(offset, body.Size() - offset);
    size_t i = 0;
    while (i < text.size()) {
        if (platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i]))) {
            if (i + 1 == text.size()) {
                text.pop_back();
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return text;
}

// Chairs at the table, within the seat records the application holds.
int ChairsAtTable(const CGameFrameApp& app)
{
    return std::clamp(app.GetChairCount(), 0, frame::FrameRecordStore::kSeats);
}

bool IsChairAtTable(const CGameFrameApp& app, int chair)
{
    return chair >= 0 && chair < ChairsAtTable(app);
}

// The record is one of the seat records (not a looker-on's).
bool IsSeatRecord(CGameFrameApp& app, const PlayerRecord* record)
{
    for (int chair = 0; chair < frame::FrameRecordStore::kSeats; ++chair) {
        if (app.GetSeatPlayer(chair) == record)
            return true;
    }
    return false;
}

} // namespace

std::span<const uint32_t> GameNotifyHandler::FrameIds()
{
    return kFrameIds;
}

GameNotifyHandler::GameNotifyHandler(CGameFrameApp& app)
    : m_app(app)
{
}

GameNotifyHandler::~GameNotifyHandler() = default;

void GameNotifyHandler::Dispatch(uint32_t id, const uint8_t* body, size_t length)
{
    if (body == nullptr)
        length = 0;
    switch (id) {
    case kPlayerCall: OnPlayerCall(body, length); break;
    case kChatText: OnChatText(body, length); break;
    case kExitRequest: OnExitRequest(body, length); break;
    case kExitAnswer: OnExitAnswer(body, length); break;
    case kServerMessageBox: OnServerMessageBox(body, length); break;
    case kGameAborted: OnGameAborted(body, length); break;
    case kPlayerLeft: OnPlayerLeft(body, length); break;
    case kPlayerEntered: OnPlayerEntered(body, length); break;
    case kPlayerChanged: OnPlayerChanged(body, length); break;
    case kTableMessage: OnTableMessage(body, length); break;
    case kSeatPlayers: OnSeatPlayers(body, length); break;
    case kPlayerScores: OnPlayerScores(body, length); break;
    case kSilverShortEnd: OnSilverShortEnd(body, length); break;
    case kSeatEmptyEnd: OnSeatEmptyEnd(body, length); break;
    case kScoreShortEnd: OnScoreShortEnd(body, length); break;
    case kScoreLimitEnd: OnScoreLimitEnd(body, length); break;
    case kPlayerRoundLimitEnd: OnPlayerRoundLimitEnd(body, length); break;
    case kTableRoundLimitEnd: OnTableRoundLimitEnd(body, length); break;
    case kOutsideOpenHours: OnOutsideOpenHours(body, length); break;
    case kServerNotice: OnServerNotice(body, length); break;
    case kMatchTable: OnMatchTable(body, length); break;
    case kMatchRanking: OnMatchRanking(body, length); break;
    case kMatchEnd: On211190(body, length); break;
    case kMatchResultQueued: On211191(body, length); break;
    case kMatchBegin: On211199(body, length); break;
    case kChatText2: OnChatText2(body, length); break;
    case kMatchSystemCancel: On211201(body, length); break;
    case kIgnored: Ignore(body, length); break;
    case kSignUpOk: On211203(body, length); break;
    case kWithdrawn: On211204(body, length); break;
    case kSignUpFailed: OnSignUpFailed(body, length); break;
    case kWithdrawFailed: OnWithdrawFailed(body, length); break;
    case kMatchPromotionWait: OnMatchPromotionWait(body, length); break;
    case kTablesRemaining: On211220(body, length); break;
    case kGameTimeout: OnGameTimeout(body, length); break;
    case kMatchPlayer: On211241(body, length); break;
    case kMatchBoardEvent: On211242(body, length); break;
    case kMatchBoardText: On211243(body, length); break;
    case kAdvertText: OnAdvertText(body, length); break;
    case kMatchResult: OnMatchResult(body, length); break;
    case kPlayerPortrait: OnPlayerPortrait(body, length); break;
    case kPlayerPrivilege: OnPlayerPrivilege(body, length); break;
    case kPlayerResult: OnPlayerResult(body, length); break;
    case kPlayerMoney: OnPlayerMoney(body, length); break;
    case kChairPlayers: OnChairPlayers(body, length); break;
    case kIdleRoundsWarning: OnIdleRoundsWarning(body, length); break;
    case kPaneThenTable: On211900(body, length); break;
    case kPlayerNames: OnPlayerNames(body, length); break;
    case kTableViewEvent: On211920(body, length); break;
    default: break;
    }
}

// ---- the stamp --------------------------------------------------------------------

void GameNotifyHandler::StampLast(uint32_t id, const uint8_t*, size_t length)
{
    SetLastStamp(id, 0, length, platform::TickMs());
}

void GameNotifyHandler::SetLastStamp(uint32_t id, uint32_t word, size_t length, uint32_t tick)
{
    m_lastId = id;
    m_lastWord = word;
    m_lastLength = static_cast<uint32_t>(std::min<size_t>(length, std::numeric_limits<uint32_t>::max()));
    m_lastTick = tick;
}

// ---- helpers ----------------------------------------------------------------------

bool GameNotifyHandler::BodyHolds(uint32_t id, size_t length, size_t needed)
{
    if (length >= needed)
        return true;
    net::LogMessage("notification %u: %zu bytes, %zu needed; ignored", id, length, needed);
    return false;
}

void GameNotifyHandler::SendBody(engine::EngineObject* object, int code, const uint8_t* body, size_t length)
{
    if (object)
        object->OnEvent(engine::EngineEvent(0, code, engine::ToWord(body), static_cast<engine::MessageWord>(length)));
}

bool GameNotifyHandler::SeatChangesAllowedNow() const
{
    return !m_app.IsInGame() || (m_app.GetRoomOptionsB() & frame::RoomInfo::kOptionBSeatChangeInGame) != 0;
}

// ---- players and seats --------------------------------------------------------------

void GameNotifyHandler::OnPlayerEntered(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kPlayerEntered, length, frame::VizeRidavuRecord::kSize) || !SeatChangesAllowedNow())
        return;
    frame::VizeRidavuRecord wire;
    wire.Load(body, length);
    const int chair = wire.Chair();
    if (wire.UserId() <= 0 || !IsChairAtTable(m_app, chair))
        return;
    frame::TableInfo& table = m_app.GetTableInfo();
    if (!m_app.IsChairOccupied(chair))
        table.SetPlayerCount(std::clamp(frame::WrapAdd(table.PlayerCount(), 1), 0, ChairsAtTable(m_app)));
    PlayerRecord& seat = *m_app.GetSeatPlayer(chair);
    seat.Clear();
    m_app.WireToPlayer(seat, wire);
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->OnPlayerEnter(seat);
}

void GameNotifyHandler::OnPlayerLeft(const uint8_t* body, size_t length)
{
    constexpr size_t kChair = 4, kTableNo = 28, kAgreed = 32, kSize = 36;
    if (!BodyHolds(kPlayerLeft, length, kSize) || !SeatChangesAllowedNow())
        return;
    const WireReader reader(body, length);
    const int userId = reader.Int(0);
    const int chair = reader.Int(kChair);
    PlayerRecord* found = m_app.FindPlayer(userId);
    if (!IsChairAtTable(m_app, chair) || found == nullptr || found->TableNo() != reader.Int(kTableNo)
        || found->Chair() != chair || !IsSeatRecord(m_app, found))
        return;
    if (chair == m_app.GetChair()) {
        if (m_app.IsLookOn())
            m_app.ShowNoticeBox(frame::FormatLine("%s 已经离开，旁观结束。", m_app.GetChairDisplayName(chair).c_str()), 10,
                kHeadFlags, "vkf抱歉");
        else if (reader.Int(kAgreed) != 0)
            m_app.ShowNoticeBox("其他玩家同意您退出游戏！", 10, kHeadFlags, "vkf胜利");
    }
    PlayerRecord& seat = *m_app.GetSeatPlayer(chair);
    if (m_app.IsChairOccupied(chair)) {
        if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
            view->OnPlayerLeave(seat);
    }
    seat.Clear();
    frame::TableInfo& table = m_app.GetTableInfo();
    table.SetPlayerCount(std::max(frame::WrapAdd(table.PlayerCount(), -1), 0));
    found->Clear();
}

void GameNotifyHandler::OnPlayerChanged(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kPlayerChanged, length, 4))
        return;
    PlayerRecord* player = m_app.FindPlayer(WireReader(body, length).Int(0));
    frame::GameFrameCalls* view = m_app.GetMainViewCalls();
    if (player && view)
        view->OnLookerLeave(*player);
}

void GameNotifyHandler::OnSeatPlayers(const uint8_t* body, size_t length)
{
    constexpr size_t kCount = 8, kRecords = 64;
    if (!BodyHolds(kSeatPlayers, length, kRecords) || !m_app.LoadSeatPlayers(body, length))
        return;
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->OnRandomSeat();
    // The tail follows the records the server announced, as far as the
    // body holds them.
    const WireReader reader(body, length);
    const size_t records = reader.CountFitting(kRecords, frame::VizeRidavuRecord::kSize, reader.Int(kCount),
        std::numeric_limits<size_t>::max());
    const size_t offset = kRecords + records * frame::VizeRidavuRecord::kSize;
    OnSeatPlayersTail(body + offset, length - offset);
}

void GameNotifyHandler::OnSeatPlayersTail(const uint8_t*, size_t) { }

void GameNotifyHandler::OnChairPlayers(const uint8_t* body, size_t length)
{
    if (!m_app.LoadPlayersByChair(body, length))
        return;
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->OnTableChanged();
}

void GameNotifyHandler::OnPlayerScores(const uint8_t* body, size_t length)
{
    constexpr size_t kEntries = 20, kEntrySize = 52;
    constexpr size_t kScore = 8, kSilver = 12, kLevel = 16, kLevelTitle = 20;
    if (!BodyHolds(kPlayerScores, length, kEntries))
        return;
    const WireReader reader(body, length);
    const size_t count = reader.CountFitting(kEntries, kEntrySize, reader.Int(0), kScoreEntriesMax);
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = kEntries + i * kEntrySize;
        PlayerRecord* player = m_app.FindPlayer(reader.Int(entry));
        if (player == nullptr)
            continue;
        player->SetSilver(reader.Int(entry + kSilver));
        player->SetScore(reader.Int(entry + kScore));
        player->SetLevel(reader.Int(entry + kLevel));
        player->SetLevelTitle(reader.Text(entry + kLevelTitle, kEntrySize - kLevelTitle));
    }
}

void GameNotifyHandler::OnPlayerResult(const uint8_t* body, size_t length)
{
    m_app.UpdatePlayerResult(body, length);
}

void GameNotifyHandler::OnPlayerMoney(const uint8_t* body, size_t length)
{
    m_app.UpdatePlayerMoney(body, length);
}

void GameNotifyHandler::OnPlayerNames(const uint8_t* body, size_t length)
{
    m_app.SetPlayerNames(body, length);
}

void GameNotifyHandler::OnPlayerPortrait(const uint8_t* body, size_t length)
{
    if (!m_app.SetPlayerPortrait(body, length))
        return;
    SendBody(m_app.GetTableView(), kEvtPortrait, body, length);
    SendBody(m_app.GetSystemPane(), kEvtPortrait, body, length);
}

void GameNotifyHandler::OnPlayerPrivilege(const uint8_t* body, size_t length)
{
    if (!m_app.SetPlayerPrivileged(body, length))
        return;
    SendBody(m_app.GetTableView(), kEvtPrivilege, body, length);
    SendBody(m_app.GetSystemPane(), kEvtPrivilege, body, length);
}

// ---- chat and texts ------------------------------------------------------------------

void GameNotifyHandler::OnPlayerCall(const uint8_t* body, size_t length)
{
    constexpr size_t kCalled = 16, kSize = 20;
    if (!BodyHolds(kPlayerCall, length, kSize))
        return;
    const WireReader reader(body, length);
    const int caller = reader.Int(0);
    const int called = reader.Int(kCalled);
    // A player the client holds no record of (gone, or not yet seen) still
    // gets the line, with an empty name.
    m_app.AddSystemChatLine(frame::FormatLine(" %s呼叫 <c=%d>%s\n", m_app.GetUserDisplayName(caller).c_str(), kCallColour,
        m_app.GetUserDisplayName(called).c_str()));
    if (called == m_app.GetUserId()) {
        if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
            view->PlayViewSound("SndAhoo");
    }
}

void GameNotifyHandler::OnChatText(const uint8_t* body, size_t length)
{
    SendBody(m_app.GetSystemPane(), kEvtChatText, body, length);
}

void GameNotifyHandler::OnChatText2(const uint8_t* body, size_t length)
{
    SendBody(m_app.GetSystemPane(), kEvtChatText2, body, length);
}

void GameNotifyHandler::OnAdvertText(const uint8_t* body, size_t length)
{
    constexpr size_t kText = 32;
    if (!BodyHolds(kAdvertText, length, kText))
        return;
    m_app.SetAdvertText(BodyText(WireReader(body, length), kText));
    engine::EngineObject* pane = m_app.GetSystemPane();
    if (pane == nullptr)
        return;
    // The system pane takes the copy and frees it (FreeEventBlock).
    const std::string& text = m_app.GetAdvertText();
    uint8_t* copy = engine::AllocEventBlock(text.size() + 1);
    std::memcpy(copy, text.data(), text.size());
    pane->OnEvent(engine::EngineEvent(0, kEvtAdvertText, engine::ToWord(copy), text.size()));
}

void GameNotifyHandler::OnServerNotice(const uint8_t* body, size_t length)
{
    constexpr size_t kText = 8;
    if (!BodyHolds(kServerNotice, length, kText))
        return;
    const std::string text = BodyText(WireReader(body, length), kText);
    if (!text.empty())
        m_app.ShowNoticeBox(text, 60, kNoticeFlags, "");
}

void GameNotifyHandler::OnServerMessageBox(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kServerMessageBox, length, 1))
        return;
    const std::string text = BodyText(WireReader(body, length), 0);
    if (text.empty())
        return;
    // The caption is the program's name, as for the system's default box.
    engine::COrbitVaneWnd* window = m_app.GetMainWindow();
    platform::MessageBox(window ? &window->GetWindow() : nullptr, text, m_app.GetGameName(), platform::kMbOk);
}

void GameNotifyHandler::OnMatchPromotionWait(const uint8_t* body, size_t length)
{
    constexpr size_t kNumber = 8, kSize = 12;
    if (!BodyHolds(kMatchPromotionWait, length, kSize))
        return;
    m_app.AddSystemChatLine(
        frame::FormatLine(" <z=qh系统通知><c=255,s=240> 出局人数已满，本局结束后将等待其他桌结束确定前%d名晋级者。\r\n",
            WireReader(body, length).Int(kNumber)));
}

void GameNotifyHandler::OnGameTimeout(const uint8_t*, size_t)
{
    m_app.AddSystemChatLine(" <z=qh系统通知>#r 游戏超时，本局结束!\r\n");
}

void GameNotifyHandler::OnTableMessage(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kTableMessage, length, 4))
        return;
    m_app.PostToHall(kWmHallTableMsg, m_app.GetMainWindowHandle(), WireReader(body, length).Int(0));
}

// ---- ends of a table and warnings ----------------------------------------------------

void GameNotifyHandler::ShowPlayerEndNotice(uint32_t id, const char* format, const uint8_t* body, size_t length)
{
    if (!BodyHolds(id, length, 4))
        return;
    const std::string name = m_app.GetUserName(WireReader(body, length).Int(0));
    m_app.ShowNoticeBox(frame::FormatLine(format, name.c_str()), 5, kNoticeFlags, "");
}

void GameNotifyHandler::OnSeatEmptyEnd(const uint8_t*, size_t)
{
    m_app.ShowNoticeBox("有玩家未入座，游戏结束。", 5, kNoticeFlags, "");
}

void GameNotifyHandler::OnSilverShortEnd(const uint8_t* body, size_t length)
{
    ShowPlayerEndNotice(kSilverShortEnd, "%s的银子不够了，这一桌游戏结束。", body, length);
}

void GameNotifyHandler::OnScoreShortEnd(const uint8_t* body, size_t length)
{
    ShowPlayerEndNotice(kScoreShortEnd, "%s的积分不够了，这一桌游戏结束。", body, length);
}

void GameNotifyHandler::OnScoreLimitEnd(const uint8_t* body, size_t length)
{
    ShowPlayerEndNotice(kScoreLimitEnd, "%s的积分超出限制，这一桌游戏结束。", body, length);
}

void GameNotifyHandler::OnPlayerRoundLimitEnd(const uint8_t* body, size_t length)
{
    constexpr size_t kRounds = 12, kSize = 16;
    if (!BodyHolds(kPlayerRoundLimitEnd, length, kSize))
        return;
    const WireReader reader(body, length);
    const std::string name = m_app.GetUserName(reader.Int(0));
    m_app.ShowNoticeBox(frame::FormatLine("%s的总局数超出限制(%d局)，这一桌游戏结束。", name.c_str(), reader.Int(kRounds)), 30,
        kNoticeFlags, "");
}

void GameNotifyHandler::OnTableRoundLimitEnd(const uint8_t* body, size_t length)
{
    constexpr size_t kRounds = 8, kSize = 12;
    if (!BodyHolds(kTableRoundLimitEnd, length, kSize))
        return;
    m_app.ShowNoticeBox(frame::FormatLine("这一桌的局数超出限制(%d局)，游戏结束。", WireReader(body, length).Int(kRounds)), 30,
        kNoticeFlags, "");
}

void GameNotifyHandler::OnOutsideOpenHours(const uint8_t* body, size_t length)
{
    constexpr size_t kCount = 8, kStarts = 28, kEnds = 60;
    if (!BodyHolds(kOutsideOpenHours, length, kCount + 4))
        return;
    const WireReader reader(body, length);
    // A period is read when both its times arrived.
    const size_t count = reader.CountFitting(kEnds, 4, reader.Int(kCount), kOpenPeriodsMax);
    std::string text = "已超出限定时间，不能继续游戏。";
    if (count > 0)
        text += "下列时间段开放：\r\n\r\n";
    for (size_t i = 0; i < count; ++i) {
        const int start = reader.Int(kStarts + 4 * i);
        const int end = reader.Int(kEnds + 4 * i);
        text += frame::FormatLine("%d点%02d分 ~ %d点%02d分\r\n", start / 100, start % 100, end / 100, end % 100);
    }
    m_app.ShowNoticeBox(text, 60, kNoticeFlags, "");
}

void GameNotifyHandler::OnIdleRoundsWarning(const uint8_t* body, size_t length)
{
    constexpr size_t kChair = 4, kRounds = 8, kSize = 12;
    if (!BodyHolds(kIdleRoundsWarning, length, kSize))
        return;
    const WireReader reader(body, length);
    const int chair = reader.Int(kChair);
    if (reader.Int(0) != m_app.GetUserId() || m_app.IsLookOn() || !IsChairAtTable(m_app, chair)
        || chair != m_app.GetChair())
        return;
    m_app.ShowNoticeBox(frame::FormatLine("您已经连续%d局未参与本桌游戏了，请您换张桌子！", reader.Int(kRounds)), 5,
        kNoticeFlags, "");
}

void GameNotifyHandler::OnExitRequest(const uint8_t* body, size_t length)
{
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->ShowQuitRequest(body, length);
}

void GameNotifyHandler::OnExitAnswer(const uint8_t* body, size_t length)
{
    constexpr size_t kAsker = 16, kAgreed = 20, kSize = 24;
    if (!BodyHolds(kExitAnswer, length, kSize))
        return;
    const WireReader reader(body, length);
    const bool agreed = reader.Int(kAgreed) != 0;
    m_app.AddSystemChatLine(frame::FormatLine(" <c=%d>%s%s%s的退出请求 \r\n", kExitAnswerColour,
        m_app.GetUserName(reader.Int(0)).c_str(), agreed ? "答应" : "拒绝", m_app.GetUserName(reader.Int(kAsker)).c_str()));
    if (!agreed) {
        if (GameState* state = m_app.GetGameState())
            state->SetExitRequestTick(0);
    }
}

void GameNotifyHandler::OnGameAborted(const uint8_t*, size_t)
{
    m_app.SetTableActive(false);
    m_app.ShowWaitText("", false);
    m_app.CloseConnection();
}

// ---- matches ---------------------------------------------------------------------------

void GameNotifyHandler::OnMatchTable(const uint8_t* body, size_t length)
{
    if (!m_app.LoadMatchTable(body, length))
        return;
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->OnMatchNextRound();
    m_app.BeginGame();
}

void GameNotifyHandler::OnMatchRanking(const uint8_t* body, size_t length)
{
    frame::MatchRanking& ranking = m_app.GetMatchRanking();
    if (!BodyHolds(kMatchRanking, length, frame::MatchRanking::kHeadSize) || !ranking.LoadNotification(body, length))
        return;
    for (size_t i = 0; i < ranking.Count(); ++i) {
        const frame::MatchRankingEntry entry = ranking.Entry(i);
        if (frame::MatchSeatRecord* seat = m_app.FindMatchSeat(entry.UserId())) {
            seat->SetMatchScore(entry.MatchScore());
            seat->SetSilver(entry.Silver());
            seat->SetRankingKey(entry.RankingKey());
        }
    }
    m_app.SortMatchRanking();
}

void GameNotifyHandler::On211199(const uint8_t*, size_t)
{
    m_app.GetMatchStateBlock().SetStage(frame::MatchStateBlock::kStageFinals);
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->OnMatchBegin();
}

void GameNotifyHandler::On211190(const uint8_t* body, size_t length)
{
    m_app.GetMatchStateBlock().SetStage(frame::MatchStateBlock::kStageOver);
    SendBody(m_app.GetSystemPane(), kEvtMatchOver, body, length);
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->QueueMatchEnd(body, length);
}

void GameNotifyHandler::On211191(const uint8_t* body, size_t length)
{
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->QueueMatchResult(body, length);
}

void GameNotifyHandler::On211220(const uint8_t* body, size_t length)
{
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->ShowTablesRemaining(body, length);
}

void GameNotifyHandler::On211241(const uint8_t* body, size_t length)
{
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->ShowMatchPlayer(body, length);
}

void GameNotifyHandler::On211201(const uint8_t* body, size_t length)
{
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->ShowMatchSystemCancel(body, length);
}

void GameNotifyHandler::Ignore(const uint8_t*, size_t) { }

void GameNotifyHandler::On211203(const uint8_t* body, size_t length)
{
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->OnSignUpOk(body, length);
}

void GameNotifyHandler::On211204(const uint8_t* body, size_t length)
{
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->OnWithdrawn(body, length);
}

void GameNotifyHandler::ShowMatchRefusal(uint32_t id, const char* fallback, const uint8_t* body, size_t length)
{
    constexpr size_t kText = 16;
    if (!BodyHolds(id, length, kText))
        return;
    std::string text = BodyText(WireReader(body, length), kText);
    if (text.empty())
        text = fallback;
    if (frame::GameFrameCalls* view = m_app.GetMainViewCalls())
        view->ShowSystemBoard(text, kBoardColour, kBoardSize);
}

void GameNotifyHandler::OnSignUpFailed(const uint8_t* body, size_t length)
{
    ShowMatchRefusal(kSignUpFailed, "报名失败,请重试!", body, length);
}

void GameNotifyHandler::OnWithdrawFailed(const uint8_t* body, size_t length)
{
    ShowMatchRefusal(kWithdrawFailed, "退赛失败,请重试!", body, length);
}

void GameNotifyHandler::On211242(const uint8_t* body, size_t length)
{
    SendBody(m_app.GetTableView(), kEvtMatchBoard, body, length);
    SendBody(m_app.GetSystemPane(), kEvtMatchBoard, body, length);
}

void GameNotifyHandler::On211243(const uint8_t* body, size_t length)
{
    constexpr size_t kText = 24;
    if (!BodyHolds(kMatchBoardText, length, kText))
        return;
    const std::string text = BodyText(WireReader(body, length), kText);
    frame::GameFrameCalls* view = m_app.GetMainViewCalls();
    if (view && !text.empty())
        view->ShowSystemBoard(text, kBoardColour, kBoardSize);
}

void GameNotifyHandler::OnMatchResult(const uint8_t* body, size_t length)
{
    constexpr size_t kText = 32;
    if (!BodyHolds(kMatchResult, length, kText))
        return;
    m_app.CloseConnection();
    const std::string text = BodyText(WireReader(body, length), kText);
    // "text|address"; without a '|' the whole text is the address.
    const size_t bar = text.find('|');
    const std::string boxText = bar == std::string::npos ? std::string() : text.substr(0, bar);
    const std::string link = bar == std::string::npos ? text : text.substr(bar + 1);
    m_app.ShowResultBox(boxText, link, true, 60, kNoticeFlags, "", "查看成绩", "退出");
}

void GameNotifyHandler::On211900(const uint8_t* body, size_t length)
{
    SendBody(m_app.GetSystemPane(), kEvt211900, body, length);
    SendBody(m_app.GetTableView(), kEvt211900, body, length);
}

void GameNotifyHandler::On211920(const uint8_t* body, size_t length)
{
    SendBody(m_app.GetTableView(), kEvt211920, body, length);
}
