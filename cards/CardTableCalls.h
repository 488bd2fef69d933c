#pragma once
// What the card layer's notifications ask of the card table view and of the
// card application. The table view (the engine object the application
// answers with GetTableView) and the application implement them; the
// notification handler finds them by type and does nothing while there is
// none. Every default does nothing, so an implementation takes only what it
// shows.
//
// Bodies arrive as received, with their length, after the handler checked
// that they hold the fields it names below; the receiver reads them through
// a bounded reader.

#include <cstddef>
#include <cstdint>
#include <string>

namespace game {

class CardTableCalls {
public:
    virtual ~CardTableCalls() = default;

    // 201160: the chair that pressed start (within the table).
    virtual void OnPlayerStarted(int /*chair*/) { }
    // 229500: a table message; its payload lies within the body.
    virtual void OnTableMessage(const uint8_t* /*body*/, size_t /*length*/) { }
    // 211240: the player who went offline.
    virtual void OnPlayerOffline(int /*userId*/) { }
    // 229550: a looker-on asks to see the cards.
    virtual void OnViewCardsRequest(const uint8_t* /*body*/, size_t /*length*/) { }
    // 229570: the 40-byte answer to a looker-on; its chair is within the
    // table.
    virtual void OnViewCardsAnswer(const uint8_t* /*body*/, size_t /*length*/) { }
    // 229580: a chair's cards shown to lookers-on; the chair is within the
    // table and the body holds its count of cards (at most a hand).
    virtual void OnShowCards(const uint8_t* /*body*/, size_t /*length*/) { }
    // 223100: a pass; both chairs are within the table.
    virtual void OnPassed(const uint8_t* /*body*/, size_t /*length*/) { }
    // 221170: a play; both chairs are within the table and the body holds
    // the play's cards (at most a hand).
    virtual void OnCardsThrown(const uint8_t* /*body*/, size_t /*length*/) { }
    // 221165: the chair that acted is within the table.
    virtual void OnTurn(const uint8_t* /*body*/, size_t /*length*/) { }
    // 221168: the turn is read from the game state.
    virtual void OnTurnSync(const uint8_t* /*body*/, size_t /*length*/) { }
    // 211300: waiting for a solo game.
    virtual void OnWaitSolo() { }
    // Every notification, after its handler, while replays are recorded.
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
