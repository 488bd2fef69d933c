#pragma once
// The frame's handler of server notifications: every server message that
// does not answer a waiting request comes here with its six-digit id and
// its body. Dispatch maps each of the frame's ids to a handler of its own;
// the card layer and the game derive from this class, handle their own ids
// in their Dispatch and pass every other id down, so an id that no layer
// knows ends here and is ignored.
//
// The handlers change the application's records, call the main view, send
// engine events to the table view and the system pane, and show notice
// boxes and chat lines. Bodies come from the server: every handler gets the
// body with its length, drops (and logs) a body too short for the fields it
// reads, clamps counts to the array it fills and to what the body holds,
// and refuses chairs outside the table before they index anything.
//
// Events to the table view and the system pane carry the body as received:
// {0, code, body, body length}. The receivers read it through a bounded
// reader.
//
// User-interface thread only; the frame window calls Dispatch under the
// engine's frame lock and StampLast after it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class CGameFrameApp;

namespace engine {
class EngineObject;
}

class GameNotifyHandler {
public:
    // The frame's notification ids, in the order of its dispatch table.
    static std::span<const uint32_t> FrameIds();

    explicit GameNotifyHandler(CGameFrameApp& app);
    virtual ~GameNotifyHandler();
    GameNotifyHandler(const GameNotifyHandler&) = delete;
    GameNotifyHandler& operator=(const GameNotifyHandler&) = delete;

    // Calls the handler of a frame id; any other id is ignored.
    virtual void Dispatch(uint32_t id, const uint8_t* body, size_t length);
    virtual void OnPlayerCall(const uint8_t* body, size_t length);
    // Remembers the notification just handled: id, 0, length and the tick.
    virtual void StampLast(uint32_t id, const uint8_t* body, size_t length);
    virtual void OnAdvertText(const uint8_t* body, size_t length);
    virtual void OnChatText(const uint8_t* body, size_t length);
    virtual void OnPlayerScores(const uint8_t* body, size_t length);
    virtual void OnGameAborted(const uint8_t* body, size_t length);
    virtual void OnExitRequest(const uint8_t* body, size_t length);
    virtual void OnExitAnswer(const uint8_t* body, size_t length);
    virtual void OnTableMessage(const uint8_t* body, size_t length);
    virtual void OnPlayerChanged(const uint8_t* body, size_t length);
    virtual void OnSeatEmptyEnd(const uint8_t* body, size_t length);
    virtual void OnSilverShortEnd(const uint8_t* body, size_t length);
    virtual void OnScoreShortEnd(const uint8_t* body, size_t length);
    virtual void OnScoreLimitEnd(const uint8_t* body, size_t length);
    virtual void OnPlayerRoundLimitEnd(const uint8_t* body, size_t length);
    virtual void OnTableRoundLimitEnd(const uint8_t* body, size_t length);
    virtual void OnOutsideOpenHours(const uint8_t* body, size_t length);
    virtual void OnServerNotice(const uint8_t* body, size_t length);
    virtual void OnChatText2(const uint8_t* body, size_t length);
    virtual void OnMatchResult(const uint8_t* body, size_t length);
    virtual void OnIdleRoundsWarning(const uint8_t* body, size_t length);
    virtual void On211900(const uint8_t* body, size_t length);
    virtual void OnPlayerNames(const uint8_t* body, size_t length);
    virtual void On211920(const uint8_t* body, size_t length);
    virtual void OnPlayerEntered(const uint8_t* body, size_t length);
    virtual void OnPlayerLeft(const uint8_t* body, size_t length);
    virtual void OnSeatPlayers(const uint8_t* body, size_t length);
    // What follows the seat list of 211028 (the game reads it); nothing
    // here. length is what remains of the body.
    virtual void OnSeatPlayersTail(const uint8_t* tail, size_t length);
    virtual void OnMatchTable(const uint8_t* body, size_t length);
    virtual void OnMatchRanking(const uint8_t* body, size_t length);
    virtual void OnServerMessageBox(const uint8_t* body, size_t length);
    virtual void On211199(const uint8_t* body, size_t length);
    virtual void On211220(const uint8_t* body, size_t length);
    virtual void On211241(const uint8_t* body, size_t length);
    virtual void On211190(const uint8_t* body, size_t length);
    virtual void On211191(const uint8_t* body, size_t length);
    virtual void OnMatchPromotionWait(const uint8_t* body, size_t length);
    virtual void OnGameTimeout(const uint8_t* body, size_t length);
    virtual void On211201(const uint8_t* body, size_t length);
    virtual void Ignore(const uint8_t* body, size_t length);
    virtual void On211203(const uint8_t* body, size_t length);
    virtual void On211204(const uint8_t* body, size_t length);
    virtual void OnSignUpFailed(const uint8_t* body, size_t length);
    virtual void OnWithdrawFailed(const uint8_t* body, size_t length);
    virtual void On211242(const uint8_t* body, size_t length);
    virtual void On211243(const uint8_t* body, size_t length);
    virtual void OnPlayerResult(const uint8_t* body, size_t length);
    virtual void OnPlayerMoney(const uint8_t* body, size_t length);
    virtual void OnChairPlayers(const uint8_t* body, size_t length);
    virtual void OnPlayerPortrait(const uint8_t* body, size_t length);
    virtual void OnPlayerPrivilege(const uint8_t* body, size_t length);

    // The last notification stamped (all 0 before the first); the report of
    // a failed handler sends them.
    uint32_t GetLastId() const { return m_lastId; }
    uint32_t GetLastWord() const { return m_lastWord; }
    uint32_t GetLastLength() const { return m_lastLength; }
    uint32_t GetLastTick() const { return m_lastTick; }

protected:
    CGameFrameApp& App() const { return m_app; }
    // Writes the stamp; a layer whose stamp carries a word of the body
    // passes it here.
    void SetLastStamp(uint32_t id, uint32_t word, size_t length, uint32_t tick);
    // True when the body holds `needed` bytes; otherwise logs the short
    // body of the notification and answers false.
    static bool BodyHolds(uint32_t id, size_t length, size_t needed);
    // Event {0, code, body, length} to the object; nothing when it is null.
    static void SendBody(engine::EngineObject* object, int code, const uint8_t* body, size_t length);

private:
    // Seat changes are taken during a game only in rooms that allow them.
    bool SeatChangesAllowedNow() const;
    // The notice texts that end a table for the player whose user id leads
    // the body.
    void ShowPlayerEndNotice(uint32_t id, const char* format, const uint8_t* body, size_t length);
    // Board text of a failed sign-up or withdrawal: the body's, or the
    // fallback when the body's is empty.
    void ShowMatchRefusal(uint32_t id, const char* fallback, const uint8_t* body, size_t length);

    CGameFrameApp& m_app;
    uint32_t m_lastId = 0;
    uint32_t m_lastWord = 0;
    uint32_t m_lastLength = 0;
    uint32_t m_lastTick = 0;
};
