#pragma once
// The card layer's requests to the game server: throws, passes, play
// options, the table-wide message and card viewing by lookers-on. Every
// request above 220000 belongs to the card layer or the game and waits at
// most 5 seconds; a waiting one that fails is logged. Ids up to 220000 keep
// the frame's behaviour.
//
// Records are little-endian 32-bit words, zero where nothing is written.
// "Head" is {own user id, room id, table number, own chair}.
//
// A request that does not wait succeeds only once its record was handed to
// the socket, so that callers keep their state when nothing went out.

#include "frame/core/FrameRecords.h"
#include "frame/core/GameConnection.h"
#include "frame/core/RequestRecord.h"
#include "table/PlayRecord.h"

#include <cstdint>
#include <string>

namespace game {

// What waiting card requests answer when the request itself failed (not
// connected, timed out, not sent).
constexpr uint32_t kRequestFailed = 10100;
// The reply code of an accepted request.
constexpr uint32_t kReplyOk = 10;

// Request ids of the card layer.
constexpr uint32_t kRequestThrow = 221080;
constexpr uint32_t kRequestPass = 223000;
constexpr uint32_t kRequestPlayOption = 221070;
constexpr uint32_t kRequestTableMessage = 229510;
constexpr uint32_t kRequestViewCards = 229550;
// Ids above this one are the card layer's and the game's.
constexpr uint32_t kLastFrameRequest = 220000;

// Request 221080: head; +20 the chair after the own chair in play order;
// +48 the play (type, beat mask, value, count n, card ids). Only the first
// 64 + 4 n bytes are sent.
class ThrowRecord : public frame::RequestRecord<320> {
public:
    static constexpr size_t kUserId = 0;
    static constexpr size_t kRoomId = 4;
    static constexpr size_t kTableNo = 8;
    static constexpr size_t kChair = 12;
    static constexpr size_t kNextChair = 20;
    static constexpr size_t kPlay = 48;
    static constexpr size_t kCount = kPlay + 12;
    static constexpr size_t kCards = kPlay + 16;

    void SetHead(int32_t userId, int32_t roomId, int32_t tableNo, int32_t chair)
    {
        Head(userId, roomId, tableNo, chair);
    }
    void SetNextChair(int32_t chair) { SetInt<kNextChair>(chair); }
    // The whole play with its 64 card places (false never happens: the
    // record holds them).
    bool SetPlay(const table::PlayRecord& play);
    int32_t CardCount() const { return GetInt<kCount>(); }
    // 64 + 4 n; 0 when the count is outside 0..64.
    size_t WireLength() const;
};

// Request 223000 (56 bytes): +0 user id, +4 room id, +8 own chair, +12
// table number (the chair before the table number in this record only),
// +16 the chair of the last play (-1 after the table was cleared).
class PassRecord : public frame::RequestRecord<56> {
public:
    static constexpr size_t kUserId = 0;
    static constexpr size_t kRoomId = 4;
    static constexpr size_t kChair = 8;
    static constexpr size_t kTableNo = 12;
    static constexpr size_t kLastPlayChair = 16;

    void SetHead(int32_t userId, int32_t roomId, int32_t tableNo, int32_t chair)
    {
        SetInt<kUserId>(userId);
        SetInt<kRoomId>(roomId);
        SetInt<kChair>(chair);
        SetInt<kTableNo>(tableNo);
    }
    void SetLastPlayChair(int32_t chair) { SetInt<kLastPlayChair>(chair); }
};

class CardGameConnection : public GameConnection {
public:
    // The table message's head: +0 room id, +4 user id, +8 kind, +16
    // payload length, then the payload.
    static constexpr size_t kTableMessageHead = 20;
    // The largest payload a table message carries.
    static constexpr uint32_t kMaxTableMessagePayload = 8192;

    CardGameConnection() = default;
    ~CardGameConnection() override = default;

    // Ids up to 220000: the frame's call and result. Above: the frame's
    // call; 1 when a waiting request got a reply (whatever its code) or a
    // request without waiting was handed to the socket; otherwise 0, and a
    // waiting request's failure is logged with its id and code.
    int Request(std::string& errorText, uint32_t requestId, const uint8_t* data, uint32_t length,
        RequestReply& reply, bool wait) override;
    // 5 seconds above 220000; the frame's table otherwise.
    int GetRequestTimeout(uint32_t requestId) const override;
    // 201162 (56 bytes): the frame's report with the kind word of a failed
    // table message (229500) at +24 and the previous stamp's word at +40.
    int ReportNotifyError(uint32_t notificationId, const uint8_t* data, uint32_t length,
        const NotifyStamp& last) override;

    // 229550, sent only: head, then 16 zero bytes.
    virtual int SendViewCardsRequest();
    // 221080, waits: the reply code, or 10100 when the request failed or the
    // record's card count is outside 0..64 (nothing is sent then).
    virtual uint32_t SendThrow(std::string& errorText, const ThrowRecord& record);
    // 223000, waits: the reply code, or 10100 when the request failed.
    virtual uint32_t SendPass(std::string& errorText, const PassRecord& record);
    // 221070, waits: head, +16 option, +20 value (40 bytes). 1 only when the
    // server answered 10.
    virtual int SendPlayOption(int option, int value);

    // 229510 with the table message {room id, user id, kind, 0, length,
    // payload}. wait: the reply code, 10100 when the request failed. Without
    // waiting no reply is read: 10 once the record was handed to the socket,
    // 10100 otherwise. A payload over kMaxTableMessagePayload bytes, or a
    // length without data, is refused (10100, nothing sent).
    uint32_t SendTableMessage(int kind, const uint8_t* payload, uint32_t length, bool wait);
    // As SendTableMessage, always waiting: the whole reply (code, length,
    // data). On failure the code is 10100 with no data.
    RequestReply SendTableMessageWait(int kind, const uint8_t* payload, uint32_t length);

protected:
    // Writes the log line of a waiting request above 220000 that failed.
    virtual void LogFailedRequest(uint32_t requestId, uint32_t code) const;
};

} // namespace game
