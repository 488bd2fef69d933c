#pragma once
// What the card layer's notifications ask of the card table view and of the
// card application. The table view (the engine object the application
// answers with GetTableView) and the application implement them; the
// notification handler finds them by type and does nothing while there is
// none. Every default does nothing, so an implementation takes only what it
// shows.
//
// Notifications arrive as the records the handler read (CardRecords.h),
// every field within its rule.

#include "cards/CardRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace game {

class CardTableCalls {
public:
    virtual ~CardTableCalls() = default;

    // 201160: the chair that pressed start.
    virtual void OnPlayerStarted(int /*chair*/) { }
    virtual void OnTableMessage(const TableMessage&) { }
    // 211240: the player who went offline.
    virtual void OnPlayerOffline(int /*userId*/) { }
    virtual void OnViewCardsRequest(const ViewCardsRequest&) { }
    virtual void OnViewCardsAnswer(const ViewCardsAnswer&) { }
    virtual void OnShowCards(const ShownCards&) { }
    virtual void OnPassed(const PassedTurn&) { }
    virtual void OnCardsThrown(const ThrownPlay&) { }
    virtual void OnTurn(const TurnNotice&) { }
    // 221168: the turn is read from the game state.
    virtual void OnTurnSync() { }
    // 211300: waiting for a solo game.
    virtual void OnWaitSolo() { }
    // Every notification as it arrived, after its handler, while replays
    // are recorded: the recorder keeps the bytes.
    virtual void OnServerNotify(uint32_t /*id*/, const uint8_t* /*body*/, size_t /*length*/) { }
};

// What the table view asks of its replay recorder; the recorder the view
// makes (MakeReplayRecorder) implements it. The view decides which
// notifications are recorded and when a replay begins and ends.
class TableRecorderCalls {
public:
    virtual ~TableRecorderCalls() = default;
    virtual bool RecordingNow() const = 0;
    // A new replay: the table and seat blocks.
    virtual void StartReplay() = 0;
    virtual void RecordNotification(uint32_t id, const uint8_t* body, size_t length) = 0;
    // Writes the replay; the file written, empty when nothing was.
    virtual std::string SaveReplay() = 0;
};

class CardAppCalls {
public:
    virtual ~CardAppCalls() = default;
    // True when the player refuses every looker-on's request to see the
    // cards.
    virtual bool RejectsViewCardRequests() const { return false; }
};

} // namespace game
