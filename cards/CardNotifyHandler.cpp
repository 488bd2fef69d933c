// The card layer's notifications: each handler checks the fields it reads
// against the body, the chairs against the table and the card counts
// against a hand and the body, then hands the body on.

#include "cards/CardNotifyHandler.h"

#include "engine/core/EngineObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameState.h"
#include "frame/core/WireReader.h"
#include "cards/CardTableCalls.h"
#include "net/DailyLog.h"
#include "platform/Clock.h"
#include "table/Cards.h"

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

int CardNotifyHandler::MaxCardsPerPlay() const
{
    return table::kMaxPlayCards;
}

bool CardNotifyHandler::IsTableChair(uint32_t id, int chair) const
{
    const int chairs = std::clamp(App().GetChairCount(), 0, frame::FrameRecordStore::kSeats);
    if (chair >= 0 && chair < chairs)
        return true;
    net::LogMessage("notification %u: chair %d outside the table; ignored", id, chair);
    return false;
}

bool CardNotifyHandler::CardsFit(uint32_t id, int count, size_t offset, size_t length) const
{
    if (count >= 0 && count <= MaxCardsPerPlay() && BodyHolds(id, length, offset + 4 * static_cast<size_t>(count)))
        return true;
    if (count < 0 || count > MaxCardsPerPlay())
        net::LogMessage("notification %u: %d cards; ignored", id, count);
    return false;
}

// ---- starts, messages and presence ------------------------------------------------

void CardNotifyHandler::OnPlayerStarted(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kNotifyPlayerStarted, length, 16))
        return;
    const int chair = WireReader(body, length).Int(12);
    if (!IsTableChair(kNotifyPlayerStarted, chair))
        return;
    if (GameState* state = App().GetGameState())
        state->SetChairReady(chair);
    if (CardTableCalls* view = TableCalls())
        view->OnPlayerStarted(chair);
}

void CardNotifyHandler::OnTableRelay(const uint8_t* body, size_t length)
{
    constexpr size_t kHead = 20;
    if (!BodyHolds(kNotifyTableMessage, length, kHead))
        return;
    const uint32_t payload = WireReader(body, length).Word(16);
    if (payload > length - kHead) {
        net::LogMessage("notification %u: payload of %u bytes in %zu; ignored", kNotifyTableMessage, payload,
            length);
        return;
    }
    if (CardTableCalls* view = TableCalls())
        view->OnTableMessage(body, length);
}

void CardNotifyHandler::OnPlayerOffline(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kNotifyPlayerOffline, length, 4))
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnPlayerOffline(WireReader(body, length).Int(0));
}

// ---- card viewing by lookers-on -----------------------------------------------------

void CardNotifyHandler::OnViewCardsRequest(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kNotifyViewCardsRequest, length, 4))
        return;
    if (const CardAppCalls* app = AppCalls(); app && app->RejectsViewCardRequests())
        return;
    if (App().GetUserWord164(WireReader(body, length).Int(0)) != 0)
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnViewCardsRequest(body, length);
}

void CardNotifyHandler::OnViewCardsAnswer(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kNotifyViewCardsAnswer, length, 40)
        || !IsTableChair(kNotifyViewCardsAnswer, WireReader(body, length).Int(12)))
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnViewCardsAnswer(body, length);
}

void CardNotifyHandler::OnShowCards(const uint8_t* body, size_t length)
{
    constexpr size_t kCards = 12;
    if (!BodyHolds(kNotifyShowCards, length, kCards))
        return;
    const WireReader reader(body, length);
    if (!IsTableChair(kNotifyShowCards, reader.Int(4)) || !CardsFit(kNotifyShowCards, reader.Int(8), kCards, length))
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnShowCards(body, length);
}

// ---- plays and turns ----------------------------------------------------------------

void CardNotifyHandler::OnPassed(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kNotifyPassed, length, 36))
        return;
    const WireReader reader(body, length);
    if (!IsTableChair(kNotifyPassed, reader.Int(8)) || !IsTableChair(kNotifyPassed, reader.Int(16)))
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnPassed(body, length);
}

void CardNotifyHandler::OnCardsThrown(const uint8_t* body, size_t length)
{
    constexpr size_t kCount = 60;
    constexpr size_t kCards = 64;
    if (!BodyHolds(kNotifyCardsThrown, length, kCards))
        return;
    const WireReader reader(body, length);
    if (!IsTableChair(kNotifyCardsThrown, reader.Int(12)) || !IsTableChair(kNotifyCardsThrown, reader.Int(20))
        || !CardsFit(kNotifyCardsThrown, reader.Int(kCount), kCards, length))
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnCardsThrown(body, length);
}

void CardNotifyHandler::OnTurn(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kNotifyTurn, length, 8) || !IsTableChair(kNotifyTurn, WireReader(body, length).Int(4)))
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnTurn(body, length);
}

void CardNotifyHandler::OnTurnSync(const uint8_t* body, size_t length)
{
    if (GameState* state = App().GetGameState())
        state->SetStatus(kStatusTurnSync);
    if (CardTableCalls* view = TableCalls())
        view->OnTurnSync(body, length);
}

void CardNotifyHandler::OnWaitSolo(const uint8_t*, size_t)
{
    if (App().IsInGame())
        return;
    if (CardTableCalls* view = TableCalls())
        view->OnWaitSolo();
}

} // namespace game
