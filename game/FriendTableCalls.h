#pragma once
// What this game's notifications ask of its table view, its side pane and
// its application, on top of the card layer's calls (CardTableCalls.h).
// The game's table view, side pane and application implement them; the
// notification handler finds each by type and does nothing while there is
// none. Every default does nothing, so an implementation takes only what
// it shows.
//
// Bodies arrive as received, with their length, after the handler checked
// the fields it names below; the receiver reads them through a bounded
// reader.

#include "cards/CardTableCalls.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace game {

class FriendTableCalls : public virtual CardTableCalls {
public:
    // 201210: another player's chat line, shown at the seat as well.
    virtual void ShowChatLine(const uint8_t* /*body*/, size_t /*length*/) { }
    // 211200: a server line for the table, before the side pane gets it.
    virtual void OnTableChatLine(const uint8_t* /*body*/, size_t /*length*/) { }
    // 211920: the text to turn into a QR-code picture (never empty).
    virtual void BuildQrCodePicture(const std::string& /*text*/) { }
    // 211010: a player left; the body holds the whole record and its chair
    // is within the table.
    virtual void OnOwnExitAgreed(const uint8_t* /*body*/, size_t /*length*/) { }

    // 211040 (or the tail of 211028): the game data already holds the new
    // round's start record.
    virtual void ShowRoundHeader() { }
    // 211080: the game data already holds the round's result and no game
    // is running any more.
    virtual void ShowRoundResultLines() { }
    // 211160: before the table state is replaced.
    virtual void ResetRoundState() { }
    // 211160: after the table state was replaced.
    virtual void RefreshSeatedBoards() { }

    // The award notifications, as received.
    // 402000
    virtual void OnBonusCounts(const uint8_t* /*body*/, size_t /*length*/) { }
    // 404000
    virtual void OnWinStreakAward(const uint8_t* /*body*/, size_t /*length*/) { }
    // 406001
    virtual void OnBonusAward(const uint8_t* /*body*/, size_t /*length*/) { }
    // 406004
    virtual void OnRoundsAward(const uint8_t* /*body*/, size_t /*length*/) { }
};

// The game's side pane, after a table state arrived.
class FriendPaneCalls {
public:
    virtual ~FriendPaneCalls() = default;
    // Outside match mode: the score tab shows the new totals.
    virtual void RefreshScores() { }
    // In match mode: the match list's clock resumes.
    virtual void RefreshMatchList() { }
};

// The game's application: the flag that the other players let the own
// player leave. Once set it stays set, and failed requests are no longer
// logged (the server drops the player's requests from then on).
class FriendAppCalls {
public:
    virtual ~FriendAppCalls() = default;
    virtual bool IsExitAgreed() const { return false; }
    virtual void SetExitAgreed() { }
};

} // namespace game
