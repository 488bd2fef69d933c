// The card layer's request records and how their results are read. Records
// are zero-filled; the throw is cut to the cards it names, and a table
// message is sent with exactly its payload.

#include "cards/CardGameConnection.h"

#include "frame/core/CGameFrameApp.h"
#include "frame/core/RequestRecord.h"
#include "net/DailyLog.h"
#include "platform/Clock.h"

#include <algorithm>

namespace game {

namespace {

constexpr uint32_t kNotifyError = 201162;
// The notification that relays a table message; its report names the kind.
constexpr uint32_t kTableMessageNotify = 229500;
constexpr int kCardLayerTimeout = 5;

// The word at +8 of a table message, the kind the stamp and report keep.
int32_t KindWord(uint32_t id, const uint8_t* data, uint32_t length)
{
    if (id != kTableMessageNotify || !data || length < 12)
        return 0;
    return static_cast<int32_t>(frame::LoadLe32(data + 8));
}

// Request 229510: {room id, user id, kind, 0, payload length, payload}, sent
// with exactly its payload.
class TableMessageRecord
    : public frame::RequestRecord<CardGameConnection::kTableMessageHead + CardGameConnection::kMaxTableMessagePayload> {
public:
    // False for a payload too long or missing.
    bool Set(const CGameFrameApp* app, int kind, const uint8_t* payload, uint32_t length)
    {
        if (!app || length > CardGameConnection::kMaxTableMessagePayload || (length && !payload))
            return false;
        Int<0>(app->GetRoomId()).Int<4>(app->GetUserId()).Int<8>(kind).Int<16>(static_cast<int32_t>(length));
        std::copy(payload, payload + length, MutableBytes().begin() + CardGameConnection::kTableMessageHead);
        m_length = static_cast<uint32_t>(CardGameConnection::kTableMessageHead) + length;
        return true;
    }
    uint32_t WireLength() const { return m_length; }

private:
    uint32_t m_length = 0;
};

} // namespace

bool ThrowRecord::SetPlay(const table::PlayRecord& play)
{
    return play.Write(MutableBytes().subspan(kPlay));
}

size_t ThrowRecord::WireLength() const
{
    const int32_t count = CardCount();
    if (count < 0 || count > table::kMaxPlayCards)
        return 0;
    return kCards + 4 * static_cast<size_t>(count);
}

int CardGameConnection::Request(std::string& errorText, uint32_t requestId, const uint8_t* data, uint32_t length,
    RequestReply& reply, bool wait)
{
    const int result = GameConnection::Request(errorText, requestId, data, length, reply, wait);
    if (requestId <= kLastFrameRequest)
        return result;
    if (result == 0 && wait)
        LogFailedRequest(requestId, reply.code);
    return result ? 1 : 0;
}

void CardGameConnection::LogFailedRequest(uint32_t requestId, uint32_t code) const
{
    net::LogMessage("ProcoessRequest Faild,ReQuestid:%ld,nResponse:%ld", static_cast<long>(requestId),
        static_cast<long>(code));
}

int CardGameConnection::GetRequestTimeout(uint32_t requestId) const
{
    return requestId > kLastFrameRequest ? kCardLayerTimeout : GameConnection::GetRequestTimeout(requestId);
}

int CardGameConnection::ReportNotifyError(uint32_t notificationId, const uint8_t* data, uint32_t length,
    const NotifyStamp& last)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    frame::RequestRecord<56> record;
    record.Int<0>(app->GetUserId())
        .Int<4>(app->GetRoomId())
        .Int<8>(app->GetTableNo())
        .Int<12>(app->GetTableNo())
        .Int<16>(app->IsLookOn() ? 1 : 0)
        .Int<20>(static_cast<int32_t>(notificationId))
        .Int<24>(KindWord(notificationId, data, length))
        .Int<28>(static_cast<int32_t>(length))
        .Int<32>(static_cast<int32_t>(platform::TickMs()))
        .Int<36>(last.id)
        .Int<40>(last.word)
        .Int<44>(last.length)
        .Int<48>(static_cast<int32_t>(last.tick));
    std::string text;
    RequestReply reply;
    return Request(text, kNotifyError, record.Data(), record.kLength, reply, false);
}

int CardGameConnection::SendViewCardsRequest()
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    const frame::RequestHead<32> record(*app);
    std::string text;
    RequestReply reply;
    return Request(text, kRequestViewCards, record.Data(), record.kLength, reply, false);
}

uint32_t CardGameConnection::SendThrow(std::string& errorText, const ThrowRecord& record)
{
    errorText.clear();
    const size_t length = record.WireLength();
    if (length == 0) {
        net::LogMessage("throw of %d cards refused", record.CardCount());
        return kRequestFailed;
    }
    RequestReply reply;
    if (!Request(errorText, kRequestThrow, record.Bytes().data(), static_cast<uint32_t>(length), reply, true))
        return kRequestFailed;
    return reply.code;
}

uint32_t CardGameConnection::SendPass(std::string& errorText, const PassRecord& record)
{
    errorText.clear();
    RequestReply reply;
    if (!Request(errorText, kRequestPass, record.Bytes().data(), PassRecord::kSize, reply, true))
        return kRequestFailed;
    return reply.code;
}

int CardGameConnection::SendPlayOption(int option, int value)
{
    CGameFrameApp* app = GetApp();
    if (!app)
        return 0;
    frame::RequestHead<40> record(*app);
    record.Int<16>(option).Int<20>(value);
    std::string text;
    RequestReply reply;
    if (!Request(text, kRequestPlayOption, record.Data(), record.kLength, reply, true))
        return 0;
    return reply.code == kReplyOk ? 1 : 0;
}

uint32_t CardGameConnection::SendTableMessage(int kind, const uint8_t* payload, uint32_t length, bool wait)
{
    if (wait)
        return SendTableMessageWait(kind, payload, length).code;
    TableMessageRecord record;
    if (!record.Set(GetApp(), kind, payload, length))
        return kRequestFailed;
    std::string text;
    RequestReply reply;
    const int sent = Request(text, kRequestTableMessage, record.Data(), record.WireLength(), reply, false);
    return sent ? kReplyOk : kRequestFailed;
}

RequestReply CardGameConnection::SendTableMessageWait(int kind, const uint8_t* payload, uint32_t length)
{
    RequestReply reply;
    TableMessageRecord record;
    std::string text;
    if (!record.Set(GetApp(), kind, payload, length)
        || !Request(text, kRequestTableMessage, record.Data(), record.WireLength(), reply, true)) {
        reply = {};
        reply.code = kRequestFailed;
    }
    return reply;
}

} // namespace game
