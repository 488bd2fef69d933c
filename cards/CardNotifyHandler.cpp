// The card layer's notifications: each handler reads its body once into
// its record (CardRecords), logs and drops a body the record refuses, and
// hands the record on.

#include "cards/CardNotifyHandler.h"

#include "engine/core/EngineObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameState.h"
#include "frame/core/WireReader.h"
#include "cards/CardTableCalls.h"
#include "net/DailyLog.h"
#include "platform/Clock.h"

#include <algorithm>
#include <array>

namespace game {

namespace {

constexpr std::array kCardIds = { kNotifyPlayerStarted, kNotifyTableMessage, kNotifyPlayerOffline,
    kNotifyViewCardsRequest, kNotifyViewCardsAnswer, kNotifyShowCards, kNotifyPassed, kNotifyCardsThrown,
    kNotifyTurn, kNotifyTurnSync, kNotifyWaitSolo };

using frame::WireReader;

} // namespace

std::span<const uint32_t> CardNotifyHandler::CardIds()
{
    return kCardIds;
}

CardNotifyHandler::CardNotifyHandler(CGameFrameApp& app)
    : GameNotifyHandler(app)
{
}

CardNotifyHandler::~CardNotifyHandler() = default;

void CardNotifyHandler::Dispatch(uint32_t id, const uint8_t* body, size_t length)
{
    if (!body)
        length = 0;
    switch (id) {
    case kNotifyPlayerStarted: OnPlayerStarted(body, length); break;
    case kNotifyTableMessage: OnTableRelay(body, length); break;
    case kNotifyPlayerOffline: OnPlayerOffline(body, length); break;
    case kNotifyViewCardsRequest: OnViewCardsRequest(body, length); break;
    case kNotifyViewCardsAnswer: OnViewCardsAnswer(body, length); break;
    case kNotifyShowCards: OnShowCards(body, length); break;
    case kNotifyPassed: OnPassed(body, length); break;
    case kNotifyCardsThrown: OnCardsThrown(body, length); break;
    case kNotifyTurn: OnTurn(body, length); break;
    case kNotifyTurnSync: OnTurnSync(body, length); break;
    case kNotifyWaitSolo: OnWaitSolo(body, length); break;
    default: GameNotifyHandler::Dispatch(id, body, length); break;
    }
    ForwardToRecorder(id, body, length);
}

void CardNotifyHandler::StampLast(uint32_t id, const uint8_t* body, size_t length)
{
    const uint32_t kind = id == kNotifyTableMessage ? WireReader(body, length).Word(8) : 0;
    SetLastStamp(id, kind, length, platform::TickMs());
}

// The recorder writes only while the room switches recording on; a replay
// being played back is never recorded again.
void CardNotifyHandler::ForwardToRecorder(uint32_t id, const uint8_t* body, size_t length) const
{
    if (App().IsReplayMode() || !App().IsRoomOptionC20000())
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnServerNotify(id, body, length);
}

CardTableCalls* CardNotifyHandler::TableCalls() const
{
    return dynamic_cast<CardTableCalls*>(App().GetTableView());
}

CardAppCalls* CardNotifyHandler::AppCalls() const
{
    return dynamic_cast<CardAppCalls*>(&App());
}

int CardNotifyHandler::TableChairs() const
{
    return std::clamp(App().GetChairCount(), 0, frame::FrameRecordStore::kSeats);
}

bool CardNotifyHandler::IsTableChair(uint32_t id, int chair) const
{
    if (chair >= 0 && chair < TableChairs())
        return true;
    net::LogMessage("notification %u: chair %d outside the table; ignored", id, chair);
    return false;
}

void CardNotifyHandler::LogRefused(uint32_t id, const RecordFault& fault)
{
    net::LogMessage("notification %u: %s; ignored", id, fault.Describe().c_str());
}

// ---- starts, messages and presence ------------------------------------------------

void CardNotifyHandler::OnPlayerStarted(const uint8_t* body, size_t length)
{
    const auto started = Read<PlayerStarted>(kNotifyPlayerStarted, body, length);
    if (!started)
        return;
    if (GameState* state = App().GetGameState())
        state->SetChairReady(started->chair);
    if (CardTableCalls* view = TableCalls())
        view->OnPlayerStarted(started->chair);
}

void CardNotifyHandler::OnTableRelay(const uint8_t* body, size_t length)
{
    const auto message = Read<TableMessage>(kNotifyTableMessage, body, length);
    if (CardTableCalls* view = TableCalls(); view && message)
        view->OnTableMessage(*message);
}

void CardNotifyHandler::OnPlayerOffline(const uint8_t* body, size_t length)
{
    const auto offline = Read<PlayerOffline>(kNotifyPlayerOffline, body, length);
    if (CardTableCalls* view = TableCalls(); view && offline)
        view->OnPlayerOffline(offline->userId);
}

// ---- card viewing by lookers-on -----------------------------------------------------

void CardNotifyHandler::OnViewCardsRequest(const uint8_t* body, size_t length)
{
    const auto request = Read<ViewCardsRequest>(kNotifyViewCardsRequest, body, length);
    if (!request)
        return;
    if (const CardAppCalls* app = AppCalls(); app && app->RejectsViewCardRequests())
        return;
    if (App().GetUserWord164(request->requester) != 0)
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnViewCardsRequest(*request);
}

void CardNotifyHandler::OnViewCardsAnswer(const uint8_t* body, size_t length)
{
    const auto answer = Read<ViewCardsAnswer>(kNotifyViewCardsAnswer, body, length);
    if (CardTableCalls* view = TableCalls(); view && answer)
        view->OnViewCardsAnswer(*answer);
}

void CardNotifyHandler::OnShowCards(const uint8_t* body, size_t length)
{
    const auto shown = Read<ShownCards>(kNotifyShowCards, body, length);
    if (CardTableCalls* view = TableCalls(); view && shown)
        view->OnShowCards(*shown);
}

// ---- plays and turns ----------------------------------------------------------------

void CardNotifyHandler::OnPassed(const uint8_t* body, size_t length)
{
    const auto pass = Read<PassedTurn>(kNotifyPassed, body, length);
    if (CardTableCalls* view = TableCalls(); view && pass)
        view->OnPassed(*pass);
}

void CardNotifyHandler::OnCardsThrown(const uint8_t* body, size_t length)
{
    const auto play = Read<ThrownPlay>(kNotifyCardsThrown, body, length);
    if (CardTableCalls* view = TableCalls(); view && play)
        view->OnCardsThrown(*play);
}

void CardNotifyHandler::OnTurn(const uint8_t* body, size_t length)
{
    const auto turn = Read<TurnNotice>(kNotifyTurn, body, length);
    if (CardTableCalls* view = TableCalls(); view && turn)
        view->OnTurn(*turn);
}

void CardNotifyHandler::OnTurnSync(const uint8_t*, size_t)
{
    if (GameState* state = App().GetGameState())
        state->SetStatus(kStatusTurnSync);
    if (CardTableCalls* view = TableCalls())
        view->OnTurnSync();
}

void CardNotifyHandler::OnWaitSolo(const uint8_t*, size_t)
{
    if (App().IsInGame())
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnWaitSolo();
}

} // namespace game
