#pragma once
// The card layer's handler of server notifications: the ids every card game
// shares (starts, table messages, card viewing, passes, plays and turns)
// become calls on the card table view (game::CardTableCalls) or on the game
// state; every other id goes down to the frame's handler.
//
// Bodies come from the server: each handler reads its body into the typed
// record of CardRecords.h, whose rules refuse a short body, a chair outside
// the table and a card count beyond a hand or beyond the body; a refused
// body is logged and dropped before anything reaches the view. After every
// notification the table view's replay recorder gets it while recording is
// switched on (never in replay mode).
//
// User-interface thread only, like the frame's handler.

#include "cards/CardRecords.h"
#include "frame/core/GameNotifyHandler.h"

#include <cstddef>
#include <cstdint>
#include <optional>
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

    // Each reads its record (layouts in CardRecords.h) and hands it on.
    // 201160: the state marks the chair ready before the view hears of it.
    virtual void OnPlayerStarted(const uint8_t* body, size_t length);
    virtual void OnTableRelay(const uint8_t* body, size_t length);
    virtual void OnPlayerOffline(const uint8_t* body, size_t length);
    // 229550: ignored when the player refuses card viewing or the
    // looker-on's record has word 164 set.
    virtual void OnViewCardsRequest(const uint8_t* body, size_t length);
    virtual void OnViewCardsAnswer(const uint8_t* body, size_t length);
    virtual void OnShowCards(const uint8_t* body, size_t length);
    virtual void OnPassed(const uint8_t* body, size_t length);
    virtual void OnCardsThrown(const uint8_t* body, size_t length);
    virtual void OnTurn(const uint8_t* body, size_t length);
    // 221168 (no fields): sets the state's status to 0x101 before the view
    // reads the turn from it.
    virtual void OnTurnSync(const uint8_t* body, size_t length);
    // 211300 (no fields): only while no game is running.
    virtual void OnWaitSolo(const uint8_t* body, size_t length);

protected:
    CardTableCalls* TableCalls() const;
    CardAppCalls* AppCalls() const;
    // The chair is one of the table's; otherwise logs it and answers false.
    bool IsTableChair(uint32_t id, int chair) const;
    // The chairs of the table, as the records count them.
    int TableChairs() const;
    // The body read into its record; a refused body is logged and reads as
    // nothing.
    template <class Record>
    std::optional<Record> Read(uint32_t id, const uint8_t* body, size_t length) const
    {
        auto parsed = Record::Parse(body, length, TableChairs());
        if (!parsed) {
            LogRefused(id, parsed.Fault());
            return std::nullopt;
        }
        return *parsed;
    }
    static void LogRefused(uint32_t id, const RecordFault& fault);
    // Hands the notification to the table view's recorder after it was
    // handled (while the room records and no replay plays). A game that
    // handles notifications of its own forwards them here too, or its
    // replays lose them.
    void ForwardToRecorder(uint32_t id, const uint8_t* body, size_t length) const;
};

} // namespace game
