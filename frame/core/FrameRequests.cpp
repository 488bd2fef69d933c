// The frame's requests to the game server: the records they send and what
// they make of the replies. Every record is zero-filled and built from the
// running application's records; replies are read through a bounded reader,
// so a body shorter than what a branch reads is a failed request rather
// than a read past its end.

#include "frame/core/GameConnection.h"

#include "frame/core/CGameFrameApp.h"
#include "frame/core/FrameConfig.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/RequestRecord.h"
#include "frame/core/WireReader.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Request ids.
constexpr uint32_t kCanQuit = 201130;
constexpr uint32_t kTableSnapshot = 201140;
constexpr uint32_t kEnterMatchRoom = 201220;
constexpr uint32_t kEnterGame = 200110;
constexpr uint32_t kStartChecked = 201165;
constexpr uint32_t kStart = 201160;
constexpr uint32_t kRoundCheck = 201161;
constexpr uint32_t kLeaveTable = 201120;
constexpr uint32_t kLeaveSeat = 201125;
constexpr uint32_t kChat201210 = 201210;
constexpr uint32_t kChat = 201211;
constexpr uint32_t kCallPlayer = 201200;
constexpr uint32_t kRequest201180 = 201180;
constexpr uint32_t kPulse = 201020;
constexpr uint32_t kRequest201221 = 201221;
constexpr uint32_t kNotifyError = 201162;
constexpr uint32_t kPlayerDetail = 201230;
constexpr uint32_t kMatchSignUp = 201231;
constexpr uint32_t kMatchGiveUp = 201232;
constexpr uint32_t kExit = 201212;
constexpr uint32_t kAnswerExit = 201213;
constexpr uint32_t kViewCards = 229560;
constexpr uint32_t kChangeTable = 201300;
constexpr uint32_t kNewTable = 201302;
constexpr uint32_t kSafeBoxQuery = 200040;
constexpr uint32_t kSafeBoxToGame = 200041;
constexpr uint32_t kGameToSafeBox = 200042;
constexpr uint32_t kPasswordChallenge = 200043;
constexpr uint32_t kAllowanceConfig = 214010;
constexpr uint32_t kClaimAllowance = 214000;
constexpr uint32_t kClaimAllowanceChecked = 214001;

// Reply codes.
constexpr uint32_t kOk = 10;
constexpr uint32_t kGameRunning = 210030;
constexpr uint32_t kSeatKept = 210085;
constexpr uint32_t kKeepPlaying = 210086;
constexpr uint32_t kEnterPlay = 210200;
constexpr uint32_t kEnterLookOn = 210210;
constexpr uint32_t kEnterAlt = 210220;
constexpr uint32_t kCarryTooLittle = 210541;
constexpr uint32_t kCarryTooMuch = 210542;
constexpr uint32_t kChangeTooOften = 210550;

constexpr int kPulseCapMs = 60000;
constexpr size_t kChatBytes = 61;

template <size_t N>
using Record = frame::RequestRecord<N>;
using frame::RequestHead;

int LookOnFlag(const CGameFrameApp& app)
{
    return app.IsLookOn() ? 1 : 0;
}

template <size_t N>
int Send(GameConnection& connection, std::string& text, uint32_t id, const Record<N>& record, RequestReply& reply,
    bool wait)
{
    return connection.Request(text, id, record.Data(), Record<N>::kLength, reply, wait);
}

// Sends without waiting; 1 once the record was handed to the socket.
template <size_t N>
int SendOnly(GameConnection& connection, uint32_t id, const Record<N>& record)
{
    std::string text;
    RequestReply reply;
    return Send(connection, text, id, record, reply, false);
}

frame::WireReader Body(const RequestReply& reply)
{
    return frame::WireReader(reply.data.get(), reply.length);
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    // As long as the text needs: a title from the lobby is never cut.
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    va_end(args);
    out.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return out;
}

// Copies at most what the buffer holds; the bytes copied.
size_t CopyInto(std::span<uint8_t> buffer, const uint8_t* data, size_t length)
{
    if (!data || length == 0 || buffer.empty())
        return 0;
    const size_t n = std::min(length, buffer.size());
    std::memcpy(buffer.data(), data, n);
    return n;
}

// A body read as text: up to its first zero, never past its end.
std::string BodyText(const RequestReply& reply)
{
    if (!reply.data)
        return {};
    const auto* begin = reinterpret_cast<const char*>(reply.data.get());
    return std::string(begin, strnlen(begin, reply.length));
}

// 210541 / 210542 carry {8 carried, 12 limit}: the application asks about
// moving silver. A body without both words asks nothing.
void PromptSilverLimit(CGameFrameApp& app, const RequestReply& reply)
{
    if (!Body(reply).Has(16))
        return;
    if (reply.code == kCarryTooLittle)
        app.PromptCarryMinSilver(reply.data.get(), reply.length);
    else if (reply.code == kCarryTooMuch)
        app.PromptCarryMaxSilver(reply.data.get(), reply.length);
}

void StopIdleKickTimer(const CGameFrameApp& app)
{
    if (frame::TableViewCalls* view = app.GetTableViewCalls())
        view->StopIdleKickTimer();
}

// Oneself among the seated and looking-on players; null without an
// application or when one is not listed.
const frame::PlayerRecord* OwnPlayer(CGameFrameApp* app)
{
    return app ? app->FindPlayer(app->GetUserId()) : nullptr;
}

int OwnSilver(CGameFrameApp& app)
{
    const frame::PlayerRecord* own = OwnPlayer(&app);
    return own ? own->Silver() : 0;
}

// The fields that the enter record and the match's enter record share.
template <class EnterRecord>
void SetEnterFields(EnterRecord& out, const CGameFrameApp& app, const frame::PlayerRecord& own,
    const std::string& machineId)
{
    out.SetUserId(app.GetUserId());
    out.SetFlags(own.Flags());
    out.SetGameId(app.GetGameId());
    out.SetRoomId(app.GetRoomId());
    out.SetTableNo(app.GetTableNo());
    out.SetChair(app.GetChair());
    out.SetMachineId(machineId);
    out.SetLookOn(LookOnFlag(app));
    out.SetRoomWord304(app.GetRoomWord304());
}

// The records of 201120 and 201125.
Record<96> LeaveRecord(const CGameFrameApp& app, const std::string& machineId, int userId, int chair)
{
    Record<96> record;
    record.Int<0>(userId)
        .Int<4>(app.GetRoomId())
        .Int<8>(app.GetTableNo())
        .Int<12>(chair)
        .Int<16>(userId != app.GetUserId() ? 1 : 0)
        .Int<20>(app.GetTableNo())
        .Int<24>(app.GetChair())
        .Int<28>(app.GetUserId())
        .Text<32, 64>(machineId);
    return record;
}

Record<128> ChatRecord(const CGameFrameApp& app, const std::string& machineId, const std::string& text)
{
    RequestHead<128> record(app);
    record.Text<16, 32>(machineId).Text<48, kChatBytes + 1>(text);
    return record;
}

// The records of 200040 and 200043.
Record<76> SafeBoxQueryRecord(const CGameFrameApp& app, const std::string& machineId)
{
    Record<76> record;
    record.Int<0>(app.GetUserId()).Int<4>(app.GetGameId()).Text<12, 32>(machineId);
    return record;
}

// The records of 200041 and 200042.
constexpr int kToSafeBox = 1;
constexpr int kToGame = 2;
Record<112> TransferRecord(CGameFrameApp& app, const std::string& machineId, int amount, int value, int direction)
{
    Record<112> record;
    record.Int<0>(app.GetUserId())
        .Int<4>(app.GetGameId())
        .Int<8>(app.GetRoomId())
        .Int<12>(app.GetTableNo())
        .Int<16>(app.GetChair())
        .Int<20>(amount)
        .Int<24>(value)
        .Text<48, 32>(machineId)
        .Int<80>(OwnSilver(app))
        .Int<84>(direction);
    return record;
}

// The refusals both transfers share; false for the others.
bool CommonTransferText(std::string& text, const CGameFrameApp& app, uint32_t code)
{
    switch (code) {
    case 60042: text = Format("系统禁止在【%s】里存放银子。", app.GetTitleText().c_str()); return true;
    case 229601: text = "正在玩的游戏不能划帐。"; return true;
    case 229600: text = "已经准备的游戏不能划帐。"; return true;
    default: return false;
    }
}

// A difference of two 64-bit amounts from the server, wrapping rather than
// overflowing.
int64_t WrapSub64(int64_t a, int64_t b)
{
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

int64_t Int64At(const frame::WireReader& body, size_t offset)
{
    return static_cast<int64_t>(static_cast<uint64_t>(body.Word(offset))
        | static_cast<uint64_t>(body.Word(offset + 4)) << 32);
}

} // namespace

// ---- machine id and statistics ------------------------------------------------

const std::string& GameConnection::MachineId() const
{
    if (!m_machineId) {
        std::string id;
        frame::GetMachineId(id);
        m_machineId = frame::GbkCut(id, 31);
    }
    return *m_machineId;
}

void GameConnection::SetMachineId(std::string id)
{
    m_machineId = frame::GbkCut(id, 31);
}

void GameConnection::RecordRoundTrip(uint32_t elapsedMs)
{
    ++m_roundTrips.count;
    m_roundTrips.totalMs += elapsedMs;
    m_roundTrips.maxMs = std::max(m_roundTrips.maxMs, elapsedMs);
}

// ---- leaving and the table ------------------------------------------------------

int GameConnection::RequestCanQuit()
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    std::string text;
    RequestReply reply;
    if (!Send(*this, text, kCanQuit, RequestHead<32>(*app), reply, true))
        return 0;
    // The code decides; a body without its first word leaves option A as
    // it was.
    const frame::WireReader body = Body(reply);
    if (body.Has(4))
        app->GetRoomInfo().SetOptionsA(body.Word(0));
    return reply.code == kGameRunning ? 1 : 0;
}

int GameConnection::RequestTableSnapshot()
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    std::string text;
    RequestReply reply;
    if (!Send(*this, text, kTableSnapshot, RequestHead<32>(*app), reply, true) || reply.code != kOk
        || reply.length == 0)
        return 0;
    CopyInto(app->GetLookOnDataBuffer(), reply.data.get(), reply.length);
    return 1;
}

int GameConnection::RequestStartChecked(std::string& text)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestReply reply;
    if (!Send(*this, text, kStartChecked, RequestHead<32>(*app), reply, true))
        return 0;
    if (reply.code == kOk) {
        StopIdleKickTimer(*app);
        return 1;
    }
    PromptSilverLimit(*app, reply);
    return 0;
}

int GameConnection::RequestStart(std::string& text)
{
    text.clear();
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestReply reply;
    return Send(*this, text, kStart, RequestHead<32>(*app), reply, false);
}

int GameConnection::Request201161(std::string& text)
{
    text.clear();
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestReply reply;
    return Send(*this, text, kRoundCheck, RequestHead<32>(*app), reply, false);
}

int GameConnection::LeaveTable(int userId, int chair)
{
    CGameFrameApp* app = GetApp();
    return app ? SendOnly(*this, kLeaveTable, LeaveRecord(*app, MachineId(), userId, chair)) : 0;
}

int GameConnection::LeaveSeat(std::string& text, int userId, int chair)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestReply reply;
    if (!Send(*this, text, kLeaveSeat, LeaveRecord(*app, MachineId(), userId, chair), reply, true))
        return 0;
    if (reply.code == kKeepPlaying) {
        text = "生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)";
        return 1;
    }
    // The seconds still to wait are the body's first word; without it the
    // server still keeps the player, only the wait is not told.
    const frame::WireReader body = Body(reply);
    if (reply.code == kSeatKept) {
        text = body.Has(4) ? Format("系统已经为您分配了随机桌位，\r\n\r\n必须再等 %d 秒钟才能离开。", body.Int(0))
                           : "系统已经为您分配了随机桌位，\r\n\r\n请稍候再离开。";
        return 1;
    }
    return 0;
}

int GameConnection::ChangeTable(std::string& text)
{
    CGameFrameApp* app = GetApp();
    if (!app || app->IsLookOn())
        return 0;
    RequestReply reply;
    if (!Send(*this, text, kChangeTable, RequestHead<32>(*app), reply, true))
        return 0;
    if (reply.code == kOk)
        return 1;
    if (reply.code == kChangeTooOften)
        app->AddSystemChatLine(" <z=qh系统通知> <c=255>您的换桌操作过于频繁，请稍等片刻!\r\n");
    return 0;
}

int GameConnection::RequestNewTable(std::string& text)
{
    CGameFrameApp* app = GetApp();
    if (!app || app->IsLookOn() || !app->IsRoomOptionB02() || !app->IsRoomOptionB80())
        return 0;
    RequestReply reply;
    if (!Send(*this, text, kNewTable, RequestHead<32>(*app), reply, true))
        return 0;
    if (reply.code == kOk) {
        StopIdleKickTimer(*app);
        return 1;
    }
    PromptSilverLimit(*app, reply);
    return 0;
}

// ---- chat and the players at the table -------------------------------------------

int GameConnection::SendChat201210(const std::string& text)
{
    CGameFrameApp* app = GetApp();
    return app ? SendOnly(*this, kChat201210, ChatRecord(*app, MachineId(), text)) : 0;
}

int GameConnection::SendChat(const std::string& text)
{
    CGameFrameApp* app = GetApp();
    return app ? SendOnly(*this, kChat, ChatRecord(*app, MachineId(), text)) : 0;
}

int GameConnection::CallPlayer(int userId)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestHead<40> record(*app);
    record.Int<16>(userId).Int<20>(app->GetUserChair(userId));
    return SendOnly(*this, kCallPlayer, record);
}

int GameConnection::Request201180(int value)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestHead<36> record(*app);
    record.Int<16>(value);
    return SendOnly(*this, kRequest201180, record);
}

int GameConnection::RequestExit(const std::string& reason)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestHead<84> record(*app);
    record.Text<20, 64>(reason);
    return SendOnly(*this, kExit, record);
}

int GameConnection::AnswerExit(int askerId, int answer)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestHead<40> record(*app);
    record.Int<16>(askerId).Int<20>(answer);
    return SendOnly(*this, kAnswerExit, record);
}

int GameConnection::SetViewCardsPermission(int userId, int allow)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestHead<40> record(*app);
    record.Int<16>(userId).Int<20>(allow);
    return SendOnly(*this, kViewCards, record);
}

// ---- the link itself ---------------------------------------------------------------

int GameConnection::SendPulse()
{
    const RoundTrips trips = m_roundTrips;
    ResetRoundTrips();
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    uint32_t average = 0;
    uint32_t maximum = 0;
    if (trips.count) {
        average = std::min<uint32_t>(trips.totalMs / trips.count, kPulseCapMs);
        maximum = std::min<uint32_t>(trips.maxMs, kPulseCapMs);
    }
    Record<16> record;
    record.Int<0>(app->GetUserId()).Int<4>(static_cast<int32_t>(average)).Int<8>(static_cast<int32_t>(maximum));
    return SendOnly(*this, kPulse, record);
}

int GameConnection::ReportNotifyError(uint32_t notificationId, const uint8_t*, uint32_t length,
    const NotifyStamp& last)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    Record<128> record;
    record.Int<0>(app->GetUserId())
        .Int<4>(app->GetRoomId())
        .Int<8>(app->GetTableNo())
        .Int<12>(app->GetTableNo())
        .Int<16>(LookOnFlag(*app))
        .Int<20>(static_cast<int32_t>(notificationId))
        .Int<28>(static_cast<int32_t>(length))
        .Int<32>(static_cast<int32_t>(platform::TickMs()))
        .Int<36>(last.id)
        .Int<44>(last.length)
        .Int<48>(static_cast<int32_t>(last.tick));
    return SendOnly(*this, kNotifyError, record);
}

// ---- the match ---------------------------------------------------------------------

int GameConnection::Request201221()
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    Record<32> record;
    record.Int<0>(app->GetUserId())
        .Int<4>(app->GetMatchId())
        .Int<8>(app->GetRoomId())
        .Int<12>(app->GetRoomWord304());
    return SendOnly(*this, kRequest201221, record);
}

int GameConnection::Request201230(int value)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    Record<32> record;
    record.Int<0>(app->GetRoomId()).Int<4>(app->GetUserId()).Int<8>(value);
    return SendOnly(*this, kPlayerDetail, record);
}

namespace {

Record<56> MatchSignRecord(const CGameFrameApp& app)
{
    Record<56> record;
    record.Int<0>(app.GetUserId()).Int<4>(app.GetGameId()).Int<8>(app.GetRoomId());
    return record;
}

} // namespace

int GameConnection::Request201231()
{
    CGameFrameApp* app = GetApp();
    return app ? SendOnly(*this, kMatchSignUp, MatchSignRecord(*app)) : 0;
}

int GameConnection::Request201232()
{
    CGameFrameApp* app = GetApp();
    return app ? SendOnly(*this, kMatchGiveUp, MatchSignRecord(*app)) : 0;
}

// ---- entering ----------------------------------------------------------------------

bool GameConnection::BuildEnterExtra(frame::VizeRidavuRecord& out) const
{
    CGameFrameApp* app = GetApp();
    const frame::PlayerRecord* own = OwnPlayer(app);
    if (!own)
        return false;
    app->PlayerToWire(*own, out);
    return true;
}

bool GameConnection::BuildEnterRecord(EnterGameRecord& out) const
{
    CGameFrameApp* app = GetApp();
    const frame::PlayerRecord* own = OwnPlayer(app);
    if (!own)
        return false;
    SetEnterFields(out, *app, *own, MachineId());
    out.SetExtra(app->GetEnterExtra());
    return true;
}

bool GameConnection::BuildMatchEnterRecord(MatchEnterRecord& out) const
{
    CGameFrameApp* app = GetApp();
    const frame::PlayerRecord* own = OwnPlayer(app);
    if (!own)
        return false;
    SetEnterFields(out, *app, *own, MachineId());
    out.SetMatchId(app->GetMatchId());
    out.SetRoomWord296(app->GetRoomWord296());
    return true;
}

size_t GameConnection::StoreEnterData(const uint8_t* data, size_t length)
{
    CGameFrameApp* app = GetApp();
    return app ? CopyInto(app->GetEnterDataBuffer(), data, length) : 0;
}

size_t GameConnection::StoreReply210220(const uint8_t* data, size_t length)
{
    CGameFrameApp* app = GetApp();
    return app ? CopyInto(app->GetLookOnDataBuffer(), data, length) : 0;
}

bool GameConnection::StoreLookOnData(const uint8_t* data, size_t length)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return false;
    if (!data || length < 1)
        return true; // nothing to keep
    if (!app->IsRoomOptionB08() || app->IsLookOn()) {
        CopyInto(app->GetLookOnDataBuffer(), data, length);
        return true;
    }
    // {8 count, 60 the other seats' records}, then the look-on data.
    constexpr size_t kCount = 8;
    constexpr size_t kRecords = 60;
    const frame::WireReader body(data, length);
    if (!body.Has(kRecords))
        return false;
    const int32_t count = body.Int(kCount);
    if (count < 0 || count > frame::FrameRecordStore::kSeats)
        return false;
    const size_t end = kRecords + static_cast<size_t>(count) * frame::VizeRidavuRecord::kSize;
    if (!body.Has(end))
        return false;
    app->LoadOtherSeatPlayers(data, end);
    CopyInto(app->GetLookOnDataBuffer(), data + end, length - end);
    return true;
}

int GameConnection::EnterGame(std::string& text)
{
    CGameFrameApp* app = GetApp();
    EnterGameRecord record;
    frame::VizeRidavuRecord extra;
    BuildEnterRecord(record);
    BuildEnterExtra(extra);
    if (!app || record.UserId() == 0) {
        text = "对象不存在。";
        return 0;
    }
    // The enter record, then the own player as the server keeps players;
    // only rooms with option B bit 0x40 take the second part.
    Record<EnterGameRecord::kSize + frame::VizeRidavuRecord::kSize> both;
    both.Bytes<0>(record.Bytes()).Bytes<EnterGameRecord::kSize>(extra.Bytes());
    const uint32_t length = app->IsRoomOptionB40() ? decltype(both)::kLength : EnterGameRecord::kSize;

    RequestReply reply;
    if (!Request(text, kEnterGame, both.Data(), length, reply, true)) {
        // The server's own refusal keeps its text (when it gave one).
        if (reply.code != kReplyServerText || text.empty())
            text = "服务器未回应登入请求!";
        return 0;
    }
    const uint8_t* data = reply.data.get();
    switch (reply.code) {
    case kEnterPlay:
        StoreEnterData(data, reply.length);
        app->OnEnterReply210200(data, reply.length);
        return 1;
    case kEnterLookOn:
        // A seat list that does not fit its body is no way into the game.
        if (!StoreLookOnData(data, reply.length)) {
            text = "进入游戏失败，请重新开始。";
            return 0;
        }
        app->OnEnterReply210210(data, reply.length);
        return 1;
    case kEnterAlt:
        StoreReply210220(data, reply.length);
        app->OnEnterReply210220(data, reply.length);
        return 1;
    default:
        // Request has put the code's text in place.
        return 0;
    }
}

int GameConnection::EnterMatchRoom(std::string& text)
{
    CGameFrameApp* app = GetApp();
    MatchEnterRecord record;
    BuildMatchEnterRecord(record);
    if (!app || record.UserId() == 0) {
        text = "对象不存在。";
        return 0;
    }
    RequestReply reply;
    if (!Request(text, kEnterMatchRoom, record.Bytes().data(), MatchEnterRecord::kSize, reply, true)) {
        if (reply.code != kReplyServerText || text.empty())
            text = "服务器未回应登入请求!";
        return 0;
    }
    const uint8_t* data = reply.data.get();
    const size_t size = reply.length;
    switch (reply.code) {
    case 210500: app->OnMatchReply210500(data, size); return 1;
    case 210521: app->OnMatchReply210521(data, size); return 1;
    case 210531: app->OnMatchReply210531(data, size); return 1;
    case 210534: app->OnMatchReply210534(data, size); return 1;
    case 210540: app->OnMatchReply210540(data, size); return 1;
    case 210533: app->OnMatchReply210533(data, size); return 1;
    case 210536: app->OnMatchReply210536(data, size); return 1;
    case 210537: app->OnMatchReply210537(data, size); return 1;
    case 210538: app->OnMatchReply210538(data, size); return 1;
    case 210539: app->OnMatchReply210539(data, size); return 1;
    case 210530: app->OnMatchReply210530(BodyText(reply)); return 1;
    default: return 0;
    }
}

// ---- the safe box ------------------------------------------------------------------

int GameConnection::QuerySafeBox(std::string& text, std::span<uint8_t, 32> out)
{
    CGameFrameApp* app = GetApp();
    if (!app || app->IsLookOn())
        return 0;
    RequestReply reply;
    if (!Send(*this, text, kSafeBoxQuery, SafeBoxQueryRecord(*app, MachineId()), reply, true))
        return 0;
    if (reply.code == kOk && reply.length >= out.size()) {
        std::memcpy(out.data(), reply.data.get(), out.size());
        return 1;
    }
    GetSafeBoxReplyText(text, reply.code);
    return 0;
}

int GameConnection::RequestPasswordChallenge(std::string& text, std::span<uint8_t, 24> out, uint32_t& code)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestReply reply;
    reply.code = code;
    const int sent = Send(*this, text, kPasswordChallenge, SafeBoxQueryRecord(*app, MachineId()), reply, true);
    code = reply.code;
    if (!sent)
        return 0;
    if (reply.code == kOk && reply.length >= out.size()) {
        std::memcpy(out.data(), reply.data.get(), out.size());
        return 1;
    }
    GetSafeBoxReplyText(text, reply.code);
    return 0;
}

int GameConnection::GameToSafeBox(std::string& text, int& amount, uint32_t& code)
{
    text.clear();
    CGameFrameApp* app = GetApp();
    if (!app || !app->IsSafeBoxTransferAllowed())
        return 0;
    RequestReply reply;
    reply.code = code;
    const int sent
        = Send(*this, text, kGameToSafeBox, TransferRecord(*app, MachineId(), amount, 0, kToSafeBox), reply, true);
    code = reply.code;
    if (!sent)
        return 0;
    if (reply.code == kOk)
        return 1;
    if (CommonTransferText(text, *app, reply.code))
        return 0;
    const frame::WireReader body = Body(reply);
    switch (reply.code) {
    case 60005: text = "您的划帐数额超过现在拥有的金额。"; return 0;
    case 229603:
        if (!body.Has(4))
            break;
        text = Format("低于房间最低银子限制【%d两】。", body.Int(0));
        return 0;
    case 60070:
        if (!body.Has(4))
            break;
        text = Format("很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 %d 局才能转出。", body.Int(0));
        return 0;
    case 60071:
        if (!body.Has(4))
            break;
        text = Format("很抱歉，由于您在初次进入游戏房间时获赠了银两，\r\n请您至少玩 %d 分钟才能转出。", body.Int(0));
        return 0;
    case 60092: {
        if (!body.Has(8))
            break;
        const int32_t allowed = frame::WrapAdd(body.Int(0), -body.Int(4));
        text = Format("很抱歉，由于您在初次进入游戏房间时获赠了银两,系统只允许你转出%d两。(至少保留%d两)", allowed,
            body.Int(4));
        amount = allowed;
        return 0;
    }
    default: break;
    }
    GetSafeBoxReplyText(text, reply.code);
    return 0;
}

int GameConnection::SafeBoxToGame(std::string& text, int amount, int value)
{
    text.clear();
    CGameFrameApp* app = GetApp();
    if (!app || !app->IsSafeBoxTransferAllowed())
        return 0;
    RequestReply reply;
    if (!Send(*this, text, kSafeBoxToGame, TransferRecord(*app, MachineId(), amount, value, kToGame), reply, true))
        return 0;
    if (reply.code == kOk) {
        text = "银子已经成功划入您指定的游戏。";
        return 1;
    }
    if (CommonTransferText(text, *app, reply.code))
        return 0;
    const frame::WireReader body = Body(reply);
    const std::string& title = app->GetTitleText();
    switch (reply.code) {
    case 60005: text = "您的保险箱里的银子不够。"; return 0;
    case 1011: text = "保护密码计算结果错误。"; return 0;
    case 60029: text = "由于您连续的保护密码计算结果错误,系统禁止您在这段时间内取银子。"; return 0;
    case 229604:
        if (!body.Has(4))
            break;
        text = Format("高于房间最高银子限制【%d两】。", body.Int(0));
        return 0;
    case 60086: {
        // {0 moved in today, 4 daily limit}
        if (!body.Has(8))
            break;
        const int32_t limit = body.Int(4);
        const int32_t remaining = frame::WrapAdd(limit, -body.Int(0));
        text = remaining > 0
            ? Format("系统限定每日划入【%s】不能超过%d两，\r\n今天您最多还可以划入%d两。", title.c_str(), limit, remaining)
            : Format("系统限定每日划入【%s】不能超过%d两，\r\n今天您已经超限，到明天才能划银。", title.c_str(), limit);
        return 0;
    }
    case 60095: {
        // {0 moved in this month, 8 monthly limit}, both 64-bit.
        if (!body.Has(16))
            break;
        const int64_t limit = Int64At(body, 8);
        const int64_t remaining = WrapSub64(limit, Int64At(body, 0));
        text = remaining > 0
            ? Format("系统限定每月划入游戏总额不能超过%" PRId64 "两，\r\n本月您最多还可以划入%" PRId64 "两。", limit, remaining)
            : Format("系统限定每月划入游戏不能超过%" PRId64 "两，\r\n本月您已经超限，到下个月才能划银。", limit);
        return 0;
    }
    default: break;
    }
    GetSafeBoxReplyText(text, reply.code);
    return 0;
}

// ---- the low-income allowance ---------------------------------------------------------

int GameConnection::RequestAllowanceConfig(std::string& text, int value, std::span<uint8_t, 124> out)
{
    std::fill(out.begin(), out.end(), uint8_t { 0 });
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    RequestHead<320> record(*app);
    record.Int<20>(value);
    RequestReply reply;
    if (!Send(*this, text, kAllowanceConfig, record, reply, true) || reply.code != kOk || reply.length == 0)
        return 0;
    // The configuration may be shorter than the buffer; the rest stays zero.
    CopyInto(out, reply.data.get(), reply.length);
    return 1;
}

namespace {

template <size_t N>
int ClaimReply(GameConnection& connection, std::string& text, uint32_t id, const Record<N>& record, int& amount)
{
    RequestReply reply;
    if (!Send(connection, text, id, record, reply, true) || reply.code != kOk)
        return 0;
    const frame::WireReader body = Body(reply);
    if (!body.Has(4))
        return 0;
    amount = body.Int(0);
    return 1;
}

// {head, 16 own name (36 bytes), 52 value, 56 kind}
template <size_t N>
Record<N> ClaimRecord(const CGameFrameApp& app, int value, int kind)
{
    RequestHead<N> record(app);
    record.template Text<16, 36>(app.GetUserName(app.GetUserId())).template Int<52>(value).template Int<56>(kind);
    return record;
}

bool MayClaim(const CGameFrameApp* app, int kind)
{
    return app && !app->IsLookOn() && (kind == 0 || kind == 1);
}

} // namespace

int GameConnection::ClaimAllowance(std::string& text, int value, int kind, int& amount)
{
    amount = 0;
    CGameFrameApp* app = GetApp();
    if (!MayClaim(app, kind))
        return 0;
    return ClaimReply(*this, text, kClaimAllowance, ClaimRecord<104>(*app, value, kind), amount);
}

int GameConnection::ClaimAllowanceChecked(std::string& text, int value, int kind, int& amount)
{
    amount = 0;
    CGameFrameApp* app = GetApp();
    if (!MayClaim(app, kind))
        return 0;
    Record<136> record = ClaimRecord<136>(*app, value, kind);
    record.Text<72, 32>(MachineId());
    return ClaimReply(*this, text, kClaimAllowanceChecked, record, amount);
}
