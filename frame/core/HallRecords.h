#pragma once
// The records the client and the lobby exchange through the desktop
// channel (platform/DesktopChannel.h): the numbers of the copied records
// and posted messages, the cipher most copied records travel under, and
// each record byte for byte, with readers that take nothing on trust.
//
// The lobby is another program: every count, chair and text in what it
// sends is checked before anything is copied, and a record too short for
// what its counts announce is refused whole.

#include "frame/core/FrameRecords.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace frame {

// The lobby's top window class.
inline constexpr char kHallWindowClass[] = "DozeDovaFrame";

// Copied records (the record id): from the lobby ...
constexpr uintptr_t HALLDATA_INIT = 1;
constexpr uintptr_t HALLDATA_LOOKERJOINED = 4;
constexpr uintptr_t HALLDATA_LEAVETABLE = 6;
constexpr uintptr_t HALLDATA_SHOWPLAYER = 7;
constexpr uintptr_t HALLDATA_EXTRA = 13;
constexpr uintptr_t HALLDATA_SIGNANSWER = 14;
// ... and to it.
constexpr uintptr_t HALLDATA_CLOSED = 2;
constexpr uintptr_t HALLDATA_CLOSEDLOST = 5;
constexpr uintptr_t HALLDATA_TEXT = 11;

// Messages posted to the lobby's window.
constexpr uint32_t WM_HALL_GAMEREADY = 0x9105;      // wParam main window, lParam table number
constexpr uint32_t WM_HALL_TABLEMSG = 0x9107;       // wParam main window, lParam first word of the notice
constexpr uint32_t WM_HALL_SHOWPLAYER = 0x9108;     // wParam main window, lParam the player's user id
constexpr uint32_t WM_HALL_GETSIGN = 0x910C;        // wParam answering window, lParam request token
constexpr uint32_t WM_HALL_MATCHREADY = 0x9118;     // wParam main window, lParam own user id
constexpr uint32_t WM_HALL_CHANGECLOTHING = 0x86EF; // wParam own user id
constexpr uint32_t WM_HALL_BECOMEMEMBER = 0x86F0;   // wParam own user id

// How long a copied record to the lobby may wait for it.
constexpr uint32_t kHallSendTimeoutMs = 5000;

// Chairs and looker-on slots a table has.
constexpr int kHallMaxSeated = 8;
constexpr int kHallMaxLookers = 64;

// AES-128 in ECB mode under a key shared with the lobby. Enciphering pads
// the record with zeros to length - length % 16 + 16 bytes (a whole block
// of zeros when the length is a multiple of 16); deciphering takes the
// whole blocks of what arrived and leaves a partial last block out.
class HallDataCipher {
public:
    static constexpr std::array<uint8_t, 16> kKey = { 0x5A, 0x31, 0xC4, 0x7E, 0x09, 0xB2, 0x66, 0xD8, 0x13, 0xAF,
        0x4C, 0x90, 0x2B, 0xE5, 0x71, 0x3D };

    static constexpr size_t EncipheredLength(size_t length) { return length - length % 16 + 16; }
    static std::vector<uint8_t> Encipher(std::span<const uint8_t> plain);
    static std::vector<uint8_t> Decipher(std::span<const uint8_t> enciphered);
};

// The client's last word to the lobby (HALLDATA_CLOSED or _CLOSEDLOST,
// not enciphered).
class HallCloseNotice : public ByteRecord<188> {
public:
    static constexpr size_t kWindow = 0;
    static constexpr size_t kUserId = 4;
    static constexpr size_t kTableNo = 8;
    static constexpr size_t kChair = 12;
    static constexpr size_t kNewerMajor = 16;
    static constexpr size_t kLookOn = 20;
    static constexpr size_t kLostWhilePlaying = 24;
    static constexpr size_t kGameId = 28;
    static constexpr size_t kNewerMinor = 32;

    uint32_t Window() const { return GetWord<kWindow>(); }
    void SetWindow(uint32_t v) { SetWord<kWindow>(v); }
    int32_t UserId() const { return GetInt<kUserId>(); }
    void SetUserId(int32_t v) { SetInt<kUserId>(v); }
    int32_t TableNo() const { return GetInt<kTableNo>(); }
    void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
    int32_t Chair() const { return GetInt<kChair>(); }
    void SetChair(int32_t v) { SetInt<kChair>(v); }
    int32_t NewerMajor() const { return GetInt<kNewerMajor>(); }
    void SetNewerMajor(int32_t v) { SetInt<kNewerMajor>(v); }
    int32_t LookOn() const { return GetInt<kLookOn>(); }
    void SetLookOn(int32_t v) { SetInt<kLookOn>(v); }
    int32_t LostWhilePlaying() const { return GetInt<kLostWhilePlaying>(); }
    void SetLostWhilePlaying(int32_t v) { SetInt<kLostWhilePlaying>(v); }
    int32_t GameId() const { return GetInt<kGameId>(); }
    void SetGameId(int32_t v) { SetInt<kGameId>(v); }
    int32_t NewerMinor() const { return GetInt<kNewerMinor>(); }
    void SetNewerMinor(int32_t v) { SetInt<kNewerMinor>(v); }
};

// A text for the lobby (HALLDATA_TEXT, enciphered to 544 bytes): web page
// addresses the lobby opens. The text holds at most 255 bytes.
class HallTextMessage : public ByteRecord<532> {
public:
    static constexpr size_t kWindow = 0;
    static constexpr size_t kUserId = 4;
    static constexpr size_t kGameId = 8;
    static constexpr size_t kLobbyWord = 12;
    static constexpr size_t kValue = 16;
    static constexpr size_t kText = 20, kTextSize = 256;
    static constexpr size_t kEncipheredSize = 544;

    uint32_t Window() const { return GetWord<kWindow>(); }
    void SetWindow(uint32_t v) { SetWord<kWindow>(v); }
    int32_t UserId() const { return GetInt<kUserId>(); }
    void SetUserId(int32_t v) { SetInt<kUserId>(v); }
    int32_t GameId() const { return GetInt<kGameId>(); }
    void SetGameId(int32_t v) { SetInt<kGameId>(v); }
    int32_t LobbyWord() const { return GetInt<kLobbyWord>(); }
    void SetLobbyWord(int32_t v) { SetInt<kLobbyWord>(v); }
    int32_t Value() const { return GetInt<kValue>(); }
    void SetValue(int32_t v) { SetInt<kValue>(v); }
    std::string Text() const { return GetText<kText, kTextSize>(); }
    void SetText(std::string_view v) { ByteRecord::SetText<kText, kTextSize>(v); }
};
static_assert(HallDataCipher::EncipheredLength(HallTextMessage::kSize) == HallTextMessage::kEncipheredSize);

// The lobby says a player left the table (HALLDATA_LEAVETABLE).
class HallLeaveTable : public ByteRecord<16> {
public:
    static constexpr size_t kLobbyWindow = 0;
    static constexpr size_t kUserId = 4;
    static constexpr size_t kTableNo = 8;
    static constexpr size_t kChair = 12;

    uint32_t LobbyWindow() const { return GetWord<kLobbyWindow>(); }
    void SetLobbyWindow(uint32_t v) { SetWord<kLobbyWindow>(v); }
    int32_t UserId() const { return GetInt<kUserId>(); }
    void SetUserId(int32_t v) { SetInt<kUserId>(v); }
    int32_t TableNo() const { return GetInt<kTableNo>(); }
    void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
    int32_t Chair() const { return GetInt<kChair>(); }
    void SetChair(int32_t v) { SetInt<kChair>(v); }
};

// The lobby's answer to WM_HALL_GETSIGN (HALLDATA_SIGNANSWER), sent to the
// window in the request's wParam; the token is the request's lParam echoed.
// The text holds at most 255 bytes.
class HallSignAnswer : public ByteRecord<272> {
public:
    static constexpr size_t kUserId = 0;
    static constexpr size_t kText = 8, kTextSize = 256;
    static constexpr size_t kToken = 268;

    int32_t UserId() const { return GetInt<kUserId>(); }
    void SetUserId(int32_t v) { SetInt<kUserId>(v); }
    std::string Text() const { return GetText<kText, kTextSize>(); }
    void SetText(std::string_view v) { ByteRecord::SetText<kText, kTextSize>(v); }
    uint32_t Token() const { return GetWord<kToken>(); }
    void SetToken(uint32_t v) { SetWord<kToken>(v); }
};

// A fixed record from the first bytes of a payload; nullopt when the
// payload is shorter than the record.
template <class Record>
std::optional<Record> ReadHallRecord(const uint8_t* data, size_t size)
{
    Record record;
    if (!record.Load(data, size))
        return std::nullopt;
    return record;
}

// HALLDATA_LOOKERJOINED: a looker-on's record, refused when short or when
// its chair is not one of the table's 8.
std::optional<PlayerRecord> ReadHallLooker(const uint8_t* data, size_t size);
// HALLDATA_LEAVETABLE: refused when short or when the chair is not 0..7.
std::optional<HallLeaveTable> ReadHallLeaveTable(const uint8_t* data, size_t size);
// HALLDATA_SHOWPLAYER: the player's record (its chair is not read: the
// player need not sit at this table).
std::optional<PlayerRecord> ReadHallShowPlayer(const uint8_t* data, size_t size);

// HALLDATA_INIT in table mode: 0 RoomInfo, 444 TableInfo, 620 the n seated
// players' records, then the m lookers-on's, then, when RoomInfo byte 320 is
// nonzero, 360 bytes of '|'-separated room texts (n and m are the
// TableInfo's player and looker-on counts).
constexpr size_t kHallInitGameHeadSize = RoomInfo::kSize + TableInfo::kSize;
constexpr size_t kHallRoomTextSize = 360;

struct HallInitGame {
    RoomInfo room;
    // As received, but with the counts of the records taken below.
    TableInfo table;
    std::vector<PlayerRecord> seated;
    std::vector<PlayerRecord> lookers;
    std::array<uint8_t, kHallRoomTextSize> roomText {};

    bool HasRoomText() const { return room.Bytes()[RoomInfo::kHasRoomTexts] != 0; }
    // The room texts by index; none without a room text.
    std::map<int, std::string> RoomTexts() const;
};

enum class HallInitStatus {
    kOk,
    kTooShort,          // shorter than the head, or than the counts and the room text need
    kBadCounts,         // a negative player or looker-on count
    kUnterminatedText,  // the room text has no zero byte
};

// Reads the table-mode init data (deciphered). All the records the counts
// announce must be present; of them, the first 8 seated and the first 64
// lookers-on whose chairs are 0..7 are taken, the counts set to match.
// Nothing in out is meaningful unless kOk.
HallInitStatus ParseHallInitGame(const uint8_t* data, size_t size, HallInitGame& out);
// The payload for init: the table's counts are written as the sizes of the
// two lists, the room text follows when the room says so.
std::vector<uint8_t> BuildHallInitGame(const HallInitGame& init);

// HALLDATA_INIT in match mode (2548 bytes): 0 a 572-byte room block (the
// RoomInfo and 128 bytes not used), 572 TableInfo, 748 the own
// PlayerRecord, 1068 MatchInfo.
constexpr size_t kHallRoomBlockSize = 572;
constexpr size_t kHallInitMatchSize = kHallRoomBlockSize + TableInfo::kSize + PlayerRecord::kSize + MatchInfo::kSize;
static_assert(kHallInitMatchSize == 2548);

struct HallInitMatch {
    RoomInfo room;
    std::array<uint8_t, kHallRoomBlockSize - RoomInfo::kSize> roomTail {};
    TableInfo table;
    PlayerRecord own;
    MatchInfo match;
};

// False when the payload is shorter than the match form.
bool ParseHallInitMatch(const uint8_t* data, size_t size, HallInitMatch& out);
std::vector<uint8_t> BuildHallInitMatch(const HallInitMatch& init);

// The client's outstanding sign requests. A request is registered (under
// the lock) before WM_HALL_GETSIGN goes out with its token, and stays until
// this object ends, so an answer that comes after the wait gave up still
// finds it and changes nothing the caller sees. Tokens are never 0 and not
// reused. Any thread.
class HallSignRequests {
public:
    // Registers a request of the user; the token goes in the message's lParam.
    uint32_t Open(int32_t userId);
    // Takes a deciphered answer: false when its token names no request.
    // Otherwise the request is answered (its text kept only when the user
    // ids match) and a waiter wakes.
    bool Answer(const HallSignAnswer& answer);
    // Waits up to timeoutMs for the answer to the request; its text, empty
    // when none came in time, the user did not match or the token is
    // unknown.
    std::string Wait(uint32_t token, uint32_t timeoutMs);
    size_t Count() const;

private:
    struct Request {
        int32_t userId = 0;
        bool answered = false;
        std::string text;
    };

    mutable std::mutex m_lock;
    std::condition_variable m_answered;
    std::map<uint32_t, Request> m_requests;
    uint32_t m_nextToken = 1;
};

} // namespace frame
