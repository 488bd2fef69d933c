#pragma once
// The frame's connection to the game server: the network library's message
// connection plus the lobby's proxy settings, the message cipher key, the
// connect-and-hello sequence, one blocking request operation with a
// time-out per request id, the texts of reply codes, and round-trip
// statistics for the pulse.
//
// Every operation runs on the user-interface thread and blocks it while it
// waits; the network thread only stores replies and posts notifications to
// the notify thread (the communication thread).

#include "frame/core/FrameRecords.h"
#include "net/ProxySocket.h"
#include "net/SocketConnection.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

class CGameFrameApp;

// Results that Request reports in place of a server's reply code.
constexpr uint32_t kReplyNotConnected = 1031;
constexpr uint32_t kReplyTimedOut = 1030;
// The server refused with a text of its own, carried in the reply body.
constexpr uint32_t kReplyServerText = 60031;

// Request 201001: the server's version.
constexpr uint32_t kRequestVersion = 201001;

// The lobby's [PROXY] section.
struct ProxySettings {
    int need = 0;
    int port = 1080;
    int type = net::kProxySocks5;
    std::string host;
    std::string user;
    std::string password;
};

// What Request hands back.
struct RequestReply {
    uint32_t code = 0;
    uint32_t length = 0;
    std::unique_ptr<uint8_t[]> data; // length bytes, null when 0; the caller's
};

class GameConnection : public net::SocketConnection {
public:
    GameConnection();
    ~GameConnection() override;

    // The message key shared with the game server (AES-128).
    static const std::array<uint8_t, 16>& CipherKey();
    static constexpr const char kHello[] = "Hello! Game Channel.";

    virtual int SetCipherKey();
    int Close() override;
    // Connects directly or through the lobby's proxy and sends the hello.
    // proxyFailed is set when the proxy could not be reached, so that the
    // caller can name the proxy host.
    virtual int Connect(const std::string& name, const std::string& host, int port, bool& proxyFailed);
    using net::SocketConnection::Connect;
    virtual std::string GetProxyHost() const { return m_proxy.host; }
    virtual void SetNotifyThread(uint32_t threadId) { m_notifyThread = threadId; }
    uint32_t NotifyThread() const { return m_notifyThread; }
    virtual void LoadProxySettings(const std::string& hallIniPath);
    const ProxySettings& Proxy() const { return m_proxy; }

    // Sends request id with its body. wait: block for the reply (up to
    // GetRequestTimeout(id) seconds). 1 when a reply came, whatever its
    // code (callers test reply.code); 0 with errorText set otherwise:
    // not connected (code 1031), timed out (1030), send failed (code left
    // as the caller set it), or the server's own refusal (60031, its text).
    // With wait 0, 1 means the message was handed to the socket.
    virtual int Request(std::string& errorText, uint32_t requestId, const uint8_t* data, uint32_t length,
        RequestReply& reply, bool wait);
    virtual int GetRequestTimeout(uint32_t requestId) const;
    // Leaves the text unchanged for codes it does not know.
    virtual void GetReplyText(std::string& text, uint32_t code) const;
    virtual void GetSafeBoxReplyText(std::string& text, uint32_t code) const;
    virtual void GetGeneralReplyText(std::string& text, uint32_t code) const;

    // Request 201001 against the program's version. 1 when equal; 0 with a
    // text otherwise, and the server's newer major or minor when the
    // program is the older side.
    virtual int CheckVersion(std::string& text, int& newerMajor, int& newerMinor);

    // The running application (null when none).
    virtual CGameFrameApp* GetApp() const;

    // Round trips of waited requests since the last reset (the pulse reads
    // and resets them).
    struct RoundTrips {
        uint32_t totalMs = 0;
        uint32_t count = 0;
        uint32_t maxMs = 0;
    };
    const RoundTrips& GetRoundTrips() const { return m_roundTrips; }
    void ResetRoundTrips() { m_roundTrips = {}; }

    int ConnectedPort() const { return m_port; }
    const std::string& ConnectedHost() const { return m_serverHost; }

    // The program version CheckVersion compares with; the application sets
    // it from its own.
    void SetProgramVersion(int major, int minor)
    {
        m_versionMajor = major;
        m_versionMinor = minor;
    }

private:
    int m_port = 0;
    std::string m_name;
    std::string m_serverHost;
    ProxySettings m_proxy;
    uint32_t m_notifyThread = 0;
    std::unique_ptr<net::ProxyConnectSocket> m_proxySocket;
    RoundTrips m_roundTrips;
    int m_versionMajor = 0;
    int m_versionMinor = 0;

    // ==== The frame's requests (FrameRequests.cpp) ======================
    //
    // Each builds a zero-filled little-endian record from the running
    // application's records, sends it under its request id and, when it
    // waits, reads the reply. A request refused before sending (a
    // looker-on, the room's option bits, no own player record, no
    // application) returns 0 without touching the network. A request that
    // only sends returns 1 once the record was handed to the socket. A reply
    // body shorter than the words a branch reads counts as a failed request
    // (0); the branches below say which words they read.
public:
    // The enter record of request 200110 (108 bytes).
    class EnterGameRecord : public frame::ByteRecord<108> {
    public:
        static constexpr size_t kUserId = 0;
        static constexpr size_t kFlags = 4;
        static constexpr size_t kGameId = 8;
        static constexpr size_t kRoomId = 12;
        static constexpr size_t kTableNo = 16;
        static constexpr size_t kChair = 20;
        static constexpr size_t kMachineId = 24, kMachineIdSize = 32;
        static constexpr size_t kLookOn = 56;
        static constexpr size_t kExtra = 72;
        static constexpr size_t kRoomWord304 = 88;

        int32_t UserId() const { return GetInt<kUserId>(); }
        void SetUserId(int32_t v) { SetInt<kUserId>(v); }
        void SetFlags(uint32_t v) { SetWord<kFlags>(v); }
        void SetGameId(int32_t v) { SetInt<kGameId>(v); }
        void SetRoomId(int32_t v) { SetInt<kRoomId>(v); }
        void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
        void SetChair(int32_t v) { SetInt<kChair>(v); }
        void SetMachineId(std::string_view v) { SetText<kMachineId, kMachineIdSize>(v); }
        void SetLookOn(int32_t v) { SetInt<kLookOn>(v); }
        void SetExtra(int32_t v) { SetInt<kExtra>(v); }
        void SetRoomWord304(int32_t v) { SetInt<kRoomWord304>(v); }
    };

    // The enter record of request 201220 in match mode (176 bytes).
    class MatchEnterRecord : public frame::ByteRecord<176> {
    public:
        static constexpr size_t kUserId = 0;
        static constexpr size_t kFlags = 4;
        static constexpr size_t kGameId = 8;
        static constexpr size_t kMatchId = 12;
        static constexpr size_t kRoomId = 16;
        static constexpr size_t kTableNo = 20;
        static constexpr size_t kChair = 24;
        static constexpr size_t kMachineId = 28, kMachineIdSize = 32;
        static constexpr size_t kLookOn = 60;
        static constexpr size_t kRoomWord296 = 64;
        static constexpr size_t kRoomWord304 = 68;

        int32_t UserId() const { return GetInt<kUserId>(); }
        void SetUserId(int32_t v) { SetInt<kUserId>(v); }
        void SetFlags(uint32_t v) { SetWord<kFlags>(v); }
        void SetGameId(int32_t v) { SetInt<kGameId>(v); }
        void SetMatchId(int32_t v) { SetInt<kMatchId>(v); }
        void SetRoomId(int32_t v) { SetInt<kRoomId>(v); }
        void SetTableNo(int32_t v) { SetInt<kTableNo>(v); }
        void SetChair(int32_t v) { SetInt<kChair>(v); }
        void SetMachineId(std::string_view v) { SetText<kMachineId, kMachineIdSize>(v); }
        void SetLookOn(int32_t v) { SetInt<kLookOn>(v); }
        void SetRoomWord296(int32_t v) { SetInt<kRoomWord296>(v); }
        void SetRoomWord304(int32_t v) { SetInt<kRoomWord304>(v); }
    };

    // What the notification handler stamped after the last notification it
    // dispatched (its id, body length and tick count, and the word a layer
    // keeps of its body; the frame's report leaves that word out).
    struct NotifyStamp {
        int32_t id = 0;
        int32_t length = 0;
        uint32_t tick = 0;
        int32_t word = 0;
    };

    // The machine id every record carries (at most 31 characters): read
    // once per connection from frame::GetMachineId, or the one set here.
    const std::string& MachineId() const;
    void SetMachineId(std::string id);

    // Adds one measured round trip to the statistics the pulse reports.
    void RecordRoundTrip(uint32_t elapsedMs);

    // 201130, 5 s. The body's first word replaces room option word A; 1
    // when the server says a game is running (210030), with or without a
    // body (a body without its first word keeps option A).
    virtual int RequestCanQuit();
    // 201140. Code 10 with a body: the body goes to the look-on buffer
    // (as much as it holds), 1.
    virtual int RequestTableSnapshot();
    // 201220, 30 s: the match room's enter reply goes to the application.
    virtual int EnterMatchRoom(std::string& text);
    // 200110, 30 s: the enter record (and the own player as the server's
    // record when room option B has bit 0x40); the reply data is stored in
    // the application's buffers and handed to it.
    virtual int EnterGame(std::string& text);
    // 201165. 10 stops the idle-kick timer, 1; 210541 / 210542 ask about
    // the silver limits ({8 carried, 12 limit}; a shorter body asks
    // nothing), 0.
    virtual int RequestStartChecked(std::string& text);
    // 201160 and 201161, sent only; the text is emptied first.
    virtual int RequestStart(std::string& text);
    virtual int Request201161(std::string& text);
    // 201120, sent only: the leaver and the own seat.
    virtual int LeaveTable(int userId, int chair);
    // 201125, as 201120 but waiting. 1 when the server keeps the player
    // (210086, or 210085 with the seconds still to wait as its first word,
    // if the body has it), with the text to show; 0 when the player may
    // leave.
    virtual int LeaveSeat(std::string& text, int userId, int chair);
    // 201210 and 201211 (the own chat line), sent only: at most 61 bytes
    // of the text, never half a character.
    virtual int SendChat201210(const std::string& text);
    virtual int SendChat(const std::string& text);
    // 201200, sent only: the called user and that user's chair (-1 when no
    // record holds the user).
    virtual int CallPlayer(int userId);
    virtual int Request201180(int value);
    // 201020, sent only: the average and largest round trip since the last
    // pulse (each at most 60000 ms, 0 without traffic); the statistics
    // start again.
    virtual int SendPulse();
    virtual int Request201221();
    // 201162, sent only: a notification whose handler failed, and the one
    // before it.
    virtual int ReportNotifyError(uint32_t notificationId, const uint8_t* data, uint32_t length,
        const NotifyStamp& last);
    // 201230: the user whose details are wanted.
    virtual int Request201230(int value);
    // 201231 (sign up) and 201232 (give up) for the match.
    virtual int Request201231();
    virtual int Request201232();
    // 201212, sent only: the reason (at most 63 bytes).
    virtual int RequestExit(const std::string& reason);
    // 201213, sent only: the answer to another player's request to leave.
    virtual int AnswerExit(int askerId, int answer);
    // 229560, sent only.
    virtual int SetViewCardsPermission(int userId, int allow);
    // The own player record as the server's record; false when missing.
    virtual bool BuildEnterExtra(frame::VizeRidavuRecord& out) const;
    virtual bool BuildEnterRecord(EnterGameRecord& out) const;
    virtual bool BuildMatchEnterRecord(MatchEnterRecord& out) const;
    // The enter replies' data into the application's buffers, never more
    // than a buffer holds; they return the bytes copied.
    virtual size_t StoreEnterData(const uint8_t* data, size_t length);
    virtual size_t StoreReply210220(const uint8_t* data, size_t length);
    // Reply 210210: in rooms with option B bit 0x8, unless oneself looks
    // on, the body starts with the other seats' players {8 count, 60
    // records} and the look-on data follows them. False (nothing stored)
    // when that list is malformed: a body too short for its head, or a
    // count outside 0..8 or whose records run past the body.
    virtual bool StoreLookOnData(const uint8_t* data, size_t length);
    // 201300. Not for a looker-on. 10 → 1; 210550 (too frequent) → a chat
    // line, 0.
    virtual int ChangeTable(std::string& text);
    // 201302. Only when not looking on and room option B has bits 0x2 and
    // 0x80. 10 stops the idle-kick timer, 1; 210541 / 210542 as 201165.
    virtual int RequestNewTable(std::string& text);
    // 200040. Not for a looker-on. 10 with at least 32 bytes: those bytes
    // to out, 1; otherwise the safe box's text, 0.
    virtual int QuerySafeBox(std::string& text, std::span<uint8_t, 32> out);
    // 200042 and 200041, only where the safe box may move silver. The text
    // is emptied first; a failed request keeps the request's own text; a
    // reply is turned into the safe box's texts. GameToSafeBox hands the
    // reply code back and, on 60092, lowers amount to what may go out.
    virtual int GameToSafeBox(std::string& text, int& amount, uint32_t& code);
    virtual int SafeBoxToGame(std::string& text, int amount, int value);
    // 200043. 10 with at least 24 bytes: those bytes to out, 1; otherwise
    // the safe box's text, 0.
    virtual int RequestPasswordChallenge(std::string& text, std::span<uint8_t, 24> out, uint32_t& code);
    // 214010, 30 s. out is zeroed first; 10 with a body: up to 124 of its
    // bytes to out, 1.
    virtual int RequestAllowanceConfig(std::string& text, int value, std::span<uint8_t, 124> out);
    // 214000 and 214001 (with the machine id), 30 s. Only when not looking
    // on and kind is 0 or 1; amount is 0 first; 10 with the first word:
    // amount = that word, 1.
    virtual int ClaimAllowance(std::string& text, int value, int kind, int& amount);
    virtual int ClaimAllowanceChecked(std::string& text, int value, int kind, int& amount);

private:
    mutable std::optional<std::string> m_machineId;
};
