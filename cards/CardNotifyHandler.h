#pragma once
// The card layer's handler of server notifications: the ids every card game
// shares (starts, table messages, card viewing, passes, plays and turns)
// become calls on the card table view (game::CardTableCalls) or on the game
// state; every other id goes down to the frame's handler.
//
// Bodies come from the server: each handler drops (and logs) a body too
// short for the fields it reads, refuses chairs outside the table, and
// refuses a card count beyond a hand or beyond what the body holds, before
// anything reaches the view. After every notification the table view's
// replay recorder gets it while recording is switched on (never in replay
// mode).
//
// User-interface thread only, like the frame's handler.

#include "frame/core/GameNotifyHandler.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace game {

class CardTableCalls;
class CardAppCalls;

// The card layer's notification ids.
constexpr uint32_t kNotifyPlayerStarted = 201160;
constexpr uint32_t kNotifyTableMessage = 229500;
constexpr uint32_t kNotifyPlayerOffline = 211240;
constexpr uint32_t kNotifyViewCardsRequest = 229550;
constexpr uint32_t kNotifyViewCardsAnswer = 229570;
constexpr uint32_t kNotifyShowCards = 229580;
constexpr uint32_t kNotifyPassed = 223100;
constexpr uint32_t kNotifyCardsThrown = 221170;
constexpr uint32_t kNotifyTurn = 221165;
constexpr uint32_t kNotifyTurnSync = 221168;
constexpr uint32_t kNotifyWaitSolo = 211300;

// The game state's status while the turn goes round.
constexpr int kStatusTurnSync = 0x101;

class CardNotifyHandler : public GameNotifyHandler {
public:
    // The card layer's ids, in the order of its dispatch.
    static std::span<const uint32_t> CardIds();

    explicit CardNotifyHandler(CGameFrameApp& app);
    ~CardNotifyHandler() override;

    void Dispatch(uint32_t id, const uint8_t* body, size_t length) override;
    // The frame's stamp, with the kind word (+8) of a table message.
    void StampLast(uint32_t id, const uint8_t* body, size_t length) override;

    // Body layouts below: offsets in bytes of 32-bit words.
    // 201160 (16): +12 the chair that pressed start; the state marks it ready.
    virtual void OnPlayerStarted(const uint8_t* body, size_t length);
    // 229500 (20 + payload): +8 kind, +16 payload length, +20 payload.
    virtual void OnTableRelay(const uint8_t* body, size_t length);
    // 211240 (4): +0 the user who went offline.
    virtual void OnPlayerOffline(const uint8_t* body, size_t length);
    // 229550 (4): +0 the asking looker-on. Ignored when the player refuses
    // card viewing or the looker-on's record has word 164 set.
    virtual void OnViewCardsRequest(const uint8_t* body, size_t length);
    // 229570 (40): +0 answering user, +12 that user's chair, +16 the asking
    // looker-on, +20 allowed.
    virtual void OnViewCardsAnswer(const uint8_t* body, size_t length);
    // 229580 (12 + 4 n): +4 chair, +8 count n, +12 n card ids.
    virtual void OnShowCards(const uint8_t* body, size_t length);
    // 223100 (36): +8 the chair that passed, +16 the chair to play, +20
    // table cleared, +32 turn seconds.
    virtual void OnPassed(const uint8_t* body, size_t length);
    // 221170 (64 + 4 n): +12 the chair that played, +20 the chair to play,
    // +28 turn seconds, +48 the play (type, mask, value, count n, ids).
    virtual void OnCardsThrown(const uint8_t* body, size_t length);
    // 221165 (8): +4 the chair that acted.
    virtual void OnTurn(const uint8_t* body, size_t length);
    // 221168: sets the state's status to 0x101 before the view reads the
    // turn from it.
    virtual void OnTurnSync(const uint8_t* body, size_t length);
    // 211300: only while no game is running.
    virtual void OnWaitSolo(const uint8_t* body, size_t length);

    // The most cards one play or one shown hand may hold; the game narrows
    // it to its hand.
    virtual int MaxCardsPerPlay() const;

protected:
    CardTableCalls* TableCalls() const;
    CardAppCalls* AppCalls() const;
    // The chair is one of the table's; otherwise logs it and answers false.
    bool IsTableChair(uint32_t id, int chair) const;
    // The count lies in 0..MaxCardsPerPlay() and its ids, 4 bytes each from
    // `offset`, lie within the body; otherwise logs it and answers false.
    bool CardsFit(uint32_t id, int count, size_t offset, size_t length) const;
    // Hands the notification to the table view's recorder after it was
    // handled (while the room records and no replay plays). A game that
    // handles notifications of its own forwards them here too, or its
    // replays lose them.
    void ForwardToRecorder(uint32_t id, const uint8_t* body, size_t length) const;
};

} // namespace game
